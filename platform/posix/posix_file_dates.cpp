#include "platform/posix/posix_file_dates.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <exiv2/exiv2.hpp>
#include <string>

#include "core/name_codec.h"
#include "core/paths.h"

namespace quillon {
namespace {

// A JPEG keeps its Exif block in an APP1 segment of at most 65 537 bytes
// right after the start (2 bytes) and JFIF's APP0 (18 bytes). The first
// read takes 64 KiB, which holds the whole segment but for the largest few
// (a camera's thumbnail fills most of it); where the library ran out of
// bytes there (such a segment, a HEIF whose metadata box is large, an Exif
// block after other segments), it gets a longer head once more.
constexpr std::size_t kHeadBytes = 64 * 1024;
constexpr std::size_t kLongHeadBytes = 256 * 1024;

// Times beyond this many seconds from 1970 (about 31 700 years) are no real
// modification time, and their microseconds would not fit 64 bits.
constexpr std::int64_t kLatestSeconds = 1'000'000'000'000;

// The library's global settings, made once: hostile files must never print
// to the terminal, and the ISO base media formats (HEIF, AVIF, CR3), which
// the library reads only when asked, are read.
void SetUpLibrary() {
  static const bool done = [] {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::LogMsg::setHandler(nullptr);
    Exiv2::enableBMFF(true);
    return true;
  }();
  (void)done;
}

struct ExifTag {
  std::uint16_t tag;
  int ifd;
};

// The place of a tag in the Exif data, found by number rather than by key:
// comparing keys builds a string for every datum.
ExifTag TagOf(const char* key) {
  const Exiv2::ExifKey exifKey(key);
  return {exifKey.tag(), exifKey.ifdId()};
}

// The capture time in the Exif data the library has read so far.
std::optional<WallTime> CaptureTimeOf(const Exiv2::ExifData& exif) {
  static const ExifTag kOriginal = TagOf("Exif.Photo.DateTimeOriginal");
  static const ExifTag kSubSeconds = TagOf("Exif.Photo.SubSecTimeOriginal");
  static const ExifTag kOffset = TagOf("Exif.Photo.OffsetTimeOriginal");
  std::optional<std::string> original;
  std::optional<std::string> subSeconds;
  std::optional<std::string> offset;
  const auto take = [](const Exiv2::Exifdatum& datum, const ExifTag& tag,
                       std::optional<std::string>* value) {
    if (!*value && datum.tag() == tag.tag && datum.ifdId() == tag.ifd) *value = datum.toString();
  };
  for (const Exiv2::Exifdatum& datum : exif) {
    take(datum, kOriginal, &original);
    take(datum, kSubSeconds, &subSeconds);
    take(datum, kOffset, &offset);
  }
  if (!original) return std::nullopt;
  return ParseCaptureTime(*original, subSeconds.value_or(""), offset.value_or(""));
}

struct HeadReading {
  std::optional<WallTime> taken;
  // The library stopped with an error, which in a cut head may mean that it
  // needed bytes beyond it.
  bool stopped = false;
};

HeadReading ReadHead(std::span<const unsigned char> head) {
  SetUpLibrary();
  HeadReading reading;
  // The library reports bad files by throwing anything from its own errors
  // to std::bad_alloc; whatever it read before stopping still counts (a
  // JPEG whose Exif block is whole but whose later segments are cut).
  try {
    auto image = Exiv2::ImageFactory::open(head.data(), static_cast<long>(head.size()));
    if (!image.get()) return reading;
    try {
      image->readMetadata();
    } catch (...) {
      reading.stopped = true;
    }
    reading.taken = CaptureTimeOf(image->exifData());
  } catch (...) {
    reading.stopped = true;
    reading.taken.reset();
  }
  return reading;
}

// The file's first `size` bytes (fewer at its end) into `buffer`; nullopt
// on a read error.
std::optional<std::size_t> ReadFirstBytes(int fd, std::size_t size, unsigned char* buffer) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd, buffer + done, size - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

// The wall-clock time of `time` where this machine is, with its offset then.
std::optional<WallTime> LocalWallTime(const struct timespec& time) {
  if (time.tv_sec > kLatestSeconds || time.tv_sec < -kLatestSeconds) return std::nullopt;
  const time_t seconds = time.tv_sec;
  struct tm local;
  if (::localtime_r(&seconds, &local) == nullptr) return std::nullopt;
  WallTime wall;
  wall.offsetSeconds = static_cast<std::int32_t>(local.tm_gmtoff);
  wall.localMicros =
      (std::int64_t{time.tv_sec} + local.tm_gmtoff) * 1'000'000 + time.tv_nsec / 1000;
  return wall;
}

}  // namespace

std::optional<WallTime> CaptureTimeInHead(std::span<const unsigned char> head) {
  return ReadHead(head).taken;
}

PosixFileDateReader::PosixFileDateReader() : m_head(kLongHeadBytes) {
  SetUpLibrary();
}

FileDates PosixFileDateReader::Read(std::u16string_view directory, std::u16string_view name) {
  FileDates dates;
  // A name that is no single entry (a '/' in it) is not looked up at all.
  if (!EncodeName(name)) return dates;
  const auto path = EncodePath(JoinPath(directory, name));
  if (!path) return dates;
  // Opening a device can have effects of its own, so only what is a regular
  // file now is opened, and only if it still is one once open.
  struct stat before;
  if (::lstat(path->c_str(), &before) != 0) return dates;
  int fd = -1;
  if (S_ISREG(before.st_mode))
    fd = ::open(path->c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_ino != before.st_ino ||
      st.st_dev != before.st_dev) {
    if (fd >= 0) ::close(fd);
    dates.modified = LocalWallTime(before.st_mtim);
    return dates;
  }
  dates.modified = LocalWallTime(st.st_mtim);
  std::size_t wanted = kHeadBytes;
  for (;;) {
    const auto size = ReadFirstBytes(fd, wanted, m_head.data());
    if (!size) break;
    const HeadReading reading = ReadHead({m_head.data(), *size});
    dates.taken = reading.taken;
    if (dates.taken || !reading.stopped || *size < wanted || wanted == m_head.size()) break;
    wanted = m_head.size();
  }
  ::close(fd);
  return dates;
}

}  // namespace quillon
