// tarnix: the desktop program.
#include <QApplication>
#include <QByteArray>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "gui/app/resources.h"
#include "gui/app/tarnix_app.h"
#include "tarnix_version.h"

namespace {

// Qt ends the process with a fatal message when the display it was given
// cannot be opened; say so plainly and leave without a core dump.
void MessageHandler(QtMsgType type, const QMessageLogContext&, const QString& text) {
  QByteArray utf8 = text.toLocal8Bit();
  std::fprintf(stderr, "%s\n", utf8.constData());
  if (type == QtFatalMsg) {
    std::fprintf(stderr,
                 "tarnix: the window could not be opened on this display. Check DISPLAY or "
                 "WAYLAND_DISPLAY, or run with QT_QPA_PLATFORM=offscreen; tarnix-cli works "
                 "without a display.\n");
    std::fflush(stderr);
    _exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // The help and the version need no display.
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::fputs(tarnix::gui::DesktopUsage().c_str(), stdout);
      return 0;
    }
    if (!std::strcmp(argv[i], "--version")) {
      std::printf("tarnix %s\n", TARNIX_VERSION);
      return 0;
    }
  }
  const std::string missing = tarnix::gui::MissingDisplayMessage();
  if (!missing.empty()) {
    std::fputs(missing.c_str(), stderr);
    return 1;
  }
  qInstallMessageHandler(MessageHandler);
  QApplication app(argc, argv);
  tarnix::gui::InitResources();
  tarnix::gui::CTarnixApp::SetApplicationNames(app);
  // The arguments as bytes (Qt has taken its own options out of argv):
  // QApplication::arguments() would turn a name that is not UTF-8 into
  // replacement characters.
  tarnix::gui::CTarnixApp tarnixApp(argc, argv);
  return tarnixApp.Run();
}
