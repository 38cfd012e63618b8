// The help window and its page: every example the page gives holds in the
// program's own matcher; the window opens at a section, zooms in steps
// within its limits without losing the reader's place, keeps external
// links out of the window, prints and previews.
#include <QApplication>
#include <QFile>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QWheelEvent>

#include "core/registry_settings.h"
#include "gui/app/text_convert.h"
#include "gui/dialogs/more_info_dlg.h"
#include "gui/tools/try_regex_dlg.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "symbolsearch/search_string.h"

namespace tarnix::gui::test {
namespace {

const char kTitle[] = "Search String Help";

QString DecodeEntities(QString s) {
  static const QRegularExpression numeric(QStringLiteral("&#(x?)([0-9A-Fa-f]+);"));
  for (auto m = numeric.match(s); m.hasMatch(); m = numeric.match(s))
    s.replace(m.capturedStart(), m.capturedLength(),
              QChar(m.captured(2).toUInt(nullptr, m.captured(1).isEmpty() ? 10 : 16)));
  s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
  s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
  s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
  s.replace(QStringLiteral("&nbsp;"), QString(QChar(0xA0)));
  s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
  return s;
}

QString PageSource() {
  QFile f(QStringLiteral(":/help/search_strings.html"));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll());
}

struct PageExample {
  QString pattern, mode, caseSensitive, wholeWords, shown;
  QStringList matches, misses;
};

// Every element of class "example" with its attributes and texts.
std::vector<PageExample> PageExamples(const QString& html) {
  std::vector<PageExample> out;
  static const QRegularExpression element(
      QStringLiteral("<(p|td|li|div) class=\"example\"([^>]*)>(.*?)</\\1>"),
      QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression attribute(QStringLiteral("data-([a-z]+)=\"([^\"]*)\""));
  static const QRegularExpression sample(QStringLiteral("<samp data-match=\"(yes|no)\">(.*?)</samp>"),
                                         QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression code(QStringLiteral("<code>(.*?)</code>"),
                                       QRegularExpression::DotMatchesEverythingOption);
  for (auto it = element.globalMatch(html); it.hasNext();) {
    const auto m = it.next();
    PageExample e;
    for (auto a = attribute.globalMatch(m.captured(2)); a.hasNext();) {
      const auto am = a.next();
      const QString value = DecodeEntities(am.captured(2));
      if (am.captured(1) == QLatin1String("pattern")) e.pattern = value;
      else if (am.captured(1) == QLatin1String("mode")) e.mode = value;
      else if (am.captured(1) == QLatin1String("case")) e.caseSensitive = value;
      else if (am.captured(1) == QLatin1String("words")) e.wholeWords = value;
    }
    e.shown = DecodeEntities(code.match(m.captured(3)).captured(1));
    for (auto s = sample.globalMatch(m.captured(3)); s.hasNext();) {
      const auto sm = s.next();
      (sm.captured(1) == QLatin1String("yes") ? e.matches : e.misses) << DecodeEntities(sm.captured(2));
    }
    out.push_back(e);
  }
  return out;
}

QTextBrowser* Browser(QWidget* w) { return FindChild<QTextBrowser>(w, QString::fromLatin1(kTitle)); }

// The text of the line at the top of the view.
QString TopLine(QTextBrowser* b) { return b->cursorForPosition(QPoint(8, 8)).block().text().trimmed(); }

// Where the user's eyes are: the view's top line once the window settled.
bool WaitForTopLine(QTextBrowser* b, const QString& text) {
  return WaitUntil([&] { return TopLine(b) == text; }, 3000);
}

// The centre of the link to `href` in the view, scrolled into sight.
QPoint LinkPoint(QTextBrowser* b, const QString& href) {
  QTextDocument* doc = b->document();
  for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it)
      if (it.fragment().charFormat().anchorHref() == href) {
        QTextCursor c(doc);
        c.setPosition(it.fragment().position() + 1);
        b->setTextCursor(c);
        b->ensureCursorVisible();
        return b->cursorRect(c).center();
      }
  return {-1, -1};
}

double FontSize(const QFont& f) { return f.pointSizeF() > 0 ? f.pointSizeF() : f.pixelSize(); }

}  // namespace

class HelpPageTest : public QObject {
  Q_OBJECT
 private slots:
  void pageHasItsTitleAndSections() {
    const QString html = PageSource();
    QVERIFY(!html.isEmpty());
    QTextDocument doc;
    doc.setHtml(html);
    QCOMPARE(doc.metaInformation(QTextDocument::DocumentTitle), QString::fromLatin1(kTitle));
    for (const char* section : {"<a name=\"components\">Search String Components</a>",
                                "<a name=\"plain_search\">Plain Search Strings</a>",
                                "<a name=\"regex\">Regular Expression Search</a>",
                                "<a name=\"regex_examples\">Examples of Using Regular Expressions</a>"})
      QVERIFY2(html.contains(QString::fromUtf8(section)), section);
    // Readable in any palette: the page sets no colours of its own.
    static const QRegularExpression colour(QStringLiteral("color\\s*[:=]|background"),
                                           QRegularExpression::CaseInsensitiveOption);
    QVERIFY2(!colour.match(html).hasMatch(), qPrintable(colour.match(html).captured()));
  }

