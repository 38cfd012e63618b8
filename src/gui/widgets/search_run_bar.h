#pragma once
// The run bar of a search window: the "&SEARCH" button (which reads
// "&Pause" and "Res&ume" while a search runs), "St&op", the progress bar
// and the progress text, drawn from the UI-free RunBarState. The bar only
// shows the run; the window decides what a press does (it asks the bar's
// phase) and tells the bar what happened.
//
//   auto* bar = new SearchRunBar(this);
//   connect(bar, &SearchRunBar::searchPressed, this, [this] { bar_->phase() == RunPhase::kIdle ? Start() : PauseOrResume(); });
//   bar->Started(); ... bar->SetTotal(n); bar->SetDone(k); ... bar->Finished();
#include <QTimer>
#include <QWidget>
#include <cstdint>

#include "tools/run_bar_state.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace tarnix::gui {

class SearchRunBar : public QWidget {
  Q_OBJECT
 public:
  // `progressName` is the accessible name of the progress bar,
  // `textName` that of the progress text ("Current File", "Current Path").
  explicit SearchRunBar(QWidget* parent = nullptr,
                        const QString& progressName = QStringLiteral("Search Progress"),
                        const QString& textName = QStringLiteral("Current File"));

  RunPhase phase() const { return state_.phase(); }
  QPushButton* searchButton() const { return search_; }
  QPushButton* stopButton() const { return stop_; }
  QProgressBar* progressBar() const { return progress_; }
  QLabel* progressLabel() const { return text_; }

  void Started();
  void Paused();
  void Resumed();
  void Finished();
  void SetTotal(uint64_t total);
  void SetDone(uint64_t done);
  void SetCurrent(const QString& text);

 signals:
  // The search button was pressed (start, pause or resume: see phase()).
  void searchPressed();
  void stopPressed();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Show();

  RunBarState state_;
  QPushButton* search_;
  QPushButton* stop_;
  QProgressBar* progress_;
  QLabel* text_;
  QTimer blink_;
};

}  // namespace tarnix::gui
