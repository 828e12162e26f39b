#include "window/busy_policy.h"

#include <chrono>

#include "resources/strings.h"

namespace quillon {

namespace {

class SteadyClock final : public Clock {
 public:
  std::uint64_t NowMs() const override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }
};

std::u16string Digits(std::size_t number) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + number % 10));
    number /= 10;
  } while (number != 0);
  return digits;
}

}  // namespace

const Clock& SystemClock() {
  static const SteadyClock clock;
  return clock;
}

bool BusyPolicy::Begin(std::size_t total) {
  const bool started = m_depth++ == 0;
  if (started) {
    m_busySince = m_clock.NowMs();
    m_lastRepaint = m_busySince;
  }
  m_total = total;
  m_done = 0;
  return started;
}

BusyPolicy::Step BusyPolicy::Advance(std::size_t done) {
  m_done = done;
  if (!Busy()) return {};
  const std::uint64_t now = m_clock.NowMs();
  if (now - m_lastRepaint < m_timing.repaintEveryMs) return {};
  m_lastRepaint = now;
  if (now - m_busySince >= m_timing.showProgressAfterMs) m_progressShown = true;
  return {true, m_progressShown};
}

bool BusyPolicy::End() {
  if (m_depth == 0 || --m_depth > 0) return false;
  m_progressShown = false;
  return true;
}

std::u16string ProgressText(std::size_t done, std::size_t total, std::u16string_view separator) {
  std::u16string text = str::kProgressLabel;
  text.append(separator);
  text += Digits(done < total ? done : total);
  text += u" / ";
  text += Digits(total);
  text += str::kProgressFiles;
  return text;
}

}  // namespace quillon