  // "Every example on the help page holds in the matcher."
  void everyExampleHoldsInTheMatcher() {
    const std::vector<PageExample> examples = PageExamples(PageSource());
    QVERIFY2(examples.size() >= 40, qPrintable(QString::number(examples.size())));
    int plain = 0, regex = 0, wholeWords = 0, caseSensitive = 0;
    for (const PageExample& e : examples) {
      const QString where = QStringLiteral("example \"%1\"").arg(e.pattern);
      QVERIFY2(!e.pattern.isEmpty() && e.shown == e.pattern, qPrintable(where + QStringLiteral(" shows ") + e.shown));
      QVERIFY2(e.mode == QLatin1String("plain") || e.mode == QLatin1String("regex"), qPrintable(where));
      QVERIFY2(e.caseSensitive == QLatin1String("yes") || e.caseSensitive == QLatin1String("no"), qPrintable(where));
      QVERIFY2(e.wholeWords == QLatin1String("yes") || e.wholeWords == QLatin1String("no"), qPrintable(where));
      QVERIFY2(!e.matches.isEmpty() || !e.misses.isEmpty(), qPrintable(where));
      SearchStringSpec spec;
      spec.text = FromQ(e.pattern);
      spec.regex = e.mode == QLatin1String("regex");
      spec.caseSensitive = e.caseSensitive == QLatin1String("yes");
      spec.wholeWords = e.wholeWords == QLatin1String("yes");
      (spec.regex ? regex : plain)++;
      wholeWords += spec.wholeWords;
      caseSensitive += spec.caseSensitive;
      SearchString s;
      RegexCompileError compileError;
      QVERIFY2(s.Prepare(spec, 1 /* ECMAScript */, true, compileError),
               qPrintable(where + ToQ(compileError.text)));
      std::wstring error;
      for (const QString& text : e.matches)
        QVERIFY2(s.Match(FromQ(text), error) == 1, qPrintable(where + QStringLiteral(" should match ") + text));
      for (const QString& text : e.misses)
        QVERIFY2(s.Match(FromQ(text), error) == 0, qPrintable(where + QStringLiteral(" should not match ") + text));
    }
    QVERIFY(plain >= 8 && regex >= 25 && wholeWords >= 2 && caseSensitive >= 4);
  }
};
TARNIX_GUI_TEST(HelpPageTest)

class MoreInfoDlgTest : public QObject {
  Q_OBJECT
 private slots:
  void init() { RegistrySettings().DeleteValue(L"HelpZoom"); }

