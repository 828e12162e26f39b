// The file list's drop target, fed through OLE's data object of the
// clipboard, on which each case places the shell's item list of real files,
// CF_HDROP, both, neither, or malformed records.
#include "win32/drop_target.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/win32/win32_test_support.h"
#include "win32/resource.h"

namespace quillon::testing {
namespace {

using Paths = std::vector<std::u16string>;
using Bytes = std::string;
constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
const CLIPFORMAT kIdList =
    static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(L"Shell IDList Array"));

template <typename T>
void Append(Bytes* bytes, const T& value) {
  bytes->append(reinterpret_cast<const char*>(&value), sizeof value);
}

// A wide DROPFILES record; `end` is its final empty name.
Bytes DropFiles(const Paths& paths, Bytes end = Bytes(2, '\0')) {
  DROPFILES header = {sizeof header, {0, 0}, FALSE, TRUE};
  Bytes bytes;
  Append(&bytes, header);
  for (const auto& path : paths)
    bytes.append(reinterpret_cast<const char*>(path.c_str()), (path.size() + 1) * 2);
  return bytes + end;
}

// A CIDA record: the count, the offsets, the parent's id list, each item's.
Bytes Cida(LPCITEMIDLIST parent, const std::vector<LPCITEMIDLIST>& items) {
  Bytes lists(reinterpret_cast<const char*>(parent), ::ILGetSize(parent));
  Bytes bytes;
  Append(&bytes, static_cast<UINT>(items.size()));
  Append(&bytes, static_cast<UINT>(sizeof(UINT) * (items.size() + 2)));
  for (const auto item : items) {
    Append(&bytes, static_cast<UINT>(sizeof(UINT) * (items.size() + 2) + lists.size()));
    lists.append(reinterpret_cast<const char*>(item), ::ILGetSize(item));
  }
  return bytes + lists;
}

// The formats with non-empty bytes, as the clipboard's data object offers them.
IDataObject* Offer(HWND owner, const std::vector<std::pair<UINT, Bytes>>& formats) {
  EXPECT_TRUE(::OpenClipboard(owner) && ::EmptyClipboard());
  for (const auto& [format, bytes] : formats) {
    if (bytes.empty()) continue;
    HGLOBAL global = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(::GlobalLock(global), bytes.data(), bytes.size());
    ::GlobalUnlock(global);
    EXPECT_NE(::SetClipboardData(format, global), nullptr);
  }
  ::CloseClipboard();
  IDataObject* data = nullptr;
  EXPECT_EQ(::OleGetClipboard(&data), S_OK);
  return data;
}

// What the list's parent saw of each WM_FILESDROPPED: the message, the paths
// readable meanwhile, and that a drag entering meanwhile changed nothing.
struct Delivery {
  WPARAM wParam;
  LPARAM lParam;
  Paths paths;
  DWORD reentered;
  Paths pathsAfterReentry;
};
FileListDropTarget* g_target = nullptr;
std::vector<Delivery> g_deliveries;

LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_FILESDROPPED) return ::DefWindowProcW(window, message, wParam, lParam);
  Delivery delivery{wParam, lParam, g_target->DropPaths(), DROPEFFECT_LINK, {}};
  g_target->DragEnter(nullptr, 0, {0, 0}, &delivery.reentered);
  delivery.pathsAfterReentry = g_target->DropPaths();
  g_deliveries.push_back(delivery);
  return 0;
}

class DropTargetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::OleInitialize(nullptr), S_OK);
    const WNDCLASSW windowClass = {0,       Receive, 0,       0,       nullptr,
                                   nullptr, nullptr, nullptr, nullptr, L"QuillonDropReceiver"};
    ::RegisterClassW(&windowClass);
    // Never shown.
    m_parent = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 99,
                                 99, nullptr, nullptr, nullptr, nullptr);
    m_list = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 9, 9, m_parent,
                               reinterpret_cast<HMENU>(IDC_FILE_LIST), nullptr, nullptr);
    ASSERT_NE(m_list, nullptr);
    g_target = m_target = new FileListDropTarget(m_list);
    m_target->SetAcceptDrop(true);
    g_deliveries.clear();

    // A folder is collected like a file; the order is the source's.
    ASSERT_TRUE(m_folder.Write(u"b.txt") && m_folder.Write(u"写真 2.jpg") &&
                m_folder.MakeDir(u"sub"));
    m_files = {m_folder.PathOf(u"写真 2.jpg"), m_folder.PathOf(u"sub"), m_folder.PathOf(u"b.txt")};
    std::vector<LPCITEMIDLIST> items;
    for (const auto& path : m_files) {
      m_pidls.emplace_back();
      ASSERT_EQ(::SHParseDisplayName(ToWide(path).c_str(), nullptr, &m_pidls.back(), 0, nullptr),
                S_OK);
      items.push_back(::ILFindLastID(m_pidls.back()));
    }
    m_pidls.push_back(::ILClone(m_pidls[0]));
    ::ILRemoveLastID(m_pidls.back());
    m_filesCida = Cida(m_pidls.back(), items);
    // The recycle bin: a child of the desktop, no file-system object.
    m_pidls.emplace_back();
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &m_pidls.back()), S_OK);
    const USHORT desktop = 0;
    m_virtualCida = Cida(reinterpret_cast<LPCITEMIDLIST>(&desktop), {m_pidls.back()});
  }
  void TearDown() override {
    for (const auto pidl : m_pidls) ::ILFree(pidl);
    if (m_target) {
      EXPECT_EQ(m_target->Release(), 0u);
    }
    ::DestroyWindow(m_parent);
    ::OleUninitialize();
  }
  DWORD Call(HRESULT (FileListDropTarget::*event)(IDataObject*, DWORD, POINTL, DWORD*),
             IDataObject* data, DWORD allowed) {
    EXPECT_EQ((m_target->*event)(data, 0, {0, 0}, &allowed), S_OK);
    return allowed;
  }
  DWORD Over(DWORD allowed) {
    EXPECT_EQ(m_target->DragOver(0, {0, 0}, &allowed), S_OK);
    return allowed;
  }

  TempFolder m_folder;
  HWND m_parent = nullptr;
  HWND m_list = nullptr;
  FileListDropTarget* m_target = nullptr;
  Paths m_files;
  std::vector<PIDLIST_ABSOLUTE> m_pidls;
  Bytes m_filesCida, m_virtualCida;
};

TEST_F(DropTargetTest, EnterCollectsFromTheItemListElseFromTheFileList) {
  const Paths hdrop = {u"C:\\from hdrop\\1.txt", u"C:\\from hdrop\\写真.jpg"};
  Bytes hugeCount = m_filesCida, cutShort = m_filesCida;
  std::memset(hugeCount.data(), 0x7F, sizeof(UINT));
  cutShort.resize(cutShort.size() - 3);
  const DWORD link = DROPEFFECT_LINK, none = DROPEFFECT_NONE;
  struct Case {
    const char* name;
    Bytes idList, fileList;
    DWORD allowed;
    bool accept;
    DWORD effect;
    Paths paths;
  };
  const Case cases[] = {
      {"item list only", m_filesCida, {}, kAll, true, link, m_files},
      {"file list only", {}, DropFiles(hdrop), kAll, true, link, hdrop},
      {"both: item list wins", m_filesCida, DropFiles(hdrop), kAll, true, link, m_files},
      {"neither", {}, {}, kAll, true, none, {}},
      {"only virtual items", m_virtualCida, {}, kAll, true, none, {}},
      {"virtual items, file list", m_virtualCida, DropFiles(hdrop), kAll, true, link, hdrop},
      {"item count past the block", hugeCount, DropFiles(hdrop), kAll, true, link, hdrop},
      {"last item cut short",
       cutShort,
       DropFiles(hdrop),
       kAll,
       true,
       link,
       {m_files[0], m_files[1]}},
      {"file list unterminated", {}, DropFiles(hdrop, "\x7f"), kAll, true, none, {}},
      {"absurdly long path skipped",
       {},
       DropFiles({std::u16string(40000, u'x'), u"C:\\k"}),
       kAll,
       true,
       link,
       {u"C:\\k"}},
      {"drops refused", m_filesCida, DropFiles(hdrop), kAll, false, none, {}},
      {"source without link", m_filesCida, {}, DROPEFFECT_COPY, true, none, m_files},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    IDataObject* data =
        Offer(m_parent,
              {{CF_UNICODETEXT, Bytes("t\0\0\0", 4)}, {kIdList, c.idList}, {CF_HDROP, c.fileList}});
    m_target->SetAcceptDrop(c.accept);
    EXPECT_EQ(Call(&FileListDropTarget::DragEnter, data, c.allowed), c.effect);
    EXPECT_EQ(m_target->DropPaths(), c.paths);
    EXPECT_EQ(Over(c.allowed), c.effect);
    data->Release();
  }
}

