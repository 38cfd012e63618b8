// The settings sheet as a user drives it: opened at a page by id and only
// once, refusals that keep the sheet open at the page that refused,
// defaults, the "Try" link, the message boxes page over the confirmable
// boxes, and a General page change used by the next search of the open
// main window.
#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include "core/registry_settings.h"
#include "core/setting_names.h"
#include "gui/app/confirmable.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/window_registry.h"
#include "gui/mainwnd/main_commands.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "gui/settings/settings_err_search_page.h"
#include "gui/settings/settings_general_page.h"
#include "gui/settings/settings_msg_boxes_page.h"
#include "gui/settings/settings_sheet.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/link_label.h"
#include "gui/widgets/output_text_box.h"
#include "gui/widgets/undecoration_flags_link.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"
#include "tools/message_box_table.h"

namespace tarnix::gui::test {
namespace {

using tarnix::test::TempDir;

void Set(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

QPushButton* Button(QWidget* w, const QString& text) {
  for (QPushButton* b : w->findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

void ClickOk(CSettingsSheet& sheet) { sheet.buttons()->button(QDialogButtonBox::Ok)->click(); }

// Runs `drive` on the sheet opened by id at `page`; answers what the sheet
// ended with.
int RunSheet(FakeDialogs& dialogs, SettingsPage page, const std::function<void(CSettingsSheet&)>& drive) {
  int result = -1;
  dialogs.onExec = [&](QDialog& d) {
    auto* sheet = qobject_cast<CSettingsSheet*>(&d);
    if (!sheet) return int(QDialog::Rejected);
    sheet->show();
    drive(*sheet);
    if (sheet->isVisible()) sheet->reject();
    result = sheet->result();
    return result;
  };
  WindowRequest r;
  r.page = page;
  OpenWindow(WindowId::kSettings, r);
  return result;
}

}  // namespace

class SettingsSheetTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    for (const MessageBoxRow& row : MessageBoxTable()) {
      RemoveStoredAnswer(row);
      SetSuppressed(row, false);
    }
  }

  // Opened at the page asked for; while it is open, opening it again turns
  // the open one to the page asked for.
  void opensAtItsPageAndOnlyOnce() {
    FakeDialogs dialogs;
    QVERIFY(WindowRegistered(WindowId::kSettings));
    RunSheet(dialogs, SettingsPage::kErrorSearch, [](CSettingsSheet& sheet) {
      QCOMPARE(sheet.page(), SettingsPage::kErrorSearch);
      QCOMPARE(sheet.windowTitle(), QStringLiteral("Settings"));
      QCOMPARE(CSettingsSheet::Instance(), &sheet);
      WindowRequest again;
      again.page = SettingsPage::kMessageBoxes;
      QCOMPARE(OpenWindow(WindowId::kSettings, again), static_cast<QWidget*>(&sheet));
      QCOMPARE(sheet.page(), SettingsPage::kMessageBoxes);
    });
    QVERIFY(CSettingsSheet::Instance() == nullptr);
  }

  // Every page: each control named, no Alt letter twice.
  void everyPageIsNamedAndHasNoRepeatedAltLetters() {
    FakeDialogs dialogs;
    for (SettingsPage page : {SettingsPage::kGeneral, SettingsPage::kErrorSearch, SettingsPage::kMessageBoxes}) {
      CSettingsSheet sheet(nullptr, page);
      sheet.show();
      QVERIFY(QTest::qWaitForWindowExposed(&sheet));
      QVERIFY2(UnnamedControls(&sheet).isEmpty(), qPrintable(UnnamedControls(&sheet).join(QLatin1Char('|'))));
      QVERIFY2(MnemonicCollisions(&sheet).isEmpty(), qPrintable(MnemonicCollisions(&sheet).join(QLatin1Char('\n'))));
    }
  }

  // A value out of range: the error box with the bounds, the sheet stays
  // open at the page that refused, and nothing of that page is stored.
  void refusedValuesKeepTheSheetOpenAtTheirPage() {
    FakeDialogs dialogs;
    const uint32_t before = AppSettings().errMsgResultsMaxChars;
    const int result = RunSheet(dialogs, SettingsPage::kGeneral, [&](CSettingsSheet& sheet) {
      Set(sheet.errorSearch()->resultsSize(), QStringLiteral("16777217"));
      sheet.errorSearch()->fileExts()->setEditText(QStringLiteral(".exe; .dll,, .sys"));
      dialogs.AnswerMessageBox(IDOK);
      ClickOk(sheet);
      QVERIFY(sheet.isVisible());
      QCOMPARE(sheet.page(), SettingsPage::kErrorSearch);
      QCOMPARE(dialogs.boxes.back().text,
               QStringLiteral("Maximum size of the results window for 'Error Message Search' cannot be less than "
                              "1000 or greater than 16777216."));
      QCOMPARE(dialogs.boxes.back().type & mb::kIconMask, mb::kIconError);
      QCOMPARE(AppSettings().errMsgResultsMaxChars, before);

      sheet.errorSearch()->fileExts()->setEditText(QStringLiteral(".exe, exe"));
      Set(sheet.errorSearch()->resultsSize(), QStringLiteral("5000"));
      dialogs.AnswerMessageBox(IDOK);
      ClickOk(sheet);
      QVERIFY(dialogs.boxes.back().text.startsWith(QStringLiteral("File extensions for filtering error code search "
                                                                  "files must begin with a dot.")));
      sheet.errorSearch()->fileExts()->setEditText(QStringLiteral(".exe; .dll,, .sys"));
      ClickOk(sheet);
      QVERIFY(!sheet.isVisible());
    });
    QCOMPARE(result, int(QDialog::Accepted));
    QCOMPARE(AppSettings().errMsgResultsMaxChars, 5000u);
    QCOMPARE(ReadErrCodeSrchFileExts(RegistrySettings()), (std::vector<std::wstring>{L".exe", L".dll", L".sys"}));
    QCOMPARE(dialogs.boxes.size(), size_t(2));
  }

  // "De&faults..." asks first and fills the controls; nothing is stored
  // until the page is confirmed.
  void defaultsAskAndOnlyFillTheControls() {
    FakeDialogs dialogs;
    RunSheet(dialogs, SettingsPage::kGeneral, [&](CSettingsSheet& sheet) {
      CSettingsGeneral* g = sheet.general();
      Set(g->mruEntries(), QStringLiteral("7"));
      g->grammar()->setCurrentIndex(3);
      dialogs.AnswerMessageBox(IDNO);
      Button(g, QStringLiteral("De&faults..."))->click();
      QCOMPARE(dialogs.boxes.back().text,
               QStringLiteral("Do you want to reset controls in this window to their default values?"));
      QCOMPARE(dialogs.boxes.back().type, mb::kYesNo | mb::kIconQuestion);
      QCOMPARE(g->mruEntries()->text(), QStringLiteral("7"));
      dialogs.AnswerMessageBox(IDYES);
      Button(g, QStringLiteral("De&faults..."))->click();
      QCOMPARE(g->mruEntries()->text(), QStringLiteral("24"));
      QCOMPARE(g->grammar()->currentText(), QStringLiteral("ECMAScript syntax"));
      QCOMPARE(g->undecorationFlags()->flags(), 2u);
      Set(g->mruEntries(), QStringLiteral("9"));
    });
    // Cancelled: the store keeps its value.
    QCOMPARE(ReadMruNumEntries(RegistrySettings()), 24u);
  }

  // "Cache symbol &tables": Alt+T from anywhere on the General page turns
  // it, OK stores it, the sheet opens with it as stored, and "Defaults"
  // turns it back on.
  void cacheBoxTakesItsLetterAndIsStoredOnOk() {
    FakeDialogs dialogs;
    RunSheet(dialogs, SettingsPage::kGeneral, [&](CSettingsSheet& sheet) {
      sheet.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&sheet));
      QCheckBox* box = sheet.general()->cacheSymbols();
      QVERIFY(box->isChecked());
      QVERIFY(!box->toolTip().isEmpty());
      sheet.general()->mruEntries()->setFocus();
      QTest::keyClick(sheet.general()->mruEntries(), Qt::Key_T, Qt::AltModifier);
      QTRY_VERIFY(!box->isChecked());  // the button clicks itself after a moment
      QVERIFY(box->hasFocus());
      ClickOk(sheet);
    });
    QVERIFY(!AppSettings().cacheSymbols);
    QVERIFY(!ProgramSettings::Load(RegistrySettings()).cacheSymbols);
    RunSheet(dialogs, SettingsPage::kGeneral, [&](CSettingsSheet& sheet) {
      QVERIFY(!sheet.general()->cacheSymbols()->isChecked());
      dialogs.AnswerMessageBox(IDYES);
      Button(sheet.general(), QStringLiteral("De&faults..."))->click();
      QVERIFY(sheet.general()->cacheSymbols()->isChecked());
      ClickOk(sheet);
    });
    QVERIFY(AppSettings().cacheSymbols);
  }

