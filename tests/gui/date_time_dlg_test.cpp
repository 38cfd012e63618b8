// The time-stamp filter's date and time picker, in Berlin's time zone: what
// it shows for stored bounds, what OK stores, the daylight-saving change
// days, the values it cannot show or store, and how it shrinks and grows.
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimeEdit>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "gui/dialogs/date_time_dlg.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"

namespace tarnix::gui::test {
namespace {

const QString kFromCaption = QStringLiteral("'Time Stamp' Filter: FROM");
const QString kFromText = QStringLiteral(
    "Local date and time. For a match, the image timestamp has to be on or after this date.");
const QString kToCaption = QStringLiteral("'Time Stamp' Filter: TO");
const QString kToText = QStringLiteral(
    "Local date and time. For a match, the image timestamp has to be on or before this date.");

constexpr uint64_t kUnixEpochFileTime = 116444736000000000ULL;

uint64_t FileTimeOf(const QDateTime& t) {
  return kUnixEpochFileTime + static_cast<uint64_t>(t.toMSecsSinceEpoch()) * 10000ULL;
}

uint64_t LocalFileTime(QDate date, QTime time) { return FileTimeOf(QDateTime(date, time, Qt::LocalTime)); }
uint64_t UtcFileTime(QDate date, QTime time) { return FileTimeOf(QDateTime(date, time, Qt::UTC)); }

void UseZone(const char* zone) {
  setenv("TZ", zone, 1);
  tzset();
}

QCheckBox* AnyDate(QDialog& d) { return d.findChild<QCheckBox*>(); }
QCalendarWidget* Calendar(QDialog& d) { return d.findChild<QCalendarWidget*>(); }
QTimeEdit* TimeField(QDialog& d) { return FindChild<QTimeEdit>(&d, QStringLiteral("&Time:")); }

// The box takes clicks on its indicator and text, not on the rest of the
// row it spans.
void ClickAnyDate(QDialog& d) {
  QCheckBox* box = AnyDate(d);
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
}

void ClickOk(QDialog& d) {
  QTest::mouseClick(d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
}

// Types a time into the field as a user does: tabbed into, the hours are
// selected, and each full section moves on to the next.
void TypeTime(QTimeEdit* field, const QString& text) {
  field->setFocus(Qt::TabFocusReason);
  QString digits = text;
  QTest::keyClicks(field, digits.remove(QLatin1Char(':')));
  QCOMPARE(field->text(), text);
}

std::function<int(QDialog&)> User(std::function<void(QDialog&)> steps) {
  return [steps](QDialog& d) {
    d.activateWindow();
    [&] { QVERIFY(QTest::qWaitForWindowActive(&d)); }();
    steps(d);
    return d.result();
  };
}

}  // namespace

class DateTimeDlgTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() {
    if (!std::filesystem::exists("/usr/share/zoneinfo/Europe/Berlin"))
      QSKIP("no time zone data for Europe/Berlin");
    if (const char* tz = std::getenv("TZ")) oldZone_ = tz;
    UseZone("Europe/Berlin");
  }
  void cleanupTestCase() {
    if (oldZone_) UseZone(oldZone_->c_str());
  }

  void fromBoundWithoutValueStoresTodaysLocalMidnight() {
    FakeDialogs dialogs;
    dialogs.onExec = User([&](QDialog& d) {
      QCOMPARE(d.windowTitle(), kFromCaption);
      QVERIFY(AnyDate(d)->isChecked());
      QVERIFY(!Calendar(d)->isVisible() && !TimeField(d)->isVisible());
      ClickAnyDate(d);
      QVERIFY(Calendar(d)->isVisible() && TimeField(d)->isVisible());
      QCOMPARE(Calendar(d)->selectedDate(), QDate::currentDate());
      QCOMPARE(TimeField(d)->text(), QStringLiteral("00:00:00"));
      QVERIFY2(UnnamedControls(&d).isEmpty(), qPrintable(UnnamedControls(&d).join(", ")));
      ClickOk(d);
    });
    uint64_t value = 0;
    QVERIFY(CDateTimeDlg::Run(nullptr, kFromCaption, kFromText, true, value));
    QCOMPARE(value, LocalFileTime(QDate::currentDate(), QTime(0, 0)));
    QVERIFY(dialogs.boxes.empty());

    // Ticked again, OK stores "not set".
    dialogs.onExec = User([&](QDialog& d) {
      QVERIFY(!AnyDate(d)->isChecked());
      ClickAnyDate(d);
      ClickOk(d);
    });
    QVERIFY(CDateTimeDlg::Run(nullptr, kFromCaption, kFromText, true, value));
    QCOMPARE(value, uint64_t(0));
  }

