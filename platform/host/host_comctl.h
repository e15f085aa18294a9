// Host layer: common controls (property sheet, list view, image lists) and
// the control-panel applet protocol.
#pragma once

#include "host_types.h"
#include "host_user.h"

HOSTWIN_API void WINAPI InitCommonControls(void);

// ---- notifications ----------------------------------------------------------
struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};
typedef NMHDR* LPNMHDR;

#define NM_FIRST 0u
#define NM_CLICK ((UINT)(NM_FIRST - 2))
#define NM_DBLCLK ((UINT)(NM_FIRST - 3))
#define NM_RETURN ((UINT)(NM_FIRST - 4))
#define NM_RCLICK ((UINT)(NM_FIRST - 5))
#define NM_SETFOCUS ((UINT)(NM_FIRST - 7))
#define NM_KILLFOCUS ((UINT)(NM_FIRST - 8))
#define NM_RELEASEDCAPTURE ((UINT)(NM_FIRST - 16))

#define WC_LISTVIEWA "SysListView32"
#define WC_LISTVIEW WC_LISTVIEWA
#define WC_TABCONTROLA "SysTabControl32"
#define WC_TABCONTROL WC_TABCONTROLA

// ---- property sheets --------------------------------------------------------
struct PROPSHEETPAGEA;
typedef UINT(CALLBACK* LPFNPSPCALLBACKA)(HWND, UINT, struct PROPSHEETPAGEA*);
typedef int(CALLBACK* PFNPROPSHEETCALLBACK)(HWND, UINT, LPARAM);

// The first-generation page record; the sheet steps through an array of
// them by each record's dwSize.
#define HOSTWIN_PROPSHEETPAGEA_V1_FIELDS \
    DWORD dwSize;                        \
    DWORD dwFlags;                       \
    HINSTANCE hInstance;                 \
    union {                              \
        LPCSTR pszTemplate;              \
        const void* pResource;           \
    };                                   \
    union {                              \
        HICON hIcon;                     \
        LPCSTR pszIcon;                  \
    };                                   \
    LPCSTR pszTitle;                     \
    DLGPROC pfnDlgProc;                  \
    LPARAM lParam;                       \
    LPFNPSPCALLBACKA pfnCallback;        \
    UINT* pcRefParent;

struct PROPSHEETPAGEA_V1 {
    HOSTWIN_PROPSHEETPAGEA_V1_FIELDS
};
typedef PROPSHEETPAGEA_V1* LPPROPSHEETPAGEA_V1;
struct PROPSHEETPAGEA {
    HOSTWIN_PROPSHEETPAGEA_V1_FIELDS
};
typedef PROPSHEETPAGEA* LPPROPSHEETPAGEA;
typedef const PROPSHEETPAGEA* LPCPROPSHEETPAGEA;
#define PROPSHEETPAGEA_V1_SIZE ((DWORD)sizeof(PROPSHEETPAGEA_V1))

struct PROPSHEETHEADERA {
    DWORD dwSize;
    DWORD dwFlags;
    HWND hwndParent;
    HINSTANCE hInstance;
    union {
        HICON hIcon;
        LPCSTR pszIcon;
    };
    LPCSTR pszCaption;
    UINT nPages;
    union {
        UINT nStartPage;
        LPCSTR pStartPage;
    };
    union {
        const PROPSHEETPAGEA* ppsp;
        void* phpage;
    };
    PFNPROPSHEETCALLBACK pfnCallback;
};
typedef PROPSHEETHEADERA* LPPROPSHEETHEADERA;
typedef const PROPSHEETHEADERA* LPCPROPSHEETHEADERA;
#define PROPSHEETHEADERA_V1_SIZE ((DWORD)sizeof(PROPSHEETHEADERA))

#define PSP_DEFAULT 0x00000000
#define PSP_DLGINDIRECT 0x00000001
#define PSP_USEHICON 0x00000002
#define PSP_USEICONID 0x00000004
#define PSP_USETITLE 0x00000008

#define PSH_DEFAULT 0x00000000
#define PSH_PROPTITLE 0x00000001
#define PSH_USEHICON 0x00000002
#define PSH_USEICONID 0x00000004
#define PSH_PROPSHEETPAGE 0x00000008
#define PSH_NOAPPLYNOW 0x00000080

#define PSN_FIRST (0U - 200U)
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_HELP (PSN_FIRST - 5)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)

// What a page receives with each PSN_ code.  lParam: TRUE for PSN_APPLY
// from OK, FALSE from Apply; 0 for the others.
struct PSHNOTIFY {
    NMHDR hdr;
    LPARAM lParam;
};
typedef PSHNOTIFY* LPPSHNOTIFY;

