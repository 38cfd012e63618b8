#include "gui/widgets/search_run_bar.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include "core/event_log.h"
#include "gui/app/dialogs.h"
#include "gui/app/text_convert.h"
#include "gui/widgets/live_label.h"

namespace tarnix::gui {

SearchRunBar::SearchRunBar(QWidget* parent, const QString& progressName, const QString& textName)
    : QWidget(parent) {
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  search_ = new QPushButton(QStringLiteral("&SEARCH"), this);
  search_->setDefault(true);
  search_->setAutoDefault(true);
  stop_ = new QPushButton(QStringLiteral("St&op"), this);
  progress_ = new QProgressBar(this);
  progress_->setAccessibleName(progressName);
  progress_->setTextVisible(false);
  text_ = LiveLabel(this, textName);
  text_->setMinimumWidth(50);
  text_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  row->addWidget(search_);
  row->addWidget(stop_);
  row->addWidget(progress_, 1);
  row->addWidget(text_, 2);
  blink_.setInterval(RunBarState::kBlinkMs);
  connect(&blink_, &QTimer::timeout, this, [this] {
    if (run_) run_->BlinkBar();
  });
  Show();
}

void SearchRunBar::Bind(Run& run, std::function<void()> start, int stopSite) {
  run_ = &run;
  start_ = std::move(start);
  stopSite_ = stopSite;
  connect(search_, &QPushButton::clicked, this, [this] {
    if (!run_->active()) {
      if (start_) start_();
    } else if (run_->paused()) {
      run_->Resume();
    } else {
      run_->Pause();
    }
  });
  connect(stop_, &QPushButton::clicked, this, [this] {
    if (!run_->active()) return;
    // The workers' last messages, the end among them, are handled before
    // Stop answers.
    if (!run_->Stop() && stopSite_) {
      EventLog::LogSite(stopSite_);
      AppDialogs().Beep(mb::kIconError);
    }
  });
  QPointer<SearchRunBar> self(this);
  run.OnStateChanged([self] {
    if (self) self->Show();
  });
  Show();
}

void SearchRunBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Show();
}

void SearchRunBar::Show() {
  const RunBarView v = run_ ? run_->bar().View() : RunBarState().View();
  const bool paused = run_ && run_->bar().phase() == RunPhase::kPaused;
  if (paused && !blink_.isActive()) blink_.start();
  if (!paused) blink_.stop();
  const RunPhase phase = run_ ? run_->bar().phase() : RunPhase::kIdle;
  search_->setText(QString::fromWCharArray(v.buttonText));
  // A search that ended leaves the search button the default again.
  if (phase == RunPhase::kIdle && shownPhase_ != RunPhase::kIdle) search_->setDefault(true);
  shownPhase_ = phase;
  stop_->setEnabled(v.stopEnabled);
  switch (v.progress) {
    case ProgressMode::kHidden:
      progress_->setRange(0, RunBarState::kProgressMax);
      progress_->reset();
      progress_->hide();
      break;
    case ProgressMode::kMarquee:
      progress_->setRange(0, 0);
      progress_->show();
      break;
    case ProgressMode::kPosition:
      if (progress_->maximum() == 0) progress_->setRange(0, RunBarState::kProgressMax);
      progress_->setValue(v.position);
      progress_->show();
      break;
  }
  const QString text = ToQ(v.text);
  const QFontMetrics fm(text_->font());
  SetLiveText(text_, fm.elidedText(text, Qt::ElideMiddle, std::max(20, text_->width())), text);
  text_->setToolTip(text);
}

}  // namespace tarnix::gui
