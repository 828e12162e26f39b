// The Windows program's resources against the templates, menu and strings
// that the logic and the Linux window use, so that the resource script and
// resources/ can never drift apart; and its command line taken as paths.
#include <windows.h>
// The headers below need <windows.h> first.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "resources/menus.h"
#include "resources/strings.h"
#include "resources/templates.h"
#include "tests/win32/win32_test_support.h"
#include "win32/command_line.h"
#include "win32/dialog_boxes.h"
#include "win32/recovery_dialog.h"
#include "win32/resource.h"

namespace quillon {
namespace {

using templates::DialogItem;
using templates::ItemKind;

// Reads an extended dialog template (DLGTEMPLATEEX and its items).
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : m_start(data), m_at(data) {}
  WORD Word() { return Take<WORD>(); }
  DWORD Dword() { return Take<DWORD>(); }
  short Short() { return Take<short>(); }
  BYTE Byte() { return Take<BYTE>(); }
  // A string, or an ordinal written as "#n".
  std::u16string StringOrOrdinal() {
    const WORD first = Word();
    std::u16string text;
    if (first == 0xFFFF) {
      text.push_back(u'#');
      for (const wchar_t digit : std::to_wstring(Word())) text.push_back(digit);
      return text;
    }
    for (WORD unit = first; unit != 0; unit = Word()) text.push_back(static_cast<char16_t>(unit));
    return text;
  }
  void AlignToDword() {
    while ((m_at - m_start) % 4 != 0) ++m_at;
  }

 private:
  template <typename T>
  T Take() {
    T value;
    std::memcpy(&value, m_at, sizeof(T));
    m_at += sizeof(T);
    return value;
  }
  const BYTE* m_start;
  const BYTE* m_at;
};

struct ResourceItem {
  int id;
  ItemKind kind;
  std::u16string text;
  int x, y, width, height;
  DWORD style;
};

struct ResourceDialog {
  int width, height, points;
  std::vector<ResourceItem> items;
};

bool SameClass(const std::u16string& windowClass, const wchar_t* name) {
  return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(windowClass.c_str()), -1, name, -1,
                              TRUE) == CSTR_EQUAL;
}

// The kind of a control by its class, given as the system's ordinal or by
// name.
ItemKind KindOf(const std::u16string& windowClass, DWORD style) {
  if (windowClass == u"#128" || SameClass(windowClass, L"Button")) return ItemKind::kButton;
  if (windowClass == u"#129" || SameClass(windowClass, L"Edit")) return ItemKind::kEdit;
  if (windowClass == u"#130" || SameClass(windowClass, L"Static")) {
    return (style & SS_TYPEMASK) == SS_ICON ? ItemKind::kIcon : ItemKind::kStatic;
  }
  EXPECT_TRUE(SameClass(windowClass, L"SysListView32")) << testing::Utf8(windowClass);
  return ItemKind::kListView;
}

ResourceDialog ReadDialog(HMODULE program, int id) {
  const HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
  if (found == nullptr) return {};
  TemplateReader reader(static_cast<const BYTE*>(LockResource(LoadResource(program, found))));
  EXPECT_EQ(reader.Word(), 1);       // version of the extended form
  EXPECT_EQ(reader.Word(), 0xFFFF);  // its signature
  reader.Dword();                    // help id
  reader.Dword();                    // extended style
  const DWORD style = reader.Dword();
  const WORD count = reader.Word();
  ResourceDialog dialog{};
  reader.Short();
  reader.Short();
  dialog.width = reader.Short();
  dialog.height = reader.Short();
  reader.StringOrOrdinal();  // menu
  reader.StringOrOrdinal();  // class
  reader.StringOrOrdinal();  // caption
  EXPECT_NE(style & DS_SETFONT, 0u);
  dialog.points = reader.Word();
  reader.Word();  // weight
  reader.Byte();  // italic
  reader.Byte();  // character set
  reader.StringOrOrdinal();
  for (WORD i = 0; i < count; ++i) {
    reader.AlignToDword();
    reader.Dword();  // help id
    reader.Dword();  // extended style
    ResourceItem item{};
    item.style = reader.Dword();
    item.x = reader.Short();
    item.y = reader.Short();
    item.width = reader.Short();
    item.height = reader.Short();
    item.id = static_cast<int>(reader.Dword());
    const std::u16string windowClass = reader.StringOrOrdinal();
    item.kind = KindOf(windowClass, item.style);
    item.text = reader.StringOrOrdinal();
    const WORD extra = reader.Word();
    for (WORD byte = 0; byte < extra; ++byte) reader.Byte();
    dialog.items.push_back(item);
  }
  return dialog;
}

