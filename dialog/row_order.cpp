// The order of the rows: by name, by date taken, by time modified or by
// hand, chosen from the list's menu or by moving rows.
#include "core/row_order.h"

#include <algorithm>

#include "dialog/quillon_dlg.h"
#include "intake/natural_order.h"

namespace quillon {
namespace {

// The order each menu item chooses, and whether an item needs a selection:
// beside the rules of the other items, none applies after an execution or
// without rows.
struct OrderItem {
  MenuCommand command;
  std::optional<RowOrder> order;  // nullopt: a move, which orders by hand
  int delta;
};
constexpr OrderItem kOrderItems[] = {
    {MenuCommand::kOrderByName, RowOrder::kByName, 0},
    {MenuCommand::kOrderByDateTaken, RowOrder::kByDateTaken, 0},
    {MenuCommand::kOrderByTimeModified, RowOrder::kByTimeModified, 0},
    {MenuCommand::kMoveUp, std::nullopt, -1},
    {MenuCommand::kMoveDown, std::nullopt, +1},
};

const OrderItem* FindOrderItem(MenuCommand command) {
  for (const OrderItem& item : kOrderItems)
    if (item.command == command) return &item;
  return nullptr;
}

std::vector<std::size_t> Compose(const std::vector<std::size_t>& first,
                                 const std::vector<std::size_t>& then) {
  std::vector<std::size_t> composed;
  composed.reserve(then.size());
  for (const std::size_t i : then) composed.push_back(first[i]);
  return composed;
}

}  // namespace

bool CQuillonDlg::IsOrderCommandEnabled(MenuCommand command, bool rowsSelected) const {
  const OrderItem* item = FindOrderItem(command);
  if (item == nullptr || m_executed || m_rows.Empty()) return false;
  if (!item->order) return rowsSelected;
  return *item->order == RowOrder::kByName || m_dates != nullptr;
}

bool CQuillonDlg::IsMenuCommandChecked(MenuCommand command) const {
  const OrderItem* item = FindOrderItem(command);
  return item != nullptr && item->order == m_rowOrder;
}

bool CQuillonDlg::RunOrderCommand(MenuCommand command) {
  const OrderItem* item = FindOrderItem(command);
  if (item == nullptr) return false;
  if (item->order) {
    OnRowOrder(*item->order);
  } else {
    MoveSelectedRows(item->delta);
  }
  return true;
}

void CQuillonDlg::OnRowOrder(RowOrder order) {
  if (m_executed || m_rows.Empty() || order == RowOrder::kByHand) return;
  if (order != RowOrder::kByName && m_dates == nullptr) return;
  const std::vector<std::size_t> permutation = PermutationFor(order);
  m_rowOrder = order;
  ShowReordered(permutation);
}

void CQuillonDlg::MoveSelectedRows(int delta) {
  if (m_executed || m_rows.Empty()) return;
  std::vector<int> selected = m_dialog.SelectedRows();
  std::sort(selected.begin(), selected.end());
  selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
  std::erase_if(selected, [&](int row) {
    return row < 0 || static_cast<std::size_t>(row) >= m_rows.Count();
  });
  if (selected.empty()) return;
  const std::vector<std::size_t> permutation = MoveRows(m_rows.Count(), &selected, delta);
  m_rowOrder = RowOrder::kByHand;
  ShowReordered(permutation);
  m_dialog.SelectRows(selected);
  m_dialog.EnsureRowVisible(delta < 0 ? selected.front() : selected.back());
}

std::vector<std::size_t> CQuillonDlg::PermutationFor(RowOrder order) {
  const std::vector<std::size_t> natural = NaturalOrder(m_rows.Files());
  if (order == RowOrder::kByName || order == RowOrder::kByHand || m_dates == nullptr)
    return natural;
  // Dates are read in natural order, so that equal times keep it.
  ProgressScope progress(m_dialog, natural.size());
  std::vector<FileDates> dates;
  dates.reserve(natural.size());
  for (const std::size_t row : natural) {
    progress.Set(dates.size());
    dates.push_back(m_dates->Read(m_rows.Directory(), m_rows.Files()[row]->m_name));
  }
  return Compose(natural, OrderByDates(dates, order));
}

void CQuillonDlg::KeepRowOrder(const std::vector<std::u16string>& before, bool changed) {
  if (m_rowOrder == RowOrder::kByName) return;
  // The same files as before need no dates read again to stand as they did.
  if (m_rowOrder == RowOrder::kByHand || !changed) {
    const std::vector<std::u16string_view> listed(before.begin(), before.end());
    m_rows.Reorder(KeepHandOrder(listed, m_rows.OldNameViews()));
    return;
  }
  m_rows.Reorder(PermutationFor(m_rowOrder));
}

void CQuillonDlg::ShowReordered(const std::vector<std::size_t>& permutation) {
  // An order that moves no row leaves the names as they are: choosing the
  // current order again must not cost the user a pasted list.
  bool moved = false;
  for (std::size_t row = 0; row < permutation.size() && !moved; ++row)
    moved = permutation[row] != row;
  if (!moved) {
    UpdateControls();
    return;
  }
  m_rows.Reorder(permutation);
  const bool regenerate = m_namesFrom == NamesFrom::kGenerated && CanGenerateNames();
  if (!regenerate) m_rows.SetNewNames({});
  RebuildRows();
  if (regenerate) {
    GenerateNames();
    return;
  }
  m_namesFrom = NamesFrom::kNone;
  m_invalid = false;
  UpdateControls();
}

}  // namespace quillon
