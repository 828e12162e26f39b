// The string table: every text the user sees, written once.
// Logic code uses these directly; the Qt layer converts them with QString::fromUtf16.
#pragma once

#include <string>

namespace quillon::str {

// Application
inline constexpr char16_t kAppTitle[] = u"クイロン";
inline constexpr char16_t kVersion[] = u"1.0.0.1";
inline constexpr char16_t kAboutMenuItem[] = u"バージョン情報(&A)...";
inline constexpr char16_t kHomePageHost[] = u"tovrenko.example";
// The home-page address: scheme, host, this path and the version.
inline constexpr char16_t kHomePageScheme[] = u"https://";
inline constexpr char16_t kHomePagePath[] = u"/quillbox/?v=";

// Main dialog (template 102)
inline constexpr char16_t kDirectoryLabel[] = u"ディレクトリ";
inline constexpr char16_t kDropInstruction[] =
    u"ファイル\u3000下の枠の中にリネームしたいファイルをドロップしてください。";
inline constexpr char16_t kNameInstruction[] =
    u"一番上のファイルにつける名前を指定してください（拡張子は不要）。半角数字の番号を含めてくださ"
    u"い。"
    u"\r\n二番目以下のファイルは番号を1ずつ増やしたものになります。";
inline constexpr char16_t kExecuteHint[] =
    u"新しいファイル名のリストが入ったら、左のボタンを押すとリネームを行います。";
inline constexpr char16_t kUndoHint[] =
    u"実行した後ディレクトリの内容が変更されていなければ元に戻せます。";
inline constexpr char16_t kExecuteButton[] = u"実行";
inline constexpr char16_t kUndoButton[] = u"元に戻す";
inline constexpr char16_t kRefreshButton[] = u"最新に更新";
inline constexpr char16_t kResetButton[] = u"リセット";
inline constexpr char16_t kGenerateButton[] = u"連番生成";
inline constexpr char16_t kColumnOldName[] = u"元のファイル名";
inline constexpr char16_t kColumnNewName[] = u"新しいファイル名";
inline constexpr char16_t kColumnResult[] = u"実行結果";
// Names a screen reader gives the list and the name field, whose labels are
// instructions.
inline constexpr char16_t kFileListName[] = u"ファイル";
inline constexpr char16_t kNameFieldName[] = u"新しい名前";

// About box (template 100)
inline constexpr char16_t kAboutCaption[] = u"バージョン情報";
inline constexpr char16_t kVersionPrefix[] = u"Version ";
inline constexpr char16_t kCopyright[] = u"Copyright (C) 2026 Tovrenko";
inline constexpr char16_t kOkButton[] = u"OK";
inline constexpr char16_t kCancelButton[] = u"キャンセル";
inline constexpr char16_t kHomePageButton[] = u"ホームページ";

// Retry dialog (template 137)
inline constexpr char16_t kRetryButton[] = u"再試行";
inline constexpr char16_t kFileInUse[] =
    u"\r\n\r\nファイル使用中です。\r\nファイルを使用しているプログラムを終了してから再試行してくだ"
    u"さい。";

// Context menu (menu 133)
inline constexpr char16_t kMenuOpen[] = u"選択されたファイルを開く";
inline constexpr char16_t kMenuCopyOldBase[] = u"元のファイル名のリストをコピー\u3000拡張子なし";
inline constexpr char16_t kMenuCopyOldFull[] = u"元のファイル名のリストをコピー\u3000拡張子付き";
inline constexpr char16_t kMenuCopyNewBase[] = u"新しいファイル名のリストをコピー\u3000拡張子なし";
inline constexpr char16_t kMenuCopyNewFull[] = u"新しいファイル名のリストをコピー\u3000拡張子付き";
inline constexpr char16_t kMenuPaste[] = u"新しいファイル名のリストを貼り付け";
inline constexpr char16_t kMenuDelete[] = u"選択された項目をリストから削除";
inline constexpr char16_t kMenuRefresh[] = u"最新の情報に更新";
inline constexpr char16_t kMenuOrder[] = u"並べ替え";
inline constexpr char16_t kMenuOrderByName[] = u"名前順";
inline constexpr char16_t kMenuOrderByDateTaken[] = u"撮影日時順";
inline constexpr char16_t kMenuOrderByTimeModified[] = u"更新日時順";
inline constexpr char16_t kMenuMoveUp[] = u"上へ移動";
inline constexpr char16_t kMenuMoveDown[] = u"下へ移動";

// Drop intake
inline constexpr char16_t kNoDirectories[] = u"本ソフトではディレクトリのリネームはできません。";
inline constexpr char16_t kMixedDirectories[] =
    u"異なるディレクトリにあるファイルを混ぜることはできません。";

// Reset
inline constexpr char16_t kConfirmReset[] = u"ファイル名のリストを空にします。";

// Generation
inline constexpr char16_t kNeedDigits[] = u"ファイル名には番号（半角数字）を含めてください。";

// Validation: verdicts and messages
inline constexpr char16_t kVerdictUnusable[] = u"×使用不可";
inline constexpr char16_t kVerdictExtension[] = u"×拡張子";
inline constexpr char16_t kVerdictMissing[] = u"×元ファイルなし";
inline constexpr char16_t kVerdictDuplicate[] = u"×重複";
inline constexpr char16_t kMsgUnusable[] = u"ファイル名として使用できない名前です。";
inline constexpr char16_t kMsgExtension[] = u"本ソフトでは拡張子の変更はできません。";
inline constexpr char16_t kMsgMissing[] = u"元ファイルがありません。";
inline constexpr char16_t kMsgDuplicate[] = u"ファイル名が重複しています。";

// Execution
inline constexpr char16_t kResultOk[] = u"〇";
inline constexpr char16_t kFailurePrefix[] = u"×";
inline constexpr char16_t kCannotRename[] = u"リネームできません。";
inline constexpr char16_t kStoredUnder[] = u" という名前で保存されています。";
// A move that could be neither finished nor taken back left a second entry:
// another name of the same file, or the empty file that reserved the name.
inline constexpr char16_t kNameAlsoLeft[] = u" という名前も残っています。";

// Progress of long work: the label over "done / total" files.
inline constexpr char16_t kProgressLabel[] = u"処理中です。しばらくお待ちください。";
inline constexpr char16_t kProgressFiles[] = u" ファイル";
inline constexpr char16_t kRenamed[] = u"リネームしました。";
inline constexpr char16_t kSomeNotRenamed[] =
    u"リネームできなかったファイルがあります。リストの実行結果欄で確認してください。";

// Undo
inline constexpr char16_t kDirectoryChanged[] =
    u"実行後にディレクトリの内容が変更されているようです。元に戻すことができません。";
inline constexpr char16_t kRestored[] = u"元のファイル名に戻しました。";
inline constexpr char16_t kSomeNotRestored[] =
    u"元のファイル名に戻せなかったファイルがあります。リストの実行結果欄で確認してください。";

// Crash safety: the journal of a run, and a run cut short found at start.
inline constexpr char16_t kJournalUnwritable[] =
    u"リネームの記録を書き込めないため、リネームを始めませんでした。"
    u"ホームディレクトリの空き容量と書き込み権限を確認してください。";
inline constexpr char16_t kRecoveryInterrupted[] = u"前回のリネームは途中で中断されました。\n";
inline constexpr char16_t kRecoveryNotAtPlanned[] = u" 個のファイルが予定の名前になっていません。";
inline constexpr char16_t kRecoveryChoose[] =
    u"\n\n最後まで実行して予定の名前にするか、元のファイル名に戻すかを選んでください。";
inline constexpr char16_t kRecoveryFinish[] = u"最後まで実行";
inline constexpr char16_t kRecoveryRestore[] = u"元に戻す";
inline constexpr char16_t kRecoveryLater[] = u"後で";
inline constexpr char16_t kRecoveryDirectoryGone[] =
    u"前回中断されたリネームのディレクトリが見つからないか、別のディレクトリに置き換えられています"
    u"。"
    u"この記録を破棄しますか？\n";
inline constexpr char16_t kRecoveryUnclear[] =
    u"前回中断されたリネームの後でディレクトリの内容が変更されているため、続きを実行できません。"
    u"ファイルは今の名前のままです。この記録を破棄しますか？\n";

// Clipboard
inline constexpr char16_t kClipboardWriteFailed[] = u"クリップボードに書き込めません。";
inline constexpr char16_t kTooFewNames[] = u"新しいファイル名の数が足りません。";
inline constexpr char16_t kTooManyNames[] = u"新しいファイル名の数が多すぎます。";

// The command line (printed to the terminal, each line in both languages).
inline constexpr char16_t kCliUsage[] =
    u"使い方: quillon [ファイル...]\n"
    u"Usage: quillon [FILE...]\n"
    u"\n"
    u"指定したファイルをリストに入れてクイロンのウィンドウを開きます。\n"
    u"Opens the Quillon window with the given files listed, as if dropped onto it.\n"
    u"\n"
    u"  --help     この説明を表示します / show this help\n"
    u"  --version  バージョンを表示します / show the version\n"
    u"  --         以降の引数はすべてファイルです / every later argument is a file\n";
inline constexpr char16_t kCliUnknownOption[] = u"不明なオプション / unknown option: ";
inline constexpr char16_t kCliTryHelp[] = u" (quillon --help)\n";
inline constexpr char16_t kCliNoSuchFile[] = u"ファイルがありません / no such file: ";
inline constexpr char16_t kCliNoDisplay[] =
    u"画面に接続できません。DISPLAY または WAYLAND_DISPLAY を確認してください / "
    u"cannot connect to a display (check DISPLAY or WAYLAND_DISPLAY)";

}  // namespace quillon::str

namespace quillon {

// The home-page address, ending in "/quillbox/?v=" and the version.
inline std::u16string HomePageAddress() {
  std::u16string address = str::kHomePageScheme;
  address += str::kHomePageHost;
  address += str::kHomePagePath;
  address += str::kVersion;
  return address;
}

}  // namespace quillon
