#include "win32/shell_opener.h"

#include <windows.h>
// The header below needs <windows.h> first.
#include <shellapi.h>

#include "platform/win32/win32_path.h"

namespace quillon {

void ShellOpener::Open(std::u16string_view pathOrAddress) {
  ShellExecuteW(nullptr, nullptr, ToWide(pathOrAddress).c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace quillon
