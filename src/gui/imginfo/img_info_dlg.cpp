#include "gui/imginfo/img_info_dlg.h"

#include <QAction>
#include <QEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGridLayout>
#include <QGuiApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "core/program_windows_root.h"
#include "core/setting_names.h"
#include "gui/app/command_set.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/module_menu.h"
#include "gui/app/placement_binder.h"
#include "gui/app/tool_window.h"
#include "gui/app/text_convert.h"
#include "gui/widgets/busy_popup.h"
#include "pe/result_kind.h"
#include "platform/languages.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "symbolsearch/module_resolver.h"
#include "tools/readable_colour.h"

namespace tarnix::gui {
namespace {

enum InfoCommand : int { kCmdCopy = 1, kCmdSelectAll, kCmdSearchOnline };

// The icon's box; the icon is drawn at 90 % of it.
constexpr int kIconBox = 48;
constexpr double kIconScale = 0.9;
// Captions of the info box's menu are cut to this many characters of the
// selected text.
constexpr int kMaxCaptionText = 40;
// Labels wider than this many average characters do not widen the column of
// values (a name read from an image may hold a TAB).
constexpr int kMaxLabelChars = 32;

QPointer<CImgInfoDlg>& OpenWindow() {
  static QPointer<CImgInfoDlg> window;
  return window;
}

// The mark drawn over the image's icon for the kind of match: an arrow into
// the image for what it imports, out of it for what it exports, a bent one
// for what it forwards; dashed when the import is delay-loaded; "#" for
// ordinals and "++" for C++ names.
struct KindMarks {
  enum Arrow { kNone, kIn, kOut, kForward } arrow = kNone;
  bool delayed = false;
  bool ordinal = false;
  bool cpp = false;
};

KindMarks MarksOf(uint32_t kind) {
  KindMarks m;
  switch (kind) {
    case kKindImportCpp: m.cpp = true; [[fallthrough]];
    case kKindImport:
    case kKindImportedLibrary: m.arrow = KindMarks::kIn; break;
    case kKindDelayImportCpp: m.cpp = true; [[fallthrough]];
    case kKindDelayImport:
    case kKindDelayImportedLibrary: m.arrow = KindMarks::kIn; m.delayed = true; break;
    case kKindImportOrdinal: m.arrow = KindMarks::kIn; m.ordinal = true; break;
    case kKindDelayImportOrdinal: m.arrow = KindMarks::kIn; m.delayed = m.ordinal = true; break;
    case kKindExportCpp: m.cpp = true; [[fallthrough]];
    case kKindExport: m.arrow = KindMarks::kOut; break;
    case kKindExportOrdinal: m.arrow = KindMarks::kOut; m.ordinal = true; break;
    case kKindExportForwardedCpp: m.cpp = true; [[fallthrough]];
    case kKindExportForwarded: m.arrow = KindMarks::kForward; break;
    default: break;
  }
  return m;
}

// A small round badge in the lower right corner with the kind's arrow, and
// a tag in the lower left for ordinals and C++ names.
void DrawMarks(QPainter& p, const QRectF& box, const KindMarks& marks, const QFont& font) {
  p.setRenderHint(QPainter::Antialiasing);
  const qreal d = box.width() * 0.5;
  if (marks.arrow != KindMarks::kNone) {
    const QRectF badge(box.right() - d, box.bottom() - d, d, d);
    const QColor fill = marks.arrow == KindMarks::kIn    ? QColor(0, 102, 204)
                        : marks.arrow == KindMarks::kOut ? QColor(0, 136, 68)
                                                         : QColor(204, 102, 0);
    p.setPen(QPen(Qt::white, d * 0.08));
    p.setBrush(fill);
    p.drawEllipse(badge.adjusted(1, 1, -1, -1));
    QPen pen(Qt::white, d * 0.12, marks.delayed ? Qt::DotLine : Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QPointF c = badge.center();
    const qreal r = d * 0.26;
    QPainterPath path;
    if (marks.arrow == KindMarks::kForward) {
      // Out and on: a bent arrow.
      path.moveTo(c + QPointF(-r, r));
      path.lineTo(c + QPointF(-r, 0));
      path.quadTo(c + QPointF(-r, -r * 0.6), c + QPointF(0, -r * 0.6));
      path.lineTo(c + QPointF(r, -r * 0.6));
      p.drawPath(path);
      pen.setStyle(Qt::SolidLine);
      p.setPen(pen);
      p.drawLine(c + QPointF(r, -r * 0.6), c + QPointF(r * 0.3, -r * 1.2));
      p.drawLine(c + QPointF(r, -r * 0.6), c + QPointF(r * 0.3, 0));
    } else {
      // Into the image points up and left, toward its middle; out of it the other way.
      const bool in = marks.arrow == KindMarks::kIn;
      const QPointF tail = c + (in ? QPointF(r, r) : QPointF(-r, -r));
      const QPointF head = c + (in ? QPointF(-r, -r) : QPointF(r, r));
      p.drawLine(tail, head);
      pen.setStyle(Qt::SolidLine);
      p.setPen(pen);
      const qreal s = in ? 1 : -1;
      p.drawLine(head, head + QPointF(s * r, 0));
      p.drawLine(head, head + QPointF(0, s * r));
    }
  }
  if (marks.ordinal || marks.cpp) {
    QFont f = font;
    f.setBold(true);
    f.setPixelSize(std::max(6, static_cast<int>(d * 0.5)));
    p.setFont(f);
    const QString tag = marks.ordinal ? QStringLiteral("#") : QStringLiteral("++");
    const QFontMetricsF fm(f);
    const QRectF tagBox(box.left(), box.bottom() - fm.height() - 2, fm.horizontalAdvance(tag) + 6, fm.height() + 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(64, 64, 64));
    p.drawRoundedRect(tagBox, 3, 3);
    p.setPen(Qt::white);
    p.drawText(tagBox, Qt::AlignCenter, tag);
  }
}

// Puts the values of the information text under each other, whatever the
// font: a line is "label:" and one or more TABs before its value (or TABs
// alone before a flag that goes on), so each line gets tab stops that bring
// its last TAB to one column just right of the widest label.
void AlignValues(QTextEdit* box) {
  QTextDocument* doc = box->document();
  const QFontMetricsF fm(box->font());
  const qreal limit = fm.averageCharWidth() * kMaxLabelChars;
  qreal column = 0;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
    const int tab = b.text().indexOf(QLatin1Char('\t'));
    const qreal w = tab < 0 ? 0 : fm.horizontalAdvance(b.text().left(tab));
    if (w <= limit) column = std::max(column, w);
  }
  column += fm.averageCharWidth() * 2;
  QTextCursor cursor(doc);
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
    const QString text = b.text();
    const int tab = text.indexOf(QLatin1Char('\t'));
    if (tab < 0) continue;
    int tabs = 0;
    while (tab + tabs < text.size() && text[tab + tabs] == QLatin1Char('\t')) ++tabs;
    const qreal label = fm.horizontalAdvance(text.left(tab));
    if (label >= column) continue;  // the default stops
    QList<QTextOption::Tab> stops;
    for (int k = 1; k < tabs; ++k) stops.append(QTextOption::Tab(label + (column - label) * k / tabs, QTextOption::LeftTab));
    stops.append(QTextOption::Tab(column, QTextOption::LeftTab));
    QTextBlockFormat format = b.blockFormat();
    format.setTabPositions(stops);
    cursor.setPosition(b.position());
    cursor.setBlockFormat(format);
  }
}

QColor ToColor(Rgb c) { return QColor(c.r, c.g, c.b); }
Rgb ToRgb(const QColor& c) {
  return {static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue())};
}

}  // namespace