  // "Try" opens the browser on the typed query (not the stored one) with
  // "Test search"; a query without the placeholder is refused first.
  void tryOpensTheTypedQuery() {
    FakeDialogs dialogs;
    RunSheet(dialogs, SettingsPage::kGeneral, [&](CSettingsSheet& sheet) {
      CSettingsGeneral* g = sheet.general();
      Set(g->onlineSearchUrl(), QStringLiteral("https://search.example/?q=%S%&x=1"));
      emit g->tryLink()->linkClicked(0);
      QCOMPARE(dialogs.urls.size(), size_t(1));
      QCOMPARE(dialogs.urls.back().toEncoded(), QByteArray("https://search.example/?q=Test%20search&x=1"));
      Set(g->onlineSearchUrl(), QStringLiteral("https://search.example/?q="));
      dialogs.AnswerMessageBox(IDOK);
      emit g->tryLink()->linkClicked(0);
      QCOMPARE(dialogs.urls.size(), size_t(1));
      QCOMPARE(dialogs.boxes.back().text,
               QStringLiteral("Online search query URL needs to contain %S% as a placeholder for the search word."));
      dialogs.openUrlSucceeds = false;
      Set(g->onlineSearchUrl(), QStringLiteral("https://search.example/?q=%S%"));
      dialogs.AnswerMessageBox(IDOK);
      emit g->tryLink()->linkClicked(0);
      QVERIFY(dialogs.boxes.back().text.startsWith(
          QStringLiteral("ERROR: Failed to open your web browser to perform online search with the specified search "
                         "string:\n\nhttps://search.example/?q=Test%20search\n\n(")));
    });
  }

