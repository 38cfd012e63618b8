#include "gui/mainwnd/results_pane.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <optional>

#include "core/event_log.h"
#include "core/program_windows_root.h"
#include "core/wformat.h"
#include "core/window_settings.h"
#include "gui/app/command_set.h"
#include "gui/app/confirmable.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/module_menu.h"
#include "gui/app/text_convert.h"
#include "gui/mainwnd/main_commands.h"
#include "gui/mainwnd/results_table_model.h"
#include "gui/mainwnd/temp_files.h"
#include "gui/widgets/buddy_label.h"
#include "gui/widgets/busy_popup.h"
#include "gui/widgets/live_label.h"
#include "pe/look_in.h"
#include "pe/result_kind.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "run/details_run.h"
#include "results/image_info_text.h"
#include "results/results_details_work.h"
#include "results/report_inputs.h"
#include "results/result_column.h"
#include "results/result_field.h"
#include "results/results_copy.h"
#include "tools/module_location.h"
#include "tools/results_count_text.h"

namespace tarnix::gui {
namespace {

// Paths tell rows apart at their end: the Folder column is shortened in the
// middle.
class FolderElideDelegate final : public QStyledItemDelegate {
 public:
  FolderElideDelegate(const ResultsTableModel* model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const ColumnLayout& columns = model_->columns();
    if (index.column() >= 0 && static_cast<size_t>(index.column()) < columns.size() &&
        columns[static_cast<size_t>(index.column())].column == kColFolder)
      option->textElideMode = Qt::ElideMiddle;
  }

 private:
  const ResultsTableModel* model_;
};

bool IsOrdinalKind(uint32_t kind) {
  return kind == kKindImportOrdinal || kind == kKindDelayImportOrdinal || kind == kKindExportOrdinal;
}

}  // namespace

ResultsPane::ResultsPane(QWidget* parent, const CommandSet& commands, Run& run,
                         std::function<CommandLineValues()> criteria)
    : QWidget(parent), commands_(commands), run_(run), criteria_(std::move(criteria)) {
  model_ = new ResultsTableModel(results_, this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  view_ = new QTableView(this);
  view_->setModel(model_);
  view_->setItemDelegate(new FolderElideDelegate(model_, view_));
  view_->setAccessibleName(QStringLiteral("Results:"));
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setShowGrid(false);
  view_->setWordWrap(false);
  view_->setAlternatingRowColors(true);
  view_->setTextElideMode(Qt::ElideRight);
  // Tab leaves the list; the arrow keys move within it.
  view_->setTabKeyNavigation(false);
  view_->verticalHeader()->hide();
  view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
  view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  QHeaderView* header = view_->horizontalHeader();
  header->setSectionsMovable(true);
  header->setAccessibleName(QStringLiteral("Results Columns"));
  header->setHighlightSections(false);
  header->setContextMenuPolicy(Qt::CustomContextMenu);
  header->setSortIndicatorShown(false);
  header->setStretchLastSection(false);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(header, &QHeaderView::customContextMenuRequested, this, [this](const QPoint& p) { ShowHeaderMenu(p); });
  connect(header, &QHeaderView::sectionClicked, this, [this](int logical) {
    if (logical >= 0 && logical < static_cast<int>(model_->columns().size()))
      SortBy(model_->columns()[static_cast<size_t>(logical)].column);
  });
  connect(view_, &QTableView::customContextMenuRequested, this, [this](const QPoint& p) { ShowContextMenu(p); });
  // A column the user sizes or moves (with the mouse) ends the default
  // layout's following of the list's width.
  for (auto signal : {&QHeaderView::sectionResized, &QHeaderView::sectionMoved})
    connect(header, signal, this, [this] {
      if (!sizingColumns_ && QGuiApplication::mouseButtons() != Qt::NoButton) defaultsFollowWidth_ = false;
    });
  view_->viewport()->installEventFilter(this);
  view_->installEventFilter(this);
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &ResultsPane::stateChanged);
  QLabel* label = BuddyLabel(this, QStringLiteral("Results:"), view_);
  count_ = LiveLabel(this, QStringLiteral("Results Count"));
  count_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* heading = new QHBoxLayout;
  heading->addWidget(label);
  heading->addWidget(count_, 1);
  layout->addLayout(heading);
  layout->addWidget(view_);
  // The count follows the rows as they arrive, are sorted and cleared.
  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(model_, signal, this, [this] { ShowCount(); });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { ShowCount(); });
  connect(model_, &QAbstractItemModel::layoutChanged, this, [this] { ShowCount(); });

