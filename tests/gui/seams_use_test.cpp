// What the shared seams change for a user of the windows: a setting
// changed while a window is open is used by its next search; names with
// "&" show in menu captions as they are; a command opens another window
// by its id, greyed until that window is registered; and a window keeps
// working when its settings store is deleted under it.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include "core/sheet_settings.h"
#include "gui/app/command_set.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/window_registry.h"
#include "gui/errcode/code_results_model.h"
#include "gui/errcode/err_code_commands.h"
#include "gui/errcode/err_code_search_dlg.h"
#include "gui/mainwnd/main_commands.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "gui/widgets/combo_box_auto.h"
#include "platform/registry.h"
#include "results/results_model.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tarnix::gui::test {
namespace {

using tarnix::test::PeBuilder;
using tarnix::test::TempDir;

// A DLL that exports `names`.
std::string Exporting(std::vector<std::string> names) {
  tarnix::test::ExportTable t;
  t.module = "self.dll";
  uint32_t ord = 1;
  for (auto& n : names) t.symbols.push_back({ord++, n, ""});
  return PeBuilder(PeBuilder::Kind::kPe64).Exports(t).Build().bytes;
}

struct MainWindow {
  FakeDialogs dialogs;
  CTarnixApp app{QStringList{}};
  CTarnixDlg w;

  explicit MainWindow(const TempDir& dir) {
    dialogs.onMessageBox = [](const MessageBoxCall&, bool& check) {
      check = false;
      return IDOK;
    };
    w.show();
    if (!QTest::qWaitForWindowExposed(&w)) qWarning("the main window was not shown");
    Type("Folder:", QString::fromStdString(dir.path().string()));
  }
  void Type(const char* box, const QString& text) {
    auto* c = FindChild<CComboBoxAuto>(&w, QString::fromLatin1(box));
    c->lineEdit()->selectAll();
    QTest::keyClicks(c->lineEdit(), text);
  }
  std::vector<std::wstring> Search() {
    w.StartSearch(false);
    WaitUntil([&] { return !w.searchRunning() && w.results().detailsComplete(); }, 30000);
    std::vector<std::wstring> names;
    for (size_t i = 0; i < w.results().size(); ++i) names.push_back(w.results().Entry(i).result.name);
    return names;
  }
};

// The texts of the context menu that opens next, as the user reads them.
QStringList NextMenuTexts(const std::function<void()>& open) {
  QStringList texts;
  QTimer::singleShot(0, [&texts] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      for (QAction* a : menu->actions())
        if (!a->isSeparator()) texts << a->iconText();
      menu->close();
    }
  });
  open();
  return texts;
}

}  // namespace

class SeamsUseTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { tarnix::Registry::DeleteTree(L"Software\\TarnixProject\\Tarnix"); }

  // "x+y" reads as a literal in the basic POSIX grammar, as "one or more x,
  // then y" in ECMAScript. A search that runs keeps the grammar it started
  // with; the next one takes the new one.
  void aGrammarChangedWhileTheWindowIsOpenIsUsedByTheNextSearch() {
    TempDir dir;
    for (int i = 0; i < 200; ++i) dir.Write(QStringLiteral("m%1.dll").arg(i).toStdString(), Exporting({"xxy", "x+y"}));
    MainWindow m(dir);
    m.Type("Search String", QStringLiteral("x+y"));
    for (QCheckBox* box : m.w.findChildren<QCheckBox*>())
      if (box->text() == QStringLiteral("Contains re&gular expressions")) box->setChecked(true);
    auto button = [&](const char* text) {
      for (QPushButton* b : m.w.findChildren<QPushButton*>())
        if (b->text() == QString::fromLatin1(text)) return b;
      return static_cast<QPushButton*>(nullptr);
    };
    QTest::mouseClick(button("&SEARCH"), Qt::LeftButton);
    QTest::mouseClick(button("Pau&se"), Qt::LeftButton);
    QVERIFY(m.w.searchRunning());
    QVERIFY(WriteRegexGrammar(AppSettings(), 2));
    QTest::mouseClick(button("Re&sume"), Qt::LeftButton);
    QVERIFY(WaitUntil([&] { return !m.w.searchRunning() && m.w.results().detailsComplete(); }, 30000));
    QCOMPARE(m.w.results().size(), size_t(200));
    for (size_t i = 0; i < m.w.results().size(); ++i) QCOMPARE(m.w.results().Entry(i).result.name, std::wstring(L"xxy"));
    const std::vector<std::wstring> next = m.Search();
    QCOMPARE(next.size(), size_t(200));
    QCOMPARE(next.front(), std::wstring(L"x+y"));
  }

  void aNameWithAmpersandsShowsAsItIsInTheResultsMenu() {
    TempDir dir;
    dir.Write("a.dll", Exporting({"operator&&"}));
    MainWindow m(dir);
    QCOMPARE(m.Search(), std::vector<std::wstring>{L"operator&&"});
    QTableView* view = m.w.resultsView();
    QModelIndex cell;
    for (int c = 0; c < view->model()->columnCount(); ++c)
      if (view->model()->index(0, c).data().toString() == QStringLiteral("operator&&")) cell = view->model()->index(0, c);
    QVERIFY(cell.isValid());
    const QStringList texts = NextMenuTexts(
        [&] { emit view->customContextMenuRequested(view->visualRect(cell).center()); });
    QVERIFY2(texts.contains(QStringLiteral("Search Online for 'operator&&'")), qPrintable(texts.join(QLatin1Char('|'))));
  }

  void aCommandOpensAnotherWindowByItsId() {
    FakeDialogs dialogs;
    CErrCodeSearchDlg w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // No settings sheet: greyed, as in the main window.
    RegisterWindow(WindowId::kSettings, nullptr);
    w.commands().Update();
    QVERIFY(!w.commands().action(kEcsSettings)->isEnabled());
    std::vector<QWidget*> owners;
    RegisterWindow(WindowId::kSettings, [&](const WindowRequest& r) -> QWidget* {
      owners.push_back(r.owner);
      return nullptr;
    });
    w.commands().Update();
    QVERIFY(w.commands().Trigger(kEcsSettings));
    QCOMPARE(owners, std::vector<QWidget*>{&w});
    RegisterWindow(WindowId::kSettings, nullptr);
    QVERIFY(!WindowRegistered(WindowId::kSettings));
    RegisterProgramWindows();
    // The code window itself is opened by id: one window.
    QVERIFY(OpenWindow(WindowId::kErrCodeSearch, WindowRequest()) == &w);
  }

  void theCodeWindowKeepsWorkingWhenItsStoreIsDeleted() {
    FakeDialogs dialogs;
    TempDir dir;
    CErrCodeSearchDlg w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    tarnix::Registry::DeleteTree(L"Software\\TarnixProject\\Tarnix");
    // A new preset with a search path, a search, its details: all as before.
    QVERIFY(w.commands().Trigger(kEcsNewPreset));
    QVERIFY(w.presets().currentPreset());
    dialogs.AnswerFile(QString::fromStdString(dir.path().string()));
    QVERIFY(w.commands().Trigger(kEcsAddFolder));
    FindChild<CComboBoxAuto>(&w, QStringLiteral("Error Code:"))->SetText(L"5");
    QVERIFY(w.StartSearch());
    QVERIFY(WaitUntil([&] { return !w.searchRunning() && !w.detailsRunning(); }, 30000));
    tarnix::Registry::DeleteTree(L"Software\\TarnixProject\\Tarnix");
    QVERIFY(w.close());
  }
};
TARNIX_GUI_TEST(SeamsUseTest)

}  // namespace tarnix::gui::test

#include "seams_use_test.moc"
