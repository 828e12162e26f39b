// When long work shows its count and repaints: timed by a clock the test
// sets, so that no test waits.
#include "window/busy_policy.h"

#include <gtest/gtest.h>

#include "resources/strings.h"

namespace quillon {
namespace {

class FakeClock : public Clock {
 public:
  std::uint64_t NowMs() const override { return now; }
  std::uint64_t now = 1000;
};

TEST(BusyPolicy, ShowsTheCountOnlyOnceWorkHasLastedAndRepaintsAtItsPace) {
  enum Op { kBegin, kAdvance, kEnd };
  struct Step {
    std::uint64_t at;  // ms after the start
    Op op;
    std::size_t count;  // total for kBegin, done for kAdvance
    bool answer;        // Begin/End: the outermost; Advance: repaint
    bool shown;         // the progress shows afterwards
  };
  const Step steps[] = {
      {0, kBegin, 100, true, false},
      {39, kAdvance, 1, false, false},  // too soon to repaint
      {40, kAdvance, 2, true, false},   // repaint, but the work is young
      {60, kAdvance, 3, false, false},
      {480, kAdvance, 4, true, false},
      {499, kAdvance, 5, false, false},
      {520, kAdvance, 6, true, true},  // half a second: the count shows
      {530, kBegin, 7, false, true},   // nested: a new count, still shown
      {570, kAdvance, 9, true, true},
      {575, kEnd, 0, false, true},       // the inner work ends
      {580, kEnd, 0, true, false},       // the outer one: hidden
      {590, kEnd, 0, false, false},      // one End too many changes nothing
      {600, kAdvance, 1, false, false},  // idle: nothing to repaint
      // Short work never shows, however often it repaints.
      {1000, kBegin, 5, true, false},
      {1200, kAdvance, 1, true, false},
      {1499, kAdvance, 5, true, false},
      {1499, kEnd, 0, true, false},
  };
  FakeClock clock;
  BusyPolicy policy(clock);
  const std::uint64_t start = clock.now;
  for (const Step& step : steps) {
    SCOPED_TRACE(::testing::Message() << "at " << step.at << " op " << step.op);
    clock.now = start + step.at;
    switch (step.op) {
      case kBegin:
        EXPECT_EQ(policy.Begin(step.count), step.answer);
        EXPECT_EQ(policy.Total(), step.count);
        EXPECT_EQ(policy.Done(), 0u);
        break;
      case kAdvance: {
        const BusyPolicy::Step got = policy.Advance(step.count);
        EXPECT_EQ(got.repaint, step.answer);
        EXPECT_EQ(got.showProgress, step.answer && step.shown);
        break;
      }
      case kEnd:
        EXPECT_EQ(policy.End(), step.answer);
        break;
    }
    EXPECT_EQ(policy.ProgressShown(), step.shown);
  }
  EXPECT_FALSE(policy.Busy());
}

TEST(BusyPolicy, TheCountNeverShowsMoreDoneThanTheTotal) {
  FakeClock clock;
  BusyPolicy policy(clock);
  policy.SetTiming({0, 0});
  policy.Begin(3);
  EXPECT_TRUE(policy.Advance(7).showProgress);
  EXPECT_EQ(policy.Done(), 3u);
  const std::u16string expected =
      std::u16string(str::kProgressLabel) + u"\n3 / 3" + str::kProgressFiles;
  EXPECT_EQ(ProgressText(policy.Done(), policy.Total(), u"\n"), expected);
  EXPECT_EQ(ProgressText(0, 100000, u" "),
            std::u16string(str::kProgressLabel) + u" 0 / 100000" + str::kProgressFiles);
}

}  // namespace
}  // namespace quillon
