// Confirmable message boxes as the windows raise them: stored and
// suppressed answers, refusals, and the check box that suppresses a box.
#include <QWidget>

#include "core/registry_settings.h"
#include "gui/app/confirmable.h"
#include "gui/app/dialogs.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "tools/message_box_table.h"

namespace tarnix::gui::test {
namespace {

RegistrySettings Answers() {
  return RegistrySettings(RegistrySettings::SectionKey(L"Settings\\DontShowMsgs"));
}

const MessageBoxRow& Row(int id) { return *FindMessageBoxRow(id); }

}  // namespace

class ConfirmableTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    for (const MessageBoxRow& row : MessageBoxTable()) {
      RemoveStoredAnswer(row);
      SetSuppressed(row, false);
    }
  }

  void shownBoxHasTheCaptionButtonsIconAndCheckBox() {
    FakeDialogs dialogs;
    QWidget owner;
    dialogs.AnswerMessageBox(IDCANCEL);
    QCOMPARE(ShowConfirmable(9, QStringLiteral("The list is not fully processed."),
                             mb::kIconWarning | mb::kYesNo, &owner),
             IDCANCEL);
    QCOMPARE(dialogs.boxes.size(), size_t(1));
    const MessageBoxCall& box = dialogs.boxes[0];
    QCOMPARE(box.caption, QStringLiteral("Tarnix"));
    QCOMPARE(box.text, QStringLiteral("The list is not fully processed."));
    QVERIFY(box.withCheck);
    // The row's buttons win over the caller's; Yes (the default) is the
    // first button.
    QCOMPARE(box.type, mb::kIconWarning | mb::kYesNoCancel);
    QVERIFY(dialogs.unexpected.isEmpty());
    QCOMPARE(QString::fromUtf8(kDontShowAgainText),
             QStringLiteral("In the future, do not show me this dialog"));
  }

  void storedAnswerIsTheDefaultButtonAndAnAnswerOfThreeIsIgnored() {
    FakeDialogs dialogs;
    Answers().SetDword(Row(5).key, IDYES);
    dialogs.AnswerMessageBox(IDNO);
    QCOMPARE(ShowConfirmable(5, QStringLiteral("Save?"), mb::kIconQuestion, nullptr), IDNO);
    QCOMPARE(dialogs.boxes.back().type, mb::kIconQuestion | mb::kYesNoCancel);
    Answers().SetDword(Row(5).key, 3);  // no such answer: the row's No
    dialogs.AnswerMessageBox(IDYES);
    QCOMPARE(ShowConfirmable(5, QStringLiteral("Save?"), mb::kIconQuestion, nullptr), IDYES);
    QCOMPARE(dialogs.boxes.back().type, mb::kIconQuestion | mb::kYesNoCancel | mb::kDefButton2);
  }

  void suppressedBoxAnswersWithoutShowing() {
    FakeDialogs dialogs;
    // Unchecked on the Message Boxes page: the overlap warning says Yes.
    SetSuppressed(Row(7), true);
    SetLastError(ERROR_ACCESS_DENIED);
    QCOMPARE(ShowConfirmable(7, QStringLiteral("Ranges overlap."), mb::kIconWarning, nullptr), IDYES);
    QCOMPARE(GetLastError(), ERROR_SUCCESS);
    // Suppressed with a stored No.
    SetSuppressed(Row(5), true);
    Answers().SetDword(Row(5).key, IDNO);
    QCOMPARE(ShowConfirmable(5, QStringLiteral("Save?"), 0, nullptr), IDNO);
    // A stored answer the row may not keep gives its default.
    Answers().SetDword(Row(5).key, IDCANCEL);
    QCOMPARE(ShowConfirmable(5, QStringLiteral("Save?"), 0, nullptr), IDNO);
    Answers().SetDword(Row(5).key, 3);
    QCOMPARE(ShowConfirmable(5, QStringLiteral("Save?"), 0, nullptr), IDNO);
    QVERIFY(dialogs.boxes.empty());
  }

  void unknownIdAndEmptyTextFailWithoutABox() {
    FakeDialogs dialogs;
    SetLastError(0);
    QCOMPARE(ShowConfirmable(42, QStringLiteral("Text"), 0, nullptr), -1);
    QCOMPARE(GetLastError(), ERROR_UNKNOWN_ID);
    QCOMPARE(ShowConfirmable(0, QStringLiteral("Text"), 0, nullptr), -1);
    QCOMPARE(GetLastError(), ERROR_UNKNOWN_ID);
    QCOMPARE(ShowConfirmable(1, QString(), 0, nullptr), -1);
    QCOMPARE(GetLastError(), ERROR_EMPTY_TEXT);
    // Even a suppressed box refuses an empty text.
    SetSuppressed(Row(1), true);
    QCOMPARE(ShowConfirmable(1, QString(), 0, nullptr), -1);
    QCOMPARE(GetLastError(), ERROR_EMPTY_TEXT);
    QVERIFY(dialogs.boxes.empty());
  }

  void tickingTheCheckBoxKeepsTheAnswerAndSuppressesTheBox() {
    FakeDialogs dialogs;
    dialogs.AnswerMessageBox(IDNO, true);
    QCOMPARE(ShowConfirmable(5, QStringLiteral("Save?"), mb::kIconQuestion, nullptr), IDNO);
    QCOMPARE(Answers().GetDword(Row(5).key, 0), uint32_t(IDNO));
    QVERIFY(IsSuppressed(Row(5)));
    QCOMPARE(ShowConfirmable(5, QStringLiteral("Save?"), mb::kIconQuestion, nullptr), IDNO);
    QCOMPARE(dialogs.boxes.size(), size_t(1));

    // An OK-only confirmation.
    dialogs.AnswerMessageBox(IDOK, true);
    QCOMPARE(ShowConfirmable(3, QStringLiteral("Done."), mb::kIconInformation, nullptr), IDOK);
    QCOMPARE(dialogs.boxes.back().type, mb::kIconInformation | mb::kOk);
    QCOMPARE(ShowConfirmable(3, QStringLiteral("Done."), mb::kIconInformation, nullptr), IDOK);
    QCOMPARE(dialogs.boxes.size(), size_t(2));
  }

  // Row 9 keeps only Yes: ticking the box with No or Cancel must not make
  // the next save answer Yes for the user.
  void rowNineKeepsOnlyYes() {
    FakeDialogs dialogs;
    dialogs.AnswerMessageBox(IDNO, true);
    dialogs.AnswerMessageBox(IDCANCEL, true);
    dialogs.AnswerMessageBox(IDYES, false);
    const QString text = QStringLiteral("Save anyway?");
    QCOMPARE(ShowConfirmable(9, text, mb::kIconWarning, nullptr), IDNO);
    QCOMPARE(ShowConfirmable(9, text, mb::kIconWarning, nullptr), IDCANCEL);
    QCOMPARE(ShowConfirmable(9, text, mb::kIconWarning, nullptr), IDYES);
    QVERIFY(!IsSuppressed(Row(9)));
    QCOMPARE(Answers().GetDword(Row(9).key, 0), 0u);
    QCOMPARE(dialogs.boxes.size(), size_t(3));
    dialogs.AnswerMessageBox(IDYES, true);
    QCOMPARE(ShowConfirmable(9, text, mb::kIconWarning, nullptr), IDYES);
    QCOMPARE(ShowConfirmable(9, text, mb::kIconWarning, nullptr), IDYES);
    QCOMPARE(dialogs.boxes.size(), size_t(4));
  }

  void yesNoAndOkCancelRowsWork() {
    FakeDialogs dialogs;
    MessageBoxRow yesNo = Row(5);
    yesNo.buttons = kButtonsYesNo;
    dialogs.AnswerMessageBox(IDYES, true);
    QCOMPARE(ShowConfirmable(yesNo, QStringLiteral("Go?"), mb::kIconQuestion, nullptr), IDYES);
    QCOMPARE(dialogs.boxes.back().type, mb::kIconQuestion | mb::kYesNo | mb::kDefButton2);
    QCOMPARE(ShowConfirmable(yesNo, QStringLiteral("Go?"), mb::kIconQuestion, nullptr), IDYES);
    QCOMPARE(dialogs.boxes.size(), size_t(1));

    MessageBoxRow okCancel = Row(2);
    okCancel.buttons = kButtonsOkCancel;
    dialogs.AnswerMessageBox(IDCANCEL);
    QCOMPARE(ShowConfirmable(okCancel, QStringLiteral("Go?"), 0, nullptr), IDCANCEL);
    QCOMPARE(dialogs.boxes.back().type, mb::kOkCancel);
  }
};
TARNIX_GUI_TEST(ConfirmableTest)

}  // namespace tarnix::gui::test

#include "confirmable_test.moc"