// The program beside the tests' folder (build-win/quillon.exe), as data.
class ProgramResources : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path.resize(path.find_last_of(L'\\'));
    path.resize(path.find_last_of(L'\\') + 1);
    path += L"quillon.exe";
    m_program = LoadLibraryExW(path.c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(m_program, nullptr) << "cannot load " << testing::Utf8(FromWide(path));
  }
  void TearDown() override {
    if (m_program != nullptr) FreeLibrary(m_program);
  }
  HMODULE m_program = nullptr;
};

TEST_F(ProgramResources, DialogTemplatesMatchTheTemplatesOfResources) {
  struct Case {
    int id;
    templates::DialogTemplate dialog;
    std::span<const DialogItem> items;
  };
  const Case cases[] = {
      {IDD_QUILLON_DIALOG, templates::kMainDialog, templates::kMainDialogItems},
      {IDD_ABOUTBOX, templates::kAboutDialog, templates::kAboutDialogItems},
      {IDD_RETRY, templates::kRetryDialog, templates::kRetryDialogItems},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const ResourceDialog dialog = ReadDialog(m_program, c.id);
    EXPECT_EQ(dialog.width, c.dialog.width);
    EXPECT_EQ(dialog.height, c.dialog.height);
    EXPECT_EQ(dialog.points, c.dialog.fontPoints);
    ASSERT_EQ(dialog.items.size(), c.items.size());
    for (std::size_t i = 0; i < c.items.size(); ++i) {
      SCOPED_TRACE(i);
      const DialogItem& want = c.items[i];
      const ResourceItem& got = dialog.items[i];
      EXPECT_EQ(got.id, want.id);
      EXPECT_EQ(got.kind, want.kind);
      const std::u16string text = want.kind == ItemKind::kIcon ? u"#128"
                                  : want.text != nullptr       ? want.text
                                                               : u"";
      EXPECT_EQ(testing::Utf8(got.text), testing::Utf8(text));
      EXPECT_EQ(got.x, want.x);
      EXPECT_EQ(got.y, want.y);
      EXPECT_EQ(got.width, want.width);
      EXPECT_EQ(got.height, want.height);
      if (want.kind == ItemKind::kEdit) {
        EXPECT_EQ((got.style & ES_READONLY) != 0, want.readOnly);
      }
      if (want.kind == ItemKind::kButton) {
        EXPECT_EQ((got.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON, want.defaultButton);
      }
    }
  }
}

TEST_F(ProgramResources, MenuAndStringsMatchResources) {
  const HMENU menu = LoadMenuW(m_program, MAKEINTRESOURCEW(IDR_ROW_MENU));
  ASSERT_NE(menu, nullptr);
  const HMENU popup = GetSubMenu(menu, 0);
  // The rest of the menu, the order submenu, is made by the window.
  ASSERT_EQ(GetMenuItemCount(popup), ROW_MENU_RESOURCE_ITEMS);
  for (int i = 0; i < GetMenuItemCount(popup); ++i) {
    SCOPED_TRACE(i);
    const menus::MenuItem& want = menus::kRowMenu[static_cast<std::size_t>(i)];
    wchar_t text[128] = {};
    GetMenuStringW(popup, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
    if (!want.command) {
      EXPECT_EQ(GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR,
                static_cast<UINT>(MF_SEPARATOR));
      continue;
    }
    EXPECT_EQ(GetMenuItemID(popup, i), static_cast<UINT>(*want.command));
    EXPECT_EQ(testing::Utf8(FromWide(text)), testing::Utf8(want.text));
  }
  DestroyMenu(menu);

  const std::pair<UINT, const char16_t*> strings[] = {{IDS_ABOUTBOX, str::kAboutMenuItem},
                                                      {IDS_APP_TITLE, str::kAppTitle}};
  for (const auto& [id, want] : strings) {
    wchar_t text[128] = {};
    LoadStringW(m_program, id, text, 128);
    EXPECT_EQ(testing::Utf8(FromWide(text)), testing::Utf8(want)) << id;
  }
}

// Calls `act` with the next window this thread activates: a dialog, once
// its WM_INITDIALOG has run.
class WhenActivated {
 public:
  explicit WhenActivated(std::function<void(HWND)> act) {
    s_act = std::move(act);
    m_hook = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
  }
  ~WhenActivated() {
    UnhookWindowsHookEx(m_hook);
    s_act = nullptr;
  }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && s_act)
      std::exchange(s_act, nullptr)(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline std::function<void(HWND)> s_act;
  HHOOK m_hook;
};

std::string TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return testing::Utf8(FromWide(text));
}

TEST_F(ProgramResources, DialogsShowTheirTextsAndEndByTheirButtons) {
  // The About box: its version line; the home-page button opens the address
  // and leaves the box open; OK ends it.
  std::string version;
  std::vector<std::string> opened;
  {
    WhenActivated press([&](HWND box) {
      version = TextOf(GetDlgItem(box, IDC_VERSION));
      PostMessageW(box, WM_COMMAND, IDC_HOME_PAGE, 0);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    RunAboutBox(m_program, nullptr,
                [&](std::u16string_view address) { opened.push_back(testing::Utf8(address)); });
  }
  EXPECT_EQ(version, "Version 1.0.0.1");
  EXPECT_EQ(opened, std::vector<std::string>{"https://tovrenko.example/quillbox/?v=1.0.0.1"});

  // The retry dialog: the caption and the message as given; its one button
  // (the cancel id) ends it.
  std::string caption, message;
  {
    WhenActivated press([&](HWND box) {
      caption = TextOf(box);
      message = TextOf(GetDlgItem(box, IDC_RETRY_MESSAGE));
      PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    });
    RunRetryDialog(m_program, nullptr, u"クイロン", u"C:\\a.txt\r\n\r\nファイル使用中です。");
  }
  EXPECT_EQ(caption, "クイロン");
  EXPECT_EQ(message, "C:\\a.txt\r\n\r\nファイル使用中です。");
}

TEST_F(ProgramResources, TheRecoveryQuestionIsAnsweredByItsButtonsAndKeys) {
  using Choice = MessagesPort::RecoveryChoice;
  // What the user does once the question is shown, and the answer it gives.
  const struct {
    const char* what;
    std::function<void(HWND)> act;
    Choice answer;
  } cases[] = {
      {"Enter", [](HWND box) { PostMessageW(box, WM_KEYDOWN, VK_RETURN, 0); }, Choice::kFinish},
      {"Esc", [](HWND box) { PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0); }, Choice::kLater},
      {"close box", [](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); }, Choice::kLater},
      {"元に戻す",
       [](HWND box) { PostMessageW(GetDlgItem(box, IDC_RECOVERY_RESTORE), BM_CLICK, 0, 0); },
       Choice::kRestore},
      {"後で", [](HWND box) { PostMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0); },
       Choice::kLater},
  };
  // A directory deep enough to need more lines than the template has.
  const std::u16string directory =
      u"C:\\" + std::u16string(40, u'深') + u"\\" + std::u16string(60, u'x');
  const std::u16string message = std::u16string(u"前回のリネームは途中で中断されました。\n") +
                                 directory + u"\n3 個のファイルが予定の名前になっていません。";
  for (const auto& c : cases) {
    std::string caption, text;
    std::vector<std::pair<LONG, std::string>> buttons;  // left edge, text
    LRESULT defaultId = 0;
    bool fits = false;
    Choice answer;
    {
      WhenActivated act([&](HWND box) {
        caption = TextOf(box);
        text = TextOf(GetDlgItem(box, IDC_RECOVERY_MESSAGE));
        for (const int id : {IDC_RECOVERY_FINISH, IDC_RECOVERY_RESTORE, IDCANCEL}) {
          RECT rect;
          GetWindowRect(GetDlgItem(box, id), &rect);
          buttons.emplace_back(rect.left, TextOf(GetDlgItem(box, id)));
        }
        defaultId = LOWORD(SendMessageW(box, DM_GETDEFID, 0, 0));
        // The message, grown, ends above the buttons, which lie inside the box.
        RECT shown, button, client;
        GetWindowRect(GetDlgItem(box, IDC_RECOVERY_MESSAGE), &shown);
        GetWindowRect(GetDlgItem(box, IDCANCEL), &button);
        GetClientRect(box, &client);
        MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);
        fits = shown.bottom <= button.top && button.bottom <= client.bottom;
        c.act(box);
      });
      answer = RunRecoveryDialog(m_program, nullptr, u"クイロン", message);
    }
    SCOPED_TRACE(c.what);
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(caption, "クイロン");
    EXPECT_EQ(text, "前回のリネームは途中で中断されました。\r\n" + testing::Utf8(directory) +
                        "\r\n3 個のファイルが予定の名前になっていません。");
    // Left to right, as the logic names them; the first is the default.
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_LT(buttons[0].first, buttons[1].first);
    EXPECT_LT(buttons[1].first, buttons[2].first);
    EXPECT_EQ(buttons[0].second, testing::Utf8(str::kRecoveryFinish));
    EXPECT_EQ(buttons[1].second, testing::Utf8(str::kRecoveryRestore));
    EXPECT_EQ(buttons[2].second, testing::Utf8(str::kRecoveryLater));
    EXPECT_EQ(defaultId, IDC_RECOVERY_FINISH);
    EXPECT_TRUE(fits);
  }
}

