// The Windows program: the common controls and OLE for this thread, the main
// dialog, and its message loop until the window is closed. It writes no
// setting; its only file is the journal of a run going on, in
// %LOCALAPPDATA%\Quillon, which the run removes when it ends.
#include <windows.h>
// The headers below need <windows.h> first.
#include <commctrl.h>
#include <ole2.h>

#include "platform/win32/win32_file_dates.h"
#include "win32/command_line.h"
#include "win32/main_dialog.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // Without OLE the list takes no drops and the property store gives no
  // capture times; nothing else depends on it.
  const HRESULT ole = OleInitialize(nullptr);
  int exitCode = 1;
  {
    quillon::Win32FileDateReader dates;
    quillon::MainDialog dialog(instance, &dates);
    if (dialog.Create(quillon::CommandLinePaths(GetCommandLineW()))) exitCode = dialog.Run();
  }
  if (SUCCEEDED(ole)) OleUninitialize();
  return exitCode;
}
