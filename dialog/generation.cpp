// Sequence generation: the typed name's last run of half-width digits counts
// up by one per row.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/quillon_dlg.h"
#include "resources/strings.h"

namespace quillon {
namespace {

bool IsHalfWidthDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// A decimal number of any length as its digits, least significant first.
// Never a machine integer: the typed width (leading zeros) survives and
// there is no upper bound.
class DigitSequence {
 public:
  explicit DigitSequence(std::u16string_view digits) {
    m_digits.reserve(digits.size() + 1);
    for (auto it = digits.rbegin(); it != digits.rend(); ++it)
      m_digits.push_back(static_cast<std::uint8_t>(*it - u'0'));
  }

  void AppendTo(std::u16string* text) const {
    for (auto it = m_digits.rbegin(); it != m_digits.rend(); ++it)
      text->push_back(static_cast<char16_t>(u'0' + *it));
  }

  // Adds one with decimal carry; the width grows only when every digit has
  // rolled over.
  void Increment() {
    for (auto& digit : m_digits) {
      if (++digit < 10) return;
      digit = 0;
    }
    m_digits.push_back(1);
  }

 private:
  std::vector<std::uint8_t> m_digits;
};

}  // namespace

void CQuillonDlg::GenerateNames() {
  if (!CanGenerateNames()) return;
  const std::u16string text = m_dialog.NameFieldText();

  std::size_t last = text.size();
  while (last > 0 && !IsHalfWidthDigit(text[last - 1])) --last;
  if (last == 0) {
    m_dialog.ShowMessage(str::kNeedDigits);
    return;
  }
  std::size_t first = last - 1;
  while (first > 0 && IsHalfWidthDigit(text[first - 1])) --first;
  const std::u16string_view prefix = std::u16string_view(text).substr(0, first);
  const std::u16string_view suffix = std::u16string_view(text).substr(last);
  DigitSequence number(std::u16string_view(text).substr(first, last - first));

  m_newNames.clear();
  m_newNames.reserve(m_files.size());
  {
    NamePool column;
    // The number may grow by a digit or so on the way; the room is a guess
    // that saves the buffer from being copied as it grows.
    std::size_t units = 0;
    for (const auto& file : m_files) units += text.size() + 1 + file->m_ext.size();
    column.Reserve(m_files.size(), units);
    for (const auto& file : m_files) {
      std::u16string name(prefix);
      number.AppendTo(&name);
      name += suffix;
      column.Add(name, file->m_ext);
      m_newNames.push_back(std::move(name));
      number.Increment();
    }
    // One call for the whole column: a list of 100 000 rows is redrawn once.
    // The copy goes before validation, which needs memory of its own.
    m_dialog.SetColumnNames(kNewNameColumn, std::move(column));
  }

  ValidateNewNames();
  UpdateControls();
}

}  // namespace quillon
