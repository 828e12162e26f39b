// The file list's drop target, fed by a data object of the test's own that
// offers the shell's item list of real files, CF_HDROP, both or neither.
#include "win32/drop_target.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tests/win32/win32_test_support.h"
#include "win32/resource.h"

namespace quillon::testing {
namespace {

using Paths = std::vector<std::u16string>;
using Bytes = std::string;

// Offers each of its formats as fresh global memory and counts the requests.
class TestDataObject final : public IDataObject {
 public:
  std::map<CLIPFORMAT, Bytes> offered;
  std::map<CLIPFORMAT, int> requests;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IDataObject)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = this;
    return S_OK;
  }
  // Lives on the test's stack.
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    ++requests[format->cfFormat];
    const auto found = offered.find(format->cfFormat);
    if (found == offered.end() || !(format->tymed & TYMED_HGLOBAL)) return DV_E_FORMATETC;
    HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE, found->second.size());
    std::memcpy(::GlobalLock(global), found->second.data(), found->second.size());
    ::GlobalUnlock(global);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = global;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return offered.count(format->cfFormat) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
};

CLIPFORMAT ShellIdList() {
  return static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"Shell IDList Array"));
}

template <typename T>
void Append(Bytes* bytes, const T& value) {
  bytes->append(reinterpret_cast<const char*>(&value), sizeof value);
}

// A DROPFILES record; without its final empty name when `terminated` is false.
Bytes DropFiles(const Paths& paths, bool terminated = true) {
  DROPFILES header = {};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  Bytes bytes;
  Append(&bytes, header);
  for (const auto& path : paths)
    bytes.append(reinterpret_cast<const char*>(path.c_str()), (path.size() + 1) * 2);
  if (terminated) bytes.append(2, '\0');
  return bytes;
}

// A CIDA record: the parent's id list, then each item's.
Bytes Cida(LPCITEMIDLIST parent, const std::vector<LPCITEMIDLIST>& items) {
  Bytes lists(reinterpret_cast<const char*>(parent), ::ILGetSize(parent));
  std::vector<UINT> offsets = {static_cast<UINT>(sizeof(UINT) * (items.size() + 2))};
  for (const auto item : items) {
    offsets.push_back(offsets[0] + static_cast<UINT>(lists.size()));
    lists.append(reinterpret_cast<const char*>(item), ::ILGetSize(item));
  }
  Bytes bytes;
  Append(&bytes, static_cast<UINT>(items.size()));
  for (const UINT offset : offsets) Append(&bytes, offset);
  return bytes + lists;
}

// Records WM_FILESDROPPED and what the target shows while it is handled;
// during the handling a second drag enters, which must change nothing.
struct Delivery {
  static inline FileListDropTarget* target = nullptr;
  static inline std::vector<Delivery> seen;
  WPARAM wParam;
  LPARAM lParam;
  Paths paths;
  DWORD reenteredEffect;
  Paths pathsAfterReentry;

  static LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_FILESDROPPED) return ::DefWindowProcW(window, message, wParam, lParam);
    Delivery delivery{wParam, lParam, target->DropPaths(), 0, {}};
    TestDataObject other;
    other.offered[CF_HDROP] = DropFiles({u"C:\\other.txt"});
    DWORD effect = DROPEFFECT_LINK;
    target->DragEnter(&other, 0, {0, 0}, &effect);
    delivery.reenteredEffect = effect;
    delivery.pathsAfterReentry = target->DropPaths();
    seen.push_back(delivery);
    return 0;
  }
};

class DropTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = Delivery::Receive;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuillonDropReceiver";
    ::RegisterClassW(&windowClass);
    // Never shown.
    m_parent = ::CreateWindowExW(0, L"QuillonDropReceiver", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(m_parent, nullptr);
    m_list = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 50, 50, m_parent,
                               reinterpret_cast<HMENU>(IDC_FILE_LIST), windowClass.hInstance,
                               nullptr);
    ASSERT_NE(m_list, nullptr);
    m_target = new FileListDropTarget(m_list);
    m_target->SetAcceptDrop(true);
    Delivery::target = m_target;
    Delivery::seen.clear();

    ASSERT_TRUE(m_folder.Write(u"b.txt"));
    ASSERT_TRUE(m_folder.Write(u"写真 2.jpg"));
    ASSERT_TRUE(m_folder.MakeDir(u"sub"));
    m_files = {m_folder.PathOf(u"写真 2.jpg"), m_folder.PathOf(u"sub"), m_folder.PathOf(u"b.txt")};
    for (const auto& path : m_files) {
      PIDLIST_ABSOLUTE pidl = nullptr;
      ASSERT_TRUE(SUCCEEDED(::SHParseDisplayName(ToWide(path).c_str(), nullptr, &pidl, 0, nullptr)))
          << Utf8(path);
      m_pidls.push_back(pidl);
    }
    m_folderIds = ::ILClone(m_pidls[0]);
    ::ILRemoveLastID(m_folderIds);
    ASSERT_TRUE(SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &m_virtual)));
  }
  void TearDown() override {
    for (const auto pidl : m_pidls) ::ILFree(pidl);
    ::ILFree(m_folderIds);
    ::ILFree(m_virtual);
    if (m_target) {
      EXPECT_EQ(m_target->Release(), 0u);
    }
    if (m_parent) ::DestroyWindow(m_parent);
    ::OleUninitialize();
  }

  // The shell's item list of the test's files, in their order.
  Bytes FilesCida() const {
    std::vector<LPCITEMIDLIST> items;
    for (const auto pidl : m_pidls) items.push_back(::ILFindLastID(pidl));
    return Cida(m_folderIds, items);
  }
  // An item list that holds only the recycle bin, no file-system object.
  Bytes VirtualCida() const {
    const USHORT desktop = 0;
    return Cida(reinterpret_cast<LPCITEMIDLIST>(&desktop), {m_virtual});
  }
  DWORD Enter(IDataObject* data, DWORD allowed) {
    DWORD effect = allowed;
    EXPECT_EQ(m_target->DragEnter(data, 0, {0, 0}, &effect), S_OK);
    return effect;
  }
  DWORD Over(DWORD allowed) {
    DWORD effect = allowed;
    EXPECT_EQ(m_target->DragOver(0, {0, 0}, &effect), S_OK);
    return effect;
  }
  DWORD Drop(IDataObject* data, DWORD allowed) {
    DWORD effect = allowed;
    EXPECT_EQ(m_target->Drop(data, 0, {0, 0}, &effect), S_OK);
    return effect;
  }

  TempFolder m_folder;
  HWND m_parent = nullptr;
  HWND m_list = nullptr;
  FileListDropTarget* m_target = nullptr;
  Paths m_files;
  std::vector<PIDLIST_ABSOLUTE> m_pidls;
  PIDLIST_ABSOLUTE m_folderIds = nullptr;
  PIDLIST_ABSOLUTE m_virtual = nullptr;
};

constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

