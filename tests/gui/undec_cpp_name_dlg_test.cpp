// The "Undecorate C++ Symbols" window: opened by id, the output following
// the input at once, the window's own flags from the flag selection, and
// the longest input it takes.
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "core/registry_settings.h"
#include "core/window_settings.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/window_registry.h"
#include "gui/dialogs/multi_sel_dlg.h"
#include "gui/tools/undec_cpp_name_dlg.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/undecoration_flags_link.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "tools/mru_history.h"
#include "tools/undecorate_view.h"

namespace tarnix::gui::test {

class UndecCppNameDlgTest : public QObject {
  Q_OBJECT
 private slots:
  void opensOnceByIdAndShowsTheNameAsTyped() {
    FakeDialogs dialogs;
    QWidget owner;
    owner.show();
    QWidget* opened = OpenWindow(WindowId::kUndecorate, WindowRequest(&owner));
    auto* w = qobject_cast<CUndecCppNameDlg*>(opened);
    QVERIFY(w);
    QCOMPARE(OpenWindow(WindowId::kUndecorate, WindowRequest(&owner)), opened);
    QCOMPARE(w->windowTitle(), QStringLiteral("Undecorate C++ Symbols"));
    QCOMPARE(w->flags(), AppSettings().undecorationFlags);
    QCOMPARE(UnnamedControls(w), QStringList());

    QTest::keyClicks(w->input()->lineEdit(), QStringLiteral("  ?x@@3HA "));
    QCOMPARE(w->output()->toPlainText(), QStringLiteral("int x"));
    // Only spaces: nothing.
    w->input()->lineEdit()->selectAll();
    QTest::keyClicks(w->input()->lineEdit(), QStringLiteral("   "));
    QCOMPARE(w->output()->toPlainText(), QString());
    // A name the undecorator rejects: the error form.
    w->input()->setEditText(QStringLiteral("?x@@3"));
    QCOMPARE(w->output()->toPlainText(), QStringLiteral("<ERROR: (12175) The name could not be undecorated.>"));

    // Closing keeps the name in the window's history.
    w->input()->setEditText(QStringLiteral("?x@@3HA"));
    w->close();
    QTRY_VERIFY(CUndecCppNameDlg::Instance() == nullptr);
    CUndecCppNameDlg again;
    QCOMPARE(again.input()->itemText(0), QStringLiteral("?x@@3HA"));
  }

  // The flags chosen through the flag selection are this window's only.
  void flagsChosenHereStayHere() {
    FakeDialogs dialogs;
    const uint32_t program = AppSettings().undecorationFlags;
    CUndecCppNameDlg w;
    w.show();
    w.input()->setEditText(QStringLiteral("??0bad_alloc@std@@QAE@PBD@Z"));
    const QString full = w.output()->toPlainText();
    dialogs.onExec = [](QDialog& d) {
      auto* sel = qobject_cast<CMultiSelDlg*>(&d);
      if (!sel) return int(QDialog::Rejected);
      auto* items = sel->findChild<QListWidget*>();
      for (int i = 0; i < items->count(); ++i)
        if (items->item(i)->text().contains(QStringLiteral("UNDNAME_NAME_ONLY")))
          items->item(i)->setCheckState(Qt::Checked);
      sel->accept();
      return sel->result();
    };
    emit w.flagsLink()->linkClicked(0);
    QCOMPARE(dialogs.execs.size(), size_t(1));
    QVERIFY(w.flags() & 0x1000);
    QVERIFY(w.flagsLink()->linkText().contains(QStringLiteral("<a>UNDNAME_NAME_ONLY</a>")));
    QCOMPARE(w.output()->toPlainText(), QStringLiteral("std::bad_alloc::bad_alloc"));
    QVERIFY(w.output()->toPlainText() != full);
    QCOMPARE(AppSettings().undecorationFlags, program);
    QCOMPARE(RegistrySettings().GetDword(L"UndecorCppNamesFlags", 2), 2u);
  }

  // The longest name the box takes is undecorated (or refused) at once.
  void theLongestInputIsAnswered() {
    FakeDialogs dialogs;
    CUndecCppNameDlg w;
    const QString longName = QStringLiteral("?") + QString(int(kUndecorateInputLimit) + 10, QLatin1Char('A'));
    w.input()->setEditText(longName);
    QCOMPARE(w.input()->lineEdit()->text().size(), int(kUndecorateInputLimit));
    QVERIFY(w.output()->toPlainText().startsWith(QStringLiteral("<ERROR: (")));
  }
};

TARNIX_GUI_TEST(UndecCppNameDlgTest)

}  // namespace tarnix::gui::test

#include "undec_cpp_name_dlg_test.moc"