  void toBoundReopensAtTheSameLocalTime() {
    FakeDialogs dialogs;
    dialogs.onExec = User([&](QDialog& d) {
      ClickAnyDate(d);
      QCOMPARE(TimeField(d)->text(), QStringLiteral("23:59:59"));
      Calendar(d)->setSelectedDate(QDate(2024, 6, 15));
      ClickOk(d);
    });
    uint64_t value = 0;
    QVERIFY(CDateTimeDlg::Run(nullptr, kToCaption, kToText, false, value));
    QCOMPARE(value, UtcFileTime(QDate(2024, 6, 15), QTime(21, 59, 59)));  // summer time, UTC+2
    dialogs.onExec = User([&](QDialog& d) {
      QVERIFY(!AnyDate(d)->isChecked());
      QCOMPARE(Calendar(d)->selectedDate(), QDate(2024, 6, 15));
      QCOMPARE(TimeField(d)->text(), QStringLiteral("23:59:59"));
      ClickOk(d);
    });
    const uint64_t stored = value;
    QVERIFY(CDateTimeDlg::Run(nullptr, kToCaption, kToText, false, value));
    QCOMPARE(value, stored);
    QVERIFY(dialogs.boxes.empty());
  }

  // 02:30 did not exist on 2024-03-31 and came twice on 2024-10-27; both
  // are taken without a complaint.
  void daylightSavingChangeDaysConvertWithoutError() {
    FakeDialogs dialogs;
    auto pick = [&](QDate date, const QString& time) {
      uint64_t value = 0;
      dialogs.onExec = User([&](QDialog& d) {
        ClickAnyDate(d);
        Calendar(d)->setSelectedDate(date);
        TypeTime(TimeField(d), time);
        ClickOk(d);
      });
      [&] { QVERIFY(CDateTimeDlg::Run(nullptr, kFromCaption, kFromText, true, value)); }();
      return value;
    };
    auto reopened = [&](uint64_t value) {
      QString shown;
      dialogs.onExec = User([&](QDialog& d) { shown = TimeField(d)->text(); });
      CDateTimeDlg::Run(nullptr, kFromCaption, kFromText, true, value);
      return shown;
    };
    const uint64_t gap = pick(QDate(2024, 3, 31), QStringLiteral("02:30:00"));
    QVERIFY(gap == UtcFileTime(QDate(2024, 3, 31), QTime(0, 30)) ||
            gap == UtcFileTime(QDate(2024, 3, 31), QTime(1, 30)));
    const QString gapShown = reopened(gap);
    QVERIFY2(gapShown == QStringLiteral("01:30:00") || gapShown == QStringLiteral("03:30:00"),
             qPrintable(gapShown));
    const uint64_t overlap = pick(QDate(2024, 10, 27), QStringLiteral("02:30:00"));
    QVERIFY(overlap == UtcFileTime(QDate(2024, 10, 27), QTime(0, 30)) ||
            overlap == UtcFileTime(QDate(2024, 10, 27), QTime(1, 30)));
    QCOMPARE(reopened(overlap), QStringLiteral("02:30:00"));
    QVERIFY(dialogs.boxes.empty());
  }