CImgInfoDlg::CImgInfoDlg(QWidget* parent, std::function<CommandLineValues()> criteria)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      criteria_(std::move(criteria)) {
  setObjectName(QStringLiteral("CImgInfoDlg"));
  setModal(false);
  setSizeGripEnabled(true);
  moduleItems_ = std::make_unique<ModuleMenu>(this, [this] { return criteria_ ? criteria_() : CommandLineValues{}; });
  BuildControls();
  BuildCommands();

  // Room for the information text's usual lines, inside the screen.
  const QFontMetrics fm = fontMetrics();
  QSize size(fm.averageCharWidth() * 130, fm.lineSpacing() * 44);
  if (QScreen* s = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen())
    size = size.boundedTo(s->availableGeometry().size() * 0.9);
  resize(size.expandedTo(minimumSizeHint()));
  new PlacementBinder(this, setting::kIIDWnd, PlacementDefaults{});
}

CImgInfoDlg::~CImgInfoDlg() = default;

void CImgInfoDlg::BuildControls() {
  auto* root = new QVBoxLayout(this);
  auto* top = new QGridLayout;
  root->addLayout(top);

  icon_ = new QLabel(this);
  icon_->setAccessibleName(QStringLiteral("Image Icon"));
  icon_->setFixedSize(kIconBox, kIconBox);
  icon_->setAlignment(Qt::AlignCenter);
  top->addWidget(icon_, 0, 0, 2, 1, Qt::AlignTop);

  auto menuButton = [this](const QString& name) {
    auto* b = new QPushButton(QStringLiteral("..."), this);
    b->setAccessibleName(name);
    b->setToolTip(name);
    b->setAutoDefault(false);
    b->setFixedWidth(std::max(b->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 20, b->sizeHint().height()));
    return b;
  };
  // Paths stay readable down to the smallest size.
  const int editWidth = fontMetrics().averageCharWidth() * 28;
  auto readOnlyEdit = [this, editWidth] {
    auto* e = new QLineEdit(this);
    e->setReadOnly(true);
    e->setMinimumWidth(editWidth);
    return e;
  };

  auto* imageRow = new QHBoxLayout;
  auto* imageLabel = new QLabel(QStringLiteral("&Image:"), this);
  image_ = readOnlyEdit();
  imageLabel->setBuddy(image_);
  imageMenuButton_ = menuButton(QStringLiteral("Image File Menu"));
  imageRow->addWidget(imageLabel);
  imageRow->addWidget(image_, 1);
  imageRow->addWidget(imageMenuButton_);
  top->addLayout(imageRow, 0, 1);

  match_ = new QGroupBox(QStringLiteral("Match Type"), this);
  auto* group = new QGridLayout(match_);
  auto* moduleLabel = new QLabel(QStringLiteral("&Module Name:"), match_);
  module_ = readOnlyEdit();
  moduleLabel->setBuddy(module_);
  auto* resolvesLabel = new QLabel(QStringLiteral("&Resolves To:"), match_);
  resolvesTo_ = readOnlyEdit();
  resolvesLabel->setBuddy(resolvesTo_);
  moduleMenuButton_ = menuButton(QStringLiteral("Resolved Module Menu"));
  group->addWidget(moduleLabel, 0, 0);
  group->addWidget(module_, 0, 1, 1, 2);
  group->addWidget(resolvesLabel, 1, 0);
  group->addWidget(resolvesTo_, 1, 1);
  group->addWidget(moduleMenuButton_, 1, 2);
  group->setColumnStretch(1, 1);
  top->addWidget(match_, 1, 1);
  top->setColumnStretch(1, 1);

  // The menus are made when they open: the properties item is there only
  // while the desktop offers it.
  for (auto [button, path] : {std::pair{imageMenuButton_, &subject_.imagePath}, std::pair{moduleMenuButton_, &resolvedPath_}})
    connect(button, &QPushButton::clicked, this, [this, button, path] { ShowModuleMenu(button, *path); });

  auto* infoRow = new QHBoxLayout;
  auto* infoLabel = new QLabel(QStringLiteral("Info:"), this);
  bitness_ = new QLabel(this);
  bitness_->setAccessibleName(QStringLiteral("Image Bitness"));
  QFont bold = bitness_->font();
  bold.setBold(true);
  bitness_->setFont(bold);
  infoRow->addWidget(infoLabel);
  infoRow->addStretch(1);
  infoRow->addWidget(bitness_);
  root->addLayout(infoRow);

  info_ = new QTextEdit(this);
  info_->setAccessibleName(QStringLiteral("Info:"));
  info_->setReadOnly(true);
  info_->setAcceptRichText(false);
  // A caret that the keyboard moves through the text: a screen reader reads
  // it line by line.
  info_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  info_->setLineWrapMode(QTextEdit::NoWrap);
  info_->setTabChangesFocus(true);
  info_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(info_, &QTextEdit::customContextMenuRequested, this, &CImgInfoDlg::ShowInfoMenu);
  info_->setMinimumHeight(info_->fontMetrics().lineSpacing() * 8);
  infoLabel->setBuddy(info_);
  root->addWidget(info_, 1);

  icon_->setPixmap(style()->standardIcon(QStyle::SP_FileIcon).pixmap(kIconBox, kIconBox));
}

