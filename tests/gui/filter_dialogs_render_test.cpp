// Every use of the filter selection dialog and both states of the date and
// time picker, shown by themselves (as a screenshot tool makes them) in the
// light and a dark palette: each control named, nothing cut off. With
// TARNIX_SCREENSHOT_DIR set each one is also saved there as a PNG; run with
// QT_SCALE_FACTOR=2 for the 200 % pictures.
#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QPixmap>
#include <functional>
#include <memory>

#include "gui/dialogs/date_time_dlg.h"
#include "gui/dialogs/multi_sel_dlg.h"
#include "support/gui_test.h"

namespace tarnix::gui::test {
namespace {

QPalette DarkPalette() {
  QPalette p;
  const QColor window(0x2b, 0x2b, 0x2b), base(0x1e, 0x1e, 0x1e), text(0xe6, 0xe6, 0xe6);
  p.setColor(QPalette::Window, window);
  p.setColor(QPalette::WindowText, text);
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::AlternateBase, window);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Button, window);
  p.setColor(QPalette::ButtonText, text);
  p.setColor(QPalette::Highlight, QColor(0x3d, 0x6e, 0xa8));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
  p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
  return p;
}

// Shows the dialog, checks it, and saves its picture when asked to.
void Check(QDialog& d, const QString& name) {
  d.show();
  QVERIFY(QTest::qWaitForWindowExposed(&d));
  QVERIFY2(UnnamedControls(&d).isEmpty(), qPrintable(name + ": " + UnnamedControls(&d).join(", ")));
  const QRect inside = d.rect();
  for (QWidget* w : d.findChildren<QWidget*>()) {
    if (!w->isVisible() || w->parentWidget() != &d) continue;
    QVERIFY2(inside.contains(w->geometry()), qPrintable(name + ": " + w->metaObject()->className()));
  }
  for (QLabel* label : d.findChildren<QLabel*>())
    if (label->isVisible() && !label->wordWrap())
      QVERIFY2(label->width() >= label->minimumSizeHint().width(), qPrintable(name + ": " + label->text()));
  const QPixmap picture = d.grab();
  QVERIFY(!picture.isNull());
  const QString dir = qEnvironmentVariable("TARNIX_SCREENSHOT_DIR");
  if (!dir.isEmpty()) QVERIFY(picture.save(QDir(dir).filePath(name + QStringLiteral(".png"))));
  d.close();
}

}  // namespace

class FilterDialogsRenderTest : public QObject {
  Q_OBJECT
 private slots:
  void everyUseInBothPalettes() {
    struct Sample {
      int use;
      uint64_t mask, values;
    };
    const Sample samples[] = {
        {CMultiSelDlg::kLookIn, 0x1 | 0x2, 0},
        {CMultiSelDlg::kImageType, 0x2, 0},
        {CMultiSelDlg::kSubsystems, 0x4 | 0x8, 0},
        {CMultiSelDlg::kCharacteristics, 0x2000000 | 0x1, 0x1},
        {CMultiSelDlg::kDirectories, 0x4000 | 0x1000 | 0x2000000, 0x4000 | 0x2000000},
        {CMultiSelDlg::kUndecorationFlags, 0x1000, 0}};
    const QPalette light = QApplication::palette();
    for (bool dark : {false, true}) {
      QApplication::setPalette(dark ? DarkPalette() : light);
      const QString suffix = dark ? QStringLiteral("_dark") : QString();
      for (const Sample& s : samples) {
        CMultiSelDlg d(nullptr, s.use, s.mask, s.values);
        Check(d, QStringLiteral("multi_sel_%1").arg(s.use) + suffix);
      }
      CDateTimeDlg set(nullptr, QStringLiteral("'Time Stamp' Filter: FROM"),
                       QStringLiteral("Local date and time. For a match, the image timestamp has to "
                                      "be on or after this date."),
                       true, 133629623990000000ULL);
      Check(set, QStringLiteral("date_time_set") + suffix);
      CDateTimeDlg any(nullptr, QStringLiteral("'Time Stamp' Filter: TO"),
                       QStringLiteral("Local date and time. For a match, the image timestamp has to "
                                      "be on or before this date."),
                       false, 0);
      Check(any, QStringLiteral("date_time_any") + suffix);
    }
    QApplication::setPalette(light);
  }
};
TARNIX_GUI_TEST(FilterDialogsRenderTest)

}  // namespace tarnix::gui::test

#include "filter_dialogs_render_test.moc"
