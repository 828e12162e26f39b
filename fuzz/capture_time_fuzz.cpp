// Reading a capture time against arbitrary tag values: the first two bytes
// give the lengths of the date and the fraction, the rest is the offset.
// What comes back is a real time of years 1 to 9999 with an offset of less
// than fifteen hours, its instant is its wall clock less that offset, and
// the spaces and NULs that pad a fixed-length tag change nothing.
#include <cstdlib>
#include <string>

#include "core/file_dates.h"
#include "fuzz/fuzz_check.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::string_view rest = fuzz::Bytes(data + 2, size - 2);
  const auto cut = [&rest](std::size_t length) {
    const std::string_view part = rest.substr(0, length);
    rest.remove_prefix(part.size());
    return part;
  };
  const std::string_view dateTime = cut(data[0]);
  const std::string_view subSeconds = cut(data[1]);
  const std::string_view offset = rest;

  const auto time = ParseCaptureTime(dateTime, subSeconds, offset);
  if (time) {
    QUILLON_FUZZ_CHECK(time->localMicros >= CivilMicros(1, 1, 1, 0, 0, 0));
    QUILLON_FUZZ_CHECK(time->localMicros < CivilMicros(9999, 12, 31, 23, 59, 59) + 1'000'000);
    if (time->offsetSeconds) {
      QUILLON_FUZZ_CHECK(std::abs(*time->offsetSeconds) <= 14 * 3600 + 59 * 60);
      QUILLON_FUZZ_CHECK(*time->Instant() ==
                         time->localMicros - *time->offsetSeconds * 1'000'000LL);
    } else {
      QUILLON_FUZZ_CHECK(!time->Instant());
    }
  }
  const std::string padded = std::string(dateTime) + std::string(" \0 \0", 4);
  QUILLON_FUZZ_CHECK(ParseCaptureTime(padded, subSeconds, offset) == time);
  return 0;
}