  void anyDateShrinksAndGrowsBackToTheFirstHeight() {
    FakeDialogs dialogs;
    int full = 0, shrunk = 0, grown = 0, fromEmpty = 0, emptyGrown = 0;
    int width = 0, shrunkWidth = 0;
    dialogs.onExec = User([&](QDialog& d) {
      full = d.height();
      width = d.width();
      const int okTop = d.findChild<QDialogButtonBox*>()->geometry().top();
      ClickAnyDate(d);
      QVERIFY(!Calendar(d)->isVisible());
      QTest::qWait(20);
      shrunk = d.height();
      shrunkWidth = d.width();
      // The buttons moved up to below the check box.
      QVERIFY(d.findChild<QDialogButtonBox*>()->geometry().top() < okTop);
      QVERIFY(d.findChild<QDialogButtonBox*>()->geometry().top() > AnyDate(d)->geometry().bottom());
      ClickAnyDate(d);
      QTest::qWait(20);
      grown = d.height();
    });
    uint64_t value = UtcFileTime(QDate(2024, 1, 10), QTime(12, 0));
    QVERIFY(!CDateTimeDlg::Run(nullptr, kFromCaption, kFromText, true, value));
    QVERIFY2(shrunk < full / 2, qPrintable(QStringLiteral("%1 of %2").arg(shrunk).arg(full)));
    QCOMPARE(shrunkWidth, width);
    QCOMPARE(grown, full);
    dialogs.onExec = User([&](QDialog& d) {
      fromEmpty = d.height();
      ClickAnyDate(d);
      QTest::qWait(20);
      emptyGrown = d.height();
    });
    value = 0;
    CDateTimeDlg::Run(nullptr, kFromCaption, kFromText, true, value);
    QCOMPARE(fromEmpty, shrunk);
    QCOMPARE(emptyGrown, full);
  }

  void valuesItCannotShowAreReported() {
    FakeDialogs dialogs;
    dialogs.onExec = User([&](QDialog&) {});
    auto open = [&](uint64_t value) {
      dialogs.boxes.clear();
      dialogs.AnswerMessageBox(IDOK);
      CDateTimeDlg::Run(nullptr, kFromCaption, kFromText, true, value);
      return dialogs.boxes.size() == 1 ? dialogs.boxes.front().text : QString::number(dialogs.boxes.size());
    };
    QCOMPARE(open(0x8000000000000000ULL), QStringLiteral("ERROR: Failed to convert date to show in window."));
    // Past the calendar's last day (30827-12-31).
    QCOMPARE(open(0x7FFFFFFFFFFFFFFFULL - 10 * 3600 * 10000000ULL),
             QStringLiteral("ERROR: Failed to set date to show in window."));
    UseZone("America/New_York");
    QCOMPARE(open(1), QStringLiteral("ERROR: Failed to convert date to local format to show in window."));
    UseZone("Europe/Berlin");
  }

  void timesWithoutAFileTimeAreRefused() {
    FakeDialogs dialogs;
    QString box;
    bool stayedOpen = false;
    auto pick = [&](QDate date, const QString& time) {
      dialogs.boxes.clear();
      dialogs.AnswerMessageBox(IDOK);
      uint64_t value = 0;
      dialogs.onExec = User([&](QDialog& d) {
        ClickAnyDate(d);
        Calendar(d)->setSelectedDate(date);
        TypeTime(TimeField(d), time);
        ClickOk(d);
        stayedOpen = d.isVisible();
      });
      const bool ok = CDateTimeDlg::Run(nullptr, kFromCaption, kFromText, true, value);
      box = dialogs.boxes.empty() ? QString() : dialogs.boxes.front().text;
      return !ok && value == 0;
    };
    // Local midnight of the first day lies before the first UTC file time.
    QVERIFY(pick(QDate(1601, 1, 1), QStringLiteral("00:00:00")));
    QVERIFY(stayedOpen);
    QVERIFY2(box.startsWith(QStringLiteral("ERROR: Failed to convert to UTC provided date/time:\n\n(87) ")),
             qPrintable(box));
    UseZone("America/New_York");
    // The last evening is already past the last file time in UTC.
    QVERIFY(pick(QDate(30827, 12, 31), QStringLiteral("23:30:00")));
    QVERIFY(stayedOpen);
    QVERIFY2(box.startsWith(QStringLiteral("ERROR: Failed to convert provided date/time:\n\n(87) ")),
             qPrintable(box));
    UseZone("Europe/Berlin");
  }

 private:
  std::optional<std::string> oldZone_;
};
TARNIX_GUI_TEST(DateTimeDlgTest)

}  // namespace tarnix::gui::test

#include "date_time_dlg_test.moc"
