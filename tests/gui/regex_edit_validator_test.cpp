// The live regex check of a search box: the invalid colour about 100 ms
// after typing, dropped at once when the regex box is unchecked.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>

#include "gui/widgets/regex_edit_validator.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "support/gui_test.h"

namespace tarnix::gui::test {

namespace {

struct SearchBox {
  QDialog dialog;
  QLineEdit* edit = new QLineEdit(&dialog);
  QCheckBox* regex = new QCheckBox(QStringLiteral("Contains regular e&xpressions"), &dialog);
  QCheckBox* caseSensitive = new QCheckBox(QStringLiteral("&Case-sensitive"), &dialog);
  uint32_t grammar = 1;
  RegexEditValidator* validator = nullptr;

  SearchBox() {
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(edit);
    layout->addWidget(regex);
    layout->addWidget(caseSensitive);
    edit->setAccessibleName(QStringLiteral("Search for"));
    validator = RegexEditValidator::Attach(edit, regex, caseSensitive, [this] { return grammar; });
    dialog.show();
    edit->setFocus();
  }
  QColor Base() const { return edit->palette().color(QPalette::Base); }
};

double Luminance(const QColor& c) {
  return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
}

}  // namespace

class RegexEditValidatorTest : public QObject {
  Q_OBJECT
 private slots:
  void anInvalidTextIsColouredAfterAPauseAndUncheckingDropsItAtOnce() {
    SearchBox w;
    QVERIFY(w.validator);
    const QColor normal = w.Base();
    QSignalSpy changes(w.validator, &RegexEditValidator::validityChanged);
    QTest::mouseClick(w.regex, Qt::LeftButton);
    QVERIFY(w.regex->isChecked());
    QElapsedTimer typed;
    QTest::keyClicks(w.edit, QStringLiteral("Create("));
    typed.start();
    QVERIFY(!w.validator->invalid());  // not before the pause
    QTRY_VERIFY(w.validator->invalid());
    QVERIFY(typed.elapsed() >= 90);
    QCOMPARE(w.Base(), QColor(255, 213, 213));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).toBool(), true);

    QTest::mouseClick(w.regex, Qt::LeftButton);  // unchecked: no waiting
    QVERIFY(!w.validator->invalid());
    QCOMPARE(w.Base(), normal);

    // Unchecked, typing never colours the box.
    QTest::keyClicks(w.edit, QStringLiteral("(("));
    QTest::qWait(300);
    QVERIFY(!w.validator->invalid());

    // Checking the box again checks the text that is there; fixing it
    // takes the colour away.
    QTest::mouseClick(w.regex, Qt::LeftButton);
    QTRY_VERIFY(w.validator->invalid());
    w.edit->selectAll();
    QTest::keyClicks(w.edit, QStringLiteral("Create(File)?W || Reg.*"));
    QTRY_VERIFY(!w.validator->invalid());
    QCOMPARE(w.Base(), normal);
  }

  void theGrammarIsReadAtEachCheck() {
    SearchBox w;
    w.regex->setChecked(true);
    QTest::keyClicks(w.edit, QStringLiteral("a("));
    QTRY_VERIFY(w.validator->invalid());
    w.grammar = 2;  // basic POSIX, where "(" is an ordinary character
    QTest::keyClicks(w.edit, QStringLiteral("b"));
    QTRY_VERIFY(!w.validator->invalid());
  }

  void theColourStaysReadableInADarkPalette() {
    SearchBox w;
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    w.dialog.setPalette(dark);
    w.regex->setChecked(true);
    QTest::keyClicks(w.edit, QStringLiteral("["));
    QTRY_VERIFY(w.validator->invalid());
    const QPalette p = w.edit->palette();
    QCOMPARE(p.color(QPalette::Base), QColor(255, 213, 213));
    QVERIFY(Luminance(p.color(QPalette::Base)) - Luminance(p.color(QPalette::Text)) > 0.6);
    w.regex->setChecked(false);
    QCOMPARE(w.edit->palette().color(QPalette::Base), QColor(30, 30, 30));
    QCOMPARE(w.edit->palette().color(QPalette::Text), QColor(230, 230, 230));
  }

  void attachRefusesMissingControlsAndASecondWatch() {
    SearchBox w;
    QVERIFY(!RegexEditValidator::Attach(w.edit, w.regex, w.caseSensitive, nullptr));
    QCOMPARE(GetLastError(), ERROR_ALREADY_ASSIGNED);
    QLineEdit other;
    QVERIFY(!RegexEditValidator::Attach(&other, nullptr, w.caseSensitive, nullptr));
    QCOMPARE(GetLastError(), ERROR_FILE_NOT_FOUND);
    QVERIFY(!RegexEditValidator::Attach(nullptr, w.regex, w.caseSensitive, nullptr));
    QCOMPARE(GetLastError(), ERROR_FILE_NOT_FOUND);
    QComboBox fixedList;  // not editable: no edit to watch
    QVERIFY(!RegexEditValidator::Attach(&fixedList, w.regex, w.caseSensitive, nullptr));
    QCOMPARE(GetLastError(), ERROR_FILE_NOT_FOUND);

    // Once detached, the box can be watched again.
    w.validator->Detach();
    auto* again = RegexEditValidator::Attach(w.edit, w.regex, w.caseSensitive, nullptr);
    QVERIFY(again);
    again->Detach();
  }

  void anEditableComboIsWatchedThroughItsEdit() {
    QDialog dialog;
    auto* combo = new QComboBox(&dialog);
    combo->setEditable(true);
    auto* regex = new QCheckBox(QStringLiteral("Regex"), &dialog);
    auto* caseBox = new QCheckBox(QStringLiteral("Case"), &dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(combo);
    layout->addWidget(regex);
    layout->addWidget(caseBox);
    auto* validator = RegexEditValidator::Attach(combo, regex, caseBox, nullptr);
    QVERIFY(validator);
    dialog.show();
    regex->setChecked(true);
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("x{2,1}"));
    QTRY_VERIFY(validator->invalid());
    QCOMPARE(combo->lineEdit()->palette().color(QPalette::Base), QColor(255, 213, 213));
    // Detached, the box looks as before and is no longer checked.
    validator->Detach();
    QVERIFY(combo->lineEdit()->palette().color(QPalette::Base) != QColor(255, 213, 213));
    // A box that goes away takes its validator with it.
    delete combo;
    QTest::qWait(10);
  }
};
TARNIX_GUI_TEST(RegexEditValidatorTest)

}  // namespace tarnix::gui::test

#include "regex_edit_validator_test.moc"