  // Unchecking row 7 makes the overlap warning answer Yes without showing;
  // "&Defaults" shows every box again.
  void uncheckedBoxesAnswerTheirUserSelectionUnseen() {
    FakeDialogs dialogs;
    RunSheet(dialogs, SettingsPage::kMessageBoxes, [&](CSettingsSheet& sheet) {
      QTreeWidget* list = sheet.messageBoxes()->list();
      QCOMPARE(list->topLevelItemCount(), 9);
      QCOMPARE(list->topLevelItem(6)->text(0),
               QStringLiteral("07. Warning about overlapping error ranges in 'Search Error Ranges' window"));
      QCOMPARE(list->topLevelItem(6)->text(1), QStringLiteral("Yes"));
      list->topLevelItem(6)->setCheckState(0, Qt::Unchecked);
      // Row 5 may keep No; row 1 only OK.
      list->topLevelItem(4)->setSelected(true);
      QMenu* menu = sheet.messageBoxes()->BuildContextMenu();
      QStringList enabled;
      for (QAction* a : menu->actions())
        if (a->menu())
          for (QAction* s : a->menu()->actions())
            if (s->isEnabled()) enabled << s->text();
      QCOMPARE(enabled, (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No")}));
      delete menu;
      sheet.messageBoxes()->SetSelectedAnswer(kAnswerNo);
      QCOMPARE(list->topLevelItem(4)->text(1), QStringLiteral("No"));
      ClickOk(sheet);
    });
    QVERIFY(dialogs.boxes.empty());
    QCOMPARE(ShowConfirmable(7, QStringLiteral("Ranges overlap."), mb::kIconWarning, nullptr), IDYES);
    QVERIFY(dialogs.boxes.empty());

    RunSheet(dialogs, SettingsPage::kMessageBoxes, [&](CSettingsSheet& sheet) {
      QCOMPARE(sheet.messageBoxes()->list()->topLevelItem(6)->checkState(0), Qt::Unchecked);
      Button(sheet.messageBoxes(), QStringLiteral("&Defaults"))->click();
      QCOMPARE(sheet.messageBoxes()->list()->topLevelItem(6)->checkState(0), Qt::Checked);
      QCOMPARE(sheet.messageBoxes()->list()->topLevelItem(4)->text(1), QStringLiteral("No"));
      sheet.buttons()->button(QDialogButtonBox::Apply)->click();
      QVERIFY(sheet.isVisible());
    });
    QVERIFY(!IsSuppressed(*FindMessageBoxRow(7)));
    dialogs.AnswerMessageBox(IDNO);
    QCOMPARE(ShowConfirmable(7, QStringLiteral("Ranges overlap."), mb::kIconWarning, nullptr), IDNO);
  }

  // The open main window's next search uses the grammar and undecoration
  // flags confirmed on the General page, without a restart.
  void generalPageChangesReachTheNextSearch() {
    TempDir dir;
    tarnix::test::PeBuilder b(tarnix::test::PeBuilder::Kind::kPe64);
    tarnix::test::ImportModule m;
    m.module = "KERNEL32.dll";
    m.symbols.push_back(tarnix::test::ImportSymbol::Named("?Foo@@YAXXZ", 1));
    b.Import(m);
    dir.Write("decorated.dll", b.Build().bytes);

    FakeDialogs dialogs;
    dialogs.onMessageBox = [](const MessageBoxCall&, bool&) { return IDOK; };
    CTarnixApp app{QStringList{}};
    CTarnixDlg w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto type = [&](const char* name, const QString& text) {
      auto* c = FindChild<CComboBoxAuto>(&w, QString::fromLatin1(name));
      c->lineEdit()->selectAll();
      QTest::keyClicks(c->lineEdit(), text);
    };
    type("Folder:", QString::fromStdString(dir.path().string()));
    type("Search String", QStringLiteral("Foo\\(void\\)"));
    int regexBoxes = 0;
    for (QCheckBox* c : w.findChildren<QCheckBox*>())
      if (c->text() == QStringLiteral("Contains re&gular expressions")) c->setChecked(++regexBoxes);
    QCOMPARE(regexBoxes, 1);
    auto search = [&] {
      QVERIFY(w.StartSearch());
      QTRY_VERIFY_WITH_TIMEOUT(!w.searchRunning(), 30000);
    };
    search();
    QCOMPARE(w.results().size(), size_t(1));  // "void Foo(void)"
    QVERIFY(w.statusOutput()->Text().find(L"RegexGrammar=\"ECMAScript\"") != std::wstring::npos);

    dialogs.onExec = [&](QDialog& d) {
      auto* sheet = qobject_cast<CSettingsSheet*>(&d);
      if (!sheet) return int(QDialog::Rejected);
      sheet->general()->undecorationFlags()->SetFlags(0x1000);  // the name only: "Foo"
      sheet->general()->grammar()->setCurrentIndex(sheet->general()->grammar()->findData(4u));
      ClickOk(*sheet);
      return sheet->result();
    };
    QVERIFY(w.commands().action(kCmdSettings)->isEnabled());
    QVERIFY(w.commands().Trigger(kCmdSettings));
    QCOMPARE(AppSettings().undecorationFlags, 0x1000u);
    search();
    QCOMPARE(w.results().size(), size_t(0));
    QVERIFY(w.statusOutput()->Text().find(L"RegexGrammar=\"Extended POSIX\"") != std::wstring::npos);
    w.close();
  }
};

TARNIX_GUI_TEST(SettingsSheetTest)

}  // namespace tarnix::gui::test

#include "settings_sheet_test.moc"
