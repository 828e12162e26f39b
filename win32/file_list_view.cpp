#include "win32/file_list_view.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include "core/erase_marked.h"
#include "core/paths.h"
#include "core/visible_name.h"
#include "win32/win32_text.h"

namespace quillon {

namespace {

constexpr int kColumns = 3;
constexpr int kNotLookedUp = -1;

// Files of these types carry an icon of their own (a program's, a shortcut's
// target's), so their icon is looked up per file; every other type has one
// icon per extension.
bool HasIconOfItsOwn(std::u16string_view extension) {
  static constexpr std::u16string_view kOwnIcon[] = {u".exe", u".ico",      u".lnk", u".cur",
                                                     u".ani", u".url",      u".scr", u".cpl",
                                                     u".msc", u".appref-ms"};
  return std::find(std::begin(kOwnIcon), std::end(kOwnIcon), extension) != std::end(kOwnIcon);
}

// The extension as the shell matches it: from the last dot, case ignored.
std::u16string ExtensionKey(std::u16string_view name) {
  const std::size_t dot = name.rfind(u'.');
  std::u16string key(dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot));
  for (char16_t& unit : key) unit = static_cast<char16_t>(std::towlower(unit));
  return key;
}

}  // namespace

FileListView::FileListView(HWND list) : m_list(list) {}

void FileListView::ResetCount() {
  // Nothing stays selected: the row numbers now mean other files.
  ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemCountEx(m_list, RowCount(), 0);
  if (m_lastColumnMinimum >= 0) FitLastColumn(m_lastColumnMinimum);
  InvalidateRect(m_list, nullptr, TRUE);
}

void FileListView::SetRows(std::u16string_view directory, std::vector<std::u16string> names) {
  m_directory = directory;
  const std::size_t count = names.size();
  m_columns[0].Assign(names, count);
  names = {};
  for (int column = 1; column < kColumns; ++column) m_columns[column].Assign({}, count);
  m_iconIndex.assign(count, kNotLookedUp);
  ResetCount();
}

void FileListView::RemoveRows(const std::vector<int>& rows) {
  std::vector<bool> doomed(m_columns[0].Size(), false);
  bool any = false;
  for (const int row : rows) {
    if (row < 0 || row >= RowCount()) continue;
    doomed[static_cast<std::size_t>(row)] = true;
    any = true;
  }
  if (!any) return;
  for (auto& column : m_columns) column.EraseMarked(doomed);
  EraseMarked(m_iconIndex, doomed);
  ResetCount();
  // The keyboard goes on from where the first removed row was.
  const int first = *std::min_element(rows.begin(), rows.end());
  const int current = std::min(std::max(first, 0), RowCount() - 1);
  if (current >= 0) ListView_SetItemState(m_list, current, LVIS_FOCUSED, LVIS_FOCUSED);
}

void FileListView::SetCell(int row, int column, std::u16string_view text) {
  if (row < 0 || row >= RowCount() || column < 0 || column >= kColumns) return;
  m_columns[column].Set(static_cast<std::size_t>(row), text);
  ListView_RedrawItems(m_list, row, row);
}

void FileListView::SetColumn(int column, const std::vector<std::u16string>& texts) {
  if (column < 0 || column >= kColumns) return;
  m_columns[column].Assign(texts, m_columns[column].Size());
  InvalidateRect(m_list, nullptr, FALSE);
}

void FileListView::SetColumn(int column, NamePool texts) {
  if (column < 0 || column >= kColumns) return;
  m_columns[column].Take(std::move(texts), m_columns[column].Size());
  InvalidateRect(m_list, nullptr, FALSE);
}

void FileListView::ClearColumn(int column) {
  if (column < 0 || column >= kColumns) return;
  m_columns[column].ClearTexts();
  InvalidateRect(m_list, nullptr, FALSE);
}

std::u16string_view FileListView::Cell(int row, int column) const {
  if (row < 0 || row >= RowCount() || column < 0 || column >= kColumns) return {};
  return m_columns[column].At(static_cast<std::size_t>(row));
}

std::vector<int> FileListView::SelectedRows() const {
  std::vector<int> rows;
  rows.reserve(ListView_GetSelectedCount(m_list));
  for (int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(m_list, row, LVNI_SELECTED)) {
    rows.push_back(row);
  }
  return rows;
}

bool FileListView::HasSelection() const {
  return ListView_GetSelectedCount(m_list) > 0;
}

int FileListView::CurrentRow() const {
  return ListView_GetNextItem(m_list, -1, LVNI_FOCUSED);
}

void FileListView::EnsureVisible(int row) {
  if (row >= 0 && row < RowCount()) ListView_EnsureVisible(m_list, row, FALSE);
}

void FileListView::FitLastColumn(int minimumWidth) {
  m_lastColumnMinimum = minimumWidth;
  int others = 0;
  for (int column = 0; column < kColumns - 1; ++column) {
    others += ListView_GetColumnWidth(m_list, column);
  }
  // A scroll bar that goes as the column narrows gives its width back to the
  // client area: a second pass takes that too.
  for (int pass = 0; pass < 2; ++pass) {
    RECT client;
    GetClientRect(m_list, &client);
    const int width = std::max(minimumWidth, static_cast<int>(client.right) - others);
    if (ListView_GetColumnWidth(m_list, kColumns - 1) == width) return;
    ListView_SetColumnWidth(m_list, kColumns - 1, width);
  }
}

void FileListView::FillDisplayInfo(NMLVDISPINFOW& info) {
  LVITEMW& item = info.item;
  if (item.iItem < 0 || item.iItem >= RowCount()) return;
  if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
    // Shown so that no character can hide or reorder part of a name; the
    // name itself stays as it is.
    const std::u16string shown = VisibleName(Cell(item.iItem, item.iSubItem));
    const std::size_t length =
        std::min(shown.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    std::copy_n(shown.data(), length, reinterpret_cast<char16_t*>(item.pszText));
    item.pszText[length] = L'\0';
  }
  if ((item.mask & LVIF_IMAGE) != 0) {
    item.iImage = item.iSubItem == 0 ? IconOf(item.iItem) : I_IMAGENONE;
  }
}

int FileListView::IconOf(int row) {
  int& slot = m_iconIndex[static_cast<std::size_t>(row)];
  if (slot != kNotLookedUp) return slot;
  const std::u16string_view name = Cell(row, 0);
  const std::u16string extension = ExtensionKey(name);
  const bool ownIcon = HasIconOfItsOwn(extension);
  if (!ownIcon) {
    const auto known = m_iconByExtension.find(extension);
    if (known != m_iconByExtension.end()) return slot = known->second;
  }
  SHFILEINFOW info{};
  const std::wstring path = ToWide(JoinPath(m_directory, name));
  const bool found = SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info),
                                    SHGFI_SYSICONINDEX | SHGFI_SMALLICON) != 0;
  // Without the shell's answer the row shows no icon.
  slot = found ? info.iIcon : I_IMAGENONE;
  if (!ownIcon && found) m_iconByExtension.emplace(extension, slot);
  return slot;
}

}  // namespace quillon
