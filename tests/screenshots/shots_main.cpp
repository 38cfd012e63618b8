// tarnix-screenshots OUTDIR SAMPLES [--dark] [PART...]: renders every window
// of the desktop program into OUTDIR as a PNG (offscreen, fixed sizes), so
// that the windows can be looked at without a display. Each window
// registers its pictures in a file of its own (TARNIX_SCREENSHOTS); PART
// names limit the run to those. SAMPLES is a folder of images to search.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFont>
#include <QPalette>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <cstdio>
#include <map>
#include <string>

#include "gui/app/dialogs.h"
#include "gui/app/resources.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/unattended_dialogs.h"
#include "shots.h"

namespace tarnix::gui::shots {
namespace {

QString g_out;
int g_shots = 0;

std::map<std::string, ShotFunction>& Parts() {
  static std::map<std::string, ShotFunction> parts;
  return parts;
}

void DarkPalette(QApplication& app) {
  QPalette p;
  p.setColor(QPalette::Window, QColor(45, 45, 48));
  p.setColor(QPalette::WindowText, QColor(220, 220, 220));
  p.setColor(QPalette::Base, QColor(30, 30, 30));
  p.setColor(QPalette::AlternateBase, QColor(40, 40, 44));
  p.setColor(QPalette::Text, QColor(220, 220, 220));
  p.setColor(QPalette::Button, QColor(55, 55, 60));
  p.setColor(QPalette::ButtonText, QColor(220, 220, 220));
  p.setColor(QPalette::Highlight, QColor(38, 79, 120));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Link, QColor(120, 170, 255));
  p.setColor(QPalette::ToolTipBase, QColor(60, 60, 60));
  p.setColor(QPalette::ToolTipText, QColor(220, 220, 220));
  p.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
  app.setPalette(p);
}

}  // namespace

bool RegisterShots(const char* name, ShotFunction shoot) {
  Parts()[name] = std::move(shoot);
  return true;
}

void Shoot(QWidget& w, const QString& name, QSize size) {
  if (size.isValid()) w.resize(size);
  w.show();
  if (!QTest::qWaitForWindowExposed(&w)) std::fprintf(stderr, "not shown: %s\n", qPrintable(name));
  QTest::qWait(60);
  const QString path = QDir(g_out).filePath(name + QStringLiteral(".png"));
  if (w.grab().save(path)) {
    ++g_shots;
    std::printf("%s\n", qPrintable(path));
  } else {
    std::fprintf(stderr, "could not write %s\n", qPrintable(path));
  }
}

QPushButton* Button(QWidget* w, const QString& text) {
  for (QPushButton* b : w->findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

void WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < timeoutMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace tarnix::gui::shots

int main(int argc, char** argv) {
  using namespace tarnix::gui;
  using namespace tarnix::gui::shots;
  if (argc < 3) {
    std::fprintf(stderr, "usage: tarnix-screenshots OUTDIR SAMPLES [--dark] [PART...]\n");
    return 2;
  }
  bool dark = false;
  std::vector<std::string> only;
  for (int i = 3; i < argc; ++i) {
    if (std::string(argv[i]) == "--dark")
      dark = true;
    else
      only.push_back(argv[i]);
  }
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  InitResources();
  CTarnixApp::SetApplicationNames(app);
  app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
  if (dark) DarkPalette(app);
  g_out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(g_out);
  ShotContext ctx;
  ctx.samples = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
  ctx.suffix = dark ? QStringLiteral("-dark") : QString();
  UnattendedDialogs dialogs;
  SetAppDialogs(&dialogs);
  for (const auto& [name, shoot] : Parts()) {
    if (!only.empty() && std::find(only.begin(), only.end(), name) == only.end()) continue;
    shoot(ctx);
  }
  SetAppDialogs(nullptr);
  std::printf("%d pictures in %s\n", g_shots, qPrintable(g_out));
  return g_shots > 0 ? 0 : 1;
}
