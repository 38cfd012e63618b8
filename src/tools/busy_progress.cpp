#include "tools/busy_progress.h"

#include <algorithm>

#include "core/event_log.h"
#include "platform/last_error.h"

namespace tarnix {
namespace {

std::atomic<int> g_dialogsShown{0};

// 128 bits: a position near 2^64 times 4096 does not fit in 64.
__extension__ typedef unsigned __int128 Wide;

void NormaliseCancelText(BusyPopupTexts& texts) {
  if (texts.cancelText.empty()) texts.cancelText = kBusyDefaultCancelText;
}

}  // namespace

int BusyBarValue(uint64_t position, uint64_t range) {
  if (range == 0) return -1;
  const Wide scaled = static_cast<Wide>(std::min(position, range)) * kBusyBarScale / range;
  return static_cast<int>(scaled);
}

Rect BusyCentringRect(const Rect* ownerWindow, const Rect* ownerScreenWork,
                      const Rect* primaryWork) {
  for (const Rect* r : {ownerWindow, ownerScreenWork, primaryWork})
    if (r && r->width() > 0 && r->height() > 0) return *r;
  return {};
}

void BusyCentredOrigin(const Rect& rect, int width, int height, int& left, int& top) {
  left = rect.left + (rect.width() - width) / 2;
  top = rect.top + (rect.height() - height) / 2;
}

BusyProgressState::~BusyProgressState() {
  ui_.StopDelay();
  if (shown_) {
    ui_.DestroyDialog();
    Destroyed();
  }
}

int BusyProgressState::DialogsShown() { return g_dialogsShown.load(); }

void BusyProgressState::Destroyed() {
  shown_ = false;
  lastBarValue_ = -1;
  g_dialogsShown.fetch_sub(1);
}

int BusyProgressState::Show(const BusyPopupRequest& request) {
  if (shown_) return 2;
  flags_ = request.flags;
  texts_ = request.texts;
  NormaliseCancelText(texts_);
  range_ = request.range;
  position_ = request.position;
  cancelFlag_ = request.cancelFlag;
  cancelRequested_ = false;
  lastBarValue_ = -1;
  showTick_ = std::chrono::steady_clock::now();
  if (request.delayMs == 0) {
    ui_.StopDelay();
    pending_ = false;
    if (!ui_.CreateDialog(*this)) return 0;
    shown_ = true;
    g_dialogsShown.fetch_add(1);
    lastBarValue_ = BarValue();
    return 1;
  }
  pending_ = true;
  ui_.StartDelay(request.delayMs);
  return 1;
}

void BusyProgressState::DelayPassed() {
  if (!pending_ || shown_) return;
  pending_ = false;
  if (!ui_.CreateDialog(*this)) {
    EventLog::LogSiteFormat(880, L"e=%u", GetLastError());
    return;
  }
  shown_ = true;
  g_dialogsShown.fetch_add(1);
  lastBarValue_ = BarValue();
}

int BusyProgressState::Hide() {
  ui_.StopDelay();
  pending_ = false;
  if (!shown_) return 2;
  ui_.DestroyDialog();
  Destroyed();
  return 1;
}

void BusyProgressState::SendBarValue() {
  const int value = BarValue();
  if (value < 0 || value == lastBarValue_) return;
  ui_.ShowBarValue(value);
  lastBarValue_ = value;
}

void BusyProgressState::SetRange(uint64_t range) {
  const bool wasMarquee = range_ == 0;
  range_ = range;
  if (!shown_) return;
  if ((range == 0) != wasMarquee) {
    ui_.ShowMarquee(range == 0);
    lastBarValue_ = -1;  // the bar forgot its value
  }
  SendBarValue();
}

void BusyProgressState::SetPosition(uint64_t position) {
  position_ = position;
  if (shown_) SendBarValue();
}

int BusyProgressState::SetTexts(const std::wstring* text1, const std::wstring* text2,
                                const std::wstring* caption, const std::wstring* cancelText) {
  if (text1) texts_.text1 = *text1;
  if (text2) texts_.text2 = *text2;
  if (caption) texts_.caption = *caption;
  if (cancelText) texts_.cancelText = *cancelText;
  NormaliseCancelText(texts_);
  if (shown_) ui_.ShowTexts(texts_);
  return 1;
}

void BusyProgressState::EnableCancel(bool enable) {
  if (enable)
    flags_ &= ~kBusyCancelDisabled;
  else
    flags_ |= kBusyCancelDisabled;
  if (shown_) ui_.ShowCancelEnabled(enable && !cancelRequested_);
}

bool BusyProgressState::Cancel() {
  if (!shown_ || (flags_ & kBusyCancelDisabled) || cancelRequested_) return false;
  cancelRequested_ = true;
  if (cancelFlag_) cancelFlag_->store(1);
  if (flags_ & kBusyCancelCloses) {
    ui_.DestroyDialog();
    Destroyed();
  } else {
    ui_.ShowCancelEnabled(false);
  }
  return true;
}

}  // namespace tarnix
