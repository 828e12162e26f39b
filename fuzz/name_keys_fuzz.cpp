// Sort keys against the comparisons they stand for: equal keys exactly when
// the comparison says equal, and the keys' byte order is the comparison's
// order, for names and for the natural order of rows, under several locales.
#include <cstdlib>
#include <memory>
#include <vector>

#include "core/collation.h"
#include "core/records.h"
#include "fuzz/fuzz_check.h"
#include "intake/natural_order.h"

using namespace quillon;

namespace {

int Sign(int v) {
  return (v > 0) - (v < 0);
}

const std::vector<std::unique_ptr<NameCollator>>& Collators() {
  static const auto collators = [] {
    std::vector<std::unique_ptr<NameCollator>> list;
    for (const char* locale : {"", "ja", "en_US", "de", "sv", "tr", "zh"})
      list.push_back(std::make_unique<NameCollator>(locale));
    return list;
  }();
  return collators;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The rows' natural order uses the environment's collator; ja is the one
  // whose tailoring once made ucol_strcoll and the sort key disagree.
  ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const NameCollator& collator = *Collators()[data[0] % Collators().size()];
  const std::u16string text = fuzz::Units(fuzz::Bytes(data + 2, size - 2));
  const std::size_t split = text.empty() ? 0 : data[1] % (text.size() + 1);
  const std::u16string a = text.substr(0, split);
  const std::u16string b = text.substr(split);

  const int c = collator.Compare(a, b);
  QUILLON_FUZZ_CHECK(collator.Compare(b, a) == -c);
  QUILLON_FUZZ_CHECK(Sign(collator.Key(a).compare(collator.Key(b))) == c);

  const CFileNameX x(a);
  const CFileNameX y(b);
  const int natural = CompareFileNames(x, y);
  QUILLON_FUZZ_CHECK(CompareFileNames(y, x) == -natural);
  QUILLON_FUZZ_CHECK(Sign(FileNameKey(x).compare(FileNameKey(y))) == natural);
  QUILLON_FUZZ_CHECK(CompareNames(a, b) ==
                     Sign(NameCollator::Default().Key(a).compare(NameCollator::Default().Key(b))));
  return 0;
}
