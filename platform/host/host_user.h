// Host layer: window manager, dialogs, standard controls and strings.
//
// Headless: windows have geometry and state but are never drawn.  Messages
// are delivered synchronously by SendMessageA.  What a user would do comes
// from the user agent of host_seams.h (cplhost plays it).
#pragma once

#include "host_types.h"

typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// ---- window messages --------------------------------------------------------
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_CLOSE 0x0010
#define WM_SHOWWINDOW 0x0018
#define WM_NOTIFY 0x004E
#define WM_HELP 0x0053
#define WM_SETICON 0x0080
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_PARENTNOTIFY 0x0210
#define WM_USER 0x0400

#define MK_LBUTTON 0x0001

// ---- styles -----------------------------------------------------------------
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_EX_CLIENTEDGE 0x00000200L
#define WS_EX_NOPARENTNOTIFY 0x00000004L

#define DS_SETFONT 0x40L
#define DS_MODALFRAME 0x80L
#define DS_3DLOOK 0x0004L
#define DS_CONTROL 0x0400L

#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_3STATE 0x00000005L
#define BS_AUTO3STATE 0x00000006L
#define BS_GROUPBOX 0x00000007L
#define BS_AUTORADIOBUTTON 0x00000009L
#define BS_TYPEMASK 0x0000000FL

#define ES_LEFT 0x0000L
#define ES_AUTOHSCROLL 0x0080L
#define ES_READONLY 0x0800L

#define SS_LEFT 0x00000000L
#define SS_RIGHT 0x00000002L
#define SS_CENTER 0x00000001L
#define SS_ICON 0x00000003L
#define STM_SETICON 0x0170
#define STM_GETICON 0x0171

#define CBS_SIMPLE 0x0001L
#define CBS_DROPDOWN 0x0002L
#define CBS_DROPDOWNLIST 0x0003L
#define CBS_AUTOHSCROLL 0x0040L
#define CBS_SORT 0x0100L
#define CBS_HASSTRINGS 0x0200L

// ---- buttons ----------------------------------------------------------------
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_GETSTATE 0x00F2
#define BM_SETSTATE 0x00F3
#define BM_CLICK 0x00F5
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002
#define BST_PUSHED 0x0004
#define BST_FOCUS 0x0008
#define BN_CLICKED 0
#define BN_DOUBLECLICKED 5

// ---- edits ------------------------------------------------------------------
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define EN_UPDATE 0x0400
#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_GETLIMITTEXT 0x00D5
#define EM_SETREADONLY 0x00CF
#define EM_LIMITTEXT 0x00C5

// ---- combo boxes ------------------------------------------------------------
#define CB_GETEDITSEL 0x0140
#define CB_LIMITTEXT 0x0141
#define CB_SETEDITSEL 0x0142
#define CB_ADDSTRING 0x0143
#define CB_DELETESTRING 0x0144
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_INSERTSTRING 0x014A
#define CB_RESETCONTENT 0x014B
#define CB_FINDSTRING 0x014C
#define CB_SELECTSTRING 0x014D
#define CB_SETCURSEL 0x014E
#define CB_SHOWDROPDOWN 0x014F
#define CB_SETITEMDATA 0x0151
#define CB_GETITEMDATA 0x0150
#define CB_GETDROPPEDSTATE 0x0157
#define CB_FINDSTRINGEXACT 0x0158
#define CB_INITSTORAGE 0x0161
#define CB_OKAY 0
#define CB_ERR (-1)
#define CB_ERRSPACE (-2)
#define CBN_ERRSPACE (-1)
#define CBN_SELCHANGE 1
#define CBN_DBLCLK 2
#define CBN_SETFOCUS 3
#define CBN_KILLFOCUS 4
#define CBN_EDITCHANGE 5
#define CBN_EDITUPDATE 6
#define CBN_DROPDOWN 7
#define CBN_CLOSEUP 8
#define CBN_SELENDOK 9
#define CBN_SELENDCANCEL 10

// ---- dialogs ----------------------------------------------------------------
#define DWL_MSGRESULT 0
#define DWL_DLGPROC 4
#define DWL_USER 8
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWL_ID (-12)
#define GWL_USERDATA (-21)

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

#define IDHELP 9

// ---- windows and dialogs ----------------------------------------------------
struct CREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};
typedef CREATESTRUCTA* LPCREATESTRUCTA;

// The built-in classes only: "Button", "Edit", "Static", "ComboBox",
// "SysListView32", "SysTabControl32" and "#32770".  Headless: a window is
// never drawn.
HOSTWIN_API HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR text, DWORD style, int x, int y,
                                        int cx, int cy, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// A modeless dialog from a template of the module's resources.
HOSTWIN_API HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param);
HOSTWIN_API BOOL WINAPI MapDialogRect(HWND dlg, LPRECT rect);

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5
HOSTWIN_API BOOL WINAPI ShowWindow(HWND wnd, int cmd);

// Children are kept in creation order, which is their z-order.
#define GW_HWNDFIRST 0
#define GW_HWNDLAST 1
#define GW_HWNDNEXT 2
#define GW_HWNDPREV 3
#define GW_OWNER 4
#define GW_CHILD 5
HOSTWIN_API HWND WINAPI GetWindow(HWND wnd, UINT cmd);

