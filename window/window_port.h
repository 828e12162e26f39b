// The dialog port as both windows implement it: three of its roles, the
// rows, the progress of long work and the desktop (clipboard and opener),
// are answered here once, from the row table and the busy policy, and
// passed on to small parts that only call the toolkit. Each window derives
// from it and implements the other two: the messages and its controls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/dialog_port.h"
#include "window/busy_policy.h"
#include "window/desktop.h"
#include "window/row_table.h"

namespace quillon {

// A change of the row table, as a list control is told of it: once before
// (RowsChanging) and once after (RowsChanged); a change of texts only after,
// since no row comes or goes.
struct RowChange {
  enum class Kind {
    kReplaced,          // every row is another
    kRemoved,           // `rows` went, one run
    kRemovedScattered,  // many runs went, the first from `rows.first` on
    kCells,             // texts of `rows` in `column` changed
  };
  Kind kind = Kind::kReplaced;
  RowSpan rows;
  int column = -1;
  bool operator==(const RowChange&) const = default;
};

// The list control that draws from the row table.
class RowsView {
 public:
  virtual ~RowsView() = default;
  virtual void RowsChanging(const RowChange& change) = 0;
  virtual void RowsChanged(const RowChange& change) = 0;
  // Scrolls so that the (existing) row can be seen.
  virtual void ScrollTo(int row) = 0;
  // The selected rows, in any order.
  virtual std::vector<int> Selection() const = 0;
  // Selects exactly the rows of `runs` (ascending, existing rows only, as
  // RowTable::SpansOf gives them), puts the current row on the first and
  // scrolls to it; with no runs nothing stays selected.
  virtual void Select(const std::vector<RowSpan>& runs) = 0;
};

// What the window shows of long work (BusyPolicy decides when).
class BusyView {
 public:
  virtual ~BusyView() = default;
  // The work starts: from now on the window takes no input, but repaints.
  virtual void BusyStarted() = 0;
  // Shows `done` of `total` files, from the first call on until BusyEnded.
  virtual void ShowProgress(std::size_t done, std::size_t total) = 0;
  // Paints what is due and drops the user's input that arrived meanwhile.
  virtual void RepaintWhileBusy() = 0;
  // The outermost work ended; `progressShown`: ShowProgress was called.
  virtual void BusyEnded(bool progressShown) = 0;
};

class WindowPort : public DialogPort {
 public:
  RowTable& Rows() { return m_rows; }
  const RowTable& Rows() const { return m_rows; }
  // Long work runs (between the outermost BeginProgress and its EndProgress).
  bool Busy() const { return m_busy.Busy(); }
  // How long work must last before its progress shows, and how often the
  // window repaints meanwhile; tests set both to 0.
  void SetProgressTiming(std::uint64_t showAfterMs, std::uint64_t repaintEveryMs) {
    m_busy.SetTiming({showAfterMs, repaintEveryMs});
  }

  // RowsPort. Rows and columns that do not exist are passed over.
  void SetRows(std::u16string_view directory, std::vector<std::u16string> names) final;
  void DeleteAllRows() final;
  void DeleteRows(const std::vector<int>& rows) final;
  void EnsureRowVisible(int row) final;
  void SetCellText(int row, int column, std::u16string_view text) final;
  void SetColumnTexts(int column, std::vector<std::u16string> texts) final;
  void SetColumnNames(int column, NamePool texts) final;
  void ClearColumn(int column) final;
  std::vector<int> SelectedRows() final;
  void SelectRows(const std::vector<int>& rows) final;

  // DesktopPort: the clipboard and the opener.
  bool SetClipboardText(std::u16string_view text) final;
  std::optional<std::u16string> ClipboardText() final;
  bool HasClipboardText() final;
  void OpenWithDefaultApplication(std::u16string_view pathOrAddress) final;

  // ProgressPort: long work.
  void BeginProgress(std::size_t total) final;
  void SetProgress(std::size_t done) final;
  void EndProgress() final;

 protected:
  // Each part must outlive the port; the rows' view and the busy view may
  // come later (SetRowsView, SetBusyView), and until they do nothing is
  // shown.
  WindowPort(Clipboard& clipboard, Opener& opener, const Clock& clock = SystemClock());
  void SetRowsView(RowsView* view) { m_rowsView = view; }
  void SetBusyView(BusyView* view) { m_busyView = view; }

 private:
  // Tells the rows' view before and after `apply` changes the rows.
  void Change(const RowChange& change, const std::function<void()>& apply);
  void CellsChanged(RowSpan rows, int column);

  RowTable m_rows;
  BusyPolicy m_busy;
  Clipboard& m_clipboard;
  Opener& m_opener;
  RowsView* m_rowsView = nullptr;
  BusyView* m_busyView = nullptr;
};

}  // namespace quillon
