// Every tool window, as it first opens: each control has a name for
// assistive technology and no two items of its menu bar and visible
// controls share an Alt+letter.
#include <QtTest>

#include <functional>
#include <memory>

#include "errmsg/range_set.h"
#include "gui/errmsg/err_msg_search_dlg.h"
#include "gui/errmsg/err_ranges_dlg.h"
#include "gui/settings/settings_sheet.h"
#include "gui/tools/regex_composer_dlg.h"
#include "gui/tools/try_regex_dlg.h"
#include "gui/tools/undec_cpp_name_dlg.h"
#include "platform/registry.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"

namespace tarnix::gui::test {

class ToolWindowsKeysTest : public QObject {
  Q_OBJECT

  static void Check(QWidget* w, const char* what) {
    w->show();
    QVERIFY2(QTest::qWaitForWindowExposed(w), what);
    const QStringList unnamed = UnnamedControls(w);
    QVERIFY2(unnamed.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(what, unnamed.join(QLatin1Char('|')))));
    const QStringList collisions = MnemonicCollisions(w);
    QVERIFY2(collisions.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(what, collisions.join(QLatin1Char('\n')))));
  }

 private slots:
  void init() { tarnix::Registry::DeleteTree(L"Software\\TarnixProject\\Tarnix"); }

  void everyToolWindowIsNamedAndHasNoRepeatedAltLetters() {
    FakeDialogs dialogs;
    {
      CErrMsgSearchDlg w;
      Check(&w, "Error Message Search");
    }
    {
      CErrRangesDlg w(nullptr, BuildBuiltInRangeSets().at(kWin32RangeSetId).ranges);
      Check(&w, "Error ranges");
    }
    {
      CTryRegexDlg w;
      Check(&w, "Try Regex");
    }
    {
      CRegexComposerDlg w(nullptr, L"", false);
      Check(&w, "Regex Composer");
    }
    {
      CUndecCppNameDlg w;
      Check(&w, "Undecorate C++ Symbols");
    }
    for (SettingsPage page : {SettingsPage::kGeneral, SettingsPage::kErrorSearch, SettingsPage::kMessageBoxes}) {
      CSettingsSheet w(nullptr, page);
      Check(&w, "Settings");
    }
  }
};

TARNIX_GUI_TEST(ToolWindowsKeysTest)

}  // namespace tarnix::gui::test

#include "tool_windows_keys_test.moc"