  void storedZoomIsAppliedWithinItsLimits() {
    FakeDialogs dialogs;
    const double base = FontSize(QApplication::font());
    RegistrySettings store;
    struct Case {
      bool text;
      int32_t stored;
      int shown;
    };
    for (Case c : {Case{false, -1, 100}, Case{false, 250, 250}, Case{false, 900, 800},
                   Case{false, 5, 20}, Case{true, 0, 100}}) {
      if (c.text)
        store.SetText(L"HelpZoom", L"150");  // wrongly typed
      else
        store.SetDword(L"HelpZoom", static_cast<uint32_t>(c.stored));
      CMoreInfoDlg w;
      QCOMPARE(w.zoom(), c.shown);
      QVERIFY(qAbs(FontSize(Browser(&w)->font()) - base * c.shown / 100) < 0.51);
    }
  }

  void zoomKeysStepAndStoreTheZoom() {
    FakeDialogs dialogs;
    RegistrySettings store;
    store.SetDword(L"HelpZoom", 790);
    CMoreInfoDlg w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTextBrowser* b = Browser(&w);
    QTest::keyClick(b, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(w.zoom(), 800);
    // At the maximum a further zoom in stays there.
    QTest::keyClick(b, Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(w.zoom(), 800);
    QCOMPARE(store.GetDword(L"HelpZoom", 0), 800u);
    QTest::keyClick(b, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(w.zoom(), 790);
    QCOMPARE(store.GetDword(L"HelpZoom", 0), 790u);
    // A reset stores the normal size as -1.
    QTest::keyClick(b, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(w.zoom(), 100);
    QCOMPARE(store.GetDword(L"HelpZoom", 0), 0xFFFFFFFFu);
    // Ctrl+wheel takes the same steps.
    QWheelEvent wheel(QPointF(20, 20), b->viewport()->mapToGlobal(QPointF(20, 20)), QPoint(),
                      QPoint(0, 120), Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(b->viewport(), &wheel);
    QCOMPARE(w.zoom(), 110);
    QCOMPARE(store.GetDword(L"HelpZoom", 0), 110u);
    store.SetDword(L"HelpZoom", 30);
    CMoreInfoDlg small;
    small.show();
    QVERIFY(QTest::qWaitForWindowExposed(&small));
    QTest::keyClick(Browser(&small), Qt::Key_Minus, Qt::ControlModifier);
    QTest::keyClick(Browser(&small), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(small.zoom(), 20);
  }

  // Zooming keeps the reader's place: at the top the view stays at the
  // top; further down the same line stays at the top of the view.
  void zoomKeepsThePlace() {
    FakeDialogs dialogs;
    CMoreInfoDlg w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTextBrowser* b = Browser(&w);
    QScrollBar* bar = b->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    for (int i = 0; i < 3; ++i) QTest::keyClick(b, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(w.zoom(), 130);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(TopLine(b), QString::fromLatin1(kTitle));

    QVERIFY(w.ScrollToAnchor(QStringLiteral("plain_search")));
    QCOMPARE(TopLine(b), QStringLiteral("Plain Search Strings"));
    const int before = bar->value();
    QTest::keyClick(b, Qt::Key_Plus, Qt::ControlModifier);
    QVERIFY(bar->value() > before);
    QCOMPARE(TopLine(b), QStringLiteral("Plain Search Strings"));
    QTest::keyClick(b, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(TopLine(b), QStringLiteral("Plain Search Strings"));
  }

  // Show opens one window at the anchor; asking again brings the same
  // window to another anchor.
  void showOpensOneWindowAtTheAnchor() {
    FakeDialogs dialogs;
    QWidget owner;
    owner.show();
    CMoreInfoDlg* w = CMoreInfoDlg::Show(&owner, QStringLiteral("regex"));
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(w->windowTitle(), QString::fromLatin1(kTitle));
    QTextBrowser* b = Browser(w);
    QVERIFY2(WaitForTopLine(b, QStringLiteral("Regular Expression Search")), qPrintable(TopLine(b)));
    QCOMPARE(CMoreInfoDlg::Show(&owner, QStringLiteral("components")), w);
    QVERIFY2(WaitForTopLine(b, QStringLiteral("Search String Components")), qPrintable(TopLine(b)));
    // An anchor the page lacks leaves the view where it is.
    QVERIFY(!w->ScrollToAnchor(QStringLiteral("no_such_section")));
    QCOMPARE(TopLine(b), QStringLiteral("Search String Components"));

    QPointer<CMoreInfoDlg> guard(w);
    QVERIFY(w->close());
    QVERIFY(WaitUntil([&] { return guard.isNull(); }));
    QVERIFY(RegistrySettings().GetDword(L"MIWnd_r", 0) > 0);
    QVERIFY(dialogs.unexpected.isEmpty());
  }

  // A link out of the page goes to the user's browser and the window stays
  // where it was; a link to a section scrolls there.
  void linksOpenTheBrowserOrScrollInside() {
    FakeDialogs dialogs;
    CMoreInfoDlg w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTextBrowser* b = Browser(&w);
    const QString external = QStringLiteral("https://en.cppreference.com/w/cpp/regex/ecmascript");
    const QPoint at = LinkPoint(b, external);
    QVERIFY(at.x() >= 0);
    const int scrolled = b->verticalScrollBar()->value();
    const QString top = TopLine(b);
    QTest::mouseClick(b->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(dialogs.urls.size(), size_t(1));
    QCOMPARE(dialogs.urls[0], QUrl(external));
    QCOMPARE(b->source(), QUrl(QString::fromLatin1(CMoreInfoDlg::kPageUrl)));
    QCOMPARE(b->verticalScrollBar()->value(), scrolled);
    QCOMPARE(TopLine(b), top);
    QVERIFY(b->toPlainText().contains(QStringLiteral("Plain Search Strings")));
    // When no browser takes it, the user hears it.
    dialogs.openUrlSucceeds = false;
    QTest::mouseClick(b->viewport(), Qt::LeftButton, {}, LinkPoint(b, external));
    QCOMPARE(dialogs.urls.size(), size_t(2));
    QCOMPARE(dialogs.beeps.size(), size_t(1));

    b->verticalScrollBar()->setValue(0);
    QTest::mouseClick(b->viewport(), Qt::LeftButton, {}, LinkPoint(b, QStringLiteral("#regex")));
    QVERIFY2(WaitForTopLine(b, QStringLiteral("Regular Expression Search")), qPrintable(TopLine(b)));
    QCOMPARE(dialogs.urls.size(), size_t(2));
  }

  void ctrlTOpensTheTester() {
    FakeDialogs dialogs;
    CMoreInfoDlg w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(!CTryRegexDlg::Instance());
    QTest::keyClick(Browser(&w), Qt::Key_T, Qt::ControlModifier);
    QVERIFY(CTryRegexDlg::Instance());
    CTryRegexDlg::Instance()->close();
    QVERIFY2(UnnamedControls(&w).isEmpty(), qPrintable(UnnamedControls(&w).join(QLatin1Char(','))));
  }

  // The preview lays the page out on paper; a print the user cancels
  // prints nothing.
  void previewShowsThePagesAndPrintCanBeCancelled() {
    FakeDialogs dialogs;
    CMoreInfoDlg w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    int pages = 0;
    dialogs.onExec = [&](QDialog& d) {
      if (auto* preview = d.findChild<QPrintPreviewWidget*>()) {
        WaitUntil([&] { return preview->pageCount() > 0; }, 3000);
        pages = preview->pageCount();
      }
      d.reject();
      return d.result();
    };
    for (QAction* a : w.menuBar()->actions())
      if (a->menu() && a->text() == QStringLiteral("&File")) a->menu()->actions().first()->trigger();
    QCOMPARE(dialogs.execs.size(), size_t(1));
    QCOMPARE(dialogs.execs[0], QStringLiteral("QPrintPreviewDialog"));
    QVERIFY2(pages >= 2, qPrintable(QString::number(pages)));
    for (QAction* a : w.menuBar()->actions())
      if (a->text() == QStringLiteral("&Print")) a->trigger();
    QCOMPARE(dialogs.execs.size(), size_t(2));
    QCOMPARE(dialogs.execs[1], QStringLiteral("QPrintDialog"));
    QVERIFY(dialogs.beeps.empty());
  }
};
TARNIX_GUI_TEST(MoreInfoDlgTest)

}  // namespace tarnix::gui::test

#include "more_info_dlg_test.moc"
