// Resource ids of the Windows program, shared by the resource script and the
// code. Plain #defines, because the resource compiler reads this file too.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_QUILLON_DIALOG 102
#define IDD_RETRY 137
#define IDD_RECOVERY 138

// The application icon and the file list's context menu.
#define IDR_MAINFRAME 128
#define IDR_ROW_MENU 133

// Strings: the system menu's About item and the application title.
#define IDS_ABOUTBOX 101
#define IDS_APP_TITLE 57344

// Controls of the main dialog.
#define IDC_FILE_LIST 1000
#define IDC_EXECUTE 1003
#define IDC_DIRECTORY 1004
#define IDC_UNDO 1005
#define IDC_EXECUTE_HINT 1010
#define IDC_RESET 1011
#define IDC_REFRESH 1012
#define IDC_UNDO_HINT 1013
#define IDC_GENERATE 1014
#define IDC_NAME 1016
#define IDC_NAME_INSTRUCTION 1017

// Controls of the About box and of the retry dialog.
#define IDC_VERSION 1018
#define IDC_HOME_PAGE 1019
#define IDC_RETRY_MESSAGE 1020

// Controls of the question about a run a crash cut short; its third button,
// "後で", carries the cancel id.
#define IDC_RECOVERY_ICON 1021
#define IDC_RECOVERY_MESSAGE 1022
#define IDC_RECOVERY_FINISH 1023
#define IDC_RECOVERY_RESTORE 1024

// Commands of the context menu (as MenuCommand in dialog/dialog_port.h).
#define ID_COPY_OLD_BASE 32782
#define ID_COPY_OLD_FULL 32783
#define ID_COPY_NEW_BASE 32784
#define ID_COPY_NEW_FULL 32785
#define ID_PASTE_NEW_NAMES 32786
#define ID_OPEN_FILES 32788
#define ID_REFRESH_LIST 32790
#define ID_DELETE_ROWS 57632

// Menu 133 holds the context menu's first items, those of
// resources/menus.h up to the order submenu; the window appends the rest.
#define ROW_MENU_RESOURCE_ITEMS 10

// The system menu's About item.
#define IDM_ABOUTBOX 0x0010

// Sent by the file list's drop target to the dialog when files are dropped:
// wParam is the list's control id, lParam 0.
#define WM_FILESDROPPED 0x8064
