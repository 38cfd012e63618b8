// The Error Code Search window idle, searching (paused) and with results,
// over the sample images with message tables.
#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "gui/app/command_set.h"
#include "gui/errcode/code_results_model.h"
#include "gui/errcode/err_code_commands.h"
#include "gui/errcode/err_code_search_dlg.h"
#include "gui/widgets/combo_box_auto.h"
#include "shots.h"

namespace tarnix::gui::shots {

TARNIX_SCREENSHOTS(ErrCodeSearch) {
  CErrCodeSearchDlg w;
  w.resize(1020, 720);
  Shoot(w, QStringLiteral("errcode-idle") + ctx.suffix);

  // The samples folder with its subfolders, pasted as a search path of a
  // new preset.
  w.commands().Trigger(kEcsNewPreset);
  QGuiApplication::clipboard()->setText(QStringLiteral("32769|%1").arg(ctx.samples));
  w.commands().Trigger(kEcsPastePaths);
  if (auto* code = w.findChild<CComboBoxAuto*>()) code->SetText(L"E_ACCESSDENIED");
  w.StartSearch();
  if (QPushButton* pause = Button(&w, QStringLiteral("Pau&se"))) pause->click();
  Shoot(w, QStringLiteral("errcode-searching") + ctx.suffix);
  if (QPushButton* resume = Button(&w, QStringLiteral("Re&sume"))) resume->click();
  WaitFor([&] { return !w.searchRunning() && !w.detailsRunning(); });
  if (auto* code = w.findChild<CComboBoxAuto*>()) code->SetText(L"5");
  w.StartSearch();
  WaitFor([&] { return !w.searchRunning() && !w.detailsRunning(); });
  w.resultsView()->selectRow(0);
  Shoot(w, QStringLiteral("errcode-results") + ctx.suffix);
  w.close();
}

}  // namespace tarnix::gui::shots
