#include "window/window_port.h"

#include <algorithm>

namespace quillon {

WindowPort::WindowPort(Clipboard& clipboard, Opener& opener, const Clock& clock)
    : m_busy(clock), m_clipboard(clipboard), m_opener(opener) {}

void WindowPort::Change(const RowChange& change, const std::function<void()>& apply) {
  if (m_rowsView != nullptr) m_rowsView->RowsChanging(change);
  apply();
  if (m_rowsView != nullptr) m_rowsView->RowsChanged(change);
}

void WindowPort::SetRows(std::u16string_view directory, std::vector<std::u16string> names) {
  Change({RowChange::Kind::kReplaced, {}, -1},
         [&] { m_rows.Replace(directory, std::move(names)); });
}

void WindowPort::DeleteAllRows() {
  SetRows(u"", {});
}

void WindowPort::DeleteRows(const std::vector<int>& rows) {
  const std::vector<RowSpan> spans = m_rows.SpansOf(rows);
  if (spans.empty()) return;
  if (spans.size() > window::kMostRemovedRuns) {
    Change({RowChange::Kind::kRemovedScattered, {spans.front().first, spans.back().last}, -1},
           [&] { m_rows.Remove(spans); });
    return;
  }
  // From the last run to the first, so that the rows before each run keep
  // their numbers while the list is told of it.
  for (auto span = spans.rbegin(); span != spans.rend(); ++span)
    Change({RowChange::Kind::kRemoved, *span, -1}, [&] { m_rows.Remove(*span); });
}

void WindowPort::EnsureRowVisible(int row) {
  if (m_rowsView != nullptr && m_rows.HasRow(row)) m_rowsView->ScrollTo(row);
}

void WindowPort::CellsChanged(RowSpan rows, int column) {
  if (m_rowsView != nullptr) m_rowsView->RowsChanged({RowChange::Kind::kCells, rows, column});
}

void WindowPort::SetCellText(int row, int column, std::u16string_view text) {
  if (m_rows.SetCell(row, column, text)) CellsChanged({row, row}, column);
}

void WindowPort::SetColumnTexts(int column, std::vector<std::u16string> texts) {
  if (m_rows.SetColumn(column, texts)) CellsChanged({0, m_rows.RowCount() - 1}, column);
}

void WindowPort::SetColumnNames(int column, NamePool texts) {
  if (m_rows.SetColumn(column, std::move(texts))) CellsChanged({0, m_rows.RowCount() - 1}, column);
}

void WindowPort::ClearColumn(int column) {
  if (m_rows.ClearColumn(column)) CellsChanged({0, m_rows.RowCount() - 1}, column);
}

std::vector<int> WindowPort::SelectedRows() {
  if (m_rowsView == nullptr) return {};
  std::vector<int> rows = m_rowsView->Selection();
  std::sort(rows.begin(), rows.end());
  return rows;
}

void WindowPort::SelectRows(const std::vector<int>& rows) {
  if (m_rowsView != nullptr) m_rowsView->Select(m_rows.SpansOf(rows));
}

bool WindowPort::SetClipboardText(std::u16string_view text) {
  return m_clipboard.SetText(text);
}

std::optional<std::u16string> WindowPort::ClipboardText() {
  return m_clipboard.Text();
}

bool WindowPort::HasClipboardText() {
  return m_clipboard.HasText();
}

void WindowPort::OpenWithDefaultApplication(std::u16string_view pathOrAddress) {
  m_opener.Open(pathOrAddress);
}

void WindowPort::BeginProgress(std::size_t total) {
  if (m_busy.Begin(total) && m_busyView != nullptr) m_busyView->BusyStarted();
  // An inner piece of work starts a new count where the progress shows.
  if (m_busy.ProgressShown() && m_busyView != nullptr)
    m_busyView->ShowProgress(m_busy.Done(), m_busy.Total());
}

void WindowPort::SetProgress(std::size_t done) {
  const BusyPolicy::Step step = m_busy.Advance(done);
  if (!step.repaint || m_busyView == nullptr) return;
  if (step.showProgress) m_busyView->ShowProgress(m_busy.Done(), m_busy.Total());
  m_busyView->RepaintWhileBusy();
}

void WindowPort::EndProgress() {
  const bool shown = m_busy.ProgressShown();
  if (m_busy.End() && m_busyView != nullptr) m_busyView->BusyEnded(shown);
}

}  // namespace quillon