TEST_F(DropTargetTest, EnterCollectsFromTheItemListElseFromTheFileList) {
  const Paths hdrop = {u"C:\\from hdrop\\1.txt", u"C:\\from hdrop\\写真.jpg"};
  const Paths tooLong = {std::u16string(40000, u'x'), u"C:\\kept.txt"};
  Bytes truncatedCida = FilesCida();
  truncatedCida.resize(truncatedCida.size() - 3);
  Bytes hugeCount = FilesCida();
  const UINT count = 0x7FFFFFFF;
  std::memcpy(hugeCount.data(), &count, sizeof count);
  enum Source { kFiles, kVirtual, kHuge, kTruncated, kNone };
  struct Case {
    const char* name;
    Source idList;
    const Paths* fileList;
    bool terminated;
    DWORD allowed;
    bool accept;
    DWORD effect;
    Paths paths;  // empty: the test's files
    bool fileListRead;
  };
  const Paths none = {u"<none>"};
  const Paths fitting = {m_files[0], m_files[1]};
  const Case cases[] = {
      {"item list only", kFiles, nullptr, true, kAll, true, DROPEFFECT_LINK, {}, false},
      {"file list only", kNone, &hdrop, true, kAll, true, DROPEFFECT_LINK, hdrop, true},
      {"both: item list wins", kFiles, &hdrop, true, kAll, true, DROPEFFECT_LINK, {}, false},
      {"neither", kNone, nullptr, true, kAll, true, DROPEFFECT_NONE, none, true},
      {"only virtual items", kVirtual, nullptr, true, kAll, true, DROPEFFECT_NONE, none, true},
      {"virtual items, file list", kVirtual, &hdrop, true, kAll, true, DROPEFFECT_LINK, hdrop,
       true},
      {"item count past the block", kHuge, &hdrop, true, kAll, true, DROPEFFECT_LINK, hdrop, true},
      {"last item cut short", kTruncated, &hdrop, true, kAll, true, DROPEFFECT_LINK, fitting,
       false},
      {"file list unterminated", kNone, &hdrop, false, kAll, true, DROPEFFECT_NONE, none, true},
      {"absurdly long path skipped", kNone, &tooLong, true, kAll, true, DROPEFFECT_LINK,
       {u"C:\\kept.txt"}, true},
      {"drops refused", kFiles, &hdrop, true, kAll, false, DROPEFFECT_NONE, none, false},
      {"source without link", kFiles, nullptr, true, DROPEFFECT_COPY | DROPEFFECT_MOVE, true,
       DROPEFFECT_NONE, {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestDataObject data;
    data.offered[CF_UNICODETEXT] = Bytes("t\0\0\0", 4);
    if (c.idList == kFiles) data.offered[ShellIdList()] = FilesCida();
    if (c.idList == kVirtual) data.offered[ShellIdList()] = VirtualCida();
    if (c.idList == kHuge) data.offered[ShellIdList()] = hugeCount;
    if (c.idList == kTruncated) data.offered[ShellIdList()] = truncatedCida;
    if (c.fileList) data.offered[CF_HDROP] = DropFiles(*c.fileList, c.terminated);
    m_target->SetAcceptDrop(c.accept);

    EXPECT_EQ(Enter(&data, c.allowed), c.effect);
    const Paths expected = c.paths.empty() ? m_files : c.paths == none ? Paths{} : c.paths;
    EXPECT_EQ(m_target->DropPaths(), expected);
    EXPECT_EQ(Over(c.allowed), c.effect);
    EXPECT_EQ(data.requests[CF_HDROP] > 0, c.fileListRead && c.accept);
  }
}

TEST_F(DropTargetTest, DropDeliversTheCollectedPathsOnceToTheParent) {
  struct Case {
    const char* name;
    bool leaveFirst;
    bool refuseBeforeDrop;
    DWORD allowedAtDrop;
    bool delivered;
  };
  const Case cases[] = {
      {"plain drop", false, false, kAll, true},
      {"after leaving", true, false, kAll, false},
      {"drops refused meanwhile", false, true, kAll, false},
      {"source without link", false, false, DROPEFFECT_COPY, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Delivery::seen.clear();
    m_target->SetAcceptDrop(true);
    TestDataObject data;
    data.offered[ShellIdList()] = FilesCida();
    ASSERT_EQ(Enter(&data, kAll), DROPEFFECT_LINK);
    if (c.leaveFirst) m_target->DragLeave();
    if (c.refuseBeforeDrop) m_target->SetAcceptDrop(false);

    EXPECT_EQ(Drop(&data, c.allowedAtDrop), c.delivered ? DROPEFFECT_LINK : DROPEFFECT_NONE);
    ASSERT_EQ(Delivery::seen.size(), c.delivered ? 1u : 0u);
    if (c.delivered) {
      const Delivery& delivery = Delivery::seen[0];
      EXPECT_EQ(delivery.wParam, static_cast<WPARAM>(IDC_FILE_LIST));
      EXPECT_EQ(delivery.lParam, 0);
      EXPECT_EQ(delivery.paths, m_files);
      EXPECT_EQ(delivery.reenteredEffect, static_cast<DWORD>(DROPEFFECT_NONE));
      EXPECT_EQ(delivery.pathsAfterReentry, m_files);
      // Delivered once: the drag is over.
      EXPECT_TRUE(m_target->DropPaths().empty());
      EXPECT_EQ(Over(kAll), static_cast<DWORD>(DROPEFFECT_NONE));
    }
  }
}

TEST_F(DropTargetTest, CountsReferencesAndRegistersForTheList) {
  IDropTarget* asTarget = nullptr;
  ASSERT_EQ(m_target->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&asTarget)), S_OK);
  EXPECT_EQ(asTarget, static_cast<IDropTarget*>(m_target));
  EXPECT_EQ(asTarget->Release(), 1u);
  void* other = &other;
  EXPECT_EQ(m_target->QueryInterface(IID_IDataObject, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);

  ASSERT_TRUE(m_target->Register());
  EXPECT_TRUE(m_target->Register());  // once only
  EXPECT_EQ(::RegisterDragDrop(m_list, m_target), DRAGDROP_E_ALREADYREGISTERED);
  m_target->Revoke();
  EXPECT_EQ(::RevokeDragDrop(m_list), DRAGDROP_E_NOTREGISTERED);
  // Back to the creator's one reference, released in TearDown.
  EXPECT_EQ(m_target->AddRef(), 2u);
  EXPECT_EQ(m_target->Release(), 1u);
}

}  // namespace
}  // namespace quillon::testing
