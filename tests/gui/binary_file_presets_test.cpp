// The binary file type picker as the main window uses it: what starts
// ticked, the keys and menus that tick rows, and what OK stores and gives
// back.
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>

#include "core/registry_settings.h"
#include "gui/dialogs/binary_file_presets.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "tools/binary_file_presets.h"

namespace tarnix::gui::test {
namespace {

constexpr uint64_t kExe = 1 << 0, kDll = 1 << 1, kSys = 1 << 2, kScr = 1 << 3, kCpl = 1 << 4,
                   kDrv = 1 << 6, kMui = 1 << 14;

const char kListName[] =
    "Check any of the following file extensions to use as the file name search filter:";

QTreeWidget* List(QWidget* dialog) { return FindChild<QTreeWidget>(dialog, QString::fromLatin1(kListName)); }

// The rows the user sees ticked, as a mask in table order.
uint64_t Ticked(QWidget* dialog) {
  QTreeWidget* list = List(dialog);
  uint64_t mask = 0;
  for (int row = 0; list && row < list->topLevelItemCount(); ++row)
    if (list->topLevelItem(row)->checkState(0) == Qt::Checked) mask |= uint64_t{1} << row;
  return mask;
}

void ClickButton(QDialog& dialog, QDialogButtonBox::StandardButton which) {
  auto* box = dialog.findChild<QDialogButtonBox*>();
  QVERIFY(box && box->button(which));
  QTest::mouseClick(box->button(which), Qt::LeftButton);
}

void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::ControlModifier) {
  QTest::keyClick(w, key, mods);
}

// The texts of the entries of a menu, without separators.
QStringList EntryTexts(const QMenu* menu) {
  QStringList texts;
  for (QAction* a : menu->actions())
    if (!a->isSeparator()) texts << a->text();
  return texts;
}

// The Menu key, as the desktop platforms turn it into a context menu
// request for the focused control (the offscreen platform does not).
void PressMenuKey(QWidget* w) {
  w->setFocus();
  const QPoint at(w->width() / 2, w->height() / 2);
  QContextMenuEvent event(QContextMenuEvent::Keyboard, at, w->mapToGlobal(at), Qt::NoModifier);
  QApplication::sendEvent(w, &event);
}

// Runs `work` on the popup menu once it is open.
void WhenMenuOpens(std::function<void(QMenu*)> work) {
  QTimer::singleShot(0, [work] {
    QMenu* menu = nullptr;
    WaitUntil([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; });
    if (!menu) {
      qWarning("no menu opened");
      return;
    }
    work(menu);
    if (menu->isVisible()) menu->close();
  });
}

}  // namespace

class BinaryFilePresetsTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { RegistrySettings().DeleteValue(setting::kBinFilePresets); }

  // What starts ticked: nothing on a first use, the stored choice for an
  // empty box, the box's own types, and nothing for any other text.
  void initialTicksFollowTheFileNameBox() {
    FakeDialogs dialogs;
    uint64_t seen = ~uint64_t{0};
    dialogs.onExec = [&](QDialog& d) {
      seen = Ticked(&d);
      ClickButton(d, QDialogButtonBox::Cancel);
      return d.result();
    };
    BinaryPresetOutcome outcome;
    QVERIFY(!CBinaryFilePresets::RunForFileName(nullptr, QString(), outcome));
    QCOMPARE(seen, uint64_t{0});

    RegistrySettings().SetQword(setting::kBinFilePresets, kSys | kDrv | (uint64_t{1} << 40));
    QVERIFY(!CBinaryFilePresets::RunForFileName(nullptr, QStringLiteral("   "), outcome));
    QCOMPARE(seen, kSys | kDrv);
    QVERIFY(!CBinaryFilePresets::RunForFileName(nullptr, QStringLiteral("*.txt"), outcome));
    QCOMPARE(seen, uint64_t{0});
    QVERIFY(!CBinaryFilePresets::RunForFileName(nullptr, QStringLiteral("(^.*\\.exe$)|(^.*\\.dll$)"), outcome));
    QCOMPARE(seen, kExe | kDll);
    // Cancel stores nothing.
    QCOMPARE(RegistrySettings().GetQword(setting::kBinFilePresets, 0), kSys | kDrv | (uint64_t{1} << 40));
    QVERIFY(dialogs.unexpected.isEmpty());
  }

  // The user ticks only ".mui" from the keyboard and confirms.
  void tickingMuiAloneGivesItsPatternAndIsStored() {
    FakeDialogs dialogs;
    QString title, extension, description;
    dialogs.onExec = [&](QDialog& d) {
      title = d.windowTitle();
      QTreeWidget* list = List(&d);
      list->setFocus();
      QTest::keyClick(list, Qt::Key_End);
      extension = list->currentItem()->text(0);
      description = list->currentItem()->text(1);
      QTest::keyClick(list, Qt::Key_Space);
      ClickButton(d, QDialogButtonBox::Ok);
      return d.result();
    };
    BinaryPresetOutcome outcome;
    QVERIFY(CBinaryFilePresets::RunForFileName(nullptr, QString(), outcome));
    QCOMPARE(title, QStringLiteral("Binary File Presets Filter"));
    QCOMPARE(extension, QStringLiteral(".mui"));
    QCOMPARE(description, QStringLiteral("Multilingual User Interface File"));
    QCOMPARE(outcome.pattern, std::wstring(L"(^.*\\.mui$)"));
    QVERIFY(outcome.regexOn);
    QCOMPARE(RegistrySettings().GetQword(setting::kBinFilePresets, 0), kMui);
    QVERIFY(dialogs.beeps.empty());
  }

  // Unticking everything gives an empty pattern, which clears the filter.
  void nothingTickedGivesNoPattern() {
    FakeDialogs dialogs;
    RegistrySettings().SetQword(setting::kBinFilePresets, kExe);
    dialogs.onExec = [&](QDialog& d) {
      (void)QTest::qWaitForWindowActive(&d);
      Key(List(&d), Qt::Key_U);
      ClickButton(d, QDialogButtonBox::Ok);
      return d.result();
    };
    BinaryPresetOutcome outcome;
    QVERIFY(CBinaryFilePresets::RunForFileName(nullptr, QString(), outcome));
    QVERIFY(outcome.pattern.empty());
    QVERIFY(!outcome.regexOn);
    QCOMPARE(RegistrySettings().GetQword(setting::kBinFilePresets, 1), uint64_t{0});
  }

  void groupKeysReplaceAndShiftedKeysMerge() {
    FakeDialogs dialogs;
    CBinaryFilePresets d(kMui);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QTreeWidget* list = List(&d);
    Key(list, Qt::Key_B);
    QCOMPARE(Ticked(&d), kExe | kDll | kSys | kCpl | kScr);
    Key(list, Qt::Key_D);
    QCOMPARE(Ticked(&d), kSys | kDrv);
    Key(list, Qt::Key_B);
    Key(list, Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(Ticked(&d), kExe | kDll | kSys | kCpl | kScr | kDrv);
    // All, none, and the flip of all.
    Key(list, Qt::Key_A);
    QCOMPARE(Ticked(&d), uint64_t{0x7FFF});
    Key(list, Qt::Key_U);
    QCOMPARE(Ticked(&d), uint64_t{0});
    Key(list, Qt::Key_R);
    Key(list, Qt::Key_T);
    QCOMPARE(Ticked(&d), uint64_t{0x7FFF} & ~(kMui | (1 << 11)));
    QCOMPARE(d.mask(), Ticked(&d));
    QVERIFY(dialogs.beeps.empty());
  }

  // The button's menu has no row commands; the list's menu has them,
  // enabled only with a selection; a group chosen with SHIFT held is added.
  void menusOfferTheCommandsAndShiftMerges() {
    FakeDialogs dialogs;
    CBinaryFilePresets d(kMui);
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    QTreeWidget* list = List(&d);
    QPushButton* button = nullptr;
    for (QPushButton* b : d.findChildren<QPushButton*>())
      if (b->text() == QStringLiteral("&Select...")) button = b;
    QVERIFY(button && button->menu());

    QStringList buttonEntries;
    WhenMenuOpens([&](QMenu* menu) {
      buttonEntries = EntryTexts(menu);
      // Shift+Return on "Select &Drivers" adds the drivers to ".mui".
      for (QAction* a : menu->actions())
        if (a->text().startsWith(QStringLiteral("Select &Drivers"))) menu->setActiveAction(a);
      QTest::keyClick(menu, Qt::Key_Return, Qt::ShiftModifier);
    });
    QTest::keyClick(button, Qt::Key_Space);
    QVERIFY(WaitUntil([&] { return !buttonEntries.isEmpty() && !QApplication::activePopupWidget(); }));
    QCOMPARE(buttonEntries,
             QStringList({QStringLiteral("Select &All\tCtrl+A"), QStringLiteral("&Unselect All\tCtrl+U"),
                          QStringLiteral("&Toggle All Selection\tCtrl+T"),
                          QStringLiteral("Hold down SHIFT to merge selection:"),
                          QStringLiteral("Select &Common Binary Files\tCtrl+B"),
                          QStringLiteral("Select &Executables\tCtrl+E"), QStringLiteral("Select &Drivers\tCtrl+D"),
                          QStringLiteral("Select &Resource Libraries\tCtrl+R")}));
    QCOMPARE(Ticked(&d), kMui | kSys | kDrv);

    // Without a selection the row commands are greyed out.
    list->clearSelection();
    QStringList disabled;
    WhenMenuOpens([&](QMenu* menu) {
      for (QAction* a : menu->actions())
        if (!a->isSeparator() && !a->isEnabled()) disabled << a->text();
    });
    list->setFocus();
    PressMenuKey(list);
    QVERIFY(WaitUntil([&] { return !disabled.isEmpty() && !QApplication::activePopupWidget(); }));
    QCOMPARE(disabled, QStringList({QStringLiteral("&Select"), QStringLiteral("U&nselect"),
                                    QStringLiteral("To&ggle Selection"),
                                    QStringLiteral("Hold down SHIFT to merge selection:")}));

    // Select ".exe" and ".mui", then "To&ggle Selection" from the list's menu
    // by its mnemonic; then a group clicked without SHIFT replaces the ticks.
    list->setCurrentItem(list->topLevelItem(0));
    list->topLevelItem(14)->setSelected(true);
    WhenMenuOpens([&](QMenu* menu) { QTest::keyClick(menu, Qt::Key_G); });
    PressMenuKey(list);
    QVERIFY(WaitUntil([&] { return !QApplication::activePopupWidget(); }));
    QCOMPARE(Ticked(&d), kExe | kSys | kDrv);
    WhenMenuOpens([&](QMenu* menu) {
      for (QAction* a : menu->actions())
        if (a->text().startsWith(QStringLiteral("Select &Executables")))
          QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
    });
    PressMenuKey(list);
    QVERIFY(WaitUntil([&] { return !QApplication::activePopupWidget(); }));
    QCOMPARE(Ticked(&d), kExe | kCpl | kScr | (uint64_t{1} << 10));
  }

  // The extension column takes 23 % of the list, the description the rest
  // less a scroll bar, also after the dialog is resized.
  void columnsFollowTheListsWidth() {
    FakeDialogs dialogs;
    CBinaryFilePresets d(0);
    d.show();
    QVERIFY(QTest::qWaitForWindowExposed(&d));
    QTreeWidget* list = List(&d);
    for (int width : {d.width(), d.width() + 240}) {
      d.resize(width, d.height());
      QVERIFY(WaitUntil([&] { return d.width() == width; }));
      QApplication::processEvents();
      const int client = list->contentsRect().width();
      const int bar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
      QCOMPARE(list->columnWidth(0), client * 23 / 100);
      QCOMPARE(list->columnWidth(1), client - client * 23 / 100 - bar);
      QVERIFY(!list->horizontalScrollBar()->isVisible());
    }
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("File Extension"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Binary File Description"));
    QVERIFY2(UnnamedControls(&d).isEmpty(), qPrintable(UnnamedControls(&d).join(QLatin1Char(','))));
  }

  // The placement is kept under "BFPWnd".
  void placementIsSaved() {
    FakeDialogs dialogs;
    dialogs.onExec = [&](QDialog& d) {
      d.resize(d.width() + 50, d.height() + 30);
      ClickButton(d, QDialogButtonBox::Cancel);
      return d.result();
    };
    uint64_t result = 7;
    QVERIFY(!CBinaryFilePresets::Run(nullptr, 0, result));
    QCOMPARE(result, uint64_t{7});
    RegistrySettings store;
    QVERIFY(store.GetDword(L"BFPWnd_r", 0) > store.GetDword(L"BFPWnd_l", 0));
    QVERIFY(store.GetDword(L"BFPWnd_b", 0) > store.GetDword(L"BFPWnd_t", 0));
  }
};
TARNIX_GUI_TEST(BinaryFilePresetsTest)

}  // namespace tarnix::gui::test

#include "binary_file_presets_test.moc"
