// The Error Code Search window driven as a user drives it, over a Windows
// folder of message-table images from the image builder: the code box and
// its names line, a search that lists what tarnix-cli prints, module
// details, presets saved, exported and imported, locations edited and
// pasted, and closing while searching.
#include <QAction>
#include <QCloseEvent>
#include <QMainWindow>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/err_code_presets.h"
#include "core/error_text.h"
#include "core/program_windows_root.h"
#include "gui/app/tarnix_app.h"
#include "pe/system_message_sources.h"
#include "core/preset_file.h"
#include "gui/app/command_set.h"
#include "gui/app/text_convert.h"
#include "gui/errcode/code_results_model.h"
#include "gui/errcode/err_code_commands.h"
#include "gui/errcode/err_code_search_dlg.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/output_text_box.h"
#include "pe/resource_fixture.h"
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

std::string ModuleWith(const std::vector<std::pair<uint32_t, std::u16string>>& messages,
                       std::u16string_view description = {}) {
  std::vector<tarnix::test::MessageBlock> blocks;
  for (const auto& [id, text] : messages) blocks.push_back({id, id, {tarnix::test::MessageEntry(text)}});
  std::vector<tarnix::test::Resource> resources;
  if (!blocks.empty()) resources.push_back(tarnix::test::MessageTableResource(0x409, blocks));
  if (!description.empty())
    resources.push_back({16, 1, 0x409, tarnix::test::SimpleVersion(0x409, description, u"1.2.3.4"), {}});
  return tarnix::test::BuildImage(resources, true).bytes;
}

// A Windows folder whose System32 answers the system's messages (its
// KernelBase.dll) and holds modules with tables of their own. The process
// finds it through TARNIX_WINDOWS_ROOT, as tarnix-cli run from here does.
struct WindowsTree {
  TempDir drive{"drive"};
  fs::path system;
  WindowsTree() {
    system = drive.path() / "Windows" / "System32";
    fs::create_directories(system);
    fs::create_directories(drive.path() / "Windows" / "SysWOW64");
    auto write = [&](const std::string& name, const std::string& bytes) {
      std::ofstream(system / name, std::ios::binary) << bytes;
    };
    write("KernelBase.dll", ModuleWith({{2, u"File not found.\r\n"}, {5, u"Access is denied.\r\n"},
                                        {0x80070005, u"General access denied error\r\n"}}, u"Base"));
    write("alpha.dll", ModuleWith({{5, u"Alpha says no.\r\n"}}, u"Alpha Module"));
    write("beta.dll", ModuleWith({{7, u"Seven.\r\n"}}));
    write("gamma.exe", ModuleWith({}, u"Gamma"));
    write("notes.txt", "not a module");
    setenv("TARNIX_WINDOWS_ROOT", (drive.path() / "Windows").c_str(), 1);
  }
};

WindowsTree& Tree() {
  static WindowsTree tree;
  return tree;
}

struct Window {
  FakeDialogs dialogs;
  std::unique_ptr<CErrCodeSearchDlg> w;

  Window() {
    Tree();
    // The program installs the system's message tables at its start.
    InstallSystemMessageSources(ProgramWindowsRoot());
    w = std::make_unique<CErrCodeSearchDlg>();
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get())) qWarning("the window was not shown");
  }
  CComboBoxAuto* Code() { return FindChild<CComboBoxAuto>(w.get(), QStringLiteral("Error Code:")); }
  QComboBox* Preset() { return FindChild<QComboBox>(w.get(), QStringLiteral("Preset:")); }
  QLineEdit* Names() { return FindChild<QLineEdit>(w.get(), QStringLiteral("Code Names")); }
  QPushButton* Button(const QString& text) {
    for (QPushButton* b : w->findChildren<QPushButton*>())
      if (b->text() == text) return b;
    return nullptr;
  }
  void Type(const QString& text) {
    CComboBoxAuto* c = Code();
    c->setFocus();
    c->lineEdit()->selectAll();
    QTest::keyClick(c->lineEdit(), Qt::Key_Backspace);
    QTest::keyClicks(c->lineEdit(), text);
  }
  void ChoosePreset(int i) {
    Preset()->setCurrentIndex(i);
    emit Preset()->activated(i);
  }
  void Click(const QString& button) { QTest::mouseClick(Button(button), Qt::LeftButton); }
  bool Search() {
    Click(QStringLiteral("&SEARCH"));
    return WaitUntil([&] { return !w->searchRunning(); }, 30000);
  }
  std::wstring Output() const { return w->statusOutput()->Text(); }
  bool Run(int command) const { return w->commands().Trigger(command); }
  QStringList PresetTexts() {
    QStringList texts;
    for (int i = 0; i < Preset()->count(); ++i) texts << Preset()->itemText(i);
    return texts;
  }
  QStringList LocationPaths() const {
    QStringList paths;
    for (int i = 0; i < w->locationsView()->topLevelItemCount(); ++i)
      paths << w->locationsView()->topLevelItem(i)->text(0);
    return paths;
  }
};