void CImgInfoDlg::BuildCommands() {
  commands_ = new CommandSet(this);
  auto selected = [this] { return !SelectedInfoText().isEmpty(); };
  commands_->Add(kCmdCopy, "&Copy\tCtrl+C", [this] { info_->copy(); }).Enabled(selected);
  commands_->Add(kCmdSelectAll, "Select &All\tCtrl+A", [this] { info_->selectAll(); });
  // Lines of the selection are searched as words of one query.
  commands_->Add(kCmdSearchOnline, "Search &Online for '#'", [this] {
    OpenOnlineSearchOrSay(this, FromQ(SelectedInfoText().simplified()));
  }).Enabled(selected);
  // Ctrl+C and Ctrl+A are the box's own keys, which do what these commands do.
  connect(info_, &QTextEdit::selectionChanged, commands_, &CommandSet::Update);
}

QString CImgInfoDlg::SelectedInfoText() const {
  // Lines of a selection come as paragraph separators.
  QString text = info_->textCursor().selectedText();
  text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  return text.trimmed();
}

void CImgInfoDlg::ShowInfoMenu(const QPoint& pos) {
  commands_->Update();
  QMenu menu(this);
  commands_->Fill(&menu, {kCmdCopy, kCmdSelectAll, CommandSet::kSeparator});
  QString text = SelectedInfoText().simplified();
  if (text.size() > kMaxCaptionText) text = text.left(kMaxCaptionText - 3) + QStringLiteral("...");
  commands_->Present(&menu, kCmdSearchOnline, CaptionWith(QStringLiteral("Search &Online for '#'"), text));
  menu.exec(info_->viewport()->mapToGlobal(pos));
}

