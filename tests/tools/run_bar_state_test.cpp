// What the run bar shows through a run: captions, Stop, the progress bar
// from marquee to position, the current item and the blinking "PAUSED".
#include "tools/run_bar_state.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tarnix {
namespace {

TEST(RunBarState, FollowsARunFromStartToFinish) {
  RunBarState s;
  EXPECT_STREQ(s.View().buttonText, L"&SEARCH");
  EXPECT_FALSE(s.View().stopEnabled);
  EXPECT_EQ(s.View().progress, ProgressMode::kHidden);

  s.Start();
  s.SetCurrent(L"/w/a.dll");
  RunBarView v = s.View();
  EXPECT_STREQ(v.buttonText, L"Pau&se");
  EXPECT_TRUE(v.stopEnabled);
  EXPECT_EQ(v.progress, ProgressMode::kMarquee);
  EXPECT_EQ(v.text, L"/w/a.dll");

  // A total of nothing keeps the marquee; progress before a total is ignored.
  s.SetDone(5);
  s.SetTotal(0);
  EXPECT_EQ(s.View().progress, ProgressMode::kMarquee);
  s.SetTotal(200);
  s.SetDone(100);
  EXPECT_EQ(s.View().progress, ProgressMode::kPosition);
  EXPECT_EQ(s.View().position, 4999);
  s.SetDone(1000);  // more done than the total: full, not past it
  EXPECT_EQ(s.View().position, RunBarState::kProgressMax);

  s.Finish();
  v = s.View();
  EXPECT_STREQ(v.buttonText, L"&SEARCH");
  EXPECT_EQ(v.progress, ProgressMode::kHidden);
  EXPECT_TRUE(v.text.empty());
  s.SetCurrent(L"late");  // a late message after the finish changes nothing
  EXPECT_TRUE(s.View().text.empty());
}

TEST(RunBarState, PausedBlinksAndResumeShowsTheItemAgain) {
  RunBarState s;
  s.Pause();  // not running: nothing happens
  EXPECT_EQ(s.phase(), RunPhase::kIdle);
  s.Start();
  s.SetCurrent(L"x.dll");
  s.Pause();
  EXPECT_STREQ(s.View().buttonText, L"Re&sume");
  EXPECT_EQ(s.View().text, L"PAUSED");
  s.Blink();
  EXPECT_EQ(s.View().text, L"");
  s.Blink();
  EXPECT_EQ(s.View().text, L"PAUSED");
  s.SetCurrent(L"y.dll");  // the item read last is kept for the resume
  s.Resume();
  EXPECT_STREQ(s.View().buttonText, L"Pau&se");
  EXPECT_EQ(s.View().text, L"y.dll");
  s.Blink();  // not paused: no blinking
  EXPECT_EQ(s.View().text, L"y.dll");
}

TEST(RunBarState, HugeTotalsDoNotOverflow) {
  RunBarState s;
  s.Start();
  s.SetTotal(UINT64_MAX);
  s.SetDone(UINT64_MAX / 2);
  EXPECT_NEAR(s.View().position, RunBarState::kProgressMax / 2, 2);
  s.SetDone(UINT64_MAX);
  EXPECT_LE(s.View().position, RunBarState::kProgressMax);
}

}  // namespace
}  // namespace tarnix