// Answers the next "Choose Preset Name" box with `name`.
std::function<int(QDialog&)> NameBox(const QString& name) {
  return [name](QDialog& d) {
    auto* edit = FindChild<QLineEdit>(&d, QStringLiteral("Provide preset name:"));
    if (!edit) return int(QDialog::Rejected);
    edit->setText(name);
    d.accept();
    return d.result();
  };
}

std::vector<std::wstring> Lines(const std::string& out) {
  std::vector<std::wstring> lines;
  std::istringstream in(out);
  std::string l;
  while (std::getline(in, l)) lines.push_back(FromUtf8(l));
  return lines;
}

// A main window: closing it closes the tool windows.
class ToolOwner : public QMainWindow {
 protected:
  void closeEvent(QCloseEvent* event) override {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w != this && w->isVisible()) w->close();
    event->accept();
  }
};

std::vector<std::wstring> StoredNames() {
  std::vector<ErrCodePresetRecord> stored;
  ErrCodePresetStore::ReadAll(stored);
  std::vector<std::wstring> names;
  for (const auto& p : stored) names.push_back(p.name);
  return names;
}

}  // namespace

class ErrCodeSearchTest : public QObject {
  Q_OBJECT
 private slots:
  // The program's error texts come from the Windows folder's tables from
  // the start, not only once this window has been opened.
  void errorTextsHaveOneSourceFromTheStart() {
    Tree();
    InstallSystemMessageSources(L"");
    QCOMPARE(ToQ(ErrorText(2)), QStringLiteral("(2) The file could not be found."));  // own text
    FakeDialogs dialogs;
    CTarnixApp app({});
    QCOMPARE(ToQ(ErrorText(2)), QStringLiteral("(2) File not found."));
  }

  void init() {
    tarnix::Registry::DeleteTree(L"Software\\TarnixProject\\Tarnix");
    QGuiApplication::clipboard()->clear();
  }

  void codeBoxShowsBackWhatItSearches() {
    Window win;
    QCOMPARE(win.PresetTexts().first(), QStringLiteral("System32 (No subfolders)"));
    win.Type(QStringLiteral("  0x5  "));
    QVERIFY(win.Search());
    QCOMPARE(win.Code()->currentText(), QStringLiteral("0x5"));
    QVERIFY(win.Output().find(L"Initiating Search\r\nErrorCode=0x5, SearchPath(s)=1:\r\n[Folder]: \"") !=
            std::wstring::npos);
    for (const char* typed : {"5", "0x80070005", "-1"}) {
      win.Type(QString::fromLatin1(typed));
      QVERIFY(win.Search());
      QCOMPARE(win.Code()->currentText(), QString::fromLatin1(typed));
    }
    QVERIFY(win.Output().find(L"ErrorCode=-1, SearchPath(s)=1:") != std::wstring::npos);

    // A name searches its value; the line under the box reads it.
    win.Type(QStringLiteral("e_accessdenied"));
    const QString names = win.Names()->text();
    for (const char* part : {"E_ACCESSDENIED", "facility WIN32 (7)", "code 5", "ERROR_ACCESS_DENIED"})
      QVERIFY2(names.contains(QString::fromLatin1(part)), qPrintable(names));
    QVERIFY(win.Search());
    QCOMPARE(win.Code()->currentText(), QStringLiteral("E_ACCESSDENIED"));
    QVERIFY(win.Output().find(L"ErrorCode=0x80070005, SearchPath(s)=1:") != std::wstring::npos);
    const auto& rows = win.w->results().rows();
    QVERIFY(!rows.empty());
    // Line breaks of the message show as blanks.
    QCOMPARE(ToQ(rows.back().display), QStringLiteral("0x80070005 = General access denied error"));

    // Codes that do not read: the box says why and nothing starts.
    for (const char* bad : {"0x", "99999999999", "-", "no such name"}) {
      win.dialogs.AnswerMessageBox(IDOK);
      win.Type(QString::fromLatin1(bad));
      win.Click(QStringLiteral("&SEARCH"));
      QVERIFY(!win.w->searchRunning());
      QCOMPARE(win.dialogs.boxes.back().type, mb::kOk | mb::kIconError);
    }
    win.dialogs.AnswerMessageBox(IDOK);
    win.Type(QString());
    win.Click(QStringLiteral("&SEARCH"));
    QCOMPARE(win.dialogs.boxes.back().text, QStringLiteral("Provide an error code to search for."));
  }

