// The status output box as a user sees it: the lines shown, the oldest
// text dropped at the capacity, separators, Escape, copy and save.
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QVBoxLayout>

#include "core/error_text.h"
#include "gui/app/text_convert.h"
#include "gui/widgets/output_text_box.h"
#include "platform/win_errors.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "support/temp_dir.h"

namespace tarnix::gui::test {

namespace {

// What the box must show for the buffer's text: CR LF as line breaks.
QString ShownFor(const std::wstring& text) {
  QString s = ToQ(text);
  s.remove(QLatin1Char('\r'));
  return s;
}

// Waits for the box to show its buffer's text.
bool ShowsItsText(const COutputTextBox& box) {
  return WaitUntil([&] { return box.toPlainText() == ShownFor(box.Text()); });
}

}  // namespace

class OutputTextBoxTest : public QObject {
  Q_OBJECT
 private slots:
  void showsTheLinesWithTheirBreaks() {
    COutputTextBox box;
    box.show();
    QVERIFY(box.AppendLine(L"first\r\nsecond"));
    QVERIFY(box.AppendLine(L"third\r"));
    QCOMPARE(box.Text(), std::wstring(L"first\r\nsecond\r\nthird\r\n"));
    QTRY_COMPARE(box.toPlainText(), QStringLiteral("first\nsecond\nthird\n"));
    QVERIFY(box.isReadOnly());
  }

  // Lines of every kind (blank, wide characters, embedded breaks, longer
  // than the box) appended with and without turns of the event loop in
  // between: whatever was dropped, the box shows exactly the buffer.
  void showsExactlyTheKeptTextAcrossOverflows() {
    COutputTextBox box;
    box.SetCapacity(1000);
    QCOMPARE(box.capacity(), 1000u);
    box.show();
    QRandomGenerator random(20240611);
    const std::wstring pieces[] = {L"", L"abc", L"\U0001F600 wide", L"two\nlines", L"x\ty",
                                   std::wstring(1500, L'L'), L"caf\u00e9"};
    int overflows = 0;
    for (int i = 0; i < 400; ++i) {
      std::wstring line = pieces[random.bounded(7)] + std::to_wstring(i);
      if (!box.AppendLine(line, random.bounded(2) == 0)) ++overflows;
      if (random.bounded(5) == 0) QVERIFY(ShowsItsText(box));
    }
    QVERIFY(ShowsItsText(box));
    QCOMPARE(box.Text().size(), size_t(1000));
    QVERIFY(overflows > 0);
  }

  // The box shows the capped text after a flood, without rebuilding its
  // document for every line. Not a timed test: the time is reported.
  void aFloodOfLinesStaysCapped() {
    COutputTextBox box;
    box.SetCapacity(100000);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QElapsedTimer timer;
    timer.start();
    int overflows = 0;
    for (int i = 0; i < 50000; ++i) {
      if (!box.AppendLine(L"Found: C:\\Windows\\System32\\kernel32.dll!CreateFileW #" +
                          std::to_wstring(i)))
        ++overflows;
      // A search delivers its lines in batches between turns of the loop.
      if (i % 200 == 199) QCoreApplication::processEvents();
    }
    const QString shown = ShownFor(box.Text());
    QVERIFY(WaitUntil([&] { return box.toPlainText() == shown; }));
    const qint64 ms = timer.elapsed();
    qInfo("50000 lines into a 100000-character box: %lld ms", static_cast<long long>(ms));
    QCOMPARE(box.Text().size(), size_t(100000));
    QVERIFY(overflows > 0);
    QCOMPARE(box.toPlainText(), shown);
    QVERIFY(box.toPlainText().endsWith(QStringLiteral("#49999\n")));
    // Scrolled to the newest line.
    QCOMPARE(box.verticalScrollBar()->value(), box.verticalScrollBar()->maximum());
    QVERIFY(box.verticalScrollBar()->maximum() > 0);
  }

  void separatorsAreNeverDoubled() {
    COutputTextBox box;
    const QString dashes(38, QLatin1Char('-'));
    QVERIFY(box.AppendSeparator());
    QVERIFY(!box.AppendSeparator());
    box.AppendLine(L"done");
    QVERIFY(box.AppendSeparator());
    QTRY_COMPARE(box.toPlainText(), dashes + QStringLiteral("\n") + QStringLiteral("done\n") +
                                        dashes + QStringLiteral("\n"));
    box.Clear();
    QCOMPARE(box.toPlainText(), QString());
    QVERIFY(box.Text().empty());
    QVERIFY(box.AppendSeparator());
    QTRY_COMPARE(box.toPlainText(), dashes + QStringLiteral("\n"));
  }

  void escapeIsSwallowedOnlyWhenAsked() {
    QDialog dialog;
    auto* box = new COutputTextBox(&dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(box);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    box->setFocus();
    box->SetSwallowEscape(true);
    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
    box->SetSwallowEscape(false);
    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
  }

  void copyPutsTheWholeTextOnTheClipboard() {
    COutputTextBox box;
    box.AppendLine(L"one");
    box.AppendLine(L"two");
    QCOMPARE(box.CopyToClipboard(), size_t(10));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("one\ntwo\n"));
  }

  void saveWritesUtf16WithItsMark() {
    FakeDialogs dialogs;
    tarnix::test::TempDir dir("save");
    const QString path = QString::fromStdString((dir.path() / "out.txt").string());
    {
      QFile old(path);  // an older, longer file is replaced, not overwritten in place
      QVERIFY(old.open(QIODevice::WriteOnly));
      old.write(QByteArray(200, 'z'));
    }
    COutputTextBox box;
    box.AppendLine(L"A\u00e9\U0001F600");
    dialogs.AnswerFile(path);
    QCOMPARE(box.SaveToFile(nullptr, 1234), 1);
    QCOMPARE(dialogs.fileDialogs.size(), size_t(1));
    const FileDialogRequest& request = dialogs.fileDialogs[0].request;
    QCOMPARE(request.filter, QStringLiteral("Text File (*.txt)|*.txt|All Files (*.*)|*.*|"));
    QCOMPARE(request.defaultExtension, QStringLiteral("txt"));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray expected("\xFF\xFE" "A\0\xE9\0\x3D\xD8\x00\xDE\r\0\n\0", 14);
    QCOMPARE(saved.readAll(), expected);

    dialogs.AnswerFile(QString());  // the user cancels
    QCOMPARE(box.SaveToFile(nullptr, 1234), 0);
    QVERIFY(dialogs.boxes.empty());
    QVERIFY(dialogs.unexpected.isEmpty());
  }

  void aFailedSaveIsShownWithTheError() {
    FakeDialogs dialogs;
    tarnix::test::TempDir dir("save");
    const QString path = QString::fromStdString((dir.path() / "missing" / "out.txt").string());
    COutputTextBox box;
    box.AppendLine(L"text");
    dialogs.AnswerFile(path);
    dialogs.AnswerMessageBox(IDOK);
    QCOMPARE(box.SaveToFile(nullptr, 7), -1);
    QCOMPARE(dialogs.boxes.size(), size_t(1));
    QCOMPARE(dialogs.boxes[0].text,
             QStringLiteral("ERROR: Failed to save contents in the following file:\n\n") + path +
                 QStringLiteral("\n\n") + ToQ(ErrorText(ERROR_PATH_NOT_FOUND)));
    QCOMPARE(dialogs.boxes[0].type & mb::kIconMask, mb::kIconError);
    QVERIFY(!QFile::exists(path));
  }
};
TARNIX_GUI_TEST(OutputTextBoxTest)

}  // namespace tarnix::gui::test

#include "output_text_box_test.moc"
