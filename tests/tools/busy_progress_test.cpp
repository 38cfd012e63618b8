// The busy-progress popup's state: the delay, the bar's scaling, a second
// show, Cancel with and without closing at once.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "tools/busy_progress.h"

namespace tarnix {
namespace {

// Records what the state asks of the dialog side.
struct RecordingUi final : BusyPopupUi {
  bool armed = false;
  uint32_t armedMs = 0;
  int created = 0, destroyed = 0;
  bool alive = false;
  bool marquee = false;
  std::vector<int> barValues;
  std::vector<bool> cancelStates;
  BusyPopupTexts shownTexts;
  bool failCreate = false;

  void StartDelay(uint32_t ms) override { armed = true, armedMs = ms; }
  void StopDelay() override { armed = false; }
  bool CreateDialog(const BusyProgressState& s) override {
    if (failCreate) return false;
    ++created;
    alive = true;
    shownTexts = s.texts();
    marquee = s.range() == 0;
    cancelStates.push_back(!(s.flags() & kBusyCancelDisabled));
    return true;
  }
  void DestroyDialog() override { ++destroyed, alive = false; }
  void ShowTexts(const BusyPopupTexts& t) override { shownTexts = t; }
  void ShowMarquee(bool m) override { marquee = m; }
  void ShowBarValue(int v) override { barValues.push_back(v); }
  void ShowCancelEnabled(bool e) override { cancelStates.push_back(e); }
};

BusyPopupRequest Request(uint32_t delayMs, uint32_t flags = 0, uint64_t range = 0) {
  BusyPopupRequest r;
  r.delayMs = delayMs;
  r.flags = flags;
  r.texts = {L"Please wait...", L"Processing", L"Tarnix", L""};
  r.range = range;
  return r;
}

TEST(BusyProgressState, AHideBeforeTheDelayShowsNothing) {
  RecordingUi ui;
  BusyProgressState state(ui);
  EXPECT_EQ(state.Show(Request(500)), 1);
  EXPECT_TRUE(ui.armed);
  EXPECT_EQ(ui.armedMs, 500u);
  EXPECT_TRUE(state.delayPending());
  EXPECT_EQ(state.Hide(), 2);  // nothing was shown
  EXPECT_FALSE(ui.armed);
  state.DelayPassed();  // a timer event already on its way
  EXPECT_EQ(ui.created, 0);
  EXPECT_FALSE(state.shown());

  // Once the delay passes the dialog appears, with the default Cancel text;
  // hiding it now destroys it.
  EXPECT_EQ(state.Show(Request(500)), 1);
  state.DelayPassed();
  EXPECT_EQ(ui.created, 1);
  EXPECT_EQ(ui.shownTexts.cancelText, L"&Cancel");
  EXPECT_EQ(BusyProgressState::DialogsShown(), 1);
  EXPECT_EQ(state.Hide(), 1);
  EXPECT_EQ(ui.destroyed, 1);
  EXPECT_EQ(BusyProgressState::DialogsShown(), 0);

  // Delay 0 creates at once; a dialog that can't be made answers 0.
  ui.failCreate = true;
  EXPECT_EQ(state.Show(Request(0)), 0);
  EXPECT_FALSE(state.shown());
}

TEST(BusyProgressState, PositionsAreScaledAndARepeatSendsNothing) {
  RecordingUi ui;
  BusyProgressState state(ui);
  ASSERT_EQ(state.Show(Request(0, 0, 1000)), 1);
  EXPECT_FALSE(ui.marquee);
  EXPECT_EQ(state.lastBarValue(), 0);  // the dialog starts with position 0's value
  for (uint64_t p = 0; p <= 1000; ++p) state.SetPosition(p);
  ASSERT_EQ(ui.barValues.size(), 1000u);  // 0 was already there
  EXPECT_EQ(ui.barValues.front(), 4);
  EXPECT_EQ(ui.barValues[499], 2048);
  EXPECT_EQ(ui.barValues.back(), 4096);
  state.SetPosition(1000);
  EXPECT_EQ(ui.barValues.size(), 1000u);

  // Back to a marquee and out again: the bar is told its value anew.
  state.SetRange(0);
  EXPECT_TRUE(ui.marquee);
  ui.barValues.clear();
  state.SetPosition(5);
  EXPECT_TRUE(ui.barValues.empty());
  state.SetRange(10);
  EXPECT_FALSE(ui.marquee);
  ASSERT_EQ(ui.barValues.size(), 1u);
  EXPECT_EQ(ui.barValues[0], 2048);
}

TEST(BusyProgressState, BarValuesStayInRangeForHugeAndOverlongPositions) {
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  EXPECT_EQ(BusyBarValue(kMax, kMax), 4096);
  EXPECT_EQ(BusyBarValue(kMax / 2, kMax), 2047);
  EXPECT_EQ(BusyBarValue(5000, 1000), 4096);  // past the end: full
  EXPECT_EQ(BusyBarValue(1, 3), 1365);
  EXPECT_EQ(BusyBarValue(7, 0), -1);
}

TEST(BusyProgressState, ASecondShowWhileShownAnswersTwoAndChangesNothing) {
  RecordingUi ui;
  BusyProgressState state(ui);
  ASSERT_EQ(state.Show(Request(0, 0, 100)), 1);
  const auto tick = state.showTick();
  BusyPopupRequest other = Request(0, kBusyCancelCloses, 5);
  other.texts.text1 = L"Reloading list...";
  EXPECT_EQ(state.Show(other), 2);
  EXPECT_EQ(state.texts().text1, L"Please wait...");
  EXPECT_EQ(state.range(), 100u);
  EXPECT_EQ(state.flags(), 0u);
  EXPECT_EQ(state.showTick(), tick);
  EXPECT_EQ(ui.created, 1);
}

TEST(BusyProgressState, CancelSetsTheFlagOnceAndGreysCancelOrClosesAtOnce) {
  RecordingUi ui;
  BusyProgressState state(ui);
  std::atomic<uint32_t> flag{0};
  BusyPopupRequest r = Request(0);
  r.cancelFlag = &flag;
  ASSERT_EQ(state.Show(r), 1);
  EXPECT_TRUE(state.Cancel());
  EXPECT_EQ(flag.load(), 1u);
  EXPECT_TRUE(state.shown());
  EXPECT_EQ(ui.cancelStates.back(), false);
  const size_t updates = ui.cancelStates.size();
  flag.store(0);  // so that a second store would show
  EXPECT_FALSE(state.Cancel());
  EXPECT_EQ(flag.load(), 0u);
  EXPECT_EQ(ui.cancelStates.size(), updates);
  // The work may enable Cancel again; it stays greyed, the cancel is made.
  state.EnableCancel(true);
  EXPECT_EQ(ui.cancelStates.back(), false);
  EXPECT_EQ(state.Hide(), 1);

  // With "Cancel closes at once" the dialog goes with the click.
  flag.store(0);
  r.flags = kBusyCancelCloses;
  ASSERT_EQ(state.Show(r), 1);
  EXPECT_TRUE(state.Cancel());
  EXPECT_EQ(flag.load(), 1u);
  EXPECT_FALSE(state.shown());
  EXPECT_EQ(ui.destroyed, 2);
  EXPECT_EQ(BusyProgressState::DialogsShown(), 0);
  EXPECT_EQ(state.Hide(), 2);
}

}  // namespace
}  // namespace tarnix
