// The head of a file through exiv2 as the Linux dates port hands it over:
// whatever the bytes, the library's errors are caught and nothing but a
// real capture time comes back.
#include "fuzz/fuzz_check.h"
#include "platform/posix/posix_file_dates.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto time = CaptureTimeInHead({data, size});
  if (time) {
    QUILLON_FUZZ_CHECK(time->localMicros >= CivilMicros(1, 1, 1, 0, 0, 0));
    QUILLON_FUZZ_CHECK(time->localMicros < CivilMicros(9999, 12, 31, 23, 59, 59) + 1'000'000);
  }
  return 0;
}
