// The main window's results list: columns and their stored layout,
// sorting, the header and list context menus, copying, saving, the preview
// and the details pass.
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QTableView>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/registry_settings.h"
#include "core/wformat.h"
#include "gui/app/confirmable.h"
#include "gui/app/desktop_message_target.h"
#include "gui/app/dialogs.h"
#include "gui/app/online_search.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/text_convert.h"
#include "gui/mainwnd/results_table_model.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "gui/widgets/busy_popup.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/output_text_box.h"
#include "pe/look_in.h"
#include "pe/result_kind.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "platform/windows_root.h"
#include "results/report_inputs.h"
#include "results/result_column.h"
#include "results/result_field.h"
#include "results/results_copy.h"
#include "tools/module_location.h"

namespace tarnix::gui {
namespace {

bool IsOrdinalKind(uint32_t kind) {
  return kind == kKindImportOrdinal || kind == kKindDelayImportOrdinal || kind == kKindExportOrdinal;
}

QString FileNameOf(const std::wstring& path) { return ToQ(ImageNameOf(path)); }

}  // namespace

int CTarnixDlg::ListClientWidth() const {
  int w = view_->viewport()->width();
  if (!view_->verticalScrollBar()->isVisible()) w -= view_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  return std::max(w, 100);
}

void CTarnixDlg::BuildColumns(ColumnLayout layout) {
  QHeaderView* header = view_->horizontalHeader();
  // The new layout is in on-screen order: undo any moves of the old one.
  for (int logical = 0; logical < header->count(); ++logical)
    if (header->visualIndex(logical) != logical) header->moveSection(header->visualIndex(logical), logical);
  const std::vector<int32_t> widths = ColumnPixelWidths(layout, ListClientWidth());
  model_->SetColumns(std::move(layout));
  for (size_t i = 0; i < widths.size(); ++i) header->resizeSection(static_cast<int>(i), std::max(widths[i], 0));
  if (results_.sortColumn() >= 0) {
    const int at = model_->ModelColumnOf(results_.sortColumn());
    header->setSortIndicatorShown(at >= 0);
    if (at >= 0) header->setSortIndicator(at, results_.ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
  }
}

ColumnLayout CTarnixDlg::ScreenOrderLayout() const {
  const QHeaderView* header = view_->horizontalHeader();
  const ColumnLayout& cols = model_->columns();
  ColumnLayout out;
  for (int visual = 0; visual < header->count(); ++visual) {
    const int logical = header->logicalIndex(visual);
    if (logical >= 0 && logical < static_cast<int>(cols.size())) out.push_back(cols[static_cast<size_t>(logical)]);
  }
  return out;
}

std::vector<int32_t> CTarnixDlg::ScreenColumns() const {
  std::vector<int32_t> ids;
  for (const ColumnLayoutEntry& e : ScreenOrderLayout()) ids.push_back(e.column);
  return ids;
}

void CTarnixDlg::SaveColumnLayout() {
  if (!columnsBuilt_ || model_->columns().empty()) return;
  const QHeaderView* header = view_->horizontalHeader();
  std::vector<int32_t> widths;
  for (int visual = 0; visual < header->count(); ++visual)
    widths.push_back(header->sectionSize(header->logicalIndex(visual)));
  const std::vector<uint8_t> bytes = EncodeColumnLayout(ScreenOrderLayout(), widths);
  if (!RegistrySettings().SetBinary(L"TarnixSrchResultsCols", bytes.data(), bytes.size()))
    EventLog::LogFormat(L"Saving the results columns failed (%u)", GetLastError());
}

void CTarnixDlg::RestoreDefaultColumns() {
  if (searching_) return;
  BuildColumns(DefaultColumnLayout(ListClientWidth()));
}

void CTarnixDlg::ToggleColumn(int32_t column) {
  if (searching_) return;
  ColumnLayout layout = ScreenOrderLayout();
  const QHeaderView* header = view_->horizontalHeader();
  // Keep the widths the user gave the columns.
  for (ColumnLayoutEntry& e : layout)
    if (!(e.flags & kColumnStretch)) e.width = header->sectionSize(model_->ModelColumnOf(e.column));
  bool shown = false;
  for (const ColumnLayoutEntry& e : layout) shown |= e.column == column;
  int32_t sortColumn = results_.sortColumn();
  if (shown) {
    if (!RemoveColumn(layout, column, sortColumn)) {
      AppDialogs().Beep(mb::kIconError);
      return;
    }
  } else {
    ColumnLayoutEntry e;
    e.column = column;
    if (column == kColFolder || column == kColDescription) {
      e.flags = kColumnStretch;
      e.width = 2;
    } else {
      e.width = view_->fontMetrics().horizontalAdvance(ToQ(ResultColumnCaption(column)) + QStringLiteral("WWWW"));
      if (e.width <= 0) e.width = 48;
    }
    layout.push_back(e);
  }
  if (sortColumn != results_.sortColumn()) results_.SetSortState(sortColumn, results_.ascending());
  BuildColumns(std::move(layout));
}

void CTarnixDlg::SortBy(int32_t column) {
  if (searching_ || results_.entries().empty()) return;
  if (!results_.SortOffered(column)) return;
  if (!results_.detailsComplete()) StopDetailsLoader();
  // The rows leave the view while they are sorted on the worker thread, as
  // the list is emptied and filled again, so the view never reads an entry
  // the sort is moving.
  BusyTexts texts;
  texts.range = results_.entries().size();
  ResultsModel::SortAnswer answer = ResultsModel::SortAnswer::kRefused;
  model_->BeginReload();
  RunBusyWork(texts, [&](BusyProgress& progress) {
    // The details pass was stopped above, on this window's thread.
    answer = results_.RequestSort(column, false, nullptr, [&](double done) {
      progress.SetPosition(static_cast<uint64_t>(done * static_cast<double>(texts.range)));
      return progress.Cancelled();
    });
    const QString reloading = QStringLiteral("Reloading list...");
    progress.SetTexts(nullptr, &reloading, nullptr, nullptr);
    return 1;
  });
  model_->EndReload();
  if (answer == ResultsModel::SortAnswer::kCancelled) EventLog::LogFormat(L"Sorting by column %d was cancelled", column);
  QHeaderView* header = view_->horizontalHeader();
  const int at = model_->ModelColumnOf(results_.sortColumn());
  header->setSortIndicatorShown(at >= 0 && results_.sortColumn() >= 0);
  if (at >= 0) header->setSortIndicator(at, results_.ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
  if (!results_.detailsComplete()) detailsTimer_.start();
}

void CTarnixDlg::ShowHeaderMenu(const QPoint& pos) {
  QMenu menu(this);
  std::vector<int32_t> shown = ScreenColumns();
  auto isShown = [&](int32_t c) { return std::find(shown.begin(), shown.end(), c) != shown.end(); };
  for (int32_t c = 0; c < kResultColumnCount; ++c) {
    QAction* a = menu.addAction(ToQ(ResultColumnCaption(c)), this, [this, c] { ToggleColumn(c); });
    a->setCheckable(true);
    a->setChecked(isShown(c));
    a->setEnabled(!searching_);
  }
  QMenu* sortBy = menu.addMenu(QStringLiteral("&Sort By"));
  auto* group = new QActionGroup(sortBy);
  for (int32_t c = 0; c < kResultColumnCount; ++c) {
    QAction* a = sortBy->addAction(ToQ(ResultColumnCaption(c)), this, [this, c] { SortBy(c); });
    a->setCheckable(true);
    a->setChecked(results_.sortColumn() == c);
    a->setEnabled(!searching_ && isShown(c) && results_.SortOffered(c));
    group->addAction(a);
  }
  menu.addSeparator();
  QAction* ascending = menu.addAction(QStringLiteral("Sort &Ascending"), this, [this] { SortBy(results_.sortColumn()); });
  ascending->setCheckable(true);
  ascending->setChecked(results_.ascending());
  ascending->setEnabled(!searching_ && results_.sortColumn() >= 0);
  QAction* defaults = menu.addAction(QStringLiteral("Restore &Default Columns"), this, [this] { RestoreDefaultColumns(); });
  defaults->setEnabled(!searching_);
  menu.exec(view_->horizontalHeader()->mapToGlobal(pos));
}

std::vector<size_t> CTarnixDlg::SelectedRows() const {
  std::vector<size_t> rows;
  for (const QItemSelectionRange& r : view_->selectionModel()->selection())
    for (int row = r.top(); row <= r.bottom(); ++row) rows.push_back(static_cast<size_t>(row));
  return rows;
}

int32_t CTarnixDlg::ColumnAt(const QPoint& viewportPos) const {
  const int logical = view_->columnAt(viewportPos.x());
  if (logical < 0 || logical >= static_cast<int>(model_->columns().size())) return -1;
  return model_->columns()[static_cast<size_t>(logical)].column;
}

int CTarnixDlg::RunBusyWork(const BusyTexts& texts, const std::function<int(BusyProgress&)>& work) {
  // Messages that change the results wait until the work is done.
  QPointer<DesktopMessageTarget> held[] = {detailsTarget_.get(), run_ ? run_->target.get() : nullptr};
  for (auto& t : held)
    if (t) t->SetHeld(true);
  const int r = RunBusy(this, texts, work);
  const uint32_t err = GetLastError();
  for (auto& t : held)
    if (t) t->SetHeld(false);
  SetLastError(err);
  return r;
}

void CTarnixDlg::CopyRows() {
  if (searching_) return;
  const std::vector<size_t> rows = SelectedRows();
  if (rows.empty()) return;
  std::wstring text;
  const std::vector<int32_t> columns = ScreenColumns();
  const bool full = model_->fullSymbols();
  BusyTexts texts;
  texts.range = rows.size();
  bool cancelled = false;
  const int r = RunBusyWork(texts, [&](BusyProgress& progress) {
    const bool ok = CopyRowsText(results_.entries(), rows, columns, full, text, [&](size_t i) {
      progress.SetPosition(i);
      return progress.Cancelled();
    });
    cancelled = progress.Cancelled();
    return ok ? 1 : 0;
  });
  if (r == 1) QApplication::clipboard()->setText(ToQ(text));
  else if (r == 0 && !cancelled) EventLog::LogFormat(L"Copying the selected results failed");
}

void CTarnixDlg::CopyColumn(int32_t column) {
  if (searching_) return;
  const std::vector<size_t> rows = SelectedRows();
  if (rows.empty() || column < 0) return;
  std::wstring text;
  const bool full = model_->fullSymbols();
  BusyTexts texts;
  texts.range = rows.size();
  bool cancelled = false;
  const int r = RunBusyWork(texts, [&](BusyProgress& progress) {
    const bool ok = CopyColumnText(results_.entries(), rows, column, full, text, [&](size_t i) {
      progress.SetPosition(i);
      return progress.Cancelled();
    });
    cancelled = progress.Cancelled();
    return ok ? 1 : 0;
  });
  if (r == 1) QApplication::clipboard()->setText(ToQ(text));
  else if (r == 0 && !cancelled) EventLog::LogFormat(L"colId=0x%x: %ls", column, L"the column has no text");
}

void CTarnixDlg::CopyImagePath() {
  const std::vector<size_t> rows = SelectedRows();
  if (rows.size() != 1) return;
  QApplication::clipboard()->setText(ToQ(results_.entries()[rows.front()].result.file));
}

void CTarnixDlg::SelectAllResults() {
  if (searching_) return;
  view_->selectAll();
}

void CTarnixDlg::ClearResults() {
  if (searching_) return;
  StopDetailsLoader();
  model_->Clear();
  view_->horizontalHeader()->setSortIndicatorShown(false);
  UpdateActions();
}

bool CTarnixDlg::ConfirmIncompleteDetails() {
  if (!results_.NeedsIncompleteWarning(details_.Running())) return true;
  const int answer = ShowConfirmable(9, ToQ(kNotFullyProcessedQuestion), mb::kIconWarning, this);
  return answer == IDYES;
}

ReportCriteria CTarnixDlg::LastCriteria() const { return ReportCriteriaFromSearch(lastParams_); }

void CTarnixDlg::SaveResults() {
  if (searching_ || !searchedOnce_) return;
  if (!ConfirmIncompleteDetails()) return;
  RegistrySettings store;
  FileDialogRequest r;
  r.caption = QStringLiteral("Save Search Results");
  r.filter = QStringLiteral("HTML File (*.html;*.htm)|*.html;*.htm|Text File (*.txt)|*.txt|All Files (*.*)|*.*|");
  r.defaultExtension = QStringLiteral("html");
  r.filterIndex = static_cast<int>(store.GetDword(L"SvTarnixSrchResFileIdx", 1));
  QString path;
  if (!AppDialogs().SaveFileName(this, r, path)) return;
  store.SetDword(L"SvTarnixSrchResFileIdx", static_cast<uint32_t>(r.filterIndex));

  SaveRequest request;
  request.path = ToUtf8(FromQ(path));
  request.columns = ScreenColumns();
  request.fullSymbols = model_->fullSymbols();
  request.criteria = LastCriteria();
  request.outcome = outcome_;
  request.options = ReportOptionsFromSettings(store, output_->Text());
  uint32_t err = 0;
  BusyTexts texts;
  texts.text2 = QStringLiteral("Saving data in a file...");
  texts.range = results_.entries().size();
  const int result = RunBusyWork(texts, [&](BusyProgress& progress) {
    request.cancel = [&](size_t i) {
      progress.SetPosition(i);
      return progress.Cancelled();
    };
    const int saved = tarnix::SaveResults(results_.entries(), request);
    err = GetLastError();
    return saved;
  });
  if (result < 0 && !err) err = GetLastError();  // the work never ran
  if (result < 0)
    AppDialogs().MessageBox(
        this,
        ToQ(WFormat(L"ERROR: Failed to save search results in the following file:\n\n%ls\n\n%ls",
                    FromQ(path).c_str(), ErrorText(err).c_str())),
        QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
}

void CTarnixDlg::PreviewResults() {
  if (searching_ || !searchedOnce_) return;
  if (!ConfirmIncompleteDetails()) return;
  const QString path = QDir(QDir::tempPath()).filePath(QString::fromLatin1(kTempPreview));
  ReportOptions options = ReportOptionsFromSettings(RegistrySettings(), output_->Text());
  const std::vector<int32_t> columns = ScreenColumns();
  const ReportCriteria criteria = LastCriteria();
  uint32_t err = 0;
  BusyTexts texts;
  texts.range = results_.entries().size();
  const int result = RunBusyWork(texts, [&](BusyProgress& progress) {
    const int written = WriteHtmlReport(ToUtf8(FromQ(path)), columns, results_.entries(), criteria,
                                        outcome_, options, [&](size_t i) {
                                          progress.SetPosition(i);
                                          return progress.Cancelled();
                                        });
    err = GetLastError();
    return written;
  });
  if (result < 0 && !err) err = GetLastError();  // the work never ran
  auto fail = [&](const wchar_t* what, uint32_t code) {
    AppDialogs().MessageBox(
        this, ToQ(WFormat(L"ERROR: Failed to %ls preview.\n\n%ls", what, ErrorText(code).c_str())),
        QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
  };
  if (result == 0) return;
  if (result < 0) return fail(L"generate", err);
  uint32_t openErr = 0;
  if (!AppDialogs().OpenUrl(QUrl::fromLocalFile(path), openErr)) fail(L"open", openErr);
}

void CTarnixDlg::StartDetailsLoader() {
  if (closing_ || searching_ || details_.Running() || results_.entries().empty()) return;
  CTarnixApp* app = CTarnixApp::Instance();
  const bool undecorate = app ? app->settings().undecorateCppNames : true;
  const uint32_t flags = app ? app->settings().undecorationFlags : 2;
  DetailsWork work;
  BusyTexts texts;
  texts.range = results_.entries().size();
  const int collected = RunBusyWork(texts, [&](BusyProgress& progress) {
    return CollectDetailsWork(results_, undecorate, work, [&](size_t i) {
             progress.SetPosition(i);
             return progress.Cancelled();
           })
               ? 1
               : 0;
  });
  if (collected < 0 && GetLastError() == ERROR_BUSY) {
    detailsTimer_.start();  // other work holds the results; try again soon
    return;
  }
  if (collected != 1) {
    results_.DetailsInterrupted();
    UpdateActions();
    return;
  }
  // A retired target is closed: its queue is empty and it takes no posts,
  // so only the new pass's messages reach the list.
  RetireDetailsTarget();
  detailsTarget_ = std::make_unique<DesktopMessageTarget>([this](PostedMessage& m) { OnMessage(m); });
  results_.DetailsStarted();
  if (!details_.Start(std::move(work), detailsTarget_.get(), flags, [] { return !BusyPopupShowing(); })) {
    // A pass that would not stop still runs; Re-Scan tries again.
    EventLog::LogFormat(L"The details pass could not start (%u)", GetLastError());
    results_.DetailsInterrupted();
  }
  UpdateActions();
}

void CTarnixDlg::RetireDetailsTarget() {
  if (detailsTarget_) {
    detailsTarget_->Close();  // drops what is queued and refuses every later post
    retiredTargets_.push_back(std::move(detailsTarget_));
  }
  // Only a pass that is still running can hold a retired target.
  if (!details_.Running()) retiredTargets_.clear();
}

void CTarnixDlg::StopDetailsLoader() {
  detailsTimer_.stop();
  if (details_.Running()) details_.Stop(std::chrono::milliseconds(3000));
  RetireDetailsTarget();
  UpdateActions();
}

void CTarnixDlg::OpenModuleInstance(const std::wstring& modulePath, uint32_t lookIn, bool start) {
  CommandLineValues v = CurrentValues();
  if (lookIn) v.li = lookIn;
  StartInstance(kAutoForeground | (start ? uint32_t{kAutoStartSearch} : 0u), {modulePath}, v);
}

void CTarnixDlg::ShowResultsMenu(const QPoint& pos) {
  const QModelIndex clicked = view_->indexAt(pos);
  if (clicked.isValid() && !view_->selectionModel()->isRowSelected(clicked.row(), QModelIndex()))
    view_->selectRow(clicked.row());
  const std::vector<size_t> rows = SelectedRows();
  const int32_t column = ColumnAt(pos);
  UpdateActions();
  // The row the menu was opened on.
  const ResultEntry* entry = clicked.isValid() ? &results_.entries()[static_cast<size_t>(clicked.row())]
                                               : rows.size() == 1 ? &results_.entries()[rows.front()]
                                                                  : nullptr;

  QMenu menu(this);
  menu.addAction(actListInfo_);
  menu.setDefaultAction(actListInfo_);
  if (entry && clicked.isValid() && !IsOrdinalKind(entry->result.kind)) {
    const QString cell = model_->data(clicked).toString();
    if (!cell.isEmpty()) {
      QString caption = QStringLiteral("Search &Online for '*'");
      caption.replace(QLatin1Char('*'), cell);
      menu.addAction(caption, this, [this, cell] {
        uint32_t err = 0;
        if (!OpenOnlineSearch(FromQ(cell), err))
          AppDialogs().MessageBox(
              this,
              ToQ(WFormat(L"ERROR: Failed to open your web browser to perform online search.\n\n%ls",
                          ErrorText(err).c_str())),
              QStringLiteral("Tarnix"), mb::kOk | mb::kIconError);
      });
    }
  }
  menu.addSeparator();
  menu.addAction(actListCopy_);
  if (column >= 0)
    menu.addAction(ToQ(CopyColumnMenuText(column)), this, [this, column] { CopyColumn(column); })
        ->setEnabled(!rows.empty());
  menu.addAction(QStringLiteral("Copy &Image Path"), this, [this] { CopyImagePath(); })
      ->setEnabled(rows.size() == 1);
  menu.addAction(actListSelectAll_);
  if (actListRescan_->isEnabled()) menu.addAction(actListRescan_);
  menu.addSeparator();
  menu.addAction(actPreview_);

  if (entry && clicked.isValid()) {
    const std::wstring& image = entry->result.file;
    const WindowsRoot root = WindowsRoot::Find();
    const std::wstring module = ResolveModulePath(image, entry->result.module, entry->result.properties.imageType, root);
    if (!module.empty()) {
      const QString name = FileNameOf(module);
      auto text = [&](const char* t) { return QString::fromUtf8(t).replace(QLatin1Char('#'), name); };
      menu.addSeparator();
      menu.addAction(text("&Open '#' for Search..."), this, [this, module] { OpenModuleInstance(module, 0, false); });
      menu.addAction(text("&Begin Searching '#'..."), this, [this, module] { OpenModuleInstance(module, 0, true); });
      menu.addAction(text("Begin Searching '#' &Imports..."), this,
                     [this, module] { OpenModuleInstance(module, kLookInImports, true); });
      menu.addAction(text("Begin Searching '#' E&xports..."), this,
                     [this, module] { OpenModuleInstance(module, kLookInExports, true); });
    }
    menu.addSeparator();
    auto show = [](const std::wstring& path) {
      uint32_t err = 0;
      if (AppDialogs().ShowInFileManager(ToQ(path), err)) return;
      EventLog::LogFormat(L"path=\"%ls\", err=%u", path.c_str(), err);
      AppDialogs().Beep(mb::kIconError);
    };
    menu.addAction(QStringLiteral("Open '*' in &Windows Explorer").replace(QLatin1Char('*'), FileNameOf(image)),
                   this, [show, image] { show(image); });
    if (!module.empty() && module != image)
      menu.addAction(QStringLiteral("Open '*' in Windows E&xplorer").replace(QLatin1Char('*'), FileNameOf(module)),
                     this, [show, module] { show(module); });
    menu.addAction(QStringLiteral("Open &Folder in Windows Explorer"), this, [this, image] {
      OpenUrlOrSay(QUrl::fromLocalFile(ToQ(FolderOf(image))));
    });
    if (AppDialogs().CanShowItemProperties()) {
      auto props = [](const std::wstring& path) {
        uint32_t err = 0;
        if (AppDialogs().ShowItemProperties(ToQ(path), err)) return;
        EventLog::LogFormat(L"path=\"%ls\", err=%u", path.c_str(), err);
        AppDialogs().Beep(mb::kIconError);
      };
      menu.addAction(QStringLiteral("Proper&ties: '*'...").replace(QLatin1Char('*'), FileNameOf(image)), this,
                     [props, image] { props(image); });
      if (!module.empty() && module != image)
        menu.addAction(QStringLiteral("Proper&ties: '*'...").replace(QLatin1Char('*'), FileNameOf(module)), this,
                       [props, module] { props(module); });
    }
  }
  menu.exec(view_->viewport()->mapToGlobal(pos));
}

}  // namespace tarnix::gui
