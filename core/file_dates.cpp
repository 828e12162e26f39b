#include "core/file_dates.h"

#include <algorithm>
#include <array>

namespace quillon {
namespace {

// Reads `count` ASCII digits at `at`; nullopt unless all are digits.
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return std::nullopt;
  int value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// Without the spaces and NULs a fixed-length field is padded with.
std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) text.remove_suffix(1);
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return text;
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// The first six digits of the fraction, as microseconds; nullopt when it
// holds anything but digits.
std::optional<std::int64_t> FractionMicros(std::string_view digits) {
  std::int64_t micros = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (digits[i] < '0' || digits[i] > '9') return std::nullopt;
    if (i < 6) micros = micros * 10 + (digits[i] - '0');
  }
  for (std::size_t i = digits.size(); i < 6; ++i) micros *= 10;
  return micros;
}

// "+HH:MM", "-HH:MM" or "Z"; an empty or unreadable field is no offset.
std::optional<std::int32_t> OffsetSeconds(std::string_view offset) {
  if (offset == "Z") return 0;
  if (offset.size() != 6 || (offset[0] != '+' && offset[0] != '-') || offset[3] != ':')
    return std::nullopt;
  const auto hours = Digits(offset, 1, 2);
  const auto minutes = Digits(offset, 4, 2);
  if (!hours || !minutes || *hours > 14 || *minutes > 59) return std::nullopt;
  const std::int32_t seconds = (*hours * 60 + *minutes) * 60;
  return offset[0] == '-' ? -seconds : seconds;
}

}  // namespace

std::int64_t CivilMicros(int year, int month, int day, int hour, int minute, int second) {
  // Days from the civil date, after Howard Hinnant's days_from_civil.
  const int y = month <= 2 ? year - 1 : year;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yearOfEra = y - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t days = std::int64_t{era} * 146097 + dayOfEra - 719468;
  return ((days * 24 + hour) * 60 + minute) * std::int64_t{60'000'000} +
         std::int64_t{second} * 1'000'000;
}

std::optional<WallTime> ParseCaptureTime(std::string_view dateTime, std::string_view subSeconds,
                                         std::string_view offset) {
  dateTime = Trimmed(dateTime);
  if (dateTime.size() != 19 || dateTime[10] != ' ' || dateTime[13] != ':' || dateTime[16] != ':')
    return std::nullopt;
  const char dateSeparator = dateTime[4];
  if ((dateSeparator != ':' && dateSeparator != '-') || dateTime[7] != dateSeparator)
    return std::nullopt;
  const auto year = Digits(dateTime, 0, 4);
  const auto month = Digits(dateTime, 5, 2);
  const auto day = Digits(dateTime, 8, 2);
  const auto hour = Digits(dateTime, 11, 2);
  const auto minute = Digits(dateTime, 14, 2);
  const auto second = Digits(dateTime, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  if (*year < 1 || *month < 1 || *month > 12 || *day < 1 || *day > DaysInMonth(*year, *month) ||
      *hour > 23 || *minute > 59 || *second > 60)
    return std::nullopt;
  const auto fraction = FractionMicros(Trimmed(subSeconds));
  WallTime time;
  // A leap second sorts as the last moment of its minute.
  time.localMicros = CivilMicros(*year, *month, *day, *hour, *minute, std::min(*second, 59)) +
                     (*second == 60 ? 999'999 : fraction.value_or(0));
  // An unreadable fraction or offset is dropped, not the whole time.
  time.offsetSeconds = OffsetSeconds(Trimmed(offset));
  return time;
}

}  // namespace quillon
