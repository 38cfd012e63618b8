// The regex composer and tester windows: opened by id from the main window
// and the help window, the composer reading an expression back and handing
// its result to the pattern it was opened for, the tester's results, status
// and colours, stale evaluations dropped, dropped files, scrolling together.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBrowser>

#include "gui/app/command_set.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/window_registry.h"
#include "gui/dialogs/more_info_dlg.h"
#include "gui/mainwnd/main_commands.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "gui/tools/regex_composer_dlg.h"
#include "gui/tools/try_regex_dlg.h"
#include "gui/widgets/combo_box_auto.h"
#include "platform/registry.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"

namespace tarnix::gui::test {
namespace {

QString Results(CTryRegexDlg* w) { return w->resultsBox()->toPlainText(); }

}  // namespace

class RegexToolsTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { tarnix::Registry::DeleteTree(L"Software\\TarnixProject\\Tarnix"); }

  void testerShowsResultsStatusAndColour() {
    FakeDialogs dialogs;
    WindowRequest r;
    r.regex = L"abc || (";
    r.grammar = 1;
    auto* w = qobject_cast<CTryRegexDlg*>(OpenWindow(WindowId::kTryRegex, r));
    QVERIFY(w);
    w->textBox()->setPlainText(QStringLiteral("x\n\nX"));
    QTRY_COMPARE(Results(w), QStringLiteral("?\n?\n?"));
    QVERIFY(w->statusLine()->text().startsWith(QStringLiteral("Error: [Component 2] ")));
    QVERIFY(w->statusIsError());
    QCOMPARE(w->statusLine()->palette().color(QPalette::WindowText), QColor(192, 0, 0));
    // The case table; every change re-evaluates.
    w->expressionBox()->setEditText(QStringLiteral("x"));
    w->caseBox()->setChecked(true);
    QTRY_COMPARE(Results(w), QStringLiteral("Match\nNo Match\nNo Match"));
    QVERIFY(!w->statusIsError());
    QVERIFY(w->statusLine()->text().startsWith(QStringLiteral("Evaluated regex within ")));
    QVERIFY(w->statusLine()->text().endsWith(QStringLiteral(" as 1 component(s).")));
    w->caseBox()->setChecked(false);
    QTRY_COMPARE(Results(w), QStringLiteral("Match\nNo Match\nMatch"));
    // Basic POSIX reads "(" as a character; an empty expression matches all.
    w->expressionBox()->setEditText(QStringLiteral("X || ("));
    w->grammarBox()->setCurrentIndex(w->grammarBox()->findData(2u));
    w->textBox()->setPlainText(QStringLiteral("(\nb"));
    QTRY_COMPARE(Results(w), QStringLiteral("Match\nNo Match"));
    w->expressionBox()->setEditText(QString());
    QTRY_COMPARE(Results(w), QStringLiteral("Match\nMatch"));
    QVERIFY(UnnamedControls(w).isEmpty());
    w->close();
  }

  // Opening again brings the one window forward with the new input; the
  // focus goes to the text when there is an expression.
  void testerOpensOnceWithTheCallersInput() {
    FakeDialogs dialogs;
    WindowRequest r;
    auto* w = qobject_cast<CTryRegexDlg*>(OpenWindow(WindowId::kTryRegex, r));
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTRY_VERIFY(w->expressionBox()->hasFocus());
    r.regex = std::wstring(2000, L'a');
    r.caseSensitive = true;
    r.grammar = 4;
    QCOMPARE(OpenWindow(WindowId::kTryRegex, r), w);
    QCOMPARE(w->expressionBox()->currentText().size(), 1040);
    QVERIFY(w->caseBox()->isChecked());
    QCOMPARE(w->grammarBox()->currentText(), QStringLiteral("Extended POSIX syntax"));
    QTRY_VERIFY(w->textBox()->hasFocus());
    w->close();
  }