  detailsTimer_.setSingleShot(true);
  detailsTimer_.setInterval(100);
  connect(&detailsTimer_, &QTimer::timeout, this, [this] { StartDetails(); });
  // The details pass: what it finds goes to the rows; its end completes them.
  run_.OnFollowUpResults<std::vector<FileDetailsFinding>>(
      [this](std::vector<FileDetailsFinding>& found) { model_->ApplyImageDetails(found); });
  run_.OnFollowUpResults<std::vector<NameDetailsFinding>>(
      [this](std::vector<NameDetailsFinding>& found) { model_->ApplyNameDetails(found); });
  run_.OnFollowUpEnded([this](bool completed) {
    if (completed)
      results_.DetailsDone();
    else
      results_.DetailsInterrupted();
    emit stateChanged();
  });
  // The columns are built from the stored layout once the list has its width.
  columnsBinder_ = new ColumnLayoutBinder(nullptr, ColumnsSetting::kSymbolResults, StoredLayout());
  columnsBinder_->setParent(this);
}

ResultsPane::~ResultsPane() { closing_ = true; }

void ResultsPane::ShowCount() {
  const bool shown = searching_ || !results_.empty();
  SetLiveText(count_, shown ? ToQ(ResultsCountText(results_.size(), results_.sortColumn(), results_.ascending()))
                             : QString());
}

bool ResultsPane::hasSelection() const { return view_->selectionModel() && view_->selectionModel()->hasSelection(); }

bool ResultsPane::oneRowSelected() const {
  // From the selection's ranges: listing the selected rows of a quarter of
  // a million would take the window's thread for a long moment.
  if (!view_->selectionModel()) return false;
  const QItemSelection sel = view_->selectionModel()->selection();
  return sel.size() == 1 && sel.front().height() == 1;
}

bool ResultsPane::rescanOffered() const {
  return !searching_ && !empty() && results_.detailsInterrupted() && !run_.followUpRunning();
}

void ResultsPane::BeginSearch(bool winApiSearch, bool modulesOnly) {
  StopDetails();
  searching_ = true;
  model_->BeginSearch(winApiSearch, modulesOnly);
  view_->horizontalHeader()->setSortIndicatorShown(false);
  view_->horizontalHeader()->setSectionsMovable(false);
  ShowCount();
  emit stateChanged();
}

size_t ResultsPane::Append(const ResultBatch& batch, bool scrollToEnd) {
  const size_t taken = model_->Append(batch);
  if (scrollToEnd && taken) view_->scrollToBottom();
  return taken;
}

void ResultsPane::EndSearch(bool details) {
  searching_ = false;
  view_->horizontalHeader()->setSectionsMovable(true);
  if (details && !closing_) detailsTimer_.start();
  emit stateChanged();
}

void ResultsPane::Close() {
  SaveColumnLayout();
  closing_ = true;
  StopDetails();
}

int ResultsPane::ListClientWidth() const {
  int w = view_->viewport()->width();
  if (!view_->verticalScrollBar()->isVisible()) w -= view_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  return std::max(w, 100);
}

void ResultsPane::BuildStoredColumns() {
  if (columnsBuilt_) return;
  columnsBuilt_ = true;
  columnsBinder_->Restore();
}

ColumnLayoutBinder::Layout ResultsPane::StoredLayout() {
  ColumnLayoutBinder::Layout layout;
  layout.apply = [this](const std::vector<uint8_t>& stored) {
    ColumnLayout columns;
    if (!DecodeColumnLayout(stored, ListClientWidth(), columns)) return false;
    defaultsFollowWidth_ = false;
    BuildColumns(std::move(columns));
    return true;
  };
  // The default layout's shares are of the width the list has: until the
  // user changes a column they are taken again as the list's width changes
  // (the window is first laid out narrower than it is shown).
  layout.applyDefaults = [this] {
    defaultsFollowWidth_ = true;
    BuildColumns(DefaultColumnLayout(ListClientWidth()));
  };
  layout.current = [this] {
    if (!columnsBuilt_ || model_->columns().empty()) return std::vector<uint8_t>();
    const QHeaderView* header = view_->horizontalHeader();
    std::vector<int32_t> widths;
    for (int visual = 0; visual < header->count(); ++visual)
      widths.push_back(header->sectionSize(header->logicalIndex(visual)));
    return EncodeColumnLayout(ScreenOrderLayout(), widths);
  };
  return layout;
}

