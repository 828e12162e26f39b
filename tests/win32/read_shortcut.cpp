// Reads a shell link the way Explorer does, for the installer's test:
//   quillon_read_shortcut LINK OUT
// writes to OUT, in UTF-8, one line each: the target's path, the arguments,
// the working directory, the icon's path and the icon's index.
#include <windows.h>
// The headers below need <windows.h> first.
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string bytes(static_cast<std::size_t>(size - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

int Read(const wchar_t* link, const wchar_t* out) {
  IShellLinkW* shell_link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&shell_link)))) {
    return 1;
  }
  IPersistFile* file = nullptr;
  wchar_t target[MAX_PATH] = {}, arguments[INFOTIPSIZE] = {}, directory[MAX_PATH] = {},
          icon[MAX_PATH] = {};
  int icon_index = 0;
  // No resolving: the link as it was written, not as a search would mend it.
  const bool read = SUCCEEDED(shell_link->QueryInterface(IID_PPV_ARGS(&file))) &&
                    SUCCEEDED(file->Load(link, STGM_READ)) &&
                    SUCCEEDED(shell_link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) &&
                    SUCCEEDED(shell_link->GetArguments(arguments, INFOTIPSIZE)) &&
                    SUCCEEDED(shell_link->GetWorkingDirectory(directory, MAX_PATH)) &&
                    SUCCEEDED(shell_link->GetIconLocation(icon, MAX_PATH, &icon_index));
  if (file != nullptr) file->Release();
  shell_link->Release();
  if (!read) return 1;
  FILE* output = _wfopen(out, L"wb");
  if (output == nullptr) return 1;
  std::fprintf(output, "%s\n%s\n%s\n%s\n%d\n", Utf8(target).c_str(), Utf8(arguments).c_str(),
               Utf8(directory).c_str(), Utf8(icon).c_str(), icon_index);
  return std::fclose(output) == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: quillon_read_shortcut LINK OUT\n", stderr);
    return 2;
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  const int status = Read(argv[1], argv[2]);
  CoUninitialize();
  return status;
}
