// Renames files with the Windows port, keeping the run's journal in the
// user's store (%LOCALAPPDATA%\Quillon), and ends the process abruptly just
// before one of its moves, as a crash or a kill would: the run the window's
// end-to-end test finds cut short at its next start.
//   quillon_cut_run CUT_AT FOLDER OLD NEW [OLD NEW ...]
// Moves OLD to NEW for each pair, in one run, and ends the process with
// exit code 3 before move CUT_AT (counted from 0) of the port; 0 when the
// run ended before that, 2 on wrong arguments.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "dialog/quillon_dlg.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_journal_store.h"
#include "platform/win32/win32_path.h"
#include "tests/fake_dialog.h"

int wmain(int argc, wchar_t** argv) {
  using namespace quillon;
  if (argc < 5 || argc % 2 == 0) {
    std::fputs("usage: quillon_cut_run CUT_AT FOLDER OLD NEW [OLD NEW ...]\n", stderr);
    return 2;
  }
  const long cutAt = std::wcstol(argv[1], nullptr, 10);
  std::vector<std::u16string> sources;
  std::vector<std::u16string> targets;
  for (int i = 3; i + 1 < argc; i += 2) {
    sources.push_back(FromWide(argv[i]));
    targets.push_back(FromWide(argv[i + 1]));
  }
  long moves = 0;
  Win32FileSystem fs([&](const std::wstring&, const std::wstring&) {
    // No destructor runs and nothing is flushed: the system closes the
    // handles, the journal's among them, as it does for a killed process.
    if (moves++ == cutAt) ::TerminateProcess(::GetCurrentProcess(), 3);
  });
  Win32JournalStore store(Win32JournalStore::UserDirectory());
  testing::FakeDialog dialog;
  CQuillonDlg dlg(fs, dialog, &store);
  testing::ListNames(dlg, FromWide(argv[2]), sources);
  std::vector<std::u16string> namesAfter;
  dlg.RunRenames(sources, targets, &namesAfter);
  return 0;
}