void ResultsPane::BuildColumns(ColumnLayout layout) {
  QHeaderView* header = view_->horizontalHeader();
  // The new layout is in on-screen order: undo any moves of the old one.
  for (int logical = 0; logical < header->count(); ++logical)
    if (header->visualIndex(logical) != logical) header->moveSection(header->visualIndex(logical), logical);
  const QScopedValueRollback<bool> sizing(sizingColumns_, true);
  const std::vector<int32_t> widths = ColumnPixelWidths(layout, ListClientWidth());
  model_->SetColumns(std::move(layout));
  for (size_t i = 0; i < widths.size(); ++i) header->resizeSection(static_cast<int>(i), std::max(widths[i], 0));
  if (results_.sortColumn() >= 0) {
    const int at = model_->ModelColumnOf(results_.sortColumn());
    header->setSortIndicatorShown(at >= 0);
    if (at >= 0) header->setSortIndicator(at, results_.ascending() ? Qt::AscendingOrder : Qt::DescendingOrder);
  }
}

bool ResultsPane::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_->viewport() && event->type() == QEvent::Resize) FitStretchColumns();
  // The keyboard's ways to the context menu: the Menu key and Shift+F10.
  if (watched == view_ && event->type() == QEvent::ContextMenu &&
      static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
    ShowKeyboardContextMenu();
    return true;
  }
  if (watched == view_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
      ShowKeyboardContextMenu();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void ResultsPane::FitStretchColumns() {
  // The stretch columns share what the other columns leave of the list's
  // width, as the list grows and shrinks with the window.
  if (!columnsBuilt_ || model_->columns().empty()) return;
  const QScopedValueRollback<bool> sizing(sizingColumns_, true);
  QHeaderView* header = view_->horizontalHeader();
  if (defaultsFollowWidth_) {
    const std::vector<int32_t> widths = ColumnPixelWidths(DefaultColumnLayout(ListClientWidth()), ListClientWidth());
    for (size_t i = 0; i < widths.size(); ++i) header->resizeSection(static_cast<int>(i), std::max(widths[i], 0));
    return;
  }
  ColumnLayout layout = model_->columns();
  for (size_t i = 0; i < layout.size(); ++i)
    if (!(layout[i].flags & kColumnStretch)) layout[i].width = header->sectionSize(static_cast<int>(i));
  const std::vector<int32_t> widths = ColumnPixelWidths(layout, ListClientWidth());
  for (size_t i = 0; i < widths.size() && i < layout.size(); ++i)
    if (layout[i].flags & kColumnStretch) header->resizeSection(static_cast<int>(i), std::max(widths[i], 0));
}

ColumnLayout ResultsPane::ScreenOrderLayout() const {
  const QHeaderView* header = view_->horizontalHeader();
  const ColumnLayout& cols = model_->columns();
  ColumnLayout out;
  for (int visual = 0; visual < header->count(); ++visual) {
    const int logical = header->logicalIndex(visual);
    if (logical >= 0 && logical < static_cast<int>(cols.size())) out.push_back(cols[static_cast<size_t>(logical)]);
  }
  return out;
}

std::vector<int32_t> ResultsPane::ScreenColumns() const {
  std::vector<int32_t> ids;
  for (const ColumnLayoutEntry& e : ScreenOrderLayout()) ids.push_back(e.column);
  return ids;
}

void ResultsPane::SaveColumnLayout() { columnsBinder_->Save(); }

void ResultsPane::RestoreDefaultColumns() {
  if (searching_) return;
  columnsBinder_->RestoreDefaults();
}

void ResultsPane::ToggleColumn(int32_t column) {
  if (searching_) return;
  ColumnLayout layout = ScreenOrderLayout();
  const QHeaderView* header = view_->horizontalHeader();
  // Keep the widths the user gave the columns.
  for (ColumnLayoutEntry& e : layout)
    if (!(e.flags & kColumnStretch)) e.width = header->sectionSize(model_->ModelColumnOf(e.column));
  defaultsFollowWidth_ = false;
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

void ResultsPane::SortBy(int32_t column) {
  if (searching_ || results_.empty()) return;
  if (!results_.SortOffered(column)) return;
  if (!results_.detailsComplete()) StopDetails();
  // The rows leave the view while they are sorted on the worker thread, as
  // the list is emptied and filled again, so the view never reads an entry
  // the sort is moving.
  BusyTexts texts;
  texts.range = results_.size();
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
  ShowCount();
  if (!results_.detailsComplete()) detailsTimer_.start();
}

void ResultsPane::ShowHeaderMenu(const QPoint& pos) {
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
  commands_.Update();
  commands_.Present(&menu, kCmdDefaultColumns, QStringLiteral("Restore &Default Columns"));
  menu.exec(view_->horizontalHeader()->mapToGlobal(pos));
}

std::vector<size_t> ResultsPane::SelectedRows() const {
  std::vector<size_t> rows;
  for (const QItemSelectionRange& r : view_->selectionModel()->selection())
    for (int row = r.top(); row <= r.bottom(); ++row) rows.push_back(static_cast<size_t>(row));
  return rows;
}

int32_t ResultsPane::ColumnAt(const QPoint& viewportPos) const {
  const int logical = view_->columnAt(viewportPos.x());
  if (logical < 0 || logical >= static_cast<int>(model_->columns().size())) return -1;
  return model_->columns()[static_cast<size_t>(logical)].column;
}

int ResultsPane::RunBusyWork(const BusyTexts& texts, const std::function<int(BusyProgress&)>& work) {
  // Messages that change the results wait until the work is done.
  RunHold hold = run_.Hold();
  const int r = RunBusy(window(), texts, work);
  const uint32_t err = GetLastError();
  hold.Release();
  SetLastError(err);
  return r;
}

void ResultsPane::CopyRows() {
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
    const bool ok = CopyRowsText(results_, rows, columns, full, text, [&](size_t i) {
      progress.SetPosition(i);
      return progress.Cancelled();
    });
    cancelled = progress.Cancelled();
    return ok ? 1 : 0;
  });
  if (r == 1) QApplication::clipboard()->setText(ToQ(text));
  else if (r == 0 && !cancelled) EventLog::LogFormat(L"Copying the selected results failed");
}

