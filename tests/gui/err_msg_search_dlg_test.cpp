// The Error Message Search window driven as a user drives it, over a
// Windows folder of message-table images from the image builder: the first
// start, the options and the summary line, the refusals, hits that equal
// what tarnix-cli prints, the results window overflowing at its smallest
// capacity, and closing while searching.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/program_windows_root.h"
#include "core/sheet_settings.h"
#include "core/window_settings.h"
#include "errmsg/range_preset_store.h"
#include "errmsg/range_set.h"
#include "gui/app/command_set.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/text_convert.h"
#include "gui/errmsg/err_msg_commands.h"
#include "gui/errmsg/err_msg_search_dlg.h"
#include "gui/errmsg/err_ranges_dlg.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/link_label.h"
#include "gui/widgets/output_text_box.h"
#include "gui/widgets/pattern_box.h"
#include "gui/widgets/search_run_bar.h"
#include "pe/resource_fixture.h"
#include "pe/system_message_sources.h"
#include "platform/registry.h"
#include "platform/text_encoding.h"
#include "support/cli_run.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "support/temp_dir.h"

namespace tarnix::gui::test {
namespace {

using tarnix::test::TempDir;
namespace fs = std::filesystem;

// A Windows folder whose System32 KernelBase.dll answers the system's
// messages ("access" in 400 of them, enough to fill the smallest results
// window many times) and whose wininet.dll answers its own. The process finds it through TARNIX_WINDOWS_ROOT, as
// tarnix-cli run from here does.
struct WindowsTree {
  TempDir drive{"drive"};
  WindowsTree() {
    const fs::path system = drive.path() / "Windows" / "System32";
    fs::create_directories(system);
    std::vector<std::string> entries;
    entries.push_back(tarnix::test::MessageEntry(u"Access is denied.\r\n"));
    entries.push_back(tarnix::test::MessageEntry(u"The handle is invalid.\r\n"));
    std::vector<tarnix::test::MessageBlock> blocks{{5, 6, entries}};
    std::vector<std::string> many;
    for (int i = 0; i < 400; ++i)
      many.push_back(tarnix::test::MessageEntry(u"Remote access number " + ToUtf16(std::to_wstring(i)) +
                                                u" was refused.\r\n"));
    blocks.push_back({20000, 20399, many});
    std::ofstream(system / "KernelBase.dll", std::ios::binary)
        << tarnix::test::BuildImage({tarnix::test::MessageTableResource(0x409, blocks)}, true).bytes;
    std::ofstream(system / "wininet.dll", std::ios::binary) << tarnix::test::BuildImage(
        {tarnix::test::MessageTableResource(
            0x409, {{12002, 12002, {tarnix::test::MessageEntry(u"The operation timed out\r\n")}}})},
        true).bytes;
    setenv("TARNIX_WINDOWS_ROOT", (drive.path() / "Windows").c_str(), 1);
  }
};

WindowsTree& Tree() {
  static WindowsTree tree;
  return tree;
}

std::vector<std::wstring> SplitLines(const std::wstring& text, const std::wstring& end) {
  std::vector<std::wstring> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t next = text.find(end, at);
    if (next == std::wstring::npos) next = text.size();
    lines.push_back(text.substr(at, next - at));
    at = next + end.size();
  }
  return lines;
}

struct Window {
  FakeDialogs dialogs;
  std::unique_ptr<CErrMsgSearchDlg> w;

  Window() {
    Tree();
    // The program installs the system's message tables at its start.
    InstallSystemMessageSources(ProgramWindowsRoot());
    w = std::make_unique<CErrMsgSearchDlg>();
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get())) qWarning("the window was not shown");
  }
  void Type(const QString& text) {
    QLineEdit* edit = w->pattern()->box()->lineEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
  }
  void Click() { QTest::mouseClick(w->runBar()->searchButton(), Qt::LeftButton); }
  bool Search() {
    Click();
    return WaitUntil([&] { return !w->searchRunning(); }, 30000);
  }
  std::vector<std::wstring> Results() const { return SplitLines(w->results()->Text(), L"\r\n"); }
};

}  // namespace

class ErrMsgSearchTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { tarnix::Registry::DeleteTree(L"Software\\TarnixProject\\Tarnix"); }

  void firstStartOptionsAndASearchWithoutHits() {
    Window win;
    // No stored ranges: the Win32 set, named by the link.
    QCOMPARE(win.w->rangesLink()->linkText(), QStringLiteral("Search &In: <a>Win32 Error Codes</a>"));
    QVERIFY(win.w->languageBox()->currentText().startsWith(QStringLiteral("User Default: ")));

    // Regular expressions turn whole words off and keep their state.
    QCheckBox* words = win.w->pattern()->wordsBox();
    words->click();
    QVERIFY(ReadErrMsgOption(ErrMsgOption::kWholeWords));
    win.w->pattern()->regexBox()->click();
    QVERIFY(ReadErrMsgOption(ErrMsgOption::kRegex));
    QVERIFY(!words->isEnabled());
    QVERIFY(words->isChecked());

    win.Type(QStringLiteral("zz[q]zz"));
    QVERIFY(win.Search());
    const std::vector<std::wstring> lines = win.Results();
    QVERIFY2(lines.size() == 3, qPrintable(ToQ(win.w->results()->Text())));
    QCOMPARE(ToQ(lines[0]), QStringLiteral("SearchWord: \"zz[q]zz\", Range: {Win32:[0 to 11999]; Win32:[12176 to "
                                           "15999]; Win32:[12000 to 12175]:Sys=\"wininet.dll\"}, Regex: Yes, CaseSensitive: No, "
                                           "Language: English (United States)"));
    QCOMPARE(ToQ(lines[1]), QStringLiteral("--------------------------------------"));
    QVERIFY(lines[2].starts_with(L"Search finished, found 0 match(es) in "));
    QVERIFY(win.dialogs.boxes.empty());
  }

  void refusesWhatCannotBeSearched() {
    Window win;
    win.Type(QStringLiteral("   "));
    win.dialogs.AnswerMessageBox(IDOK);
    win.Click();
    QCOMPARE(win.dialogs.boxes.back().text, QStringLiteral("Provide a search word to search error messages with"));
    win.w->pattern()->regexBox()->click();
    win.Type(QStringLiteral("a||("));
    win.dialogs.AnswerMessageBox(IDOK);
    win.Click();
    const QString box = win.dialogs.boxes.back().text;
    QVERIFY2(box.startsWith(QStringLiteral("Failed to evaluate the regular expression for the 'Search Word':\n\na||(\n\n"
                                           "Syntax: ")),
             qPrintable(box));
    QVERIFY(box.contains(QStringLiteral("\n\nComponent: 2\nERROR: (")));
    QVERIFY(!win.w->searchRunning());
    QVERIFY(win.w->results()->Text().empty());
  }

  void hitsEqualTheCommandLine() {
    Window win;
    // The range editor's answer: stored and named.
    win.w->SetRanges(BuildBuiltInRangeSets().at(7).ranges);
    std::vector<ErrorRange> stored;
    QVERIFY(ReadStoredRanges(stored));
    QCOMPARE(stored.size(), BuildBuiltInRangeSets().at(7).ranges.size());
    QVERIFY(win.w->rangesLink()->linkText().contains(QStringLiteral("Full HRESULT Warning/Error Range")));

    win.Type(QStringLiteral("access"));
    QVERIFY(win.Search());
    TempDir scratch;
    const auto cli = tarnix::test::RunCli(scratch, "errmsg", "access --set 7");
    QCOMPARE(cli.status, 0);
    std::vector<std::wstring> expected = SplitLines(FromUtf8(cli.out), L"\n");
    std::vector<std::wstring> shown = win.Results();
    QVERIFY(expected.size() > 400);
    QCOMPARE(shown.size(), expected.size());
    // The finish lines differ in the time taken only.
    const std::wstring finish = L"Search finished, found ";
    QVERIFY(shown.back().starts_with(finish) && expected.back().starts_with(finish));
    QCOMPARE(ToQ(shown.back().substr(0, shown.back().find(L" in "))),
             ToQ(expected.back().substr(0, expected.back().find(L" in "))));
    shown.pop_back();
    expected.pop_back();
    for (size_t i = 0; i < shown.size(); ++i) QCOMPARE(ToQ(shown[i]), ToQ(expected[i]));

    // Symbolic names, as tarnix-cli errmsg --names.
    QVERIFY(win.w->commands().Trigger(kEmsSymbolicNames));
    QVERIFY(ReadErrMsgOption(ErrMsgOption::kSymbolicNames));
    QVERIFY(win.Search());
    QVERIFY(win.w->results()->Text().find(L"5\t= Access is denied.\tERROR_ACCESS_DENIED\r\n") != std::wstring::npos);
  }

  void theLinkEditsTheRangesAndOkStoresThem() {
    Window win;
    std::vector<ErrorRange> edited;
    win.dialogs.onExec = [&](QDialog& d) {
      auto* editor = qobject_cast<CErrRangesDlg*>(&d);
      if (!editor) return int(QDialog::Rejected);
      // The first range becomes 5..6 only.
      editor->fromEdit()->setText(QStringLiteral("5"));
      emit editor->fromEdit()->textEdited(editor->fromEdit()->text());
      editor->toEdit()->setText(QStringLiteral("6"));
      emit editor->toEdit()->textEdited(editor->toEdit()->text());
      edited = editor->ranges();
      editor->accept();
      return d.result();
    };
    QVERIFY(win.w->commands().Trigger(kEmsRanges));
    QCOMPARE(win.dialogs.execs.size(), size_t(1));
    QCOMPARE(edited.size(), size_t(3));
    QCOMPARE(edited[0].codeFrom, 5u);
    QVERIFY(win.w->ranges() == edited);
    std::vector<ErrorRange> stored;
    QVERIFY(ReadStoredRanges(stored));
    QVERIFY(stored == edited);
    QCOMPARE(win.w->rangesLink()->linkText(), QStringLiteral("Search &In: <a>Custom Range</a>"));
  }

  void overflowPausesTheSearchUntilResumed() {
    QVERIFY(WriteOutputSize(AppSettings(), OutputSize::kErrMsgResults, 1000));
    Window win;
    QCOMPARE(win.w->results()->capacity(), 1000u);
    win.w->SetRanges({{20000, 20399, 0, L"", L""}});
    int warnings = 0;
    win.dialogs.onMessageBox = [&](const MessageBoxCall& box, bool&) {
      if (box.text.startsWith(QStringLiteral("The results window is full."))) ++warnings;
      return IDOK;
    };
    win.Type(QStringLiteral("access"));
    win.Click();
    // Each overflow pauses the search and warns; the user resumes it.
    while (win.w->searchRunning()) {
      QVERIFY(WaitUntil([&] { return win.w->searchPaused() || !win.w->searchRunning(); }, 30000));
      if (win.w->searchPaused()) win.Click();
    }
    QVERIFY(warnings >= 1);
    QCOMPARE(win.w->runBar()->searchButton()->text(), QStringLiteral("&SEARCH"));
    QVERIFY(win.w->results()->Text().size() <= 1000);
    QVERIFY(win.w->results()->Text().find(L"Search finished, found 400 match(es) in ") != std::wstring::npos);
  }

  void closingWhileSearchingAsks() {
    Window win;
    win.Type(QStringLiteral("access"));
    win.Click();
    win.dialogs.AnswerMessageBox(IDNO);
    QVERIFY(!win.w->close());
    QCOMPARE(win.dialogs.boxes.back().text,
             QStringLiteral("Search has not finished yet.\n\nDo you want to close this window?"));
    QVERIFY(WaitUntil([&] { return !win.w->searchRunning(); }, 30000));
    QVERIFY(win.w->close());
  }
};

TARNIX_GUI_TEST(ErrMsgSearchTest)

}  // namespace tarnix::gui::test

#include "err_msg_search_dlg_test.moc"
