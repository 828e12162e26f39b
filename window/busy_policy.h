// When a window busy with long work shows its progress and repaints, the
// same in every window: work may nest, its count shows once the outermost
// work has lasted half a second, and the window repaints every 40 ms
// meanwhile. Time comes in through a clock of its own, so that a test can
// set it instead of sleeping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "window/window_constants.h"

namespace quillon {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since some fixed moment; never goes back.
  virtual std::uint64_t NowMs() const = 0;
};

// The system's monotonic clock.
const Clock& SystemClock();

class BusyPolicy {
 public:
  struct Timing {
    std::uint64_t showProgressAfterMs = window::kShowProgressAfterMs;
    std::uint64_t repaintEveryMs = window::kRepaintEveryMs;
  };
  // What the window does at a step of the work.
  struct Step {
    bool repaint = false;       // repaint, taking in (and dropping) the input meanwhile
    bool showProgress = false;  // and, before that, show Done() of Total()
  };

  // `clock` must outlive the policy.
  explicit BusyPolicy(const Clock& clock) : m_clock(clock) {}

  void SetTiming(Timing timing) { m_timing = timing; }

  // Work on `total` files starts; an inner one starts a new count. True when
  // the window was idle until now: from here it takes no input.
  bool Begin(std::size_t total);
  // `done` files are handled. Cheap when nothing is due.
  Step Advance(std::size_t done);
  // The innermost work ends. True when that was the outermost: the window
  // takes input again and hides its progress, if ProgressShown() said so
  // just before. An End without a Begin does nothing.
  bool End();

  bool Busy() const { return m_depth > 0; }
  bool ProgressShown() const { return m_progressShown; }
  // The count as shown: never more done than the total.
  std::size_t Done() const { return m_done < m_total ? m_done : m_total; }
  std::size_t Total() const { return m_total; }

 private:
  const Clock& m_clock;
  Timing m_timing;
  int m_depth = 0;
  std::size_t m_total = 0;
  std::size_t m_done = 0;
  std::uint64_t m_busySince = 0;
  std::uint64_t m_lastRepaint = 0;
  bool m_progressShown = false;
};

// What the progress says: its label, `separator`, then the count as
// "done / total" followed by the word for files.
std::u16string ProgressText(std::size_t done, std::size_t total, std::u16string_view separator);

}  // namespace quillon
