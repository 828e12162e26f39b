#include "platform/win32/win32_file_dates.h"

#include <windows.h>
// clang-format off
#include <propsys.h>
#include <shobjidl.h>
// clang-format on

#include <cstdint>
#include <string>

#include "core/paths.h"
#include "platform/win32/win32_path.h"

namespace quillon {
namespace {

// System.Photo.DateTaken, the Exif capture time in the property store (a
// FILETIME in UTC); not every MinGW-w64 propkey.h declares it.
const PROPERTYKEY kDateTaken = {
    {0x14B81DA1, 0x0135, 0x4D31, {0x96, 0xD9, 0x6C, 0xBF, 0xC9, 0x67, 0x1A, 0x99}}, 36867};

// 100-nanosecond ticks from 1601 to 1970.
constexpr std::int64_t kUnixEpochTicks = 116'444'736'000'000'000;

std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>(std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime);
}

using ConvertWithHistory = BOOL(WINAPI*)(const DYNAMIC_TIME_ZONE_INFORMATION*, const SYSTEMTIME*,
                                         SYSTEMTIME*);

// SystemTimeToTzSpecificLocalTimeEx applies the rules a time zone had in the
// year converted; Wine 8 lacks it (a call would end the process), and there
// the plain conversion, with today's rules, stands in.
ConvertWithHistory HistoricalConversion() {
  static const auto function = reinterpret_cast<ConvertWithHistory>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SystemTimeToTzSpecificLocalTimeEx")));
  return function;
}

// The wall clock of this machine's time zone at `utc`, with the offset in
// force then.
std::optional<WallTime> LocalWallTime(const FILETIME& utc) {
  SYSTEMTIME utcParts;
  SYSTEMTIME localParts;
  // Also refuses times beyond the year 30827, whose ticks would not fit.
  if (!::FileTimeToSystemTime(&utc, &utcParts)) return std::nullopt;
  DYNAMIC_TIME_ZONE_INFORMATION zone;
  const auto withHistory = HistoricalConversion();
  const bool converted =
      (withHistory && ::GetDynamicTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID &&
       withHistory(&zone, &utcParts, &localParts)) ||
      ::SystemTimeToTzSpecificLocalTime(nullptr, &utcParts, &localParts);
  FILETIME utcWhole;
  FILETIME localWhole;
  if (!converted || !::SystemTimeToFileTime(&utcParts, &utcWhole) ||
      !::SystemTimeToFileTime(&localParts, &localWhole))
    return std::nullopt;
  // Both sides at the milliseconds SYSTEMTIME keeps: their difference is the
  // offset, which the full-precision time then gets.
  const std::int64_t offset = (Ticks(localWhole) - Ticks(utcWhole)) / 10'000'000;
  WallTime wall;
  wall.offsetSeconds = static_cast<std::int32_t>(offset);
  wall.localMicros = (Ticks(utc) - kUnixEpochTicks) / 10 + offset * 1'000'000;
  return wall;
}

std::optional<WallTime> DateTaken(const std::wstring& path) {
  IPropertyStore* store = nullptr;
  if (FAILED(::SHGetPropertyStoreFromParsingName(path.c_str(), nullptr, GPS_DEFAULT,
                                                 IID_PPV_ARGS(&store))))
    return std::nullopt;
  std::optional<WallTime> taken;
  PROPVARIANT value;
  PropVariantInit(&value);
  if (SUCCEEDED(store->GetValue(kDateTaken, &value)) && value.vt == VT_FILETIME)
    taken = LocalWallTime(value.filetime);
  ::PropVariantClear(&value);
  store->Release();
  return taken;
}

}  // namespace

FileDates Win32FileDateReader::Read(std::u16string_view directory, std::u16string_view name) {
  FileDates dates;
  if (!IsPlainEntryName(name)) return dates;
  const std::wstring folder = ToExtendedPath(directory);
  if (folder.empty()) return dates;
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!::GetFileAttributesExW(JoinExtended(folder, name).c_str(), GetFileExInfoStandard,
                              &attributes))
    return dates;
  dates.modified = LocalWallTime(attributes.ftLastWriteTime);
  if (attributes.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
    return dates;
  // The shell takes plain paths only; one the system would read as another
  // entry (a device name, trailing dots or spaces) is not handed to it.
  const std::wstring plain = ToWide(JoinPath(directory, name));
  if (FullPathName(plain) == plain) dates.taken = DateTaken(plain);
  return dates;
}

}  // namespace quillon
