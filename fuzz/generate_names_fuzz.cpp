// GenerateNames' digit arithmetic on any typed name: each row's name is the
// typed one with its last run of half-width digits counted up by the row's
// number, checked against an independent decimal addition.
#include <string>
#include <vector>

#include "dialog/quillon_dlg.h"
#include "fuzz/fuzz_check.h"
#include "tests/test_support.h"

using namespace quillon;

namespace {

// No disk at all: validation then finds every source missing, which is of
// no interest here.
class NoFileSystem : public FileSystem {
 public:
  EntryType GetEntryType(std::u16string_view) override { return EntryType::kUnreadable; }
  std::unique_ptr<DirectoryHandle> OpenDirectory(std::u16string_view) override { return nullptr; }
};

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// Digits plus one, carried from the right; one digit more only after all
// nines.
std::u16string PlusOne(std::u16string digits) {
  for (std::size_t i = digits.size(); i-- > 0;) {
    if (digits[i] != u'9') {
      ++digits[i];
      return digits;
    }
    digits[i] = u'0';
  }
  return u"1" + digits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 2048) return 0;
  const std::size_t rows = 1 + data[0] % 40;
  NoFileSystem fileSystem;
  testing::FakeDialog dialog;
  CQuillonDlg dlg(fileSystem, dialog);
  std::vector<std::u16string> names;
  for (std::size_t row = 0; row < rows; ++row)
    names.push_back(u"f" + std::u16string(row + 1, u'x'));
  testing::ListNames(dlg, u"/", names);
  dialog.nameField = fuzz::Units(fuzz::Bytes(data + 1, size - 1));
  const std::u16string& typed = dialog.nameField;
  dlg.GenerateNames();

  std::size_t last = typed.size();
  while (last > 0 && !IsDigit(typed[last - 1])) --last;
  if (typed.empty() || last == 0) {
    QUILLON_FUZZ_CHECK(dlg.NewNames().empty());
    return 0;
  }
  std::size_t first = last - 1;
  while (first > 0 && IsDigit(typed[first - 1])) --first;
  const std::u16string prefix = typed.substr(0, first);
  const std::u16string suffix = typed.substr(last);
  std::u16string number = typed.substr(first, last - first);
  QUILLON_FUZZ_CHECK(dlg.NewNames().size() == rows);
  for (std::size_t row = 0; row < rows; ++row) {
    QUILLON_FUZZ_CHECK(dlg.NewNames()[row] == prefix + number + suffix);
    number = PlusOne(number);
  }
  return 0;
}
