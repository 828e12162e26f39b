// Reading a capture time as photos record it: the date and time, the
// fraction of a second and the offset, each as its tag holds it.
#include "core/file_dates.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "tests/wall_time_printer.h"

namespace quillon {
namespace {

using namespace std::string_view_literals;

struct Case {
  std::string_view dateTime;
  std::string_view subSeconds;
  std::string_view offset;
  std::optional<WallTime> expected;
};

WallTime At(int year, int month, int day, int hour, int minute, int second, std::int64_t micros = 0,
            std::optional<std::int32_t> offset = std::nullopt) {
  return {CivilMicros(year, month, day, hour, minute, second) + micros, offset};
}

TEST(ParseCaptureTime, ReadsRealTimesAndNothingElse) {
  const std::vector<Case> cases = {
      {"2024:02:29 12:34:56", "", "", At(2024, 2, 29, 12, 34, 56)},
      {"2024-02-29 12:34:56", "", "", At(2024, 2, 29, 12, 34, 56)},
      {"2000:02:29 00:00:00", "", "", At(2000, 2, 29, 0, 0, 0)},
      {"0001:01:01 00:00:00", "", "", At(1, 1, 1, 0, 0, 0)},
      {"2024:01:02 03:04:05\0\0\0"sv, "", "", At(2024, 1, 2, 3, 4, 5)},
      {"  2024:01:02 03:04:05  ", "", "", At(2024, 1, 2, 3, 4, 5)},
      // A leap second is the last moment of its minute, whatever its fraction.
      {"2016:12:31 23:59:60", "5", "", At(2016, 12, 31, 23, 59, 59, 999'999)},
      {"2023:02:29 00:00:00", "", "", std::nullopt},
      {"1900:02:29 00:00:00", "", "", std::nullopt},
      {"2024:04:31 00:00:00", "", "", std::nullopt},
      {"2024:13:01 00:00:00", "", "", std::nullopt},
      {"2024:00:10 00:00:00", "", "", std::nullopt},
      {"2024:01:00 00:00:00", "", "", std::nullopt},
      {"2024:01:01 24:00:00", "", "", std::nullopt},
      {"2024:01:01 00:60:00", "", "", std::nullopt},
      {"2024:01:01 00:00:61", "", "", std::nullopt},
      {"0000:00:00 00:00:00", "", "", std::nullopt},
      {"    :  :     :  :  ", "", "", std::nullopt},
      {"                   ", "", "", std::nullopt},
      {"", "", "", std::nullopt},
      {"2024-01:02 03:04:05", "", "", std::nullopt},
      {"2024:01:02T03:04:05", "", "", std::nullopt},
      {"2024:01:02 03:04:05Z", "", "", std::nullopt},
      {"2024:01:02 03:04:05\0x"sv, "", "", std::nullopt},
      {"2024:1:02 03:04:05", "", "", std::nullopt},
      {"+024:01:02 03:04:05", "", "", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.dateTime)));
    EXPECT_EQ(ParseCaptureTime(c.dateTime, c.subSeconds, c.offset), c.expected);
  }
}

// The fraction and the offset come from tags of their own: one that cannot
// be read is dropped, never the time itself.
TEST(ParseCaptureTime, FractionAndOffsetAsRecorded) {
  const std::string_view time = "2023:07:08 09:10:11";
  const std::vector<Case> cases = {
      {time, "1", "", At(2023, 7, 8, 9, 10, 11, 100'000)},
      {time, "05", "", At(2023, 7, 8, 9, 10, 11, 50'000)},
      {time, "123456", "", At(2023, 7, 8, 9, 10, 11, 123'456)},
      {time, "123456789", "", At(2023, 7, 8, 9, 10, 11, 123'456)},
      {time, "999999999", "", At(2023, 7, 8, 9, 10, 11, 999'999)},
      {time, " 5\0"sv, "", At(2023, 7, 8, 9, 10, 11, 500'000)},
      {time, "12a", "", At(2023, 7, 8, 9, 10, 11)},
      {time, "-1", "", At(2023, 7, 8, 9, 10, 11)},
      {time, "", "+09:00", At(2023, 7, 8, 9, 10, 11, 0, 9 * 3600)},
      {time, "", "-05:30", At(2023, 7, 8, 9, 10, 11, 0, -(5 * 3600 + 30 * 60))},
      {time, "", "+14:00", At(2023, 7, 8, 9, 10, 11, 0, 14 * 3600)},
      {time, "", "Z", At(2023, 7, 8, 9, 10, 11, 0, 0)},
      {time, "", "+09:00\0"sv, At(2023, 7, 8, 9, 10, 11, 0, 9 * 3600)},
      {time, "", "+15:00", At(2023, 7, 8, 9, 10, 11)},
      {time, "", "+09:60", At(2023, 7, 8, 9, 10, 11)},
      {time, "", "+9:00", At(2023, 7, 8, 9, 10, 11)},
      {time, "", "09:00", At(2023, 7, 8, 9, 10, 11)},
      {time, "", "+09-00", At(2023, 7, 8, 9, 10, 11)},
      {time, "", "garbage", At(2023, 7, 8, 9, 10, 11)},
      {time, "", "   :  ", At(2023, 7, 8, 9, 10, 11)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(
        ::testing::PrintToString(std::string(c.subSeconds) + " | " + std::string(c.offset)));
    EXPECT_EQ(ParseCaptureTime(c.dateTime, c.subSeconds, c.offset), c.expected);
  }
}

// The instant of a time with an offset is its wall clock less the offset;
// the days are counted across the epoch and leap years alike.
TEST(ParseCaptureTime, InstantsAcrossOffsetsAndCenturies) {
  EXPECT_EQ(CivilMicros(1970, 1, 1, 0, 0, 0), 0);
  EXPECT_EQ(CivilMicros(1969, 12, 31, 23, 59, 59), -1'000'000);
  EXPECT_EQ(CivilMicros(2000, 3, 1, 0, 0, 0), std::int64_t{951'868'800} * 1'000'000);
  EXPECT_EQ(CivilMicros(1600, 1, 1, 0, 0, 0), std::int64_t{-11'676'096'000} * 1'000'000);
  const auto tokyo = ParseCaptureTime("2023:01:01 09:00:00", "", "+09:00");
  const auto newYork = ParseCaptureTime("2022:12:31 19:00:00", "", "-05:00");
  ASSERT_TRUE(tokyo && newYork);
  EXPECT_EQ(tokyo->Instant(), CivilMicros(2023, 1, 1, 0, 0, 0));
  EXPECT_EQ(tokyo->Instant(), newYork->Instant());
  EXPECT_FALSE(ParseCaptureTime("2023:01:01 09:00:00", "", "")->Instant().has_value());
}

}  // namespace
}  // namespace quillon
