// The dialog port: everything the user sees or answers, split by role so
// that a part that needs one role takes only that. The windows implement
// the whole DialogPort; tests script it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/name_pool.h"
#include "resources/ids.h"

namespace quillon {

// Columns of the file list.
inline constexpr int kOldNameColumn = 0;
inline constexpr int kNewNameColumn = 1;
inline constexpr int kResultColumn = 2;

// Messages and questions: modal boxes the user closes or answers.
class MessagesPort {
 public:
  virtual ~MessagesPort() = default;

  // Modal message box: caption "クイロン", warning icon, OK button; returns
  // when the user has closed it.
  virtual void ShowMessage(std::u16string_view text) = 0;
  // The same with OK (the default) and Cancel; true when the answer was OK.
  virtual bool AskOkCancel(std::u16string_view text) = 0;
  // What to do with a run a crash cut short: the modal question shows the
  // text and three buttons, "最後まで実行" (the default), "元に戻す" and
  // "後で"; closing it answers kLater.
  enum class RecoveryChoice { kFinish, kRestore, kLater };
  virtual RecoveryChoice AskRecovery(std::u16string_view text) {
    (void)text;
    return RecoveryChoice::kLater;
  }
  // The modal retry dialog showing the message; returns when it is closed,
  // by its button or by the window's close command alike.
  virtual void ShowRetryDialog(std::u16string_view message) = 0;
};

// The rows view: the file list's rows, three text columns each, and the
// user's selection.
class RowsPort {
 public:
  virtual ~RowsPort() = default;

  // Replaces every row: row j shows names[j] in the old-name column with the
  // icon of the file directory/names[j]; the other columns are empty. The
  // lists are taken by value so that a hundred thousand rows move into the
  // window instead of being copied.
  virtual void SetRows(std::u16string_view directory, std::vector<std::u16string> names) = 0;
  virtual void DeleteAllRows() = 0;
  // Deletes these rows (ascending, each once) in one pass; the other rows
  // keep their order.
  virtual void DeleteRows(const std::vector<int>& rows) = 0;
  // Scrolls the list so that the row can be seen.
  virtual void EnsureRowVisible(int row) = 0;
  virtual void SetCellText(int row, int column, std::u16string_view text) = 0;
  // Sets a whole column at once: texts[j] into row j.
  virtual void SetColumnTexts(int column, std::vector<std::u16string> texts) = 0;
  // The same from names kept in one buffer, which a window may take over
  // whole instead of holding a string per row.
  virtual void SetColumnNames(int column, NamePool texts) {
    std::vector<std::u16string> copies;
    copies.reserve(texts.Size());
    for (std::size_t i = 0; i < texts.Size(); ++i) copies.emplace_back(texts.At(i));
    texts = {};
    SetColumnTexts(column, std::move(copies));
  }
  virtual void ClearColumn(int column) = 0;
  // The selected rows, ascending.
  virtual std::vector<int> SelectedRows() = 0;
  // Selects exactly these rows (ascending), as after rows moved by hand.
  virtual void SelectRows(const std::vector<int>& rows) { (void)rows; }
};

// The controls: the two text fields, what is enabled, and whether the list
// takes drops.
class ControlsPort {
 public:
  virtual ~ControlsPort() = default;

  virtual void SetDirectoryText(std::u16string_view text) = 0;
  virtual std::u16string NameFieldText() = 0;
  virtual void SetControlEnabled(ControlId id, bool enabled) = 0;
  virtual void SetAcceptDrops(bool accept) = 0;
};

// The clipboard, as text, and the desktop's opener.
class DesktopPort {
 public:
  virtual ~DesktopPort() = default;

  // False when the clipboard did not take the text.
  virtual bool SetClipboardText(std::u16string_view text) = 0;
  // nullopt when the clipboard holds no text.
  virtual std::optional<std::u16string> ClipboardText() = 0;
  virtual bool HasClipboardText() = 0;
  // Opens a file path or an address with the desktop's default application;
  // the outcome is not reported.
  virtual void OpenWithDefaultApplication(std::u16string_view pathOrAddress) = 0;
};

// The progress of long work.
class ProgressPort {
 public:
  virtual ~ProgressPort() = default;

  // Long work on `total` files starts: from now until the matching
  // EndProgress the window takes no input (no click, key or drop) but keeps
  // repainting, and shows "done of total" once the work has lasted about
  // half a second. Calls may nest; an inner call starts a new count.
  virtual void BeginProgress(std::size_t total) { (void)total; }
  // `done` of the total are handled. Called often: cheap when nothing is due.
  virtual void SetProgress(std::size_t done) { (void)done; }
  virtual void EndProgress() {}
};

// Every role at once: what the dialog's logic shows and asks through.
class DialogPort : public MessagesPort,
                   public RowsPort,
                   public ControlsPort,
                   public DesktopPort,
                   public ProgressPort {};

// Reports long work through a progress port for as long as it lives.
class ProgressScope {
 public:
  ProgressScope(ProgressPort& progress, std::size_t total) : m_progress(progress) {
    m_progress.BeginProgress(total);
  }
  ~ProgressScope() { m_progress.EndProgress(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
  void Set(std::size_t done) { m_progress.SetProgress(done); }

 private:
  ProgressPort& m_progress;
};

}  // namespace quillon
