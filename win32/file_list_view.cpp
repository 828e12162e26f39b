#include "win32/file_list_view.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include "core/paths.h"
#include "core/visible_name.h"
#include "win32/win32_text.h"

namespace quillon {

namespace {

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

FileListView::FileListView(HWND list, RowTable& rows) : m_list(list), m_rows(rows) {}

void FileListView::ResetCount() {
  ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemCountEx(m_list, m_rows.RowCount(), 0);
  if (m_lastColumnMinimum >= 0) FitLastColumn(m_lastColumnMinimum);
  InvalidateRect(m_list, nullptr, TRUE);
}

void FileListView::RowsChanged(const RowChange& change) {
  switch (change.kind) {
    case RowChange::Kind::kReplaced:
      ResetCount();
      return;
    case RowChange::Kind::kRemoved:
    case RowChange::Kind::kRemovedScattered: {
      ResetCount();
      const int current = std::min(change.rows.first, m_rows.RowCount() - 1);
      if (current >= 0) ListView_SetItemState(m_list, current, LVIS_FOCUSED, LVIS_FOCUSED);
      return;
    }
    case RowChange::Kind::kCells:
      if (change.rows.first == change.rows.last) {
        ListView_RedrawItems(m_list, change.rows.first, change.rows.last);
      } else {
        InvalidateRect(m_list, nullptr, FALSE);
      }
      return;
  }
}

std::vector<int> FileListView::Selection() const {
  std::vector<int> rows;
  rows.reserve(ListView_GetSelectedCount(m_list));
  for (int row = ListView_GetNextItem(m_list, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(m_list, row, LVNI_SELECTED)) {
    rows.push_back(row);
  }
  return rows;
}

void FileListView::Select(const std::vector<RowSpan>& runs) {
  ListView_SetItemState(m_list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (const RowSpan& run : runs) {
    for (int row = run.first; row <= run.last; ++row)
      ListView_SetItemState(m_list, row, LVIS_SELECTED, LVIS_SELECTED);
  }
  if (runs.empty()) return;
  // The focus rectangle and the anchor of Shift+click follow the rows, so
  // that the keys go on from them.
  const int first = runs.front().first;
  ListView_SetItemState(m_list, first, LVIS_FOCUSED, LVIS_FOCUSED);
  ListView_SetSelectionMark(m_list, first);
  ListView_EnsureVisible(m_list, first, FALSE);
}

bool FileListView::HasSelection() const {
  return ListView_GetSelectedCount(m_list) > 0;
}

int FileListView::CurrentRow() const {
  return ListView_GetNextItem(m_list, -1, LVNI_FOCUSED);
}

void FileListView::SelectAll() {
  ListView_SetItemState(m_list, -1, LVIS_SELECTED, LVIS_SELECTED);
}

void FileListView::ScrollTo(int row) {
  ListView_EnsureVisible(m_list, row, FALSE);
}

void FileListView::FitLastColumn(int minimumWidth) {
  m_lastColumnMinimum = minimumWidth;
  int others = 0;
  for (int column = 0; column < window::kColumnCount - 1; ++column) {
    others += ListView_GetColumnWidth(m_list, column);
  }
  // A scroll bar that goes as the column narrows gives its width back to the
  // client area: a second pass takes that too.
  for (int pass = 0; pass < 2; ++pass) {
    RECT client;
    GetClientRect(m_list, &client);
    const int width = std::max(minimumWidth, static_cast<int>(client.right) - others);
    if (ListView_GetColumnWidth(m_list, window::kColumnCount - 1) == width) return;
    ListView_SetColumnWidth(m_list, window::kColumnCount - 1, width);
  }
}

void FileListView::FillDisplayInfo(NMLVDISPINFOW& info) {
  LVITEMW& item = info.item;
  if (!m_rows.HasRow(item.iItem)) return;
  if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
    // Shown so that no character can hide or reorder part of a name; the
    // name itself stays as it is.
    const std::u16string shown = VisibleName(m_rows.Cell(item.iItem, item.iSubItem));
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
  if (m_rows.IconSlot(row) != RowTable::kIconNotLookedUp) return m_rows.IconSlot(row);
  const std::u16string_view name = m_rows.Cell(row, kOldNameColumn);
  const std::u16string extension = ExtensionKey(name);
  const bool ownIcon = HasIconOfItsOwn(extension);
  if (!ownIcon) {
    const auto known = m_iconByExtension.find(extension);
    if (known != m_iconByExtension.end()) {
      m_rows.SetIconSlot(row, known->second);
      return known->second;
    }
  }
  SHFILEINFOW info{};
  const std::wstring path = ToWide(JoinPath(m_rows.Directory(), name));
  const bool found = SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info),
                                    SHGFI_SYSICONINDEX | SHGFI_SMALLICON) != 0;
  // Without the shell's answer the row shows no icon.
  const int slot = found ? info.iIcon : I_IMAGENONE;
  if (!ownIcon && found) m_iconByExtension.emplace(extension, slot);
  m_rows.SetIconSlot(row, slot);
  return slot;
}

}  // namespace quillon