  void listsWhatTheCommandLineProgramPrints() {
    Window win;
    win.Type(QStringLiteral("5"));
    QVERIFY(win.Search());
    TempDir scratch;
    const auto cli = RunCli(scratch, "errcode", "5 --in '" + Tree().system.string() + "/'");
    QCOMPARE(cli.status, 0);
    const auto expected = Lines(cli.out);
    std::vector<std::wstring> shown;
    QAbstractItemModel* model = win.w->resultsView()->model();
    for (int i = 0; i < model->rowCount(); ++i) {
      const CodeResultRow& r = win.w->results().rows()[static_cast<size_t>(i)];
      // The list tells the module's own text from the system's, as the CLI does.
      const QString from = model->index(i, kCodeColumnSource).data().toString();
      QCOMPARE(from, r.result.systemText ? QStringLiteral("System") : QStringLiteral("Module"));
      shown.push_back(r.display + L"\t" + r.result.path + (r.result.systemText ? L"\tsystem" : L"\town"));
    }
    QCOMPARE(shown.size(), size_t(4));  // every module: its own text or the system's
    QVERIFY(shown == expected);
    QCOMPARE(model->headerData(kCodeColumnSource, Qt::Horizontal).toString(), QStringLiteral("Text From"));
    // Module paths lose their middle, never their file name.
    QCOMPARE(win.w->resultsView()->textElideMode(), Qt::ElideMiddle);
    QVERIFY(win.Output().find(L"Search finished, found 4 match(es) in ") != std::wstring::npos);

    // The details follow: versions and descriptions where the module has them.
    QVERIFY(WaitUntil([&] { return !win.w->detailsRunning() && win.w->results().rows()[0].description != L""; }));
    for (const CodeResultRow& r : win.w->results().rows()) {
      if (r.result.path.ends_with(L"alpha.dll")) {
        QCOMPARE(ToQ(r.description), QStringLiteral("Alpha Module"));
        QCOMPARE(ToQ(FileVersionText(r.version)), QStringLiteral("1.2.3.4"));
      }
      // No version resource is no description, as in the main window.
      if (r.result.path.ends_with(L"beta.dll")) QVERIFY(r.description.empty());
    }

    // Copy and save the rows as the menus do.
    win.w->resultsView()->selectAll();
    QVERIFY(win.Run(kEcsCopyModulePath));
    QCOMPARE(QGuiApplication::clipboard()->text().count(QStringLiteral("\r\n")), 3);
    const QString out = QString::fromStdString((scratch.path() / "results.txt").string());
    win.dialogs.AnswerFile(out);
    QVERIFY(win.Run(kEcsSaveResults));
    QFile saved(out);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.read(2), QByteArray("\xFF\xFE", 2));
  }

  // A new search clears the list as it starts: a search that finds nothing
  // leaves no rows of the last one, and an NTSTATUS code gets a hint.
  void searchThatFindsNothingLeavesAnEmptyList() {
    Window win;
    win.Type(QStringLiteral("5"));
    QVERIFY(win.Search());
    QCOMPARE(win.w->results().rows().size(), size_t(4));
    win.Type(QStringLiteral("STATUS_ACCESS_DENIED"));
    QVERIFY(win.Search());
    QVERIFY(win.w->results().rows().empty());
    QCOMPARE(win.w->resultsView()->model()->rowCount(), 0);
    QVERIFY(win.Output().find(L"Search finished, found 0 match(es) in ") != std::wstring::npos);
    QVERIFY(win.Output().find(L"Hint: 0xC0000022 is an NTSTATUS code") != std::wstring::npos);
  }

  void closingWhileSearchingAsksFirst() {
    Window win;
    win.Type(QStringLiteral("5"));
    win.Click(QStringLiteral("&SEARCH"));
    QVERIFY(win.w->searchRunning());
    QVERIFY2(MnemonicCollisions(win.w.get()).isEmpty(), qPrintable(MnemonicCollisions(win.w.get()).join("; ")));
    win.Click(QStringLiteral("Pau&se"));  // a search that stays unfinished
    QCOMPARE(win.Button(QStringLiteral("Re&sume")) != nullptr, true);
    QVERIFY2(MnemonicCollisions(win.w.get()).isEmpty(), qPrintable(MnemonicCollisions(win.w.get()).join("; ")));
    win.dialogs.AnswerMessageBox(IDNO);
    QVERIFY(!win.w->close());
    QCOMPARE(win.dialogs.boxes.back().text,
             QStringLiteral("Search has not finished yet.\n\nDo you want to close this window?"));
    QCOMPARE(win.dialogs.boxes.back().type, mb::kYesNoCancel | mb::kIconQuestion);
    QVERIFY(win.w->searchRunning());
    QVERIFY(win.w->isVisible());
    win.dialogs.AnswerMessageBox(IDCANCEL);
    QVERIFY(!win.w->close());
    win.dialogs.AnswerMessageBox(IDYES);
    QVERIFY(win.w->close());
    QVERIFY(!win.w->searchRunning());
  }

  // Esc closes the window as its close button does: asking first while it
  // searches.
  void escapeWhileSearchingAsksFirst() {
    Window win;
    win.w->activateWindow();
    win.Type(QStringLiteral("5"));
    win.Click(QStringLiteral("&SEARCH"));
    QVERIFY(win.w->searchRunning());
    win.Click(QStringLiteral("Pau&se"));
    win.dialogs.AnswerMessageBox(IDNO);
    const size_t asked = win.dialogs.boxes.size();
    QTest::keyClick(win.Code(), Qt::Key_Escape);
    QCOMPARE(win.dialogs.boxes.size(), asked + 1);
    QVERIFY(win.w->isVisible());
    QVERIFY(win.w->searchRunning());
    win.dialogs.AnswerMessageBox(IDYES);
    QTest::keyClick(win.w->resultsView(), Qt::Key_Escape);
    QVERIFY(!win.w->isVisible());
  }

  void closesWithItsOwnerWithoutAsking() {
    FakeDialogs dialogs;
    Tree();
    ToolOwner owner;
    owner.show();
    QPointer<CErrCodeSearchDlg> w = CErrCodeSearchDlg::Show(&owner);
    QVERIFY(CErrCodeSearchDlg::Show(&owner) == w);  // one window
    FindChild<CComboBoxAuto>(w, QStringLiteral("Error Code:"))->SetText(L"5");
    QVERIFY(w->StartSearch());
    // Closed by itself, it asks first.
    dialogs.AnswerMessageBox(IDNO);
    QVERIFY(w->commands().Trigger(kEcsClose));
    QCOMPARE(dialogs.boxes.size(), size_t(1));
    QVERIFY(w && w->isVisible());
    dialogs.boxes.clear();
    QVERIFY(owner.close());
    QVERIFY(WaitUntil([&] { return w.isNull(); }));
    QVERIFY(dialogs.boxes.empty());
  }

  void presetsSavedExportedAndImported() {
    Window win;
    // Editing a built-in preset makes an unsaved one.
    win.dialogs.onExec = NameBox(QStringLiteral(" a "));
    win.dialogs.AnswerFile(QString::fromStdString(Tree().system.string()));
    QVERIFY(win.Run(kEcsAddFolder));
    QCOMPARE(win.dialogs.fileDialogs.back().kind, FileDialogCall::kFolder);
    QCOMPARE(win.PresetTexts().last(), QStringLiteral("* <Unsaved Preset 1>"));
    QVERIFY(win.Run(kEcsSavePreset));
    QVERIFY(StoredNames() == std::vector<std::wstring>{L"a"});
    QCOMPARE(win.Preset()->currentText(), QStringLiteral("* a"));
    // "A" is taken.
    win.ChoosePreset(0);
    win.dialogs.onExec = NameBox(QStringLiteral("A"));
    win.dialogs.AnswerMessageBox(IDOK);
    QVERIFY(win.Run(kEcsSavePreset));
    QCOMPARE(win.dialogs.boxes.back().text, QStringLiteral("Preset with such name already exists."));
    for (const char* name : {"b", "c"}) {
      win.dialogs.onExec = NameBox(QString::fromLatin1(name));
      QVERIFY(win.Run(kEcsSavePresetCopy));
    }
    QVERIFY((StoredNames() == std::vector<std::wstring>{L"a", L"b", L"c"}));

    // Export: three sections after the header section.
    TempDir scratch;
    const std::string file = (scratch.path() / "presets.ini").string();
    win.dialogs.AnswerFile(QString::fromStdString(file));
    QVERIFY(win.Run(kEcsExportPresets));
    PresetFile reader(file, L"");
    std::vector<PresetSection> sections;
    QCOMPARE(reader.Read(sections, 10000), 0);
    QStringList names;
    for (const auto& s : sections) names << ToQ(s.name);
    QCOMPARE(names, (QStringList{"ConfigECSPs", "Preset0", "Preset1", "Preset2"}));

    // An import of version 2 fails with 1828 and changes nothing.
    const std::string bad = (scratch.path() / "v2.ini").string();
    std::ofstream(bad) << "[ConfigECSPs]\nVersion=2\n[Preset0]\nName=z\nFlags=0\n";
    win.dialogs.AnswerMessageBox(IDYES);  // the warning
    win.dialogs.AnswerFile(QString::fromStdString(bad));
    win.dialogs.AnswerMessageBox(IDOK);
    QVERIFY(win.Run(kEcsImportPresets));
    QVERIFY(win.dialogs.boxes[win.dialogs.boxes.size() - 2].withCheck);
    QVERIFY(win.dialogs.boxes.back().text.startsWith(QStringLiteral("Failed to read presets from the following file:")));
    QVERIFY(win.dialogs.boxes.back().text.contains(QStringLiteral("(1828)")));
    QVERIFY((StoredNames() == std::vector<std::wstring>{L"a", L"b", L"c"}));
    // The good file replaces the stored presets.
    ErrCodePresetStore::DeleteAll();
    win.dialogs.AnswerMessageBox(IDYES);
    win.dialogs.AnswerFile(QString::fromStdString(file));
    QVERIFY(win.Run(kEcsImportPresets));
    QVERIFY((StoredNames() == std::vector<std::wstring>{L"a", L"b", L"c"}));
    QVERIFY(win.PresetTexts().contains(QStringLiteral("* c")));

    // Remove asks first.
    win.ChoosePreset(win.Preset()->findText(QStringLiteral("* b")));
    win.dialogs.AnswerMessageBox(IDYES);
    QVERIFY(win.Run(kEcsRemovePreset));
    QCOMPARE(win.dialogs.boxes.back().text,
             QStringLiteral("Do you want to permanently remove the following preset?\n\n'b'"));
    QVERIFY((StoredNames() == std::vector<std::wstring>{L"a", L"c"}));
  }

  void locationsEditedCopiedAndPasted() {
    Window win;
    win.dialogs.AnswerMessageBox(IDOK);  // no preset has no location
    QVERIFY(win.Run(kEcsNewPreset));
    win.Type(QStringLiteral("5"));
    win.Click(QStringLiteral("&SEARCH"));
    QCOMPARE(win.dialogs.boxes.back().text,
             QStringLiteral("Provide at least one search path in the \"Search In\" section"));
    const QString system = QString::fromStdString(Tree().system.string());
    QGuiApplication::clipboard()->setText(QStringLiteral("2|%1/alpha.dll\r\n\r\n  1|%1 \r\n32769|/no/such/folder").arg(system));
    QVERIFY(win.Run(kEcsPastePaths));
    QCOMPARE(win.LocationPaths(), (QStringList{system + "/alpha.dll", system + "/", "/no/such/folder/"}));
    QCOMPARE(win.w->locationsView()->topLevelItem(2)->text(1), QStringLiteral("With subfolders"));
    // A paste with one bad line adds nothing and beeps.
    QGuiApplication::clipboard()->setText(QStringLiteral("2|/x.dll\ngarbage"));
    QVERIFY(win.Run(kEcsPastePaths));
    QCOMPARE(win.LocationPaths().size(), 3);
    QVERIFY(!win.dialogs.beeps.empty());

    // The subfolders toggle and its mixed state.
    win.w->locationsView()->selectAll();
    QVERIFY(!win.w->commands().action(kEcsSubfolders)->isEnabled());  // a file is selected
    win.w->locationsView()->topLevelItem(0)->setSelected(false);
    QVERIFY(win.w->commands().action(kEcsSubfolders)->isEnabled());
    QVERIFY(!win.w->commands().action(kEcsSubfolders)->isChecked());
    QVERIFY(win.Run(kEcsSubfolders));
    QCOMPARE(win.w->locationsView()->topLevelItem(1)->text(1), QStringLiteral("With subfolders"));
    QVERIFY(win.w->commands().action(kEcsSubfolders)->isChecked());
    QVERIFY(win.Run(kEcsCopyPaths));
    QCOMPARE(QGuiApplication::clipboard()->text(),
             QStringLiteral("32769|%1/\r\n32769|/no/such/folder/\r\n").arg(system));
    QVERIFY(win.Run(kEcsMoveUp));
    QCOMPARE(win.LocationPaths().first(), system + "/");

    // The location that is not there is shown; the search runs all the same.
    win.dialogs.AnswerMessageBox(IDOK);
    QVERIFY(win.Search());
    QVERIFY(win.dialogs.boxes.back().text.startsWith(
        QStringLiteral("The following search folder is not valid:\n\n/no/such/folder/\n\n")));
    QCOMPARE(win.w->locationsView()->selectedItems().size(), 1);
    QVERIFY(win.Output().find(L"ERROR: Folder search failed:") != std::wstring::npos);
    QVERIFY(!win.w->results().empty());

    // A result added as a search path (one not listed yet); removing asks first.
    const auto& rows = win.w->results().rows();
    const auto notListed = std::find_if(rows.begin(), rows.end(),
                                        [](const CodeResultRow& r) { return !r.result.path.ends_with(L"alpha.dll"); });
    QVERIFY(notListed != rows.end());
    win.w->resultsView()->selectRow(static_cast<int>(notListed - rows.begin()));
    QVERIFY(win.Run(kEcsAddAsSearchPath));
    QCOMPARE(win.LocationPaths().size(), 4);
    win.w->locationsView()->clearSelection();
    win.w->locationsView()->topLevelItem(3)->setSelected(true);
    win.dialogs.AnswerMessageBox(IDYES);
    QVERIFY(win.Run(kEcsRemovePaths));
    QVERIFY(win.dialogs.boxes.back().text.startsWith(QStringLiteral("Do you want to remove selected search file?\n\n")));
    QCOMPARE(win.LocationPaths().size(), 3);
    // The module in the file manager.
    win.w->resultsView()->selectRow(0);
    QVERIFY(win.Run(kEcsShowInFileManager));
    QCOMPARE(win.dialogs.shownInFileManager.size(), size_t(1));
  }

  void twoInstancesSavingAtOnceKeepBoth() {
    Window win;
    pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
      int failures = 0;
      for (int i = 0; i < 20; ++i)
        if (!ErrCodePresetStore::SaveOne({0, L"other" + std::to_wstring(i), {{kPresetItemFile, L"/o.dll"}}}))
          ++failures;
      _exit(failures ? 1 : 0);
    }
    for (int i = 0; i < 10; ++i) {
      win.ChoosePreset(0);
      win.dialogs.onExec = NameBox(QStringLiteral("mine%1").arg(i));
      QVERIFY(win.Run(kEcsSavePresetCopy));
    }
    int status = 0;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto stored = StoredNames();
    QCOMPARE(stored.size(), size_t(30));
    for (int i = 0; i < 20; ++i)
      QVERIFY(std::find(stored.begin(), stored.end(), L"other" + std::to_wstring(i)) != stored.end());
    for (int i = 0; i < 10; ++i)
      QVERIFY(std::find(stored.begin(), stored.end(), L"mine" + std::to_wstring(i)) != stored.end());
  }

  void everyControlHasAName() {
    Window win;
    const QStringList unnamed = UnnamedControls(win.w.get());
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(", ")));
    const QStringList collisions = MnemonicCollisions(win.w.get());
    QVERIFY2(collisions.isEmpty(), qPrintable(collisions.join("; ")));
    // Usable on a small screen: the window fits 800x600.
    win.w->resize(800, 600);
    QVERIFY(win.w->minimumSizeHint().width() <= 800 && win.w->minimumSizeHint().height() <= 600);
  }
};

TARNIX_GUI_TEST(ErrCodeSearchTest)

}  // namespace tarnix::gui::test

#include "err_code_search_dlg_test.moc"
