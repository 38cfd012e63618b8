// The main window idle, searching (paused), with results and in the
// Import Libs mode.
#include <QAction>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "gui/app/command_set.h"
#include "gui/app/tarnix_app.h"
#include "gui/mainwnd/main_commands.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "shots.h"

namespace tarnix::gui::shots {

TARNIX_SCREENSHOTS(MainWindow) {
  {
    CTarnixApp idle({});
    CTarnixDlg w;
    Shoot(w, QStringLiteral("main-idle") + ctx.suffix);
  }
  CTarnixApp withFolder({ctx.samples});
  CTarnixDlg w;
  w.show();
  QTest::qWait(50);
  w.commands().Trigger(kCmdShowPeFilters);
  w.commands().Trigger(kCmdShowStatusOutput);
  QTest::qWait(50);
  w.StartSearch(false);
  // Paused at once: the window shows its running controls.
  if (QPushButton* pause = Button(&w, QStringLiteral("Pau&se"))) pause->click();
  Shoot(w, QStringLiteral("main-searching") + ctx.suffix);
  if (QPushButton* resume = Button(&w, QStringLiteral("Re&sume"))) resume->click();
  WaitFor([&] { return !w.searchRunning() && w.results().detailsComplete(); });
  w.resultsView()->selectRow(2);
  Shoot(w, QStringLiteral("main-results") + ctx.suffix);
  // As small as a small screen makes it: every control still reachable.
  w.resize(w.minimumSize());
  Shoot(w, QStringLiteral("main-results-smallest") + ctx.suffix);
  w.resize(1400, 900);
  Shoot(w, QStringLiteral("main-results-wide") + ctx.suffix);
  w.commands().Trigger(kCmdSearchForImportLibs);
  Shoot(w, QStringLiteral("main-importlibs") + ctx.suffix);
  w.commands().Trigger(kCmdSearchForWinApis);
  w.close();
}

}  // namespace tarnix::gui::shots