void CImgInfoDlg::ShowModuleMenu(QPushButton* button, const std::wstring& path) {
  if (path.empty()) return;
  QMenu menu(this);
  moduleItems_->AddSearchItems(&menu, path);
  menu.addSeparator();
  moduleItems_->Add(&menu, ModuleItem::kSearchOnline, path, "&Search Online for '#'");
  menu.addSeparator();
  moduleItems_->Add(&menu, ModuleItem::kShowInFileManager, path, "Open '#' in &Windows Explorer...");
  moduleItems_->Add(&menu, ModuleItem::kProperties, path, "&Properties: '#'");
  menu.exec(button->mapToGlobal(QPoint(0, button->height())));
}

bool CImgInfoDlg::Fill(const ImageInfoSubject& subject) {
  ImageInfoOptions options;
  options.undecorationFlags = AppSettings().undecorationFlags;
  options.language = UserDefaultLanguage();
  ImageInfoContent content;
  // Reading the image and the module's file waits on the disk: the work
  // runs under the busy popup, which shows only when it takes long.
  auto build = [&] { content = BuildImageInfo(subject, ModuleResolver(ProgramWindowsRoot()), options); };
  QPointer<CImgInfoDlg> self(this);
  bool cancelled = false;
  QWidget* over = isVisible() ? static_cast<QWidget*>(this) : parentWidget();
  const int r = RunBusy(over, BusyTexts{}, [&](BusyProgress& progress) {
    build();
    cancelled = progress.Cancelled();
    return 1;
  });
  if (!self) return false;
  if (r < 0 && GetLastError() == ERROR_BUSY)
    build();  // other work holds the popup; this shares nothing with it
  else if (r != 1 || cancelled)
    return false;
  subject_ = subject;
  fileVersion_ = content.fileVersion;
  Show(content);
  return true;
}