#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

#define PSM_SETCURSEL (WM_USER + 101)
#define PSM_REMOVEPAGE (WM_USER + 102)
#define PSM_ADDPAGE (WM_USER + 103)
#define PSM_CHANGED (WM_USER + 104)
#define PSM_RESTARTWINDOWS (WM_USER + 105)
#define PSM_REBOOTSYSTEM (WM_USER + 106)
#define PSM_CANCELTOCLOSE (WM_USER + 107)
#define PSM_QUERYSIBLINGS (WM_USER + 108)
#define PSM_UNCHANGED (WM_USER + 109)
#define PSM_APPLY (WM_USER + 110)
#define PSM_SETTITLEA (WM_USER + 111)
#define PSM_PRESSBUTTON (WM_USER + 113)
#define PSM_GETTABCONTROL (WM_USER + 116)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)

#define PSBTN_BACK 0
#define PSBTN_NEXT 1
#define PSBTN_FINISH 2
#define PSBTN_OK 3
#define PSBTN_APPLYNOW 4
#define PSBTN_CANCEL 5
#define PSBTN_HELP 6

#define ID_PSRESTARTWINDOWS 0x2
#define ID_PSREBOOTSYSTEM (ID_PSRESTARTWINDOWS | 0x1)

// The sheet's own buttons, as the real sheet numbers them.
#define IDC_APPLY_BUTTON 0x3021

HOSTWIN_API INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA header);

