#include "gui/widgets/search_run_bar.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "gui/app/text_convert.h"

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
  text_ = new QLabel(this);
  text_->setAccessibleName(textName);
  text_->setMinimumWidth(50);
  text_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  row->addWidget(search_);
  row->addWidget(stop_);
  row->addWidget(progress_, 1);
  row->addWidget(text_, 2);
  connect(search_, &QPushButton::clicked, this, &SearchRunBar::searchPressed);
  connect(stop_, &QPushButton::clicked, this, &SearchRunBar::stopPressed);
  blink_.setInterval(RunBarState::kBlinkMs);
  connect(&blink_, &QTimer::timeout, this, [this] {
    state_.Blink();
    Show();
  });
  Show();
}

void SearchRunBar::Started() {
  state_.Start();
  Show();
}

void SearchRunBar::Paused() {
  state_.Pause();
  blink_.start();
  Show();
}

void SearchRunBar::Resumed() {
  state_.Resume();
  blink_.stop();
  Show();
}

void SearchRunBar::Finished() {
  state_.Finish();
  blink_.stop();
  Show();
  search_->setDefault(true);
}

void SearchRunBar::SetTotal(uint64_t total) {
  state_.SetTotal(total);
  Show();
}

void SearchRunBar::SetDone(uint64_t done) {
  state_.SetDone(done);
  Show();
}

void SearchRunBar::SetCurrent(const QString& text) {
  state_.SetCurrent(FromQ(text));
  Show();
}

void SearchRunBar::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Show();
}

void SearchRunBar::Show() {
  const RunBarView v = state_.View();
  search_->setText(QString::fromWCharArray(v.buttonText));
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
  text_->setText(fm.elidedText(text, Qt::ElideMiddle, std::max(20, text_->width())));
  text_->setToolTip(text);
}

}  // namespace tarnix::gui
