// The window tests' main: `test_gui CLASS [Qt Test options]` runs one
// registered test class (`test_gui --list` names them all) on the offscreen
// platform, in a fresh temporary home and with fixed fonts.
#include <QApplication>
#include <QFont>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "gui/app/coding_fault.h"
#include "gui/app/resources.h"
#include "gui/app/tarnix_app.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "support/temp_dir.h"

namespace tarnix::gui::test {
std::map<std::string, RegisteredTest>& Registry();
}

int main(int argc, char** argv) {
  using namespace tarnix::gui::test;
  if (argc >= 2 && std::string(argv[1]) == "--list") {
    for (const auto& [name, test] : Registry())
      if (!test.hidden) std::printf("%s\n", name.c_str());
    return 0;
  }
  if (argc < 2 || !Registry().count(argv[1])) {
    std::fprintf(stderr, "usage: test_gui CLASS [Qt Test options] | --list\n");
    return 2;
  }
  tarnix::test::TempDir home("home");
  const std::string h = home.path().string();
  setenv("HOME", h.c_str(), 1);
  for (const char* var : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR", "XDG_DATA_HOME",
                          "XDG_CACHE_HOME"}) {
    std::filesystem::path p = home.path() / var;
    std::filesystem::create_directories(p);
    setenv(var, p.c_str(), 1);
  }
  std::filesystem::permissions(home.path() / "XDG_RUNTIME_DIR", std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::replace);
  unsetenv("TARNIX_WINDOWS_ROOT");
  setenv("LANG", "C.UTF-8", 1);
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  setenv("TZ", "UTC", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  unsetenv("QT_SCALE_FACTOR");
  unsetenv("DBUS_SESSION_BUS_ADDRESS");  // no file manager, no accessibility bus

  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication app(qtArgc, qtArgv);
  tarnix::gui::InitResources();
  tarnix::gui::CTarnixApp::SetApplicationNames(app);
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));

  // No test ever shows a real modal dialog: whatever a test does not
  // answer itself fails it, as does a coding fault the program reports.
  FakeDialogs strict;
  tarnix::gui::SetCodingFaultHandler([](const QString& what) {
    QTest::qFail(qPrintable(QStringLiteral("coding fault: %1").arg(what)), __FILE__, __LINE__);
  });
  std::unique_ptr<QObject> test = Registry()[argv[1]].factory();
  // Qt Test sees the program name followed by the options after the class.
  std::vector<char*> testArgv{argv[0]};
  for (int i = 2; i < argc; ++i) testArgv.push_back(argv[i]);
  return QTest::qExec(test.get(), static_cast<int>(testArgv.size()), testArgv.data());
}
