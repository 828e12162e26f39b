// Holds a file open the way an editor or a viewer may: readable by others,
// but neither renamable nor deletable while it is open. The end-to-end test
// uses it to make a rename meet "in use".
//   quillon_hold_open FILE READY RELEASE
// Opens FILE, creates READY, and keeps FILE open until RELEASE exists.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fputs("usage: quillon_hold_open FILE READY RELEASE\n", stderr);
    return 2;
  }
  const HANDLE held = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  const HANDLE ready = CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  if (ready == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(ready);
  // The test creates RELEASE once it has seen the rename held up; ten
  // minutes is only a safety net for a test that died meanwhile.
  for (int i = 0; i < 10 * 60 * 50 && GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES; ++i)
    Sleep(20);
  CloseHandle(held);
  return 0;
}
