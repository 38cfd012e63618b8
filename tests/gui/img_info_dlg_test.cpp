// The image information window as a user meets it: opened with Ctrl+I on a
// result of the main window it shows what tarnix-cli info prints for that
// result, with the title, group caption and module boxes of its kind; its
// "..." menus offer the module items for the image and the resolved
// module; it is refilled for another result and closes with Escape.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include "core/sheet_settings.h"
#include "gui/app/command_set.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/text_convert.h"
#include "gui/imginfo/img_info_dlg.h"
#include "gui/mainwnd/main_commands.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "gui/widgets/combo_box_auto.h"
#include "pe/resource_fixture.h"
#include "pe/result_kind.h"
#include "platform/registry.h"
#include "platform/text_encoding.h"
#include "support/cli_run.h"
#include "support/env_value.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "support/image_info_subject.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"
#include "tools/readable_colour.h"

namespace tarnix::gui::test {
namespace {

using tarnix::test::EnvValue;
using tarnix::test::ExportSymbol;
using tarnix::test::ImportSymbol;
using tarnix::test::PeBuilder;
using tarnix::test::TempDir;

// A Windows folder whose kernel32.dll exports a function, a variable in a
// writable section and a forwarder to ntdll.dll, and a program beside it
// that imports the first two.
struct Machine {
  TempDir dir{"imginfo"};
  std::string app, kernel32;
  std::optional<EnvValue> root;

  Machine() {
    kernel32 = dir.Write("Windows/System32/kernel32.dll",
                         PeBuilder()
                             .Section({".data", std::string(16, '\0'), 0xC0000040, 0})
                             .Exports({"KERNEL32.dll", 1,
                                       {{1, "CreateFileW"}, ExportSymbol::In(2, "GlobalCounter", ".data"),
                                        {3, "HeapAlloc", "ntdll.RtlAllocateHeap"}}})
                             .Resource(16, 1, 0x409, tarnix::test::SimpleVersion(0x409, u"Kernel Base", u"10.0"))
                             .Build()
                             .bytes)
                   .string();
    dir.Write("Windows/System32/ntdll.dll",
              PeBuilder().Exports({"ntdll.dll", 1, {{1, "RtlAllocateHeap"}}}).Build().bytes);
    std::filesystem::create_directories(dir.path() / "Windows/SysWOW64");
    app = dir.Write("Apps/app&co.exe",
                    PeBuilder()
                        .Characteristics(0x0022)
                        .Subsystem(3)
                        .Import({"KERNEL32.dll", {ImportSymbol::Named("CreateFileW", 5),
                                                  ImportSymbol::Named("GlobalCounter", 6)}})
                        .Import({"msvcp.dll", {ImportSymbol::Named("Missing", 1)}})
                        .Resource(16, 1, 0x409, tarnix::test::SimpleVersion(0x409, u"Test App", u"1.2.3.4 (test)"))
                        .Build()
                        .bytes)
              .string();
    root.emplace("TARNIX_WINDOWS_ROOT", (dir.path() / "Windows").c_str());
  }

  // The window's record of a result, as the main window hands it over.
  ImageInfoSubject Subject(const std::string& image, uint32_t kind, std::wstring name, std::wstring module,
                           int32_t hint = -1) const {
    return tarnix::test::InfoSubject(image, kind, std::move(name), std::move(module), hint);
  }

  std::string Cli(const std::string& args) const {
    const auto run = RunCli(dir, "info", args);
    if (run.status != 0) qWarning("tarnix-cli info %s: %s", args.c_str(), run.err.c_str());
    std::string out = run.out;
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  }
};

QString Quoted(const std::string& path) { return QStringLiteral("'%1'").arg(QString::fromStdString(path)); }

QTextEdit* InfoBox(QWidget* w) { return FindChild<QTextEdit>(w, QStringLiteral("Info:")); }
QLineEdit* Edit(QWidget* w, const char* name) { return FindChild<QLineEdit>(w, QString::fromLatin1(name)); }

// Runs `act` on the context menu that opens next, then closes it.
void OnNextPopup(std::function<void(QMenu&)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      act(*menu);
      menu->close();
    }
  });
}

}  // namespace

class ImgInfoDlgTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { tarnix::Registry::DeleteTree(L"Software\\TarnixProject\\Tarnix"); }
  void cleanup() { delete CImgInfoDlg::Current(); }

  void ctrlIShowsWhatTheCommandLineProgramPrints() {
    Machine m;
    FakeDialogs dialogs;
    dialogs.onMessageBox = [](const MessageBoxCall&, bool&) { return IDOK; };
    CTarnixApp app({});
    CTarnixDlg w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!w.commands().action(kCmdResultInfo)->isEnabled());
    auto type = [&](const char* box, const QString& text) {
      auto* c = FindChild<CComboBoxAuto>(&w, QString::fromLatin1(box));
      c->lineEdit()->selectAll();
      QTest::keyClicks(c->lineEdit(), text);
    };
    auto search = [&] {
      w.StartSearch(false);
      // The versions are filled in after the search, under the busy popup
      // that takes no keys: the user meets the list after it.
      return WaitUntil([&] { return !w.searchRunning() && w.results().detailsComplete(); }, 30000);
    };
    type("Folder:", QString::fromStdString(m.dir.path().string()));
    type("Search String", QStringLiteral("*"));
    for (QCheckBox* box : w.findChildren<QCheckBox*>())
      if (box->text() == QStringLiteral("Include s&ubfolders")) box->setChecked(true);
    QVERIFY(search());

    // The row of a result; Ctrl+I in the list opens the window for it.
    auto open = [&](const std::string& image, uint32_t kind, const std::wstring& name) -> CImgInfoDlg* {
      const ResultsModel& results = w.results();
      for (size_t i = 0; i < results.size(); ++i) {
        const ResultEntry entry = results.Entry(i);
        const SymbolResult& r = entry.result;
        if (r.file == FromUtf8(image) && r.kind == kind && r.name == name) {
          // Back in the main window, as a user clicks into its list.
          w.activateWindow();
          if (!WaitUntil([&] { return QApplication::activeWindow() == &w; })) qWarning("the main window is not active");
          w.resultsView()->setFocus();
          const QModelIndex row = w.resultsView()->model()->index(static_cast<int>(i), 0);
          w.resultsView()->selectionModel()->setCurrentIndex(
              row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
          QTest::keyClick(w.resultsView(), Qt::Key_I, Qt::ControlModifier);
          return CImgInfoDlg::Current();
        }
      }
      qWarning("no result %s in %s", ToUtf8(name).c_str(), image.c_str());
      return nullptr;
    };
    struct Case {
      uint32_t kind;
      std::string image;
      std::wstring name;
      std::string cliArgs;
      QString title, caption, module, bitness;
    };
    const QString kernel32 = QString::fromStdString(m.kernel32);
    const Case cases[] = {
        {kKindImport, m.app, L"CreateFileW", " --module KERNEL32.dll --symbol CreateFileW",
         QStringLiteral("WinAPI: CreateFileW"), QStringLiteral("C Import From"), QStringLiteral("KERNEL32.dll"),
         QStringLiteral("64-bit")},
        {kKindImport, m.app, L"GlobalCounter", " --module KERNEL32.dll --symbol GlobalCounter",
         QStringLiteral("Global (R/W): GlobalCounter"), QStringLiteral("C Import From"),
         QStringLiteral("KERNEL32.dll"), QStringLiteral("64-bit")},
        {kKindExport, m.kernel32, L"CreateFileW", " --symbol CreateFileW", QStringLiteral("WinAPI: CreateFileW"),
         QStringLiteral("C Export From"), QStringLiteral("KERNEL32.dll"), QStringLiteral("64-bit")},
        {kKindExportForwarded, m.kernel32, L"ntdll.RtlAllocateHeap", " --symbol HeapAlloc",
         QStringLiteral("WinAPI: ntdll.RtlAllocateHeap"), QStringLiteral("Forwarded C Export To"),
         QStringLiteral("KERNEL32.dll"), QStringLiteral("64-bit")},
    };
    CImgInfoDlg* first = nullptr;
    for (const Case& c : cases) {
      CImgInfoDlg* dlg = open(c.image, c.kind, c.name);
      QVERIFY(dlg && dlg->isVisible());
      if (!first) first = dlg;
      QCOMPARE(dlg, first);  // one window, refilled
      QCOMPARE(InfoBox(dlg)->toPlainText(), QString::fromStdString(m.Cli(Quoted(c.image).toStdString() + c.cliArgs)));
      QCOMPARE(dlg->windowTitle(), c.title);
      QCOMPARE(FindChild<QGroupBox>(dlg, c.caption)->title(), c.caption);
      QCOMPARE(Edit(dlg, "Module Name:")->text(), c.module);
      QCOMPARE(Edit(dlg, "Image:")->text(), QString::fromStdString(c.image));
      QCOMPARE(FindChild<QLabel>(dlg, QStringLiteral("Image Bitness"))->text(), c.bitness);
    }
    QVERIFY(InfoBox(first)->toPlainText().contains(QStringLiteral("Forwarded To:\tRtlAllocateHeap\n")));
    QCOMPARE(Edit(first, "Resolves To:")->text(),
             QString::fromStdString((m.dir.path() / "Windows/System32/ntdll.dll").string()));

    // An imported library, from a search for imported libraries.
    w.commands().Trigger(kCmdSearchForImportLibs);
    type("Search String", QStringLiteral("kernel32*"));
    QVERIFY(search());
    CImgInfoDlg* dlg = open(m.app, kKindImportedLibrary, L"");
    QVERIFY(dlg);
    QCOMPARE(InfoBox(dlg)->toPlainText(), QString::fromStdString(m.Cli(Quoted(m.app).toStdString() + " --module kernel32")));
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Import Lib: KERNEL32.dll"));
    QVERIFY(InfoBox(dlg)->toPlainText().startsWith(QStringLiteral("KERNEL32.dll\nType:\t\tImported Library\n\nImage File:")));
    QCOMPARE(Edit(dlg, "Resolves To:")->text(), kernel32);
    // The window's copy of the record carries the version it read.
    QCOMPARE(dlg->fileVersion(), uint64_t{0x0001000200030004});

    // Escape closes it; the main window's closing closes it too.
    QTest::keyClick(InfoBox(dlg), Qt::Key_Escape);
    QVERIFY(WaitUntil([] { return !CImgInfoDlg::Current(); }));
    QVERIFY(open(m.app, kKindImportedLibrary, L""));
    w.close();
    QVERIFY(WaitUntil([] { return !CImgInfoDlg::Current() || !CImgInfoDlg::Current()->isVisible(); }));
  }

  // The program's Windows folder is the "WindowsRoot" setting's, for the
  // window as for tarnix-cli: a tree that discovery would not find.
  void modulesResolveInTheWindowsRootSetting() {
    Machine m;
    m.root.reset();
    const EnvValue noRoot("TARNIX_WINDOWS_ROOT", nullptr);
    QVERIFY(WriteWindowsRootSetting(FromUtf8((m.dir.path() / "Windows").string())));
    FakeDialogs dialogs;
    CImgInfoDlg* dlg = CImgInfoDlg::Open(nullptr, m.Subject(m.app, kKindImport, L"CreateFileW", L"KERNEL32.dll", 5), {});
    QVERIFY(dlg);
    QCOMPARE(Edit(dlg, "Resolves To:")->text(), QString::fromStdString(m.kernel32));
    QCOMPARE(InfoBox(dlg)->toPlainText(),
             QString::fromStdString(m.Cli(Quoted(m.app).toStdString() + " --module KERNEL32.dll --symbol CreateFileW")));
  }

  void moduleMenusOfferTheItemsWithTheFileNames() {
    Machine m;
    FakeDialogs dialogs;
    CImgInfoDlg* dlg = CImgInfoDlg::Open(nullptr, m.Subject(m.app, kKindImport, L"CreateFileW", L"KERNEL32.dll", 5), {});
    QVERIFY(dlg);
    auto* imageButton = FindChild<QPushButton>(dlg, QStringLiteral("Image File Menu"));
    auto* moduleButton = FindChild<QPushButton>(dlg, QStringLiteral("Resolved Module Menu"));
    // The items of a "..." menu, one of them chosen as the user chooses it.
    auto menu = [](QPushButton* button, const QString& choose = {}) {
      QStringList texts;
      OnNextPopup([&](QMenu& m) {
        for (QAction* a : m.actions())
          if (!a->isSeparator()) {
            texts << a->text();
            if (a->text() == choose) a->trigger();
          }
      });
      QTest::keyClick(button, Qt::Key_Space);
      return texts;
    };
    QCOMPARE(menu(imageButton),
             QStringList({"&Open 'app&&co.exe' for Search...", "&Begin Searching 'app&&co.exe'...",
                          "Begin Searching 'app&&co.exe' &Imports...", "Begin Searching 'app&&co.exe' E&xports...",
                          "&Search Online for 'app&&co.exe'", "Open 'app&&co.exe' in &Windows Explorer...",
                          "&Properties: 'app&&co.exe'"}));
    QCOMPARE(menu(moduleButton).first(), QStringLiteral("&Open 'kernel32.dll' for Search..."));

    // The items act on the file they name.
    menu(moduleButton, QStringLiteral("Begin Searching 'kernel32.dll' E&xports..."));
    QCOMPARE(dialogs.started.size(), size_t(1));
    QVERIFY(dialogs.started[0].contains(QString::fromStdString(m.kernel32)));
    menu(imageButton, QStringLiteral("Open 'app&&co.exe' in &Windows Explorer..."));
    QCOMPARE(dialogs.shownInFileManager, std::vector<QString>{QString::fromStdString(m.app)});
    menu(moduleButton, QStringLiteral("&Search Online for 'kernel32.dll'"));
    QCOMPARE(dialogs.urls.size(), size_t(1));
    QVERIFY(dialogs.urls[0].toString().contains(QStringLiteral("kernel32.dll")));
    // Where the desktop offers no properties, the item is left out.
    dialogs.propertiesAvailable = false;
    QVERIFY(!menu(imageButton).contains(QStringLiteral("&Properties: 'app&&co.exe'")));

    // A module that is nowhere: the error in the box, nothing to open.
    CImgInfoDlg::Open(nullptr, m.Subject(m.app, kKindImport, L"Missing", L"msvcp.dll", 1), {});
    QCOMPARE(CImgInfoDlg::Current(), dlg);
    QCOMPARE(Edit(dlg, "Resolves To:")->text(), QStringLiteral("<Error: (2) The file could not be found.>"));
    QVERIFY(!moduleButton->isEnabled());
    QCOMPARE(dlg->windowTitle(), QStringLiteral("WinAPI: Missing"));
    QVERIFY(!InfoBox(dlg)->toPlainText().contains(QStringLiteral("Offset")));
  }

  void infoBoxLinesUpItsValuesAndSearchesTheSelection() {
    Machine m;
    FakeDialogs dialogs;
    CImgInfoDlg* dlg = CImgInfoDlg::Open(nullptr, m.Subject(m.app, kKindImport, L"CreateFileW", L"KERNEL32.dll", 5), {});
    QTextEdit* box = InfoBox(dlg);
    // "Type:\t\t", "Description:\t" and a characteristic that goes on after
    // "\t\t" start their values in one column.
    auto valueX = [&](const QString& line) {
      for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next())
        if (b.text().startsWith(line)) {
          QTextCursor c(b);
          c.setPosition(b.position() + static_cast<int>(b.text().lastIndexOf(QLatin1Char('\t'))) + 1);
          return box->cursorRect(c).left();
        }
      return -1;
    };
    const int column = valueX(QStringLiteral("Type:"));
    QVERIFY(column > 0);
    QCOMPARE(valueX(QStringLiteral("Description:")), column);
    QCOMPARE(valueX(QStringLiteral("Offset (Mapped):")), column);
    QCOMPARE(valueX(QStringLiteral("\t\tData Execution")), column);
    QCOMPARE(valueX(QStringLiteral("Company:")), column);

    // The box's menu: copy, select all, and the online search for what is selected.
    QTextCursor c = box->document()->find(QStringLiteral("CreateFileW"));
    box->setTextCursor(c);
    QStringList items;
    OnNextPopup([&](QMenu& menu) {
      for (QAction* a : menu.actions())
        if (!a->isSeparator()) items << a->text();
      menu.actions().last()->trigger();
    });
    emit box->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(items, QStringList({"&Copy\tCtrl+C", "Select &All\tCtrl+A", "Search &Online for 'CreateFileW'"}));
    QCOMPARE(dialogs.urls.size(), size_t(1));
    QVERIFY(dialogs.urls[0].toString().contains(QStringLiteral("CreateFileW")));
    // Nothing selected: nothing to copy or search.
    box->moveCursor(QTextCursor::Start);
    OnNextPopup([&](QMenu& menu) {
      QVERIFY(!menu.actions().first()->isEnabled());
      QVERIFY(!menu.actions().last()->isEnabled());
    });
    emit box->customContextMenuRequested(QPoint(5, 5));
  }

  void fitsSmallScreensAndNamesEveryControl() {
    Machine m;
    FakeDialogs dialogs;
    CImgInfoDlg* dlg = CImgInfoDlg::Open(nullptr, m.Subject(m.app, kKindImport, L"CreateFileW", L"KERNEL32.dll", 5), {});
    QVERIFY(dlg->minimumSizeHint().width() <= 800 && dlg->minimumSizeHint().height() <= 600);
    const QStringList unnamed = UnnamedControls(dlg);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    const QStringList collisions = MnemonicCollisions(dlg);
    QVERIFY2(collisions.isEmpty(), qPrintable(collisions.join(QStringLiteral("; "))));
    // The dark red of 32-bit images stays readable on a dark palette.
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(45, 45, 48));
    dark.setColor(QPalette::WindowText, QColor(220, 220, 220));
    dlg->setPalette(dark);
    ImageInfoSubject s = m.Subject(m.app, kKindImport, L"CreateFileW", L"KERNEL32.dll", 5);
    s.properties.imageType = kImageType32;
    CImgInfoDlg::Open(nullptr, s, {});
    auto* bitness = FindChild<QLabel>(dlg, QStringLiteral("Image Bitness"));
    QCOMPARE(bitness->text(), QStringLiteral("32-bit"));
    const QColor text = bitness->palette().color(QPalette::WindowText);
    QVERIFY(ContrastRatio({uint8_t(text.red()), uint8_t(text.green()), uint8_t(text.blue())}, {45, 45, 48}) >=
            kMinTextContrast);
    QVERIFY(text.red() > text.green() && text.red() > text.blue());
  }
};
TARNIX_GUI_TEST(ImgInfoDlgTest)

}  // namespace tarnix::gui::test

#include "img_info_dlg_test.moc"
