#include "win32/drop_target.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <optional>

#include "win32/resource.h"

namespace quillon {
namespace {

// The longest path the system accepts at all (extended form); anything
// longer a source offers is junk, not a file.
constexpr std::size_t kMaxPathUnits = 32767;

// The shell's own item-list format, registered once per process: every
// drag asks for it, and the id never changes while the process runs.
CLIPFORMAT ShellIdListFormat() {
  static const CLIPFORMAT format =
      static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"Shell IDList Array"));
  return format;
}

bool IsUsablePath(std::size_t length) {
  return length > 0 && length <= kMaxPathUnits;
}

// A storage medium that is always given back, however the reading ends.
class Medium {
 public:
  Medium() { std::memset(&m_medium, 0, sizeof m_medium); }
  ~Medium() {
    if (m_filled) ::ReleaseStgMedium(&m_medium);
  }
  Medium(const Medium&) = delete;
  Medium& operator=(const Medium&) = delete;

  // Asks the data object for `format` in global memory; false when it is
  // not offered that way.
  bool Fetch(IDataObject* data, CLIPFORMAT format) {
    FORMATETC request = {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    m_filled = SUCCEEDED(data->GetData(&request, &m_medium));
    return m_filled && m_medium.tymed == TYMED_HGLOBAL && m_medium.hGlobal != nullptr;
  }
  HGLOBAL Global() const { return m_medium.hGlobal; }

 private:
  STGMEDIUM m_medium;
  bool m_filled = false;
};

// Global memory locked for reading, with the block's real size, so that
// every offset a source writes into it can be checked before it is followed.
class LockedBlock {
 public:
  explicit LockedBlock(HGLOBAL global)
      : m_global(global),
        m_bytes(static_cast<const BYTE*>(::GlobalLock(global))),
        m_size(m_bytes ? ::GlobalSize(global) : 0) {}
  ~LockedBlock() {
    if (m_bytes) ::GlobalUnlock(m_global);
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;

  const BYTE* Bytes() const { return m_bytes; }
  std::size_t Size() const { return m_size; }

 private:
  HGLOBAL m_global;
  const BYTE* m_bytes;
  std::size_t m_size;
};

// Size of the item-id list at `offset`, its terminating zero included; 0
// when the list runs past the block.
std::size_t IdListSize(const LockedBlock& block, std::size_t offset) {
  std::size_t at = offset;
  for (;;) {
    if (at > block.Size() || block.Size() - at < sizeof(USHORT)) return 0;
    USHORT cb;
    std::memcpy(&cb, block.Bytes() + at, sizeof cb);
    if (cb == 0) return at + sizeof cb - offset;
    // An id shorter than its own size field would never advance.
    if (cb < sizeof cb) return 0;
    at += cb;
  }
}

// A COM pointer released when it goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (m_object) m_object->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T* Get() const { return m_object; }
  T** Out() { return &m_object; }
  void** OutVoid() { return reinterpret_cast<void**>(&m_object); }

 private:
  T* m_object = nullptr;
};

// Single-byte text of at most `size` bytes, ended by its first zero, in the
// thread's code page.
std::u16string FromAnsi(const char* bytes, std::size_t size) {
  const int length = static_cast<int>(::strnlen(bytes, size));
  const int units = length ? ::MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, length, nullptr, 0) : 0;
  if (units <= 0) return {};
  std::u16string text(static_cast<std::size_t>(units), u'\0');
  ::MultiByteToWideChar(CP_THREAD_ACP, 0, bytes, length, reinterpret_cast<wchar_t*>(text.data()),
                        units);
  return text;
}

// The text of a display-name result; its wide string's memory is freed in
// every case. Empty when there is none.
std::u16string StrRetToString(STRRET& result, PCUITEMID_CHILD item) {
  switch (result.uType) {
    case STRRET_WSTR: {
      std::u16string text;
      if (result.pOleStr) {
        const std::size_t length = ::wcsnlen(result.pOleStr, kMaxPathUnits + 1);
        text.assign(reinterpret_cast<const char16_t*>(result.pOleStr), length);
        ::CoTaskMemFree(result.pOleStr);
        result.pOleStr = nullptr;
      }
      return text;
    }
    case STRRET_CSTR:
      return FromAnsi(result.cStr, sizeof result.cStr);
    case STRRET_OFFSET:
      // Text inside the item's own id, which bounds it.
      if (result.uOffset >= item->mkid.cb) return {};
      return FromAnsi(reinterpret_cast<const char*>(item) + result.uOffset,
                      item->mkid.cb - result.uOffset);
    default:
      return {};
  }
}