TEST_F(DropTargetTest, DropDeliversTheCollectedPathsOnceToTheParent) {
  struct Case {
    const char* name;
    bool leaveFirst, refuseBeforeDrop;
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
    g_deliveries.clear();
    m_target->SetAcceptDrop(true);
    IDataObject* data = Offer(m_parent, {{kIdList, m_filesCida}});
    ASSERT_EQ(Call(&FileListDropTarget::DragEnter, data, kAll), DWORD{DROPEFFECT_LINK});
    if (c.leaveFirst) m_target->DragLeave();
    if (c.refuseBeforeDrop) m_target->SetAcceptDrop(false);
    EXPECT_EQ(Call(&FileListDropTarget::Drop, data, c.allowedAtDrop),
              c.delivered ? DWORD{DROPEFFECT_LINK} : DWORD{DROPEFFECT_NONE});
    data->Release();
    ASSERT_EQ(g_deliveries.size(), c.delivered ? 1u : 0u);
    if (!c.delivered) continue;
    const Delivery& delivery = g_deliveries[0];
    EXPECT_EQ(delivery.wParam, WPARAM{IDC_FILE_LIST});
    EXPECT_EQ(delivery.lParam, 0);
    EXPECT_EQ(delivery.paths, m_files);
    EXPECT_EQ(delivery.reentered, DWORD{DROPEFFECT_NONE});
    EXPECT_EQ(delivery.pathsAfterReentry, m_files);
    // The drag is over once delivered.
    EXPECT_TRUE(m_target->DropPaths().empty());
    EXPECT_EQ(Over(kAll), DWORD{DROPEFFECT_NONE});
  }
}

TEST_F(DropTargetTest, CountsReferencesAndRegistersForTheList) {
  IDropTarget* asTarget = nullptr;
  ASSERT_EQ(m_target->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&asTarget)), S_OK);
  EXPECT_EQ(asTarget->Release(), 1u);
  void* other = &other;
  EXPECT_EQ(m_target->QueryInterface(IID_IDataObject, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  ASSERT_TRUE(m_target->Register());
  EXPECT_TRUE(m_target->Register());  // once only
  EXPECT_EQ(::RegisterDragDrop(m_list, m_target), DRAGDROP_E_ALREADYREGISTERED);
  m_target->Revoke();
  EXPECT_EQ(::RevokeDragDrop(m_list), DRAGDROP_E_NOTREGISTERED);
  // Back to the creator's reference alone, released in TearDown.
  EXPECT_EQ(m_target->AddRef(), 2u);
  EXPECT_EQ(m_target->Release(), 1u);
}

}  // namespace
}  // namespace quillon::testing