// ---- tab control (the sheet's tabs) -----------------------------------------
#define TCM_FIRST 0x1300
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_GETITEMA (TCM_FIRST + 5)
#define TCM_INSERTITEMA (TCM_FIRST + 7)
#define TCM_DELETEALLITEMS (TCM_FIRST + 9)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCIF_TEXT 0x0001
#define TCIF_PARAM 0x0008
struct TCITEMA {
    UINT mask;
    DWORD dwState;
    DWORD dwStateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
typedef TCITEMA* LPTCITEMA;

// ---- image lists --------------------------------------------------------------
#define ILC_MASK 0x0001
#define ILC_COLOR 0x0000
#define ILC_COLOR4 0x0004
HOSTWIN_API HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
HOSTWIN_API BOOL WINAPI ImageList_Destroy(HIMAGELIST list);
HOSTWIN_API int WINAPI ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
HOSTWIN_API int WINAPI ImageList_GetImageCount(HIMAGELIST list);
#define ImageList_AddIcon(list, icon) ImageList_ReplaceIcon(list, -1, icon)

// ---- list view ----------------------------------------------------------------
#define LVS_ICON 0x0000
#define LVS_REPORT 0x0001
#define LVS_SMALLICON 0x0002
#define LVS_LIST 0x0003
#define LVS_TYPEMASK 0x0003
#define LVS_SINGLESEL 0x0004
#define LVS_SHOWSELALWAYS 0x0008
#define LVS_SORTASCENDING 0x0010
#define LVS_SORTDESCENDING 0x0020
#define LVS_SHAREIMAGELISTS 0x0040
#define LVS_NOLABELWRAP 0x0080
#define LVS_AUTOARRANGE 0x0100
#define LVS_EDITLABELS 0x0200
#define LVS_ALIGNTOP 0x0000
#define LVS_ALIGNLEFT 0x0800

#define LVSIL_NORMAL 0
#define LVSIL_SMALL 1
#define LVSIL_STATE 2

#define LVIF_TEXT 0x0001
#define LVIF_IMAGE 0x0002
#define LVIF_PARAM 0x0004
#define LVIF_STATE 0x0008

#define LVIS_FOCUSED 0x0001
#define LVIS_SELECTED 0x0002
#define LVIS_CUT 0x0004
#define LVIS_DROPHILITED 0x0008

#define LVNI_ALL 0x0000
#define LVNI_FOCUSED 0x0001
#define LVNI_SELECTED 0x0002

#define LVHT_NOWHERE 0x0001
#define LVHT_ONITEMICON 0x0002
#define LVHT_ONITEMLABEL 0x0004
#define LVHT_ONITEMSTATEICON 0x0008
#define LVHT_ONITEM (LVHT_ONITEMICON | LVHT_ONITEMLABEL | LVHT_ONITEMSTATEICON)
#define LVHT_ABOVE 0x0008
#define LVHT_BELOW 0x0010
#define LVHT_TORIGHT 0x0020
#define LVHT_TOLEFT 0x0040

#define LVA_DEFAULT 0x0000
#define LVIR_BOUNDS 0
#define LVIR_ICON 1
#define LVIR_LABEL 2

#define LVM_FIRST 0x1000
#define LVM_GETIMAGELIST (LVM_FIRST + 2)
#define LVM_SETIMAGELIST (LVM_FIRST + 3)
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_GETITEMA (LVM_FIRST + 5)
#define LVM_SETITEMA (LVM_FIRST + 6)
#define LVM_INSERTITEMA (LVM_FIRST + 7)
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_FINDITEMA (LVM_FIRST + 13)
#define LVM_GETITEMRECT (LVM_FIRST + 14)
#define LVM_GETITEMPOSITION (LVM_FIRST + 16)
#define LVM_HITTEST (LVM_FIRST + 18)
#define LVM_ENSUREVISIBLE (LVM_FIRST + 19)
#define LVM_ARRANGE (LVM_FIRST + 22)
#define LVM_EDITLABELA (LVM_FIRST + 23)
#define LVM_GETEDITCONTROL (LVM_FIRST + 24)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_GETITEMTEXTA (LVM_FIRST + 45)
#define LVM_SETITEMTEXTA (LVM_FIRST + 46)

#define LVN_FIRST (0U - 100U)
#define LVN_ITEMCHANGING (LVN_FIRST - 0)
#define LVN_ITEMCHANGED (LVN_FIRST - 1)
#define LVN_INSERTITEM (LVN_FIRST - 2)
#define LVN_DELETEITEM (LVN_FIRST - 3)
#define LVN_DELETEALLITEMS (LVN_FIRST - 4)
#define LVN_BEGINLABELEDITA (LVN_FIRST - 5)
#define LVN_ENDLABELEDITA (LVN_FIRST - 6)
#define LVN_ITEMACTIVATE (LVN_FIRST - 14)
#define LVN_KEYDOWN (LVN_FIRST - 55)

#define LVFI_PARAM 0x0001
#define LVFI_STRING 0x0002
#define LVFI_PARTIAL 0x0008
#define LVFI_WRAP 0x0020
struct LVFINDINFOA {
    UINT flags;
    LPCSTR psz;
    LPARAM lParam;
    POINT pt;
    UINT vkDirection;
};
typedef LVFINDINFOA* LPLVFINDINFOA;

struct LVITEMA {
    UINT mask;
    int iItem;
    int iSubItem;
    UINT state;
    UINT stateMask;
    LPSTR pszText;
    int cchTextMax;
    int iImage;
    LPARAM lParam;
};
typedef LVITEMA* LPLVITEMA;
typedef LVITEMA LV_ITEMA;

struct LVHITTESTINFO {
    POINT pt;
    UINT flags;
    int iItem;
};
typedef LVHITTESTINFO* LPLVHITTESTINFO;

struct NMLISTVIEW {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
};
typedef NMLISTVIEW* LPNMLISTVIEW;

struct NMLVDISPINFOA {
    NMHDR hdr;
    LVITEMA item;
};
typedef NMLVDISPINFOA LV_DISPINFOA;

// NM_CLICK and NM_DBLCLK from a list view.
struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    UINT uNewState;
    UINT uOldState;
    UINT uChanged;
    POINT ptAction;
    LPARAM lParam;
    UINT uKeyFlags;
};
typedef NMITEMACTIVATE* LPNMITEMACTIVATE;

#pragma pack(push, 1)
struct NMLVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};
#pragma pack(pop)
typedef NMLVKEYDOWN* LPNMLVKEYDOWN;

// ---- the control-panel applet protocol ----------------------------------------
#define CPL_INIT 1
#define CPL_GETCOUNT 2
#define CPL_INQUIRE 3
#define CPL_SELECT 4
#define CPL_DBLCLK 5
#define CPL_STOP 6
#define CPL_EXIT 7
#define CPL_NEWINQUIRE 8
#define CPL_STARTWPARMSA 9

struct CPLINFO {
    int idIcon;
    int idName;
    int idInfo;
    LONG_PTR lData;
};
typedef CPLINFO* LPCPLINFO;

struct NEWCPLINFOA {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwHelpContext;
    LONG_PTR lData;
    HICON hIcon;
    CHAR szName[32];
    CHAR szInfo[64];
    CHAR szHelpFile[128];
};
typedef NEWCPLINFOA* LPNEWCPLINFOA;

typedef LONG(APIENTRY* APPLET_PROC)(HWND, UINT, LPARAM, LPARAM);
