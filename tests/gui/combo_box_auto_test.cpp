// The history combo box driven like a user: typing, Enter through the
// window's default button, choosing an entry, Delete in the open list.
#include <QAbstractItemView>
#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "core/registry_settings.h"
#include "gui/widgets/combo_box_auto.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "tools/mru_history.h"

namespace tarnix::gui::test {

namespace {

QStringList Items(const QComboBox& combo) {
  QStringList out;
  for (int i = 0; i < combo.count(); ++i) out << combo.itemText(i);
  return out;
}

// A window with a history box and a default button that adds to the
// history, as the search windows do when a search starts.
struct SearchWindow {
  QDialog dialog;
  CComboBoxAuto* combo = new CComboBoxAuto(&dialog);
  QPushButton* search = new QPushButton(QStringLiteral("&Search"), &dialog);
  uint64_t option = 0;
  std::vector<uint64_t> chosen;

  explicit SearchWindow(const std::wstring& key, bool withOptions = false) {
    auto* layout = new QHBoxLayout(&dialog);
    layout->addWidget(combo);
    layout->addWidget(search);
    combo->setAccessibleName(QStringLiteral("Search for"));
    search->setDefault(true);
    QObject::connect(search, &QPushButton::clicked, [this] { combo->AddToHistory(option); });
    if (withOptions)
      combo->Attach(true, key, [this](uint64_t value) { chosen.push_back(value); });
    else
      combo->Attach(true, key);
    dialog.show();
    dialog.activateWindow();
    active = QTest::qWaitForWindowActive(&dialog);
    combo->setFocus();
  }
  bool active = false;
  void Enter(const QString& text, uint64_t withOption = 0) {
    option = withOption;
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), text);
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
  }
};

}  // namespace

class ComboBoxAutoTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    RegistrySettings store;
    store.DeleteValue(L"MRU_NumEntries");
    for (const wchar_t* key : {L"MRU_Order", L"MRU_Opts", L"MRU_Del"})
      store.DeleteValue(key);
  }

  void enterAddsNewestFirstAndKeepsTheMaximum() {
    FakeDialogs dialogs;
    RegistrySettings().SetDword(L"MRU_NumEntries", 3);
    SearchWindow w(L"Order");
    for (const char* t : {"a", "b", "c", "d"}) w.Enter(QString::fromLatin1(t));
    QCOMPARE(Items(*w.combo), (QStringList{"d", "c", "b"}));
    w.Enter(QStringLiteral("b"));
    QCOMPARE(Items(*w.combo), (QStringList{"b", "d", "c"}));
    // Blanks around the text are not part of it; blank text adds nothing.
    w.Enter(QStringLiteral("  e \t"));
    QCOMPARE(w.combo->currentText(), QStringLiteral("e"));
    QCOMPARE(Items(*w.combo), (QStringList{"e", "b", "d"}));
    w.Enter(QStringLiteral("   "));
    QCOMPARE(Items(*w.combo), (QStringList{"e", "b", "d"}));

    // Another window with the same history finds it stored.
    SearchWindow other(L"Order");
    QCOMPARE(Items(*other.combo), (QStringList{"e", "b", "d"}));
    QVERIFY(dialogs.unexpected.isEmpty() && dialogs.beeps.empty());
  }

  void choosingAnEntryHandsBackItsOption() {
    FakeDialogs dialogs;
    SearchWindow w(L"Opts", true);
    w.Enter(QStringLiteral("CreateFile"), 0x5);
    w.Enter(QStringLiteral("Reg.*Key"), 0x1);
    QVERIFY(w.chosen.empty());
    w.combo->showPopup();
    QAbstractItemView* list = w.combo->view();
    QTRY_VERIFY(list->isVisible());
    list->setFocus();
    QTest::keyClick(list, Qt::Key_End);
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(w.chosen, (std::vector<uint64_t>{0x5}));
    QCOMPARE(w.combo->Text(), std::wstring(L"CreateFile"));

    // The options survive the store.
    MruHistory stored(L"Opts", true, true);
    stored.Load();
    QCOMPARE(stored.entries().size(), size_t(2));
    QCOMPARE(stored.entries()[0].option, uint64_t(0x5));
  }

  // Typing an entry's text and leaving the box chooses nothing: the
  // owner's check boxes keep their states.
  void typingNeverChoosesAnEntry() {
    FakeDialogs dialogs;
    SearchWindow w(L"Opts", true);
    QVERIFY(w.active);
    w.Enter(QStringLiteral("CreateFile"), 0x5);
    w.combo->lineEdit()->selectAll();
    QTest::keyClicks(w.combo->lineEdit(), QStringLiteral("createfile"));
    QTest::keyClick(w.combo->lineEdit(), Qt::Key_Tab);
    QCOMPARE(w.combo->Text(), std::wstring(L"createfile"));
    w.combo->setFocus();
    w.combo->lineEdit()->selectAll();
    QTest::keyClicks(w.combo->lineEdit(), QStringLiteral("CreateFile"));
    QTest::keyClick(w.combo->lineEdit(), Qt::Key_Tab);
    QVERIFY(w.search->hasFocus());
    QVERIFY(w.chosen.empty());
    // Entered, it is a history entry of its own (the compare is exact here).
    w.combo->setFocus();
    w.Enter(QStringLiteral("CREATEFILE"), 0x2);
    QCOMPARE(w.combo->Text(), std::wstring(L"CREATEFILE"));
    QCOMPARE(Items(*w.combo), (QStringList{"CREATEFILE", "CreateFile"}));
    QVERIFY(w.chosen.empty());
  }

  void deleteInTheOpenListRemovesTheHighlightedEntry() {
    FakeDialogs dialogs;
    SearchWindow w(L"Del");
    for (const char* t : {"one", "two", "three"}) w.Enter(QString::fromLatin1(t));
    w.combo->SetText(L"typed");
    w.combo->showPopup();
    QAbstractItemView* list = w.combo->view();
    QTRY_VERIFY(list->isVisible());
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    QTest::keyClick(list, Qt::Key_Down);  // "two"
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(Items(*w.combo), (QStringList{"three", "one"}));
    QVERIFY(list->isVisible());
    QCOMPARE(w.combo->Text(), std::wstring(L"typed"));
    // The next entry is highlighted, so Delete goes on down the list.
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(Items(*w.combo), (QStringList{"three"}));
    QVERIFY(dialogs.beeps.empty());
    MruHistory stored(L"Del", true, false);
    stored.Load();
    QCOMPARE(stored.entries().size(), size_t(1));
    QCOMPARE(stored.entries()[0].text, std::wstring(L"three"));
  }

};
TARNIX_GUI_TEST(ComboBoxAutoTest)

}  // namespace tarnix::gui::test

#include "combo_box_auto_test.moc"
