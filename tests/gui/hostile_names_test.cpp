// Images whose names run on for tens of thousands of characters, searched
// in the main window: the window keeps turning its event loop, the other
// images' results are listed as the command line lists them, and the names
// cut at their bound are reported once per image.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <sstream>

#include "core/registry_settings.h"
#include "gui/app/loop_stall_meter.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/text_convert.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/output_text_box.h"
#include "platform/registry.h"
#include "platform/text_encoding.h"
#include "results/result_column.h"
#include "results/text_export.h"
#include "support/cli_run.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tarnix::gui::test {
namespace {

using tarnix::test::PeBuilder;
using tarnix::test::TempDir;

// An image exporting `count` names of `length` copies of `letter`, and one
// ordinary name.
std::string LongNames(int count, size_t length, char letter, const std::string& ordinary) {
  tarnix::test::ExportTable table;
  table.module = "hostile.dll";
  uint32_t ordinal = 1;
  for (int i = 0; i < count; ++i) table.symbols.push_back({ordinal++, std::string(length, letter), ""});
  table.symbols.push_back({ordinal, ordinary, ""});
  return PeBuilder(PeBuilder::Kind::kPe64).Exports(table).Build().bytes;
}

// Ordinary images importing file functions.
void WriteOrdinaryImages(const TempDir& dir, int count) {
  for (int i = 0; i < count; ++i) {
    tarnix::test::ImportModule kernel;
    kernel.module = "KERNEL32.dll";
    for (const char* n : {"CreateFileW", "ReadFile", "CloseHandle"})
      kernel.symbols.push_back(tarnix::test::ImportSymbol::Named(n, 7));
    const std::string bytes = PeBuilder(PeBuilder::Kind::kPe64)
                                  .Import(kernel)
                                  .Exports({"self.dll", 1, {{1, "Export" + std::to_string(i), ""}}})
                                  .Build()
                                  .bytes;
    dir.Write("mod" + std::to_string(i) + ".dll", bytes);
  }
}

template <class T>
T* WithText(QWidget* root, const QString& text) {
  for (T* w : root->findChildren<T*>())
    if (w->text() == text) return w;
  return nullptr;
}

struct Window {
  FakeDialogs dialogs;
  std::unique_ptr<CTarnixApp> app;
  std::unique_ptr<CTarnixDlg> w;

  Window() {
    dialogs.onMessageBox = [](const MessageBoxCall&, bool& check) {
      check = false;
      return IDOK;
    };
    app = std::make_unique<CTarnixApp>(QStringList());
    w = std::make_unique<CTarnixDlg>();
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get())) qWarning("the main window was not shown");
  }
  void Type(const char* name, const QString& text) {
    CComboBoxAuto* c = FindChild<CComboBoxAuto>(w.get(), QString::fromLatin1(name));
    c->setFocus();
    c->lineEdit()->selectAll();
    QTest::keyClicks(c->lineEdit(), text);
  }
  // Clicks Search and waits for the end; the meter notes the longest gap of
  // the event loop meanwhile.
  bool Search(LoopStallMeter& loop) {
    loop.Start();
    QTest::mouseClick(WithText<QPushButton>(w.get(), QStringLiteral("&SEARCH")), Qt::LeftButton);
    const bool ended = WaitUntil([&] { return !w->searchRunning(); }, 120000);
    loop.Stop();
    return ended;
  }
  std::vector<std::wstring> Lines() {
    std::vector<std::wstring> lines;
    std::wstring line;
    for (size_t i = 0; i < w->results().size(); ++i) {
      ResultExportLine(w->results().Entry(i), DefaultResultColumns(), !w->results().modulesOnly(), line);
      lines.push_back(line);
    }
    return lines;
  }
  std::wstring Output() { return w->statusOutput()->Text(); }
};

std::vector<std::wstring> CliLines(const std::string& out) {
  std::vector<std::wstring> lines;
  std::istringstream in(out);
  std::string l;
  while (std::getline(in, l)) lines.push_back(FromUtf8(l));
  return lines;
}

}  // namespace

class HostileNamesTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { tarnix::Registry::DeleteTree(L"Software\\TarnixProject\\Tarnix"); }

  void backtrackingPatternOverLongNamesKeepsTheOtherResults() {
    TempDir dir;
    WriteOrdinaryImages(dir, 5);
    // Names of the bound's length, and names cut at it.
    dir.Write("long.dll", LongNames(60, 65536, 'A', "CreateFileAlpha"));
    dir.Write("cut.dll", LongNames(20, 100000, 'B', "CreateFileBeta"));
    Window win;
    win.Type("Folder:", QString::fromStdString(dir.path().string()));
    const QString pattern = QStringLiteral("(A|B)*C || ^CreateFile");
    win.Type("Search String", pattern);
    QCheckBox* regex = WithText<QCheckBox>(win.w.get(), QStringLiteral("Contains re&gular expressions"));
    QVERIFY(regex);
    QTest::mouseClick(regex, Qt::LeftButton);
    QVERIFY(regex->isChecked());

    LoopStallMeter loop(10);
    QVERIFY(win.Search(loop));
    QVERIFY(loop.Ticks() > 0);  // the loop kept turning (how long a turn may take: bench/)
    QCOMPARE(win.w->lastStatus(), 1u);

    TempDir scratch;
    const auto cli = RunCli(scratch, "search",
                            "'" + dir.path().string() + "' --for '" + pattern.toStdString() +
                                "' /snrx 1 --quiet");
    QCOMPARE(cli.status, 0);
    const auto expected = CliLines(cli.out);
    // Five CreateFileW and five CloseHandle imports (a "c" ends the first
    // component), and the ordinary export of each hostile image.
    QCOMPARE(expected.size(), size_t(12));
    const auto mine = win.Lines();
    QCOMPARE(mine.size(), expected.size());
    for (size_t i = 0; i < mine.size(); ++i) QCOMPARE(ToQ(mine[i]), ToQ(expected[i]));

    // One warning for the image whose names were cut, counted as such.
    const std::wstring out = win.Output();
    QVERIFY(out.find(L"cut.dll\". 20 name(s) longer than 65536 characters cut") != std::wstring::npos);
    QVERIFY(out.find(L"long.dll\". ") == std::wstring::npos);
    QVERIFY(out.find(L"Error(s)=0, Warning(s)=1.") != std::wstring::npos);
    QVERIFY(out.find(L"Result(s) Found=12.") != std::wstring::npos);
  }

  void longNamesThatMatchAreListedAtTheirBound() {
    TempDir dir;
    WriteOrdinaryImages(dir, 2);
    dir.Write("long.dll", LongNames(30, 65536, 'A', "Ordinary"));
    dir.Write("cut.dll", LongNames(30, 100000, 'A', "Other"));
    Window win;
    win.Type("Folder:", QString::fromStdString(dir.path().string()));
    win.Type("Search String", QStringLiteral("*AAA*"));
    LoopStallMeter loop(10);
    QVERIFY(win.Search(loop));
    QVERIFY(loop.Ticks() > 0);
    QCOMPARE(win.w->results().size(), size_t(60));
    for (size_t i = 0; i < win.w->results().size(); ++i)
      QCOMPARE(win.w->results().Entry(i).result.name.size(), size_t(65536));
    // The list stays usable: it scrolls to its end and back.
    QTableView* view = win.w->resultsView();
    QCOMPARE(view->model()->rowCount(), 60);
    view->scrollToBottom();
    QVERIFY(EventLoopTurned());
    view->scrollToTop();
    QVERIFY(WaitUntil([&] { return win.w->results().detailsComplete(); }, 60000));
  }
};

TARNIX_GUI_TEST(HostileNamesTest)

}  // namespace tarnix::gui::test

#include "hostile_names_test.moc"