// The command line's paths: relative ones resolved against the working
// directory, the last component kept as given.
TEST(CommandLinePaths, ResolvesDirectoriesAndKeepsNamesAsGiven) {
  const testing::TempFolder folder;
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(ToWide(folder.Path()).c_str()));
  const std::u16string here = folder.Path();
  const struct {
    const wchar_t* commandLine;
    std::vector<std::u16string> paths;
  } cases[] = {
      {L"quillon.exe", {}},
      {L"quillon.exe a.txt \"b c.txt\"", {here + u"\\a.txt", here + u"\\b c.txt"}},
      {L"quillon.exe \"sub\\..\\.\\d.txt\" \"\"", {here + u"\\d.txt"}},
      // A trailing dot or space is part of the name on the file system.
      {L"quillon.exe \"e. \"", {here + u"\\e. "}},
      {L"quillon.exe C:\\x\\..\\y\\f.txt Z:/g/h.txt", {u"C:\\y\\f.txt", u"Z:\\g\\h.txt"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> got, want;
    for (const auto& path : CommandLinePaths(c.commandLine)) got.push_back(testing::Utf8(path));
    for (const auto& path : c.paths) want.push_back(testing::Utf8(path));
    EXPECT_EQ(got, want) << testing::Utf8(FromWide(c.commandLine));
  }
  SetCurrentDirectoryW(previous);
}

}  // namespace
}  // namespace quillon