void ResultsPane::CopyColumn(int32_t column) {
  if (searching_) return;
  const std::vector<size_t> rows = SelectedRows();
  if (rows.empty() || column < 0) return;
  std::wstring text;
  const bool full = model_->fullSymbols();
  BusyTexts texts;
  texts.range = rows.size();
  bool cancelled = false;
  const int r = RunBusyWork(texts, [&](BusyProgress& progress) {
    const bool ok = CopyColumnText(results_, rows, column, full, text, [&](size_t i) {
      progress.SetPosition(i);
      return progress.Cancelled();
    });
    cancelled = progress.Cancelled();
    return ok ? 1 : 0;
  });
  if (r == 1) QApplication::clipboard()->setText(ToQ(text));
  else if (r == 0 && !cancelled) EventLog::LogFormat(L"colId=0x%x: %ls", column, L"the column has no text");
}

std::wstring ResultsPane::SelectedImage() const {
  const std::vector<size_t> rows = SelectedRows();
  return rows.size() == 1 ? results_.imagePath(rows.front()) : std::wstring();
}

bool ResultsPane::FirstSelectedSubject(ImageInfoSubject& subject) const {
  if (!view_->selectionModel()) return false;
  int first = -1;
  for (const QItemSelectionRange& r : view_->selectionModel()->selection())
    if (first < 0 || r.top() < first) first = r.top();
  if (first < 0 || static_cast<size_t>(first) >= results_.size()) return false;
  subject = ImageInfoSubjectOf(results_.Entry(static_cast<size_t>(first)),
                               results_.winApiSearch() ? kSearchForSymbols : kSearchForImportLibs);
  return true;
}

void ResultsPane::CopyImagePath() {
  const std::wstring image = SelectedImage();
  if (!image.empty()) QApplication::clipboard()->setText(ToQ(image));
}