// The number of items of the shell's item list, once the offsets of its
// parent and of each item are all known to lie in the block.
std::optional<std::size_t> ShellItemCount(const LockedBlock& block) {
  if (!block.Bytes() || block.Size() < sizeof(UINT)) return std::nullopt;
  UINT count;
  std::memcpy(&count, block.Bytes(), sizeof count);
  const std::size_t offsetsEnd = sizeof(UINT) * (static_cast<std::size_t>(count) + 2);
  if (offsetsEnd > block.Size()) return std::nullopt;
  return count;
}

// Where id list `index` starts: 0 is the parent's, 1 to the count the
// items'. ShellItemCount has checked that the offset itself is in the block.
std::size_t IdListOffset(const LockedBlock& block, std::size_t index) {
  UINT offset;
  std::memcpy(&offset, block.Bytes() + sizeof(UINT) * (index + 1), sizeof offset);
  return static_cast<std::size_t>(offset);
}

// The folder the items' ids are relative to: the desktop for an empty
// parent list, else the folder it names, bound into `bound`. Nullptr when
// the parent's ids do not fit in the block or name no folder.
IShellFolder* ParentFolder(const LockedBlock& block, IShellFolder* desktop,
                           ComPtr<IShellFolder>* bound) {
  const std::size_t parentOffset = IdListOffset(block, 0);
  if (IdListSize(block, parentOffset) == 0) return nullptr;
  const auto parentIds = reinterpret_cast<PCUIDLIST_RELATIVE>(block.Bytes() + parentOffset);
  if (parentIds->mkid.cb == 0) return desktop;
  if (FAILED(desktop->BindToObject(parentIds, nullptr, IID_IShellFolder, bound->OutVoid())))
    return nullptr;
  return bound->Get();
}

// The full path of an item of `parent`; empty when it is not a file-system
// object or cannot be linked to.
std::u16string FileSystemPath(IShellFolder* parent, PCUITEMID_CHILD item) {
  SFGAOF attributes = SFGAO_FILESYSTEM | SFGAO_CANLINK;
  if (FAILED(parent->GetAttributesOf(1, &item, &attributes)) ||
      (attributes & (SFGAO_FILESYSTEM | SFGAO_CANLINK)) != (SFGAO_FILESYSTEM | SFGAO_CANLINK))
    return {};
  STRRET name;
  std::memset(&name, 0, sizeof name);
  if (FAILED(parent->GetDisplayNameOf(item, SHGDN_FORPARSING, &name))) return {};
  return StrRetToString(name, item);
}

// Full paths of the file-system items of the shell's item list, in its
// order. Items that are not file-system objects, cannot be linked to or
// whose ids do not fit in the block are skipped.
void CollectShellItems(IDataObject* data, std::vector<std::u16string>* paths) {
  Medium medium;
  if (!medium.Fetch(data, ShellIdListFormat())) return;
  LockedBlock block(medium.Global());
  const std::optional<std::size_t> count = ShellItemCount(block);
  if (!count) return;
  ComPtr<IShellFolder> desktop;
  if (FAILED(::SHGetDesktopFolder(desktop.Out())) || !desktop.Get()) return;
  ComPtr<IShellFolder> bound;
  IShellFolder* parent = ParentFolder(block, desktop.Get(), &bound);
  if (parent == nullptr) return;

  for (std::size_t i = 1; i <= *count; ++i) {
    const std::size_t offset = IdListOffset(block, i);
    if (IdListSize(block, offset) <= sizeof(USHORT)) continue;
    std::u16string path =
        FileSystemPath(parent, reinterpret_cast<PCUITEMID_CHILD>(block.Bytes() + offset));
    if (IsUsablePath(path.size())) paths->push_back(std::move(path));
  }
}

