// When a photo was taken and when a file was last modified: the port that
// reads them, and the reading of a capture time as photos record it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quillon {

// A time as the clock on the wall showed it where it was taken: the
// microseconds from 1970-01-01 00:00 to that local time, counted as if it
// were UTC, and the local offset from UTC then, where it is known. A camera
// that records no offset leaves only the wall-clock time.
struct WallTime {
  std::int64_t localMicros = 0;
  std::optional<std::int32_t> offsetSeconds;

  // The instant, in microseconds since the epoch; only with an offset.
  std::optional<std::int64_t> Instant() const {
    if (!offsetSeconds) return std::nullopt;
    return localMicros - std::int64_t{*offsetSeconds} * 1'000'000;
  }
  friend bool operator==(const WallTime&, const WallTime&) = default;
};

struct FileDates {
  // The photo's own capture time, from its metadata.
  std::optional<WallTime> taken;
  // The file's modification time, with the local offset at that time.
  std::optional<WallTime> modified;
};

class FileDateReader {
 public:
  virtual ~FileDateReader() = default;
  // Reads only the head of the file, never writes. A file whose metadata
  // cannot be read or parsed has no capture time; one that cannot be looked
  // at has neither time.
  virtual FileDates Read(std::u16string_view directory, std::u16string_view name) = 0;
};

// A capture time as photos record it: "YYYY:MM:DD HH:MM:SS" (a few writers
// use '-' between the date's parts), the fraction of a second as its digits
// ("SubSecTimeOriginal", any count, may be empty) and the offset
// ("OffsetTimeOriginal", "+09:00", "-05:30" or "Z", may be empty). Nothing
// that is not a real date and time comes back (blanks, "0000:00:00
// 00:00:00", a month 13, trailing bytes other than spaces and NULs).
std::optional<WallTime> ParseCaptureTime(std::string_view dateTime, std::string_view subSeconds,
                                         std::string_view offset);

// The microseconds from 1970-01-01 00:00 to the given civil date and time,
// counted as if it were UTC; fields must be in range.
std::int64_t CivilMicros(int year, int month, int day, int hour, int minute, int second);

}  // namespace quillon
