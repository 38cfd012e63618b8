#pragma once
// The date and time picker of the image time-stamp filter: a calendar, a
// time field with seconds, and "Use &any date" for a bound that is off. The
// value is a UTC file time (0 when not set); the dialog shows and takes
// local time.
#include <QDialog>
#include <QSize>
#include <QStringList>
#include <cstdint>

class QCalendarWidget;
class QCheckBox;
class QLabel;
class QTimeEdit;

namespace tarnix::gui {

class CDateTimeDlg : public QDialog {
  Q_OBJECT
 public:
  // Runs the picker through AppDialogs().Exec; on OK stores the chosen time
  // (0 for any date) in `fileTime` and answers true. `startOfDay` starts an
  // unset bound at 00:00:00, otherwise at 23:59:59.
  static bool Run(QWidget* owner, const QString& caption, const QString& explanation,
                  bool startOfDay, uint64_t& fileTime);

  // The picker showing `fileTime`, not yet run (Run makes one; a screenshot
  // can show one by itself). A value it cannot show is reported when the
  // dialog is first shown.
  CDateTimeDlg(QWidget* parent, const QString& caption, const QString& explanation,
               bool startOfDay, uint64_t fileTime);
  ~CDateTimeDlg() override;

  // The value OK stored; the input until then.
  uint64_t fileTime() const { return fileTime_; }

 public slots:
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowValue(uint64_t fileTime, bool startOfDay);
  void ShowDateControls(bool show);
  void Error(const QString& text);

  QCheckBox* anyDate_ = nullptr;
  QLabel* explanation_ = nullptr;
  QCalendarWidget* calendar_ = nullptr;
  QLabel* timeLabel_ = nullptr;
  QTimeEdit* time_ = nullptr;

  uint64_t fileTime_;
  QSize initialSize_;         // with the date controls shown
  bool controlsShown_ = true;
  QStringList pendingErrors_;  // found while opening, shown once the dialog is
  bool shown_ = false;
};

}  // namespace tarnix::gui