void CImgInfoDlg::Show(const ImageInfoContent& c) {
  setWindowTitle(ToQ(c.title));
  match_->setTitle(ToQ(c.labels.groupCaption));
  match_->setAccessibleName(ToQ(c.labels.groupCaption));
  image_->setText(ToQ(c.imagePath));
  image_->setCursorPosition(0);
  module_->setText(ToQ(c.moduleName));
  module_->setCursorPosition(0);
  resolvesTo_->setText(ToQ(c.resolvesTo));
  resolvesTo_->setCursorPosition(0);
  resolvedPath_ = c.resolvedPath;
  imageMenuButton_->setEnabled(!c.imagePath.empty());
  moduleMenuButton_->setEnabled(!c.resolvedPath.empty());

  info_->setPlainText(ToQ(c.text));
  AlignValues(info_);
  info_->moveCursor(QTextCursor::Start);
  info_->verticalScrollBar()->setValue(0);
  info_->horizontalScrollBar()->setValue(0);
  commands_->Update();

  ShowBitness(c.bitness);
  ShowIcon(c.imagePath, subject_.kind);
}

void CImgInfoDlg::ShowBitness(const BitnessLabel& bitness) {
  bitness_->setText(ToQ(bitness.text));
  bitnessColour_ = bitness.colour;
  ColourBitness();
}

void CImgInfoDlg::ColourBitness() {
  QPalette p = palette();
  if (bitnessColour_) {
    // The fixed colour, unless the desktop's palette would make it hard to read.
    const Rgb readable = ReadableOn(RgbOfColorRef(*bitnessColour_), ToRgb(p.color(QPalette::Window)),
                                    ToRgb(p.color(QPalette::WindowText)));
    p.setColor(QPalette::WindowText, ToColor(readable));
  }
  bitness_->setPalette(p);
}

void CImgInfoDlg::ShowIcon(const std::wstring& imagePath, uint32_t kind) {
  const QIcon found = QFileIconProvider().icon(QFileInfo(ToQ(imagePath)));
  if (!found.isNull()) fileIcon_ = found;
  const QIcon base = fileIcon_.isNull() ? style()->standardIcon(QStyle::SP_FileIcon) : fileIcon_;
  const qreal ratio = devicePixelRatioF();
  QPixmap canvas(QSize(kIconBox, kIconBox) * ratio);
  canvas.setDevicePixelRatio(ratio);
  canvas.fill(Qt::transparent);
  QPainter p(&canvas);
  const int side = static_cast<int>(kIconBox * kIconScale);
  const QRect box((kIconBox - side) / 2, (kIconBox - side) / 2, side, side);
  base.paint(&p, box);
  DrawMarks(p, box, MarksOf(kind), font());
  p.end();
  icon_->setPixmap(canvas);
}

void CImgInfoDlg::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  // Another palette may need another shade of the fixed colour; another
  // font another column for the values.
  if (event->type() == QEvent::PaletteChange && bitness_) ColourBitness();
  if (event->type() == QEvent::FontChange && info_) AlignValues(info_);
}

CImgInfoDlg* CImgInfoDlg::Current() { return OpenWindow().data(); }

CImgInfoDlg* CImgInfoDlg::Open(QWidget* owner, const ImageInfoSubject& subject,
                               std::function<CommandLineValues()> criteria) {
  QPointer<CImgInfoDlg>& window = OpenWindow();
  if (!window) {
    window = new CImgInfoDlg(ToolWindowParent(owner));
    window->setAttribute(Qt::WA_DeleteOnClose);
  }
  window->criteria_ = std::move(criteria);
  const bool filled = window->Fill(subject);
  if (!window) return nullptr;
  if (!filled && !window->isVisible()) {  // cancelled before it ever showed
    window->deleteLater();
    return nullptr;
  }
  BringForward(window);
  return window;
}

}  // namespace tarnix::gui
