// The dates port on Linux: a photo's capture time as exiv2 reads it from the
// first bytes of the file, and the file's modification time.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/file_dates.h"

namespace quillon {

// Reads only the head of a regular file (68 KiB, and 256 KiB once more when
// the library ran out of bytes there), never follows a final symbolic link,
// never opens anything but a regular file (a FIFO or a device is only looked
// at), and never lets the library print or throw. An entry that is not a
// regular file, or that cannot be opened, still has its modification time.
// Not for use by two threads at once.
class PosixFileDateReader : public FileDateReader {
 public:
  PosixFileDateReader();
  FileDates Read(std::u16string_view directory, std::u16string_view name) override;

 private:
  std::vector<unsigned char> m_head;
};

// The capture time recorded in `head`, the first bytes of a file (or all of
// a short one): Exif.Photo.DateTimeOriginal with its sub-seconds and offset,
// from any format exiv2 reads (JPEG, TIFF-based raws, HEIF, AVIF and CR3
// among them). Nothing when the library finds none or refuses the bytes;
// never throws.
std::optional<WallTime> CaptureTimeInHead(std::span<const unsigned char> head);

}  // namespace quillon