  // A hopeless expression on 10,000 long lines does not hold the window:
  // the next edit's answer comes and the stale one never shows.
  void newestEditWins() {
    FakeDialogs dialogs;
    auto* w = qobject_cast<CTryRegexDlg*>(OpenWindow(WindowId::kTryRegex, WindowRequest()));
    QTRY_COMPARE(w->shown(), uint64_t(1));
    QString text;
    for (int i = 0; i < 10000; ++i) text += QString(300, QLatin1Char('a')) + QLatin1Char('\n');
    w->expressionBox()->setEditText(QStringLiteral("(?=.*z)(?=.*y)(?=.*x)"));
    w->textBox()->setPlainText(text);
    w->expressionBox()->setEditText(QStringLiteral("^a"));
    QTRY_VERIFY_WITH_TIMEOUT(Results(w).startsWith(QStringLiteral("Match\nMatch")), 20000);
    QVERIFY(Results(w).endsWith(QStringLiteral("Match\nNo Match")));
    QCOMPARE(w->shown(), uint64_t(2));
    w->close();
  }

  void droppedFilesBecomeLinesAndTheBoxesScrollTogether() {
    FakeDialogs dialogs;
    auto* w = qobject_cast<CTryRegexDlg*>(OpenWindow(WindowId::kTryRegex, WindowRequest()));
    QVERIFY(QTest::qWaitForWindowExposed(w));
    w->textBox()->setPlainText(QStringLiteral("first"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.dll")), QUrl::fromLocalFile(QStringLiteral("/tmp/b c.exe"))});
    QWidget* target = w->textBox()->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QCOMPARE(w->textBox()->toPlainText(), QStringLiteral("first\n/tmp/a.dll\n/tmp/b c.exe"));

    QStringList lines;
    for (int i = 0; i < 500; ++i) lines << QString::number(i);
    w->textBox()->setPlainText(lines.join(QLatin1Char('\n')));
    QTRY_COMPARE(Results(w).count(QLatin1Char('\n')), 499);
    w->textBox()->verticalScrollBar()->setValue(200);
    QCOMPARE(w->resultsBox()->verticalScrollBar()->value(), 200);
    w->resultsBox()->verticalScrollBar()->setValue(300);
    QCOMPARE(w->textBox()->verticalScrollBar()->value(), 300);
    w->close();
  }

  // The composer reads the caller's expression into its rows, previews
  // each change, refuses OK with the row's message, and answers on OK.
  void composerReadsBackPreviewsAndAnswers() {
    FakeDialogs dialogs;
    int stage = 0;
    dialogs.onExec = [&](QDialog& d) -> int {
      auto& c = static_cast<CRegexComposerDlg&>(d);
      if (stage++ == 0) {
        [&] {
          QCOMPARE(c.modeBox()->currentData().toInt(), 1);
          QCOMPARE(c.row(0).word->text(), QStringLiteral("a.b"));
          QCOMPARE(CRegexComposerDlg::Condition(c.row(0).left), 22);
          QCOMPARE(CRegexComposerDlg::Condition(c.row(0).right), 22);
          QCOMPARE(c.row(1).word->text(), QStringLiteral("c"));
          QCOMPARE(c.preview()->text(), QStringLiteral("(\\ba\\.b\\b)|(c)"));
          // Combined words lose the "Any character" entries.
          c.row(1).left->setCurrentIndex(c.row(1).left->findData(1));
          QCOMPARE(c.row(1).left->count(), 24);
          c.modeBox()->setCurrentIndex(c.modeBox()->findData(2));
          QCOMPARE(c.row(1).left->count(), 21);
          QCOMPARE(CRegexComposerDlg::Condition(c.row(1).left), 0);
          QCOMPARE(c.preview()->text(), QStringLiteral("^(?=.*\\ba\\.b\\b)(?=.*c)"));
          c.commands().Trigger(CRegexComposerDlg::kCmdClearWords);
          QCOMPARE(c.preview()->text(), QStringLiteral("Specify at least one search word"));
          dialogs.AnswerMessageBox(IDOK);
          c.accept();
          QCOMPARE(dialogs.boxes.back().text, QStringLiteral("Specify at least one search word"));
          QVERIFY(c.isVisible());
          QTest::keyClicks(c.row(2).word, QStringLiteral("y"));
          QTest::keyClicks(c.row(0).word, QStringLiteral(" x "));
          c.row(0).beginning->setChecked(true);
          QCOMPARE(c.preview()->text(), QStringLiteral("^(?=.*^\\bx\\b)(?=.*y)"));
          c.modeBox()->setCurrentIndex(c.modeBox()->findData(3));
          QCOMPARE(c.preview()->text(), QStringLiteral("^\\bx\\b.*y"));
          // The tester opens over the composer with the composed expression.
          QVERIFY(c.commands().Trigger(CRegexComposerDlg::kCmdTryRegex));
          QVERIFY(CTryRegexDlg::Instance());
          QCOMPARE(CTryRegexDlg::Instance()->parentWidget(), &c);
          QCOMPARE(CTryRegexDlg::Instance()->expressionBox()->currentText(), QStringLiteral("^\\bx\\b.*y"));
          QTest::mouseClick(c.caseBox(), Qt::LeftButton);
          QVERIFY(c.caseSensitive());
          QTest::keyClick(c.row(0).word, Qt::Key_Return);
        }();
      } else if (stage == 3) {
        // A lone word with an "Any character" condition keeps it.
        [&] {
          QCOMPARE(c.modeBox()->currentData().toInt(), 1);
          QCOMPARE(CRegexComposerDlg::Condition(c.row(0).left), 3);
          QCOMPARE(c.preview()->text(), QStringLiteral(".+x"));
        }();
        d.reject();
      } else {
        // What does not decompose leaves the rows empty, with the stored mode.
        [&] {
          QCOMPARE(c.row(0).word->text(), QString());
          QCOMPARE(c.modeBox()->currentData().toInt(), 3);
        }();
        d.reject();
      }
      return d.result();
    };
    std::wstring composed;
    bool composedCase = false;
    WindowRequest r;
    r.regex = L"(\\ba\\.b\\b)|(c)";
    r.composed = [&](const std::wstring& regex, bool caseSensitive) {
      composed = regex;
      composedCase = caseSensitive;
    };
    QCOMPARE(OpenWindow(WindowId::kRegexComposer, r), nullptr);
    QCOMPARE(stage, 1);
    QCOMPARE(QString::fromStdWString(composed), QStringLiteral("^\\bx\\b.*y"));
    QVERIFY(composedCase);
    r.regex = L"[a-z]+";
    composed.clear();
    OpenWindow(WindowId::kRegexComposer, r);
    QCOMPARE(stage, 2);
    QVERIFY(composed.empty());
    r.regex = L".+x";
    OpenWindow(WindowId::kRegexComposer, r);
    QCOMPARE(stage, 3);
    QVERIFY(dialogs.beeps.empty());
  }

  // The main window's keys open both windows for the search string in
  // regex mode and the composer's answer lands there; the help window's
  // Ctrl+T opens the tester.
  void openersOfTheMainAndHelpWindows() {
    FakeDialogs dialogs;
    CTarnixApp app{QStringList{}};
    CTarnixDlg w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(w.commands().action(kCmdRegexComposer)->isEnabled());
    auto* search = FindChild<CComboBoxAuto>(&w, QStringLiteral("Search String"));
    QVERIFY(search);
    search->setEditText(QStringLiteral("(x)|(y)"));
    for (QCheckBox* b : w.findChildren<QCheckBox*>())
      if (b->text() == QStringLiteral("Contains re&gular expressions")) b->setChecked(true);
    dialogs.onExec = [&](QDialog& d) -> int {
      auto& c = static_cast<CRegexComposerDlg&>(d);
      if (c.row(1).word->text() != QStringLiteral("y")) return QDialog::Rejected;
      c.row(1).word->setText(QStringLiteral("z"));
      c.accept();
      return d.result();
    };
    QVERIFY(w.commands().Trigger(kCmdRegexComposer));
    QCOMPARE(dialogs.execs.size(), size_t(1));
    QCOMPARE(search->currentText(), QStringLiteral("(x)|(z)"));
    QVERIFY(w.commands().Trigger(kCmdTryRegex));
    CTryRegexDlg* tester = CTryRegexDlg::Instance();
    QVERIFY(tester);
    QCOMPARE(tester->expressionBox()->currentText(), QStringLiteral("(x)|(z)"));
    tester->close();
    QTRY_VERIFY(!CTryRegexDlg::Instance());

    CMoreInfoDlg* help = CMoreInfoDlg::Show(&w, QString());
    QVERIFY(QTest::qWaitForWindowActive(help));
    QTest::keyClick(help->findChild<QTextBrowser*>(), Qt::Key_T, Qt::ControlModifier);
    QTRY_VERIFY(CTryRegexDlg::Instance());
    QCOMPARE(CTryRegexDlg::Instance()->parentWidget(), help);
    help->close();
    QVERIFY(dialogs.unexpected.isEmpty());
  }
};
TARNIX_GUI_TEST(RegexToolsTest)

}  // namespace tarnix::gui::test

#include "regex_tools_test.moc"
