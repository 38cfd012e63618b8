#include "gui/dialogs/date_time_dlg.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "core/event_log.h"
#include "core/wformat.h"
#include "gui/app/desktop_actions.h"
#include "gui/app/dialogs.h"
#include "gui/app/text_convert.h"
#include "platform/last_error.h"
#include "tools/date_time_value.h"

namespace tarnix::gui {
namespace {

// The calendar offers the days a file time can hold.
const QDate kFirstDay(1601, 1, 1);
const QDate kLastDay(30827, 12, 31);

void LogFields(int site, const SystemTime& st) {
  EventLog::LogSiteFormat(site, L"y=%d, mo=%d, d=%d, h=%d, m=%d, s=%d, ms=%d, dow=%d", st.year,
                          st.month, st.day, st.hour, st.minute, st.second, st.milliseconds,
                          st.dayOfWeek);
}

// The calendar's own parts carry no names a screen reader could say.
void NameCalendarParts(QCalendarWidget& calendar) {
  const std::pair<const char*, const char*> parts[] = {
      {"qt_calendar_calendarview", "Date"},
      {"qt_calendar_prevmonth", "Previous Month"},
      {"qt_calendar_nextmonth", "Next Month"},
      {"qt_calendar_monthbutton", "Month"},
      {"qt_calendar_yearbutton", "Year"},
      {"qt_calendar_yearedit", "Year"}};
  for (const auto& [objectName, name] : parts)
    if (QWidget* w = calendar.findChild<QWidget*>(QString::fromLatin1(objectName)))
      w->setAccessibleName(QString::fromLatin1(name));
}

QString ConversionError(const wchar_t* what, uint32_t error) {
  return ErrorBoxText(WFormat(L"ERROR: Failed to %ls provided date/time:", what), error);
}

}  // namespace

bool CDateTimeDlg::Run(QWidget* owner, const QString& caption, const QString& explanation,
                       bool startOfDay, uint64_t& fileTime) {
  CDateTimeDlg dialog(owner, caption, explanation, startOfDay, fileTime);
  if (AppDialogs().Exec(dialog) != QDialog::Accepted) return false;
  fileTime = dialog.fileTime();
  return true;
}

CDateTimeDlg::CDateTimeDlg(QWidget* parent, const QString& caption, const QString& explanation,
                           bool startOfDay, uint64_t fileTime)
    : QDialog(parent), fileTime_(fileTime) {
  setObjectName(QStringLiteral("CDateTimeDlg"));
  setWindowTitle(caption);

  anyDate_ = new QCheckBox(QStringLiteral("Use &any date"), this);
  explanation_ = new QLabel(explanation, this);
  explanation_->setWordWrap(true);
  calendar_ = new QCalendarWidget(this);
  calendar_->setAccessibleName(QStringLiteral("Date"));
  calendar_->setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
  calendar_->setDateRange(kFirstDay, kLastDay);
  NameCalendarParts(*calendar_);
  timeLabel_ = new QLabel(QStringLiteral("&Time:"), this);
  time_ = new QTimeEdit(this);
  time_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  timeLabel_->setBuddy(time_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

  // The label keeps its own size and sits centred with the time field.
  auto* timeRow = new QHBoxLayout;
  timeRow->addStretch(1);
  timeRow->addWidget(timeLabel_);
  timeRow->addWidget(time_);
  timeRow->addStretch(1);

  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetNoConstraint);
  layout->addWidget(anyDate_);
  layout->addWidget(explanation_);
  layout->addWidget(calendar_);
  layout->addLayout(timeRow);
  // The buttons keep a scroll bar's width of room below the controls.
  layout->addSpacing(style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  layout->addStretch(1);
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &CDateTimeDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CDateTimeDlg::reject);

  // The full size, with every control shown, is the one the dialog grows
  // back to.
  const QSize hint = sizeHint();
  int height = hint.height();
  if (layout->hasHeightForWidth()) height = std::max(height, layout->totalHeightForWidth(hint.width()));
  initialSize_ = QSize(hint.width(), height);
  setFixedSize(initialSize_);

  ShowValue(fileTime, startOfDay);
  connect(anyDate_, &QCheckBox::toggled, this, [this](bool on) { ShowDateControls(!on); });
}

CDateTimeDlg::~CDateTimeDlg() = default;

void CDateTimeDlg::ShowValue(uint64_t fileTime, bool startOfDay) {
  calendar_->setSelectedDate(QDate::currentDate());
  time_->setTime(startOfDay ? QTime(0, 0, 0, 0) : QTime(23, 59, 59, 999));
  if (fileTime == 0) {
    anyDate_->setChecked(true);
    ShowDateControls(false);
    return;
  }
  SystemTime utc, local;
  int failedStep = 0;
  if (!FileTimeToLocalCalendar(fileTime, utc, local, failedStep)) {
    if (failedStep == 1) {
      EventLog::LogSiteFormat(593, L"ft=0x%llx", static_cast<unsigned long long>(fileTime));
      pendingErrors_.push_back(QStringLiteral("ERROR: Failed to convert date to show in window."));
    } else {
      LogFields(594, utc);
      pendingErrors_.push_back(
          QStringLiteral("ERROR: Failed to convert date to local format to show in window."));
    }
    return;
  }
  const QDate date(local.year, local.month, local.day);
  calendar_->setSelectedDate(date);
  if (calendar_->selectedDate() != date) {
    EventLog::LogSite(591);
    pendingErrors_.push_back(QStringLiteral("ERROR: Failed to set date to show in window."));
  }
  time_->setTime(QTime(local.hour, local.minute, local.second, local.milliseconds));
  const QTime shown = time_->time();
  if (shown.hour() != local.hour || shown.minute() != local.minute || shown.second() != local.second) {
    EventLog::LogSite(592);
    pendingErrors_.push_back(QStringLiteral("ERROR: Failed to set time to show in window."));
  }
}

// "Use any date" hides the calendar, the time field and their labels and
// shrinks the dialog to the check box and the buttons; unticked, the
// dialog grows back to its full height.
void CDateTimeDlg::ShowDateControls(bool show) {
  if (show == controlsShown_) return;
  controlsShown_ = show;
  for (QWidget* w : {static_cast<QWidget*>(explanation_), static_cast<QWidget*>(calendar_),
                     static_cast<QWidget*>(timeLabel_), static_cast<QWidget*>(time_)})
    w->setVisible(show);
  if (show) {
    setFixedSize(initialSize_);
    return;
  }
  layout()->invalidate();
  const int height =
      std::max(layout()->totalSizeHint().height(), layout()->totalMinimumSize().height());
  setFixedSize(initialSize_.width(), std::min(height, initialSize_.height()));
}

void CDateTimeDlg::Error(const QString& text) {
  AppDialogs().MessageBox(this, text, QString(), mb::kOk | mb::kIconError);
}

void CDateTimeDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  const QStringList errors = std::move(pendingErrors_);
  pendingErrors_.clear();
  for (const QString& text : errors) Error(text);
}

void CDateTimeDlg::accept() {
  if (anyDate_->isChecked()) {
    fileTime_ = 0;
    QDialog::accept();
    return;
  }
  const QDate date = calendar_->selectedDate();
  if (!date.isValid()) {
    Error(QStringLiteral("Specify a valid date."));
    calendar_->setFocus();
    return;
  }
  const QTime time = time_->time();
  if (!time.isValid()) {
    EventLog::LogSiteFormat(588, L"r=%d", -1);
    Error(QStringLiteral("Specify a valid time."));
    time_->setFocus();
    return;
  }
  const SystemTime local =
      LocalTimeOfDay(date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second());
  SystemTime utc;
  if (!LocalCalendarToUtc(local, utc)) {
    const uint32_t error = GetLastError();
    LogFields(590, local);
    Error(ConversionError(L"convert to UTC", error));
    return;
  }
  uint64_t fileTime = 0;
  if (!UtcCalendarToFileTime(utc, fileTime)) {
    const uint32_t error = GetLastError();
    LogFields(589, utc);
    Error(ConversionError(L"convert", error));
    return;
  }
  fileTime_ = fileTime;
  QDialog::accept();
}

}  // namespace tarnix::gui
