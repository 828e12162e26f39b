// The dates port on Linux against real files: what Read gives for photos
// written by exiv2, for damaged ones, for entries that are no photo or no
// regular file, and the order of a trip's photos from a camera and a phone.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/row_order.h"
#include "platform/posix/posix_file_dates.h"
#include "tests/exif_samples.h"
#include "tests/test_support.h"
#include "tests/wall_time_printer.h"

namespace quillon {
namespace {

using testing::MinimalJpeg;
using testing::PhotoTakenAt;
using testing::TempDir;
using testing::WithExif;

// Central European time: the offset of a modification time must be the one
// in force at that time, not now.
constexpr const char* kZone = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr std::int64_t kSummer = 1'623'758'400;  // 2021-06-15 12:00:00 UTC, CEST
constexpr std::int64_t kWinter = 1'610'712'000;  // 2021-01-15 12:00:00 UTC, CET
constexpr std::int64_t kNanos = 250'000'000;

// The local time zone for one test, and back afterwards.
class ZoneForTest {
 public:
  explicit ZoneForTest(const char* zone) {
    if (const char* old = std::getenv("TZ")) m_old = old;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ZoneForTest() {
    if (m_old)
      ::setenv("TZ", m_old->c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }

 private:
  std::optional<std::string> m_old;
};

WallTime Wall(int year, int month, int day, int hour, int minute, int second,
              std::int64_t micros = 0, std::optional<std::int32_t> offset = std::nullopt) {
  return {CivilMicros(year, month, day, hour, minute, second) + micros, offset};
}

void SetModified(const TempDir& dir, const std::string& name, std::int64_t seconds) {
  const struct timespec times[2] = {{seconds, kNanos}, {seconds, kNanos}};
  ASSERT_EQ(::utimensat(AT_FDCWD, dir.BytesOf(name).c_str(), times, AT_SYMLINK_NOFOLLOW), 0)
      << name;
}

// `bytes` with `replacement` written over it where `pattern` first occurs,
// `skip` bytes further on.
std::string Patched(std::string bytes, std::string_view pattern, std::size_t skip,
                    std::string_view replacement) {
  const std::size_t at = bytes.find(pattern);
  EXPECT_NE(at, std::string::npos) << "no such bytes in the sample";
  if (at != std::string::npos) bytes.replace(at + skip, replacement.size(), replacement);
  return bytes;
}

const std::string kTaken = PhotoTakenAt("2023:04:05 06:07:08", "123", "+09:00");
// The directory entries of the Exif data as exiv2 writes them (little-endian
// TIFF): the capture time's (tag 0x9003, ASCII, 20 bytes) and the pointer to
// the Exif directory (tag 0x8769).
const std::string kDateEntry("\x03\x90\x02\x00\x14\x00\x00\x00", 8);
const std::string kExifPointer("\x69\x87\x04\x00\x01\x00\x00\x00", 8);

// The sample with the Exif directory's entry count set to 65 535.
std::string HugeDirectory() {
  const std::size_t tiff = kTaken.find("II*");
  const std::size_t pointer = kTaken.find(kExifPointer) + 8;
  const auto byte = [&](std::size_t i) { return std::size_t{std::uint8_t(kTaken[pointer + i])}; };
  const std::size_t directory = tiff + (byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
  std::string bytes = kTaken;
  bytes.replace(directory, 2, "\xFF\xFF");
  return bytes;
}

struct Case {
  const char* what;
  std::string name;
  // Makes the entry (a regular file of these bytes unless `make` is set).
  std::string bytes;
  std::function<void(const TempDir&, const std::string&)> make;
  std::optional<WallTime> taken;
  bool modified = true;
  std::int64_t modifiedAt = kSummer;
};

TEST(FileDatesPosix, ReadGivesWhatEachEntryHolds) {
  const ZoneForTest zone(kZone);
  const std::string big =
      WithExif(MinimalJpeg(), {{"Exif.Photo.DateTimeOriginal", "2022:12:31 23:59:59"},
                               {"Exif.Image.ImageDescription", std::string(65440, 'x')}});
  const std::size_t app1 = big.find("\xFF\xE1");
  ASSERT_GT(app1 + 2 + (std::uint8_t(big[app1 + 2]) << 8 | std::uint8_t(big[app1 + 3])), 65536u)
      << "the Exif block should end beyond the first 64 KiB";
  const auto fifo = [](const TempDir& dir, const std::string& name) {
    ASSERT_EQ(::mkfifo(dir.BytesOf(name).c_str(), 0644), 0);
  };
  const auto directory = [](const TempDir& dir, const std::string& name) { dir.MakeDir(name); };
  const auto link = [](const TempDir& dir, const std::string& name) {
    dir.Write("target.jpg", kTaken);
    ASSERT_EQ(::symlink("target.jpg", dir.BytesOf(name).c_str()), 0);
  };
  const auto inSubdirectory = [](const TempDir& dir, const std::string&) {
    dir.MakeDir("sub");
    dir.Write("sub/in.jpg", kTaken);
  };
  const auto nothing = [](const TempDir&, const std::string&) {};

  const std::vector<Case> cases = {
      {"camera: no offset",
       "camera.jpg",
       PhotoTakenAt("2023:04:05 06:07:08"),
       {},
       Wall(2023, 4, 5, 6, 7, 8)},
      {"phone: sub-seconds and offset",
       "phone.jpg",
       kTaken,
       {},
       Wall(2023, 4, 5, 6, 7, 8, 123'000, 9 * 3600)},
      {"nine digits, negative half-hour offset",
       "nine.jpg",
       PhotoTakenAt("2020:02:29 23:59:59", "123456789", "-05:30"),
       {},
       Wall(2020, 2, 29, 23, 59, 59, 123'456, -(5 * 3600 + 30 * 60))},
      {"modified in winter",
       "winter.jpg",
       kTaken,
       {},
       Wall(2023, 4, 5, 6, 7, 8, 123'000, 9 * 3600),
       true,
       kWinter},
      {"no date in the Exif data, only the time it was saved",
       "saved.jpg",
       WithExif(MinimalJpeg(), {{"Exif.Image.DateTime", "2023:04:05 06:07:08"}}),
       {},
       std::nullopt},
      {"no Exif data", "plain.jpg", MinimalJpeg(), {}, std::nullopt},
      {"Exif block of 64 KiB after JFIF",
       "big.jpg",
       big + std::string(1 << 20, '\0'),
       {},
       Wall(2022, 12, 31, 23, 59, 59)},
      {"Exif block cut inside the date",
       "cut.jpg",
       kTaken.substr(0, kTaken.find("06:07")),
       {},
       std::nullopt},
      {"Exif block longer than the file",
       "long.jpg",
       Patched(kTaken, "\xFF\xE1", 2, "\xFF\xFF"),
       {},
       std::nullopt},
      {"date of four billion bytes",
       "count.jpg",
       Patched(kTaken, kDateEntry, 4, "\xF0\xFF\xFF\xFF"),
       {},
       std::nullopt},
      {"date beyond the block",
       "offset.jpg",
       Patched(kTaken, kDateEntry, 8, "\x7F\xFF\xFF\xFF"),
       {},
       std::nullopt},
      {"Exif directory beyond the block",
       "pointer.jpg",
       Patched(kTaken, kExifPointer, 8, "\xF0\xFF\xFF\x7F"),
       {},
       std::nullopt},
      {"Exif directory of 65 535 entries", "entries.jpg", HugeDirectory(), {}, std::nullopt},
      {"not an image", "notes.txt", "2023:04:05 06:07:08", {}, std::nullopt},
      {"empty file", "empty.jpg", "", {}, std::nullopt},
      {"name that is not UTF-8",
       "\xFF\xFE\x80.jpg",
       kTaken,
       {},
       Wall(2023, 4, 5, 6, 7, 8, 123'000, 9 * 3600)},
      {"FIFO: looked at, never opened", "pipe.jpg", "", fifo, std::nullopt},
      {"directory", "folder.jpg", "", directory, std::nullopt},
      {"symbolic link: the link itself", "link.jpg", "", link, std::nullopt},
      {"a path, not one entry", "sub/in.jpg", "", inSubdirectory, std::nullopt, false},
      {"missing", "gone.jpg", "", nothing, std::nullopt, false},
  };
  TempDir dir;
  PosixFileDateReader reader;
  // The exif_head fuzz target's seeds are the small photos here:
  // QUILLON_FUZZ_SEEDS=$PWD/fuzz/corpus/exif_head build/tests/quillon_tests ...
  const char* seeds = std::getenv("QUILLON_FUZZ_SEEDS");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.make)
      c.make(dir, c.name);
    else
      dir.Write(c.name, c.bytes);
    if (seeds && !c.make && !c.bytes.empty() && c.bytes.size() < 4096 && c.name[0] != '\xFF')
      std::ofstream(std::string(seeds) + "/" + c.name, std::ios::binary) << c.bytes;
    if (c.modified) SetModified(dir, c.name, c.modifiedAt);
    const FileDates dates = reader.Read(dir.Path(), DecodeName(c.name));
    EXPECT_EQ(dates.taken, c.taken);
    ASSERT_EQ(dates.modified.has_value(), c.modified);
    if (!c.modified) continue;
    const std::int32_t offset = c.modifiedAt == kSummer ? 2 * 3600 : 3600;
    EXPECT_EQ(dates.modified->offsetSeconds, offset);
    EXPECT_EQ(dates.modified->Instant(), c.modifiedAt * 1'000'000 + kNanos / 1000);
  }
}

// Where the file system keeps any time (tmpfs does), one too far from now for
// microseconds to count it is no time at all rather than an overflow.
TEST(FileDatesPosix, ModificationTimeBeyondAnyCalendarIsNone) {
  TempDir dir("/dev/shm");
  dir.Write("far.jpg", kTaken);
  const struct timespec times[2] = {{0, 0}, {std::int64_t{1} << 50, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, dir.BytesOf("far.jpg").c_str(), times, 0), 0);
  struct stat st;
  ASSERT_EQ(::stat(dir.BytesOf("far.jpg").c_str(), &st), 0);
  if (st.st_mtim.tv_sec != std::int64_t{1} << 50) GTEST_SKIP() << "/dev/shm clamps file times";
  const FileDates dates = PosixFileDateReader().Read(dir.Path(), u"far.jpg");
  EXPECT_FALSE(dates.modified);
  EXPECT_EQ(dates.taken, Wall(2023, 4, 5, 6, 7, 8, 123'000, 9 * 3600));
}

// A trip's photos from a camera that records no offset and a phone that
// does, and a scan without Exif data, in natural order: by date taken they
// interleave by the wall clock, equal times keep the natural order.
TEST(FileDatesPosix, CameraAndPhoneInterleaveByCaptureTime) {
  const ZoneForTest zone("JST-9");
  TempDir dir;
  const std::vector<std::pair<std::string, std::string>> files = {
      {"cam_1.jpg", PhotoTakenAt("2023:08:01 10:00:00")},
      {"cam_2.jpg", PhotoTakenAt("2023:08:01 09:30:00")},
      {"phone_1.jpg", PhotoTakenAt("2023:08:01 09:30:00", "5", "+09:00")},
      {"phone_2.jpg", PhotoTakenAt("2023:08:01 10:00:00", "", "+09:00")},
      {"scan.jpg", MinimalJpeg()},
  };
  std::vector<FileDates> dates;
  for (const auto& [name, bytes] : files) {
    dir.Write(name, bytes);
    // 09:45 in Japan.
    SetModified(dir, name, CivilMicros(2023, 8, 1, 0, 45, 0) / 1'000'000);
    dates.push_back(PosixFileDateReader().Read(dir.Path(), DecodeName(name)));
  }
  std::vector<std::string> ordered;
  for (const std::size_t row : OrderByDates(dates, RowOrder::kByDateTaken))
    ordered.push_back(files[row].first);
  EXPECT_EQ(ordered, (std::vector<std::string>{"cam_2.jpg", "phone_1.jpg", "scan.jpg", "cam_1.jpg",
                                               "phone_2.jpg"}));
}

// A HEIF photo made by Debian's libheif and tagged by exiftool: the time
// comes back right or not at all (exiv2 0.27 finds the Exif item only where
// its location carries no base offset, which libheif writes), and the
// modification time always.
TEST(FileDatesPosix, HeifGivesItsCaptureTimeOrNone) {
  if (std::system("command -v heif-enc >/dev/null && command -v exiftool >/dev/null") != 0)
    GTEST_SKIP() << "heif-enc (libheif-examples) or exiftool (libimage-exiftool-perl) missing";
  TempDir dir;
  dir.Write("grey.jpg", MinimalJpeg());
  const std::string make =
      "cd '" + dir.Bytes() +
      "' && heif-enc -q 50 grey.jpg -o photo.heic >/dev/null 2>&1 && "
      "exiftool -q -overwrite_original -DateTimeOriginal='2022:01:02 03:04:05' "
      "-SubSecTimeOriginal=5 -OffsetTimeOriginal=-05:30 photo.heic";
  ASSERT_EQ(std::system(make.c_str()), 0);
  if (const char* seeds = std::getenv("QUILLON_FUZZ_SEEDS"))
    std::ofstream(std::string(seeds) + "/photo.heic", std::ios::binary) << dir.Read("photo.heic");
  const FileDates dates = PosixFileDateReader().Read(dir.Path(), u"photo.heic");
  EXPECT_TRUE(dates.modified);
  if (dates.taken)
    EXPECT_EQ(*dates.taken, Wall(2022, 1, 2, 3, 4, 5, 500'000, -(5 * 3600 + 30 * 60)));
  else
    std::printf("note: exiv2 %s found no capture time in libheif's HEIF\n",
                Exiv2::versionString().c_str());
}

}  // namespace
}  // namespace quillon