HOSTWIN_API LRESULT WINAPI SendMessageA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
HOSTWIN_API BOOL WINAPI PostMessageA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
HOSTWIN_API LRESULT WINAPI DefWindowProcA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
HOSTWIN_API LRESULT WINAPI DefDlgProcA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
HOSTWIN_API LONG WINAPI SetWindowLongA(HWND wnd, int index, LONG value);
HOSTWIN_API LONG WINAPI GetWindowLongA(HWND wnd, int index);

HOSTWIN_API HWND WINAPI GetDlgItem(HWND dlg, int id);
HOSTWIN_API int WINAPI GetDlgCtrlID(HWND wnd);
HOSTWIN_API BOOL WINAPI SetDlgItemTextA(HWND dlg, int id, LPCSTR text);
HOSTWIN_API UINT WINAPI GetDlgItemTextA(HWND dlg, int id, LPSTR buf, int size);
HOSTWIN_API BOOL WINAPI SetDlgItemInt(HWND dlg, int id, UINT value, BOOL isSigned);
HOSTWIN_API UINT WINAPI GetDlgItemInt(HWND dlg, int id, BOOL* ok, BOOL isSigned);
HOSTWIN_API BOOL WINAPI CheckDlgButton(HWND dlg, int id, UINT check);
HOSTWIN_API UINT WINAPI IsDlgButtonChecked(HWND dlg, int id);
HOSTWIN_API LRESULT WINAPI SendDlgItemMessageA(HWND dlg, int id, UINT msg, WPARAM wp, LPARAM lp);

HOSTWIN_API BOOL WINAPI EnableWindow(HWND wnd, BOOL enable);
HOSTWIN_API BOOL WINAPI IsWindowEnabled(HWND wnd);
HOSTWIN_API BOOL WINAPI IsWindow(HWND wnd);
HOSTWIN_API BOOL WINAPI IsWindowVisible(HWND wnd);
HOSTWIN_API HWND WINAPI SetFocus(HWND wnd);
HOSTWIN_API HWND WINAPI GetFocus(void);
HOSTWIN_API HWND WINAPI GetParent(HWND wnd);
HOSTWIN_API BOOL WINAPI DestroyWindow(HWND wnd);
HOSTWIN_API int WINAPI GetWindowTextA(HWND wnd, LPSTR buf, int size);
HOSTWIN_API BOOL WINAPI SetWindowTextA(HWND wnd, LPCSTR text);
HOSTWIN_API int WINAPI GetClassNameA(HWND wnd, LPSTR buf, int size);

// ---- geometry and the mouse -----------------------------------------------
HOSTWIN_API DWORD WINAPI GetMessagePos(void);
HOSTWIN_API BOOL WINAPI SetCursorPos(int x, int y);
HOSTWIN_API BOOL WINAPI GetCursorPos(LPPOINT pt);
HOSTWIN_API BOOL WINAPI ScreenToClient(HWND wnd, LPPOINT pt);
HOSTWIN_API BOOL WINAPI ClientToScreen(HWND wnd, LPPOINT pt);
HOSTWIN_API HWND WINAPI ChildWindowFromPoint(HWND parent, POINT pt);
HOSTWIN_API BOOL WINAPI GetWindowRect(HWND wnd, LPRECT rect);
HOSTWIN_API BOOL WINAPI GetClientRect(HWND wnd, LPRECT rect);

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXICON 11
#define SM_CYICON 12
#define SM_CXSMICON 49
#define SM_CYSMICON 50
HOSTWIN_API int WINAPI GetSystemMetrics(int index);

// ---- keys -------------------------------------------------------------------
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_DELETE 0x2E
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28

// ---- resources and strings --------------------------------------------------
HOSTWIN_API int WINAPI LoadStringA(HINSTANCE inst, UINT id, LPSTR buf, int size);
// With a null instance, the system's icons (IDI_APPLICATION and friends).
HOSTWIN_API HICON WINAPI LoadIconA(HINSTANCE inst, LPCSTR name);
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)
#define IDI_HAND MAKEINTRESOURCEA(32513)
#define IDI_QUESTION MAKEINTRESOURCEA(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCEA(32515)
#define IDI_ASTERISK MAKEINTRESOURCEA(32516)
HOSTWIN_API BOOL WINAPI DestroyIcon(HICON icon);
HOSTWIN_API BOOL WINAPI OemToCharA(LPCSTR src, LPSTR dst);
HOSTWIN_API BOOL WINAPI CharToOemA(LPCSTR src, LPSTR dst);
// The forms %s %c %d %i %u %x %X %lu %ld %lx with flags '-' '0' '#', width and
// precision, as the real function; output is cut at 1024 bytes.
#define WINAPIV
HOSTWIN_API int WINAPIV wsprintfA(LPSTR buf, LPCSTR format, ...);

// ---- message boxes and help -------------------------------------------------
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_ICONMASK 0x000000F0L
HOSTWIN_API int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

#define HELP_CONTEXT 0x0001L
#define HELP_QUIT 0x0002L
#define HELP_CONTEXTMENU 0x000AL
#define HELP_WM_HELP 0x000CL
#define HELPINFO_WINDOW 0x0001
#define HELPINFO_MENUITEM 0x0002
struct HELPINFO {
    UINT cbSize;
    int iContextType;
    int iCtrlId;
    HANDLE hItemHandle;
    DWORD_PTR dwContextId;
    POINT MousePos;
};
typedef HELPINFO* LPHELPINFO;
HOSTWIN_API BOOL WINAPI WinHelpA(HWND wnd, LPCSTR file, UINT command, ULONG_PTR data);