void ResultsPane::SelectAll() {
  if (searching_) return;
  view_->selectAll();
}

void ResultsPane::Clear() {
  if (searching_) return;
  StopDetails();
  model_->Clear();
  view_->horizontalHeader()->setSortIndicatorShown(false);
  emit stateChanged();
}

bool ResultsPane::ConfirmIncompleteDetails() {
  if (!results_.NeedsIncompleteWarning(run_.followUpRunning())) return true;
  return ShowConfirmable(9, ToQ(kNotFullyProcessedQuestion), mb::kIconWarning, window()) == IDYES;
}

void ResultsPane::Save(const ReportCriteria& criteria, const ReportOutcome& outcome, const std::wstring& statusText) {
  if (searching_) return;
  if (!ConfirmIncompleteDetails()) return;
  FileDialogRequest r;
  r.caption = QStringLiteral("Save Search Results");
  r.filter = QStringLiteral("HTML File (*.html;*.htm)|*.html;*.htm|Text File (*.txt)|*.txt|All Files (*.*)|*.*|");
  r.defaultExtension = QStringLiteral("html");
  r.filterIndex = static_cast<int>(ReadFilterIndex(FilterIndexSetting::kSaveSymbolResults));
  QString path;
  if (!AppDialogs().SaveFileName(window(), r, path)) return;
  WriteFilterIndex(FilterIndexSetting::kSaveSymbolResults, static_cast<uint32_t>(r.filterIndex));

  SaveRequest request;
  request.path = ToUtf8(FromQ(path));
  request.columns = ScreenColumns();
  request.fullSymbols = model_->fullSymbols();
  request.criteria = criteria;
  request.outcome = outcome;
  request.options = ReportOptionsFromSettings(AppSettings(), statusText);
  uint32_t err = 0;
  BusyTexts texts;
  texts.text2 = QStringLiteral("Saving data in a file...");
  texts.range = results_.size();
  const int result = RunBusyWork(texts, [&](BusyProgress& progress) {
    request.cancel = [&](size_t i) {
      progress.SetPosition(i);
      return progress.Cancelled();
    };
    const int saved = tarnix::SaveResults(results_, request);
    err = GetLastError();
    return saved;
  });
  if (result < 0 && !err) err = GetLastError();  // the work never ran
  if (result < 0)
    ShowErrorBox(window(), WFormat(L"ERROR: Failed to save search results in the following file:\n\n%ls", FromQ(path).c_str()), err);
}

void ResultsPane::Preview(const ReportCriteria& criteria, const ReportOutcome& outcome, const std::wstring& statusText) {
  if (searching_) return;
  if (!ConfirmIncompleteDetails()) return;
  const QString path = TempFilePath(kTempPreview);
  const ReportOptions options = ReportOptionsFromSettings(AppSettings(), statusText);
  const std::vector<int32_t> columns = ScreenColumns();
  uint32_t err = 0;
  BusyTexts texts;
  texts.range = results_.size();
  const int result = RunBusyWork(texts, [&](BusyProgress& progress) {
    const int written = WriteHtmlReport(ToUtf8(FromQ(path)), columns, results_, criteria, outcome, options,
                                        [&](size_t i) {
                                          progress.SetPosition(i);
                                          return progress.Cancelled();
                                        });
    err = GetLastError();
    return written;
  });
  if (result < 0 && !err) err = GetLastError();  // the work never ran
  if (result == 0) return;
  if (result < 0) return ShowErrorBox(window(), L"ERROR: Failed to generate preview.", err);
  uint32_t openErr = 0;
  if (!AppDialogs().OpenUrl(QUrl::fromLocalFile(path), openErr))
    ShowErrorBox(window(), L"ERROR: Failed to open preview.", openErr);
}