// Whether the DROPFILES record's name list ends, by its empty name, inside
// the block: DragQueryFileW itself would read on past the end.
bool IsWellFormedDropFiles(const LockedBlock& block) {
  if (!block.Bytes() || block.Size() < sizeof(DROPFILES)) return false;
  DROPFILES header;
  std::memcpy(&header, block.Bytes(), sizeof header);
  if (header.pFiles < sizeof(DROPFILES) || header.pFiles >= block.Size()) return false;
  const std::size_t unit = header.fWide ? sizeof(wchar_t) : 1;
  bool previousEnded = true;  // an empty list is its terminator alone
  for (std::size_t at = header.pFiles; block.Size() - at >= unit; at += unit) {
    bool zero = true;
    for (std::size_t b = 0; b < unit; ++b) zero = zero && block.Bytes()[at + b] == 0;
    if (zero && previousEnded) return true;
    previousEnded = zero;
  }
  return false;
}

void CollectDropFiles(IDataObject* data, std::vector<std::u16string>* paths) {
  Medium medium;
  if (!medium.Fetch(data, CF_HDROP)) return;
  {
    const LockedBlock block(medium.Global());
    if (!IsWellFormedDropFiles(block)) return;
  }
  const auto drop = static_cast<HDROP>(medium.Global());
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = ::DragQueryFileW(drop, i, nullptr, 0);
    if (!IsUsablePath(length)) continue;
    std::wstring path(length + 1, L'\0');
    const UINT copied = ::DragQueryFileW(drop, i, path.data(), length + 1);
    if (copied == 0 || copied > length) continue;
    paths->emplace_back(reinterpret_cast<const char16_t*>(path.data()), copied);
  }
}

}  // namespace

FileListDropTarget::FileListDropTarget(HWND list) : m_list(list) {
  ShellIdListFormat();
}

bool FileListDropTarget::Register() {
  if (!m_registered) m_registered = SUCCEEDED(::RegisterDragDrop(m_list, this));
  return m_registered;
}

void FileListDropTarget::Revoke() {
  if (!m_registered) return;
  ::RevokeDragDrop(m_list);
  m_registered = false;
}

void FileListDropTarget::SetAcceptDrop(bool accept) {
  m_bAcceptDrop = accept;
}

HRESULT STDMETHODCALLTYPE FileListDropTarget::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE FileListDropTarget::AddRef() {
  return static_cast<ULONG>(::InterlockedIncrement(&m_references));
}

ULONG STDMETHODCALLTYPE FileListDropTarget::Release() {
  const LONG left = ::InterlockedDecrement(&m_references);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE FileListDropTarget::DragEnter(IDataObject* data, DWORD, POINTL,
                                                        DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  const DWORD allowed = *effect;
  *effect = DROPEFFECT_NONE;
  if (m_delivering) return S_OK;
  m_dropPaths.clear();
  m_bDropReady = false;
  if (!m_bAcceptDrop || !data) return S_OK;
  CollectShellItems(data, &m_dropPaths);
  if (m_dropPaths.empty()) CollectDropFiles(data, &m_dropPaths);
  m_bDropReady = !m_dropPaths.empty();
  if (m_bDropReady && (allowed & DROPEFFECT_LINK)) *effect = DROPEFFECT_LINK;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileListDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  const bool link = m_bDropReady && m_bAcceptDrop && !m_delivering && (*effect & DROPEFFECT_LINK);
  *effect = link ? DROPEFFECT_LINK : DROPEFFECT_NONE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileListDropTarget::DragLeave() {
  if (m_delivering) return S_OK;
  m_dropPaths.clear();
  m_bDropReady = false;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FileListDropTarget::Drop(IDataObject*, DWORD, POINTL, DWORD* effect) {
  if (!effect) return E_INVALIDARG;
  const DWORD allowed = *effect;
  *effect = DROPEFFECT_NONE;
  if (!m_bDropReady || !m_bAcceptDrop || m_delivering || !(allowed & DROPEFFECT_LINK) ||
      m_dropPaths.empty())
    return S_OK;
  // The handler may let the list go (and with it the last other
  // reference) before it returns.
  AddRef();
  HWND receiver = ::GetWindow(m_list, GW_OWNER);
  if (!receiver) receiver = ::GetParent(m_list);
  if (receiver) {
    m_delivering = true;
    ::SendMessageW(receiver, WM_FILESDROPPED, static_cast<WPARAM>(::GetDlgCtrlID(m_list)), 0);
    m_delivering = false;
  }
  m_dropPaths.clear();
  m_bDropReady = false;
  *effect = DROPEFFECT_LINK;
  Release();
  return S_OK;
}

}  // namespace quillon
