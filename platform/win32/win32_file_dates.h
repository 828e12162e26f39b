// The dates port on Windows: a photo's capture time as the system's property
// store reads it, and the file's modification time.
#pragma once

#include "core/file_dates.h"

namespace quillon {

// The capture time is System.Photo.DateTaken, which the property handlers of
// the installed codecs read (JPEG, TIFF, HEIF with its extension, the raws
// with theirs); where no handler gives it (under Wine none does) the file has
// only its modification time. Folders and reparse points are never handed to
// the shell, whose path would follow a link. COM must be initialised on the
// calling thread.
class Win32FileDateReader : public FileDateReader {
 public:
  FileDates Read(std::u16string_view directory, std::u16string_view name) override;
};

}  // namespace quillon