void ResultsPane::StartDetails() {
  if (closing_ || searching_ || run_.followUpRunning() || results_.empty()) return;
  const ProgramSettings& s = AppSettings();
  DetailsRequest request;
  BusyTexts texts;
  texts.range = results_.size();
  const int collected = RunBusyWork(texts, [&](BusyProgress& progress) {
    return CollectDetailsWork(results_, s.undecorateCppNames, request.work, [&](size_t i) {
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
    emit stateChanged();
    return;
  }
  request.undecorationFlags = s.undecorationFlags;
  // Nothing arrives while the busy popup shows: the rows are in other hands.
  request.mayPost = [] { return !BusyPopupShowing(); };
  results_.DetailsStarted();
  if (!run_.Follow(std::make_unique<DetailsRun>(std::move(request)))) {
    // A pass that would not stop still runs; Re-Scan tries again.
    EventLog::LogFormat(L"The details pass could not start (%u)", GetLastError());
    results_.DetailsInterrupted();
  }
  emit stateChanged();
}

void ResultsPane::StopDetails() {
  detailsTimer_.stop();
  run_.StopFollowUp();
  emit stateChanged();
}

void ResultsPane::ShowKeyboardContextMenu() {
  const QModelIndex current = view_->currentIndex();
  const QRect row = current.isValid() ? view_->visualRect(current) : QRect();
  ShowContextMenu(row.isValid() && view_->viewport()->rect().intersects(row) ? row.center() : QPoint(0, 0), true);
}

void ResultsPane::ShowContextMenu(const QPoint& pos, bool keyboard) {
  const QModelIndex clicked = view_->indexAt(pos);
  if (clicked.isValid() && !view_->selectionModel()->isRowSelected(clicked.row(), QModelIndex()))
    view_->selectRow(clicked.row());
  const std::vector<size_t> rows = SelectedRows();
  const int32_t column = ColumnAt(pos);
  commands_.Update();
  // The row the menu was opened on.
  std::optional<ResultEntry> entry;
  if (clicked.isValid())
    entry = results_.Entry(static_cast<size_t>(clicked.row()));
  else if (rows.size() == 1)
    entry = results_.Entry(rows.front());

  QMenu menu(this);
  menu.setDefaultAction(commands_.Present(&menu, kCmdResultInfo, QStringLiteral("&Show Info...\tCtrl+I")));
  if (entry && clicked.isValid() && !IsOrdinalKind(entry->result.kind)) {
    const QString cell = model_->data(clicked).toString();
    if (!cell.isEmpty())
      menu.addAction(CaptionWith(QStringLiteral("Search &Online for '*'"), cell), this,
                     [this, cell] { OpenOnlineSearchOrSay(window(), FromQ(cell)); });
  }
  menu.addSeparator();
  commands_.Present(&menu, kCmdCopyResults, QStringLiteral("&Copy\tCtrl+C"));
  if (column >= 0)
    menu.addAction(ToQ(CopyColumnMenuText(column)), this, [this, column] { CopyColumn(column); })
        ->setEnabled(!rows.empty());
  menu.addAction(QStringLiteral("Copy &Image Path"), this, [this] { CopyImagePath(); })->setEnabled(rows.size() == 1);
  commands_.Present(&menu, kCmdSelectAllResults, QStringLiteral("Select &All\tCtrl+A"));
  if (rescanOffered()) commands_.Present(&menu, kCmdRescan, QStringLiteral("R&e-Scan List"));
  menu.addSeparator();
  commands_.Fill(&menu, {kCmdPreview});

  if (entry && clicked.isValid()) {
    const std::wstring& image = entry->result.file;
    const std::wstring module =
        ResolveModulePath(image, entry->result.module, entry->result.properties.imageType, ProgramWindowsRoot());
    const ModuleMenu items(window(), criteria_);
    if (!module.empty()) {
      menu.addSeparator();
      items.AddSearchItems(&menu, module);
    }
    menu.addSeparator();
    items.Add(&menu, ModuleItem::kShowInFileManager, image, "Open '*' in &Windows Explorer");
    if (module != image) items.Add(&menu, ModuleItem::kShowInFileManager, module, "Open '*' in Windows E&xplorer");
    items.Add(&menu, ModuleItem::kOpenFolder, image, "Open &Folder in Windows Explorer");
    items.Add(&menu, ModuleItem::kProperties, image, "Proper&ties: '*'...");
    if (module != image) items.Add(&menu, ModuleItem::kProperties, module, "Proper&ties: '*'...");
  }
  if (keyboard) menu.setActiveAction(menu.defaultAction());
  menu.exec(view_->viewport()->mapToGlobal(pos));
}

}  // namespace tarnix::gui
