// The filter selection dialog driven as a user would: rows found by typing
// their names, checked with Space, commands from the context menus and
// their shortcuts, OK and Cancel clicked.
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include "core/registry_settings.h"
#include "gui/dialogs/multi_sel_dlg.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"

namespace tarnix::gui::test {
namespace {

QListWidget* Items(QDialog& d) { return FindChild<QListWidget>(&d, QStringLiteral("Items")); }
QListWidget* Values(QDialog& d) { return FindChild<QListWidget>(&d, QStringLiteral("Values")); }
QCheckBox* NoRestriction(QDialog& d) { return d.findChild<QCheckBox*>(); }

void Click(QDialog& d, QDialogButtonBox::StandardButton which) {
  QTest::mouseClick(d.findChild<QDialogButtonBox*>()->button(which), Qt::LeftButton);
}

// Makes the row whose name starts with `prefix` current by typing it into
// the list, as a user jumps to a row.
void GoTo(QListWidget* list, const QString& prefix) {
  list->setFocus();
  QTest::qWait(QApplication::keyboardInputInterval() + 50);  // a new search, not a longer one
  QTest::keyClicks(list, prefix);
  QVERIFY2(list->currentItem() && list->currentItem()->text().startsWith(prefix),
           qPrintable(prefix));
}

void Toggle(QListWidget* list, const QString& prefix) {
  GoTo(list, prefix);
  QTest::keyClick(list, Qt::Key_Space);
}

bool IsChecked(QListWidget* list, const QString& name) {
  const auto found = list->findItems(name, Qt::MatchExactly);
  return !found.isEmpty() && found.front()->checkState() == Qt::Checked;
}

int CheckedCount(QListWidget* list) {
  int n = 0;
  for (int i = 0; i < list->count(); ++i) n += list->item(i)->checkState() == Qt::Checked;
  return n;
}

// Opens the list's context menu with the keyboard's menu key.
QMenu* OpenMenu(QListWidget* list) {
  const QPoint pos = list->currentItem() ? list->visualItemRect(list->currentItem()).center() : QPoint(5, 5);
  QContextMenuEvent event(QContextMenuEvent::Keyboard, pos, list->viewport()->mapToGlobal(pos));
  QApplication::sendEvent(list->viewport(), &event);
  return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QStringList VisibleTexts(QMenu* menu) {
  QStringList out;
  for (QAction* a : menu->actions())
    if (a->isVisible() && !a->isSeparator()) out.push_back(a->text());
  return out;
}

// Shortcuts reach only the active window's focus widget.
void Activate(QDialog& d) {
  d.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&d));
}

// The steps a user takes in a dialog; the dialog's result is the answer.
std::function<int(QDialog&)> User(std::function<void(QDialog&)> steps) {
  return [steps](QDialog& d) {
    Activate(d);
    steps(d);
    return d.result();
  };
}

}  // namespace

class MultiSelDlgTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QApplication::setKeyboardInputInterval(150); }

  void okWithNothingCheckedGivesZero() {
    FakeDialogs dialogs;
    dialogs.onExec = User([&](QDialog& d) {
      QCOMPARE(d.windowTitle(), QStringLiteral("'PE Header Subsystems' Filter"));
      QCOMPARE(NoRestriction(d)->text(), QStringLiteral("Match &All"));
      QVERIFY(NoRestriction(d)->isChecked());
      QCOMPARE(Items(d)->count(), 15);
      QVERIFY(!Values(d));
      QVERIFY2(UnnamedControls(&d).isEmpty(), qPrintable(UnnamedControls(&d).join(", ")));
      Click(d, QDialogButtonBox::Ok);
    });
    uint64_t mask = 0;
    QVERIFY(CMultiSelDlg::Run(nullptr, CMultiSelDlg::kSubsystems, mask, nullptr));
    QCOMPARE(mask, uint64_t(0));
    QCOMPARE(dialogs.execs, std::vector<QString>{QStringLiteral("tarnix::gui::CMultiSelDlg")});
    QVERIFY(dialogs.unexpected.isEmpty());
  }

  void bitmapResourcesNeedTheResourcesDirectory() {
    FakeDialogs dialogs;
    dialogs.onExec = User([&](QDialog& d) {
      Toggle(Items(d), QStringLiteral("Bitmap"));
      Toggle(Values(d), QStringLiteral("Bitmap"));
      QVERIFY(IsChecked(Items(d), QStringLiteral("Bitmap Resources")));
      QVERIFY(!NoRestriction(d)->isChecked());
      Click(d, QDialogButtonBox::Ok);
    });
    uint64_t mask = 0, values = 0;
    QVERIFY(CMultiSelDlg::Run(nullptr, CMultiSelDlg::kDirectories, mask, &values));
    QCOMPARE(mask, uint64_t(0));
    QCOMPARE(values, uint64_t(0));

    // With the resource directory required present the type is kept.
    dialogs.onExec = User([&](QDialog& d) {
      QVERIFY(NoRestriction(d)->isChecked());
      Toggle(Items(d), QStringLiteral("Bitmap"));
      Toggle(Values(d), QStringLiteral("Bitmap"));
      Toggle(Items(d), QStringLiteral("Resources"));
      Toggle(Values(d), QStringLiteral("Resources"));
      Click(d, QDialogButtonBox::Ok);
    });
    QVERIFY(CMultiSelDlg::Run(nullptr, CMultiSelDlg::kDirectories, mask, &values));
    QCOMPARE(mask, uint64_t(0x4000 | 0x2000000));
    QCOMPARE(values, uint64_t(0x4000 | 0x2000000));
  }

  void checkedCharacteristicWithValueOffSetsTheMaskOnly() {
    FakeDialogs dialogs;
    dialogs.onExec = User([&](QDialog& d) {
      Toggle(Items(d), QStringLiteral("DLL"));
      // The description box names the selected row and its constant.
      const QString shown = FindChild<QPlainTextEdit>(&d, QStringLiteral("Description"))->toPlainText();
      QVERIFY2(shown.contains(QStringLiteral("dynamic-link library")) &&
                   shown.endsWith(QStringLiteral("\n\nIMAGE_FILE_DLL")),
               qPrintable(shown));
      Click(d, QDialogButtonBox::Ok);
    });
    uint64_t mask = 0, values = 0x2000000;
    QVERIFY(CMultiSelDlg::Run(nullptr, CMultiSelDlg::kCharacteristics, mask, &values));
    QCOMPARE(mask, uint64_t(0x2000000));
    QCOMPARE(values, uint64_t(0x2000000));  // the stored value was on and stays on
    dialogs.onExec = User([&](QDialog& d) {
      QVERIFY(IsChecked(Items(d), QStringLiteral("DLL")));
      Toggle(Values(d), QStringLiteral("DLL"));
      Click(d, QDialogButtonBox::Ok);
    });
    QVERIFY(CMultiSelDlg::Run(nullptr, CMultiSelDlg::kCharacteristics, mask, &values));
    QCOMPARE(mask, uint64_t(0x2000000));
    QCOMPARE(values, uint64_t(0));
  }

  void noRestrictionBoxUnchecksEverything() {
    FakeDialogs dialogs;
    dialogs.onExec = User([&](QDialog& d) {
      QCOMPARE(CheckedCount(Items(d)), 2);
      QCOMPARE(CheckedCount(Values(d)), 2);
      QVERIFY(!NoRestriction(d)->isChecked());
      QTest::mouseClick(NoRestriction(d), Qt::LeftButton);
      QCOMPARE(CheckedCount(Items(d)), 0);
      QCOMPARE(CheckedCount(Values(d)), 0);
      // Checking a row clears the box again; unchecking it ticks the box.
      Toggle(Items(d), QStringLiteral("WDM"));
      QVERIFY(!NoRestriction(d)->isChecked());
      QTest::keyClick(Items(d), Qt::Key_Space);
      QVERIFY(NoRestriction(d)->isChecked());
      Click(d, QDialogButtonBox::Ok);
    });
    uint64_t mask = 0x3, values = 0x3;
    QVERIFY(CMultiSelDlg::Run(nullptr, CMultiSelDlg::kCharacteristics, mask, &values));
    QCOMPARE(mask, uint64_t(0));
    QCOMPARE(values, uint64_t(0));
  }

  // A stored Look In with a bit no row has keeps it through OK; Cancel
  // changes nothing.
  void unknownStoredBitsSurviveAndCancelKeepsTheInput() {
    FakeDialogs dialogs;
    dialogs.onExec = User([&](QDialog& d) {
      QCOMPARE(d.windowTitle(), QStringLiteral("'Look In' Filter"));
      QVERIFY(IsChecked(Items(d), QStringLiteral("Look in \"Export\" table")));
      QVERIFY(!NoRestriction(d)->isChecked());
      Toggle(Items(d), QStringLiteral("Look in \"Import"));
      Click(d, QDialogButtonBox::Ok);
    });
    uint64_t mask = 0x100 | 0x1;
    QVERIFY(CMultiSelDlg::Run(nullptr, CMultiSelDlg::kLookIn, mask, nullptr));
    QCOMPARE(mask, uint64_t(0x100 | 0x2 | 0x1));
    dialogs.onExec = User([&](QDialog& d) {
      QTest::mouseClick(NoRestriction(d), Qt::LeftButton);
      Click(d, QDialogButtonBox::Cancel);
    });
    QVERIFY(!CMultiSelDlg::Run(nullptr, CMultiSelDlg::kLookIn, mask, nullptr));
    QCOMPARE(mask, uint64_t(0x103));
    QVERIFY(!CMultiSelDlg::Run(nullptr, 6, mask, nullptr));
    QCOMPARE(dialogs.execs.size(), size_t(2));  // a use out of range opens nothing
  }

  void contextMenuCommandsAndShortcuts() {
    FakeDialogs dialogs;
    dialogs.onExec = User([&](QDialog& d) {
      QListWidget* items = Items(d);
      QListWidget* values = Values(d);
      items->setFocus();
      QTest::keyClick(items, Qt::Key_A, Qt::ControlModifier);
      QCOMPARE(CheckedCount(items), 25);
      QVERIFY(!NoRestriction(d)->isChecked());
      QTest::keyClick(items, Qt::Key_U, Qt::ControlModifier);
      QCOMPARE(CheckedCount(items), 0);
      QVERIFY(NoRestriction(d)->isChecked());

      // Two rows selected: the selection commands, no online search.
      GoTo(items, QStringLiteral("DLL"));
      QTest::keyClick(items, Qt::Key_Down, Qt::ShiftModifier);  // and "Executable"
      QCOMPARE(values->selectedItems().size(), 2);  // the values list follows
      QMenu* menu = OpenMenu(items);
      QVERIFY(menu);
      QCOMPARE(VisibleTexts(menu),
               (QStringList{"&Check All\tCtrl+A", "Check &Selected", "Check Selected &Values",
                            "&Uncheck All\tCtrl+U", "Uncheck S&elected", "Uncheck Selected Va&lues"}));
      QTest::keyClick(menu, Qt::Key_S);
      QVERIFY(IsChecked(items, QStringLiteral("DLL")) && IsChecked(items, QStringLiteral("Executable")));
      QCOMPARE(CheckedCount(items), 2);
      QTest::keyClick(OpenMenu(items), Qt::Key_V);
      QCOMPARE(CheckedCount(values), 2);
      QTest::keyClick(OpenMenu(items), Qt::Key_L);
      QCOMPARE(CheckedCount(values), 0);
      QTest::keyClick(OpenMenu(items), Qt::Key_E);
      QCOMPARE(CheckedCount(items), 0);

      // One row with a constant: search it online, the browser failing once.
      GoTo(items, QStringLiteral("DLL"));
      menu = OpenMenu(items);
      QVERIFY(VisibleTexts(menu).contains(QStringLiteral("Search &Online for 'IMAGE_FILE_DLL'")));
      QTest::keyClick(menu, Qt::Key_O);
      dialogs.openUrlSucceeds = false;
      dialogs.AnswerMessageBox(IDOK);
      QTest::keyClick(OpenMenu(items), Qt::Key_O);
      // A row without a constant offers no search.
      GoTo(items, QStringLiteral("VC6"));
      menu = OpenMenu(items);
      QVERIFY(!VisibleTexts(menu).join(QLatin1Char('|')).contains(QStringLiteral("Search")));
      menu->close();

      // The values list's own commands.
      Activate(d);  // the offscreen platform gives the focus back to nobody after a menu
      values->setFocus();
      QTest::keyClick(values, Qt::Key_A, Qt::ControlModifier);
      QCOMPARE(CheckedCount(values), 25);
      QCOMPARE(CheckedCount(items), 0);
      menu = OpenMenu(values);
      QCOMPARE(VisibleTexts(menu), (QStringList{"&Check All\tCtrl+A", "&Uncheck All\tCtrl+U"}));
      QTest::keyClick(menu, Qt::Key_U);
      QCOMPARE(CheckedCount(values), 0);
      Click(d, QDialogButtonBox::Cancel);
    });
    uint64_t mask = 0, values = 0;
    QVERIFY(!CMultiSelDlg::Run(nullptr, CMultiSelDlg::kCharacteristics, mask, &values));
    QCOMPARE(dialogs.urls.size(), size_t(2));
    QVERIFY2(dialogs.urls.front().toString().contains(QStringLiteral("IMAGE_FILE_DLL")),
             qPrintable(dialogs.urls.front().toString()));
    QCOMPARE(dialogs.boxes.size(), size_t(1));
    QVERIFY2(dialogs.boxes.front().text.startsWith(QStringLiteral(
                 "ERROR: Failed to open your web browser to perform online search.\n\n(")),
             qPrintable(dialogs.boxes.front().text));
    QVERIFY(dialogs.unexpected.isEmpty());
  }

  // Without values the menu has no value commands.
  void useWithoutValuesOffersNoValueCommands() {
    FakeDialogs dialogs;
    dialogs.onExec = User([&](QDialog& d) {
      GoTo(Items(d), QStringLiteral("UNDNAME_NO_ARG"));
      QMenu* menu = OpenMenu(Items(d));
      QVERIFY(menu);
      QCOMPARE(VisibleTexts(menu),
               (QStringList{"&Check All\tCtrl+A", "Check &Selected", "&Uncheck All\tCtrl+U",
                            "Uncheck S&elected", "Search &Online for 'UNDNAME_NO_ARGUMENTS'"}));
      QTest::keyClick(menu, Qt::Key_S);
      Click(d, QDialogButtonBox::Ok);
    });
    uint64_t mask = 0x1000;
    QVERIFY(CMultiSelDlg::Run(nullptr, CMultiSelDlg::kUndecorationFlags, mask, nullptr));
    QCOMPARE(mask, uint64_t(0x1000 | 0x2000));
  }

  void firstCheckedItemIsInView() {
    FakeDialogs dialogs;
    dialogs.onExec = User([&](QDialog& d) {
      QListWidget* items = Items(d);
      QCOMPARE(items->currentItem()->text(), QStringLiteral("Other Resource Types"));
      QVERIFY(items->viewport()->rect().contains(items->visualItemRect(items->currentItem())));
      const QString shown = FindChild<QPlainTextEdit>(&d, QStringLiteral("Description"))->toPlainText();
      QVERIFY(shown.startsWith(QStringLiteral("Condition for the image to have resources of named types")));
      Click(d, QDialogButtonBox::Cancel);
    });
    uint64_t mask = 0x200000000000, values = 0;  // the last row
    QVERIFY(!CMultiSelDlg::Run(nullptr, CMultiSelDlg::kDirectories, mask, &values));
    QCOMPARE(dialogs.execs.size(), size_t(1));
  }

  // Each use keeps its own placement, first sized by its own factors.
  void placementIsSavedPerUse() {
    FakeDialogs dialogs;
    QSize lookIn, dirs;
    dialogs.onExec = User([&](QDialog& d) {
      (d.windowTitle().startsWith(QStringLiteral("'Look In'")) ? lookIn : dirs) = d.size();
      Click(d, QDialogButtonBox::Cancel);
    });
    uint64_t mask = 0, values = 0;
    CMultiSelDlg::Run(nullptr, CMultiSelDlg::kLookIn, mask, nullptr);
    CMultiSelDlg::Run(nullptr, CMultiSelDlg::kDirectories, mask, &values);
    QVERIFY(lookIn.isValid() && dirs.isValid());
    const double wRatio = double(dirs.width()) / lookIn.width();
    const double hRatio = double(dirs.height()) / lookIn.height();
    QVERIFY2(wRatio > 1.9 / 1.2 - 0.05 && wRatio < 1.9 / 1.2 + 0.05, qPrintable(QString::number(wRatio)));
    QVERIFY2(hRatio > 2.1 / 1.3 - 0.05 && hRatio < 2.1 / 1.3 + 0.05, qPrintable(QString::number(hRatio)));
    RegistrySettings store;
    QCOMPARE(int(store.GetDword(L"MSLookInWnd_r", 0) - store.GetDword(L"MSLookInWnd_l", 0)),
             lookIn.width());
    QCOMPARE(int(store.GetDword(L"MSDirWnd_b", 0) - store.GetDword(L"MSDirWnd_t", 0)), dirs.height());
    // A size the user chose comes back.
    dialogs.onExec = User([&](QDialog& d) {
      d.resize(lookIn.width() + 40, lookIn.height() + 30);
      Click(d, QDialogButtonBox::Cancel);
    });
    CMultiSelDlg::Run(nullptr, CMultiSelDlg::kLookIn, mask, nullptr);
    QSize again;
    dialogs.onExec = User([&](QDialog& d) {
      again = d.size();
      Click(d, QDialogButtonBox::Cancel);
    });
    CMultiSelDlg::Run(nullptr, CMultiSelDlg::kLookIn, mask, nullptr);
    QCOMPARE(again, QSize(lookIn.width() + 40, lookIn.height() + 30));
  }
};
TARNIX_GUI_TEST(MultiSelDlgTest)

}  // namespace tarnix::gui::test

#include "multi_sel_dlg_test.moc"
