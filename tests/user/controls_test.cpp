// Dialogs from templates, buttons, edits, combo boxes and the *DlgItem*
// calls.
#include "user_support.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

std::string ClassOf(HWND wnd) {
    char name[64] = "";
    GetClassNameA(wnd, name, sizeof name);
    return name;
}

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        dlg = CreateControlsDialog();
        ASSERT_NE(dlg, nullptr);
    }
    void TearDown() override {
        DestroyWindow(dlg);
        EXPECT_EQ(HostLiveWindowCount(), 0);
    }
    HWND Item(int id) { return GetDlgItem(dlg, id); }
    HWND dlg = nullptr;
};

TEST_F(Controls, DialogFollowsItsTemplate) {
    EXPECT_EQ(ClassOf(dlg), "#32770");
    EXPECT_EQ(TextOf(dlg), "Controls");
    struct Expected {
        const char* className;
        int id;
        const char* text;
        DWORD styleSet;    // bits that must be set
        DWORD styleClear;  // bits that must be clear
    };
    const Expected expected[] = {
        {"Button", IDC_AUTO_CHECK, "Auto", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0},
        {"Button", IDC_PLAIN_CHECK, "Plain", WS_CHILD | BS_CHECKBOX, WS_TABSTOP},
        {"Button", IDC_PUSH, "Push", WS_TABSTOP, BS_TYPEMASK},
        {"Button", -1, "Group", BS_GROUPBOX, WS_TABSTOP},
        {"Edit", IDC_READONLY_EDIT, "", ES_READONLY | WS_BORDER | WS_TABSTOP, 0},
        {"ComboBox", IDC_LIST_COMBO, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0},
        {"ComboBox", IDC_EDIT_COMBO, "", CBS_DROPDOWN | CBS_SORT, 0},
        {"SysListView32", IDC_LIST_VIEW, "", LVS_LIST | LVS_SINGLESEL | LVS_SORTASCENDING | LVS_EDITLABELS, 0},
        {"Button", IDC_DEFAULT_PUSH, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
        {"Button", IDC_DISABLED_PUSH, "Off", WS_DISABLED, WS_TABSTOP},
        {"Static", -1, "Right", SS_RIGHT | WS_VISIBLE, WS_GROUP},
    };
    HWND child = GetWindow(dlg, GW_CHILD);
    for (const Expected& e : expected) {
        ASSERT_NE(child, nullptr) << "missing " << e.text;
        SCOPED_TRACE(e.text);
        EXPECT_EQ(ClassOf(child), e.className);
        EXPECT_EQ(GetDlgCtrlID(child), e.id);
        if (std::strcmp(e.className, "ComboBox") != 0) {
            EXPECT_EQ(TextOf(child), e.text);
        }
        DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
        EXPECT_EQ(style & e.styleSet, e.styleSet);
        EXPECT_EQ(style & e.styleClear, 0u);
        EXPECT_EQ(GetParent(child), dlg);
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "more controls than the template has";
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_DISABLED_PUSH)));
    // The first enabled tab stop has the focus after WM_INITDIALOG said TRUE.
    EXPECT_EQ(GetFocus(), Item(IDC_AUTO_CHECK));
}

// 6 x 13 pixels for 4 x 8 dialog units; a top-level dialog has a frame
// around the client area that its template sizes.
TEST_F(Controls, GeometryInPixels) {
    RECT client{};
    GetClientRect(dlg, &client);
    EXPECT_EQ(client.right, 300);
    EXPECT_EQ(client.bottom, 244);  // 150 * 13 / 8, rounded
    RECT push{};
    GetWindowRect(Item(IDC_PUSH), &push);
    POINT origin{0, 0};
    ClientToScreen(dlg, &origin);
    EXPECT_EQ(push.left - origin.x, 105);  // x 70
    EXPECT_EQ(push.top - origin.y, 11);    // y 7
    EXPECT_EQ(push.right - push.left, 60);
    EXPECT_EQ(push.bottom - push.top, 23);
    RECT mapped{4, 8, 10, 16};
    MapDialogRect(dlg, &mapped);
    EXPECT_EQ(mapped.left, 6);
    EXPECT_EQ(mapped.top, 13);
    EXPECT_EQ(mapped.right, 15);
    EXPECT_EQ(mapped.bottom, 26);
}

// The point of ChildWindowFromPoint is in the parent's client coordinates:
// a child under it, the parent itself on no child, null outside.
TEST_F(Controls, ChildWindowFromPointAndTheCursor) {
    HWND push = Item(IDC_PUSH);
    RECT r{};
    GetWindowRect(push, &r);
    POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    SetCursorPos(centre.x, centre.y);
    DWORD pos = GetMessagePos();
    POINT pt{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    EXPECT_EQ(pt.x, centre.x);
    EXPECT_EQ(pt.y, centre.y);
    ScreenToClient(dlg, &pt);
    EXPECT_EQ(ChildWindowFromPoint(dlg, pt), push);
    EXPECT_EQ(ChildWindowFromPoint(dlg, POINT{295, 5}), dlg) << "on no child";
    EXPECT_EQ(ChildWindowFromPoint(dlg, POINT{-1, 5}), nullptr) << "left of the client area";
    EXPECT_EQ(ChildWindowFromPoint(dlg, POINT{300, 5}), nullptr) << "right of it";
    // Disabled children are found as well.
    GetWindowRect(Item(IDC_DISABLED_PUSH), &r);
    POINT off{r.left + 1, r.top + 1};
    ScreenToClient(dlg, &off);
    EXPECT_EQ(ChildWindowFromPoint(dlg, off), Item(IDC_DISABLED_PUSH));
}

TEST_F(Controls, ButtonClicks) {
    struct Case {
        int id;
        bool disable;
        UINT checkAfter;
        const char* logged;  // the parent's WM_COMMAND, or null for none
    };
    const Case cases[] = {
        {IDC_AUTO_CHECK, false, BST_CHECKED, "command 10 0"},
        {IDC_AUTO_CHECK, false, BST_UNCHECKED, "command 10 0"},  // toggles back
        {IDC_PLAIN_CHECK, false, BST_UNCHECKED, "command 11 0"},  // not automatic: only told
        {IDC_PUSH, false, BST_UNCHECKED, "command 12 0"},
        {IDC_AUTO_CHECK, true, BST_UNCHECKED, nullptr},  // disabled: nothing at all
        {IDC_DISABLED_PUSH, false, BST_UNCHECKED, nullptr},
    };
    for (const Case& c : cases) {
        HWND button = Item(c.id);
        if (c.disable) EnableWindow(button, FALSE);
        TakeLog();
        SendMessageA(button, BM_CLICK, 0, 0);
        std::vector<std::string> log = TakeLog();
        std::vector<std::string> expected;
        if (c.logged) expected.push_back(c.logged);
        EXPECT_EQ(log, expected) << "button " << c.id;
        EXPECT_EQ(IsDlgButtonChecked(dlg, c.id), c.checkAfter) << "button " << c.id;
        if (c.logged) {
            EXPECT_EQ(GetFocus(), button) << "a click takes the focus";
        }
        EnableWindow(button, TRUE);
    }
    // BM_SETCHECK on a two-state box takes 2 as checked; a push button has no state.
    CheckDlgButton(dlg, IDC_AUTO_CHECK, BST_INDETERMINATE);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_AUTO_CHECK), static_cast<UINT>(BST_CHECKED));
    CheckDlgButton(dlg, IDC_PUSH, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_PUSH), 0u);
    EXPECT_TRUE(TakeLog().empty()) << "setting a check is no click";
}

// The edit announces every text set, as the real one does; a read-only edit
// takes no typing.
TEST_F(Controls, EditAnnouncesItsText) {
    TakeLog();
    SetDlgItemTextA(dlg, IDC_READONLY_EDIT, "0x220");
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{"command 13 1024", "command 13 768"}));  // EN_UPDATE, EN_CHANGE
    SetDlgItemTextA(dlg, IDC_READONLY_EDIT, "0x220");
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{"command 13 1024", "command 13 768"})) << "the same text again";
    SetDlgItemInt(dlg, IDC_READONLY_EDIT, 7, FALSE);
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{"command 13 1024", "command 13 768"}));
    SetDlgItemTextA(dlg, IDC_READONLY_EDIT, "0x220");
    TakeLog();
    SendMessageA(Item(IDC_READONLY_EDIT), WM_CHAR, 'x', 0);
    EXPECT_EQ(TextOf(Item(IDC_READONLY_EDIT)), "0x220");
    EXPECT_TRUE(TakeLog().empty());
    SendMessageA(Item(IDC_READONLY_EDIT), EM_SETREADONLY, FALSE, 0);
    SendMessageA(Item(IDC_READONLY_EDIT), WM_CHAR, 'x', 0);
    EXPECT_EQ(TextOf(Item(IDC_READONLY_EDIT)), "x0x220") << "the caret is at the start after a text was set";
}

TEST_F(Controls, DlgItemText) {
    SetDlgItemTextA(dlg, IDC_READONLY_EDIT, "abcdef");
    char buf[4] = "zzz";
    EXPECT_EQ(GetDlgItemTextA(dlg, IDC_READONLY_EDIT, buf, sizeof buf), 3u);
    EXPECT_STREQ(buf, "abc") << "cut to size - 1";
    char none[8] = "zzz";
    EXPECT_EQ(GetDlgItemTextA(dlg, 999, none, sizeof none), 0u);
    EXPECT_STREQ(none, "") << "no such control";
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_READONLY_EDIT, WM_GETTEXTLENGTH, 0, 0), 6);
}

// GetDlgItemInt as the real function reads: leading blanks, one sign,
// digits up to the first other character, at most 29 characters looked at.
TEST_F(Controls, DlgItemInt) {
    struct Case {
        const char* text;
        UINT signedValue;
        BOOL signedOk;
        UINT unsignedValue;
        BOOL unsignedOk;
    };
    const Case cases[] = {
        {"42", 42, TRUE, 42, TRUE},
        {"  -17", static_cast<UINT>(-17), TRUE, static_cast<UINT>(-17), TRUE},  // unsigned: modulo 2^32
        {" -7", static_cast<UINT>(-7), TRUE, 4294967289u, TRUE},
        {"+5", 5, TRUE, 5, TRUE},
        {" +5", 5, TRUE, 5, TRUE},
        {"12abc", 12, TRUE, 12, TRUE},  // stops at the first non-digit
        {"12 ", 12, TRUE, 12, TRUE},
        {"1e3", 1, TRUE, 1, TRUE},
        {"0x10", 0, TRUE, 0, TRUE},
        {"007", 7, TRUE, 7, TRUE},
        {"-0", 0, TRUE, 0, TRUE},
        {"\t7 8", 7, TRUE, 7, TRUE},
        {"\n5", 5, TRUE, 5, TRUE},
        {"abc", 0, FALSE, 0, FALSE},
        {"", 0, FALSE, 0, FALSE},
        {"  ", 0, FALSE, 0, FALSE},
        {"-", 0, FALSE, 0, FALSE},
        {"+", 0, FALSE, 0, FALSE},
        {"- 5", 0, FALSE, 0, FALSE},
        {"+-5", 0, FALSE, 0, FALSE},
        {"--5", 0, FALSE, 0, FALSE},
        {"2147483647", 2147483647u, TRUE, 2147483647u, TRUE},
        {"-2147483648", 0x80000000u, TRUE, 0x80000000u, TRUE},
        {"2147483648", 0, FALSE, 2147483648u, TRUE},  // out of the signed range
        {"-2147483649", 0, FALSE, 2147483647u, TRUE},
        {"4294967295", 0, FALSE, 4294967295u, TRUE},
        {"4294967296", 0, FALSE, 0, FALSE},
        {"-4294967295", 0, FALSE, 1, TRUE},
        {"-4294967296", 0, FALSE, 1, TRUE},  // a negative too large for 32 bits
        {"99999999999999999999", 0, FALSE, 0, FALSE},
        {"-99999999999999999999", 0, FALSE, 1, TRUE},
        {"00000000000000000000000000005", 5, TRUE, 5, TRUE},    // 29 characters
        {"000000000000000000000000000005", 0, TRUE, 0, TRUE},   // the 30th is not read
        {"                              5", 0, FALSE, 0, FALSE},
    };
    for (const Case& c : cases) {
        SetDlgItemTextA(dlg, IDC_READONLY_EDIT, c.text);
        BOOL ok = 2;
        UINT got = GetDlgItemInt(dlg, IDC_READONLY_EDIT, &ok, TRUE);
        EXPECT_EQ(got, c.signedValue) << "\"" << c.text << "\" signed";
        EXPECT_EQ(ok, c.signedOk) << "\"" << c.text << "\" signed";
        ok = 2;
        got = GetDlgItemInt(dlg, IDC_READONLY_EDIT, &ok, FALSE);
        EXPECT_EQ(got, c.unsignedValue) << "\"" << c.text << "\" unsigned";
        EXPECT_EQ(ok, c.unsignedOk) << "\"" << c.text << "\" unsigned";
    }
    EXPECT_EQ(GetDlgItemInt(dlg, 999, nullptr, TRUE), 0u) << "no such control";
    SetDlgItemInt(dlg, IDC_READONLY_EDIT, static_cast<UINT>(-5), TRUE);
    EXPECT_EQ(TextOf(Item(IDC_READONLY_EDIT)), "-5");
    SetDlgItemInt(dlg, IDC_READONLY_EDIT, static_cast<UINT>(-5), FALSE);
    EXPECT_EQ(TextOf(Item(IDC_READONLY_EDIT)), "4294967291");
}

void Fill(HWND combo, std::initializer_list<const char*> items) {
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const char* item : items) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
}

// Prefix searches ignore case, start after the start index and wrap round;
// -1 searches from the first item.
TEST_F(Controls, ComboSearch) {
    HWND combo = Item(IDC_LIST_COMBO);
    Fill(combo, {"ROM", "RAM", "rom2", "Banner"});
    struct Case {
        UINT msg;
        int start;
        const char* text;
        LRESULT found;
    };
    const Case cases[] = {
        {CB_FINDSTRING, -1, "R", 0},
        {CB_FINDSTRING, 0, "R", 1},   // after the start item
        {CB_FINDSTRING, 1, "r", 2},
        {CB_FINDSTRING, 2, "R", 0},   // wraps round
        {CB_FINDSTRING, 3, "ro", 0},
        {CB_FINDSTRING, 0, "ROM", 2},  // "rom2" begins with it
        {CB_FINDSTRING, 2, "ROM", 0},
        {CB_FINDSTRING, 0, "ram", 1},
        {CB_FINDSTRING, -1, "x", CB_ERR},
        {CB_FINDSTRING, 0, "Bannerx", CB_ERR},
        {CB_FINDSTRING, 1, "RAM", 1},   // the start item itself comes last
        {CB_FINDSTRING, 99, "R", 0},    // a start out of range searches from the first
        {CB_FINDSTRINGEXACT, 0, "rom", 0},
        {CB_FINDSTRINGEXACT, -1, "ro", CB_ERR},
        {CB_FINDSTRINGEXACT, 0, "ROM2", 2},
        {CB_FINDSTRING, -1, "", CB_ERR},  // an empty text finds nothing
        {CB_FINDSTRING, 0, "", CB_ERR},
        {CB_FINDSTRINGEXACT, -1, "", CB_ERR},
    };
    for (const Case& c : cases) {
        LRESULT got = SendMessageA(combo, c.msg, static_cast<WPARAM>(c.start), reinterpret_cast<LPARAM>(c.text));
        EXPECT_EQ(got, c.found) << (c.msg == CB_FINDSTRING ? "find" : "exact") << " from " << c.start << " \""
                                << c.text << "\"";
    }
}

// CB_SELECTSTRING in either kind of combo box, with the selection on the
// last item before each search; a miss keeps the selection.
TEST_F(Controls, ComboSelectString) {
    struct Case {
        int start;
        const char* text;
        LRESULT found;
        LRESULT selected;
    };
    const Case cases[] = {
        {0, "alpha", 2, 2},  {-1, "alpha", 0, 0}, {0, "beta", 1, 1},  {1, "beta", 3, 3},  {2, "alpha", 0, 0},
        {4, "alpha", 0, 0},  {-1, "BETA", 1, 1},  {3, "beta", 1, 1},  {-1, "gam", 4, 4},  {10, "beta", 1, 1},
        {-1, "x", CB_ERR, 4}, {-1, "", CB_ERR, 4},
    };
    for (int id : {IDC_LIST_COMBO, IDC_EDIT_COMBO}) {
        HWND combo = Item(id);
        SendMessageA(combo, CB_RESETCONTENT, 0, 0);
        for (const char* item : {"Alpha", "beta", "Alpha2", "BETA", "gamma"})
            SendMessageA(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item));
        TakeLog();
        for (const Case& c : cases) {
            SendMessageA(combo, CB_SETCURSEL, 4, 0);
            LRESULT got =
                SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(c.start), reinterpret_cast<LPARAM>(c.text));
            EXPECT_EQ(got, c.found) << "combo " << id << " from " << c.start << " \"" << c.text << "\"";
            EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), c.selected) << "combo " << id << " \"" << c.text << "\"";
        }
        EXPECT_TRUE(TakeLog().empty()) << "no notification for a selection by program";
    }
}

TEST_F(Controls, ComboSelection) {
    HWND combo = Item(IDC_LIST_COMBO);
    Fill(combo, {"ROM", "RAM"});
    TakeLog();
    // CB_SELECTSTRING from 0 begins at the second item.
    EXPECT_EQ(SendMessageA(combo, CB_SELECTSTRING, 0, reinterpret_cast<LPARAM>("R")), 1);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(TextOf(combo), "RAM") << "a drop-down list's text is its selection";
    // No match leaves the selection as it was.
    EXPECT_EQ(SendMessageA(combo, CB_SELECTSTRING, 0, reinterpret_cast<LPARAM>("x")), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("")), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1) << "nor does an empty text";
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 0, 0), 0);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR) << "-1 clears";
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(TextOf(combo), "");
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 5, 0), CB_ERR) << "out of range";
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1) << "and kept";
    EXPECT_EQ(TextOf(combo), "RAM");
    EXPECT_TRUE(TakeLog().empty()) << "a selection by program sends no CBN_SELCHANGE";

    char text[16] = "zz";
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text)), 3);
    EXPECT_STREQ(text, "RAM");
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text)), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 0, 0), 3);
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(-1), 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("ROM")), CB_ERR)
        << "no edit field to set";

    // Insertions and deletions keep the selection on its item.
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(SendMessageA(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("First")), 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageA(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Last")), 3);
    EXPECT_EQ(SendMessageA(combo, CB_INSERTSTRING, 9, reinterpret_cast<LPARAM>("Far")), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_DELETESTRING, 0, 0), 3) << "the items left";
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageA(combo, CB_DELETESTRING, 1, 0), 2);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR) << "the selected item went";
    EXPECT_EQ(SendMessageA(combo, CB_DELETESTRING, 7, 0), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageA(combo, CB_INITSTORAGE, 10, 300), 12);
}

// CB_ADDSTRING sorts only with CBS_SORT.
TEST_F(Controls, ComboSorting) {
    HWND unsorted = Item(IDC_LIST_COMBO), sorted = Item(IDC_EDIT_COMBO);
    for (HWND combo : {unsorted, sorted}) Fill(combo, {"beta", "Alpha", "gamma", "alpha2"});
    auto items = [](HWND combo) {
        std::string all;
        for (LRESULT i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i) {
            char text[32];
            SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            all += std::string(i ? "," : "") + text;
        }
        return all;
    };
    EXPECT_EQ(items(unsorted), "beta,Alpha,gamma,alpha2");
    EXPECT_EQ(items(sorted), "Alpha,alpha2,beta,gamma");
    // CB_INSERTSTRING never sorts.
    SendMessageA(sorted, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("zeta"));
    EXPECT_EQ(items(sorted), "zeta,Alpha,alpha2,beta,gamma");
}

// A drop-down's edit field: a text set (WM_SETTEXT to the combo or to the
// field, a selection) is not reported and leaves the selection as it is,
// whatever the text; typing into the field is reported, and leaves the
// list without a selection.
TEST_F(Controls, ComboEditField) {
    HWND combo = Item(IDC_EDIT_COMBO);
    Fill(combo, {"RAM", "ROM"});
    HWND edit = GetDlgItem(combo, 1001);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(ClassOf(edit), "Edit");
    TakeLog();
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(TextOf(combo), "ROM");
    EXPECT_TRUE(TakeLog().empty());
    for (const char* text : {"RAM", "xyz", "rom", "R", ""}) {
        EXPECT_EQ(SendMessageA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)), TRUE);
        EXPECT_EQ(TextOf(combo), text);
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1) << text;
    }
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("xyz"));
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(TakeLog().empty());
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    SendMessageA(edit, WM_CHAR, 'X', 0);
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{"command 15 6", "command 15 5"}));  // EDITUPDATE, EDITCHANGE
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(TextOf(combo), "");
}

TEST(Windows, FocusNotifications) {
    HWND dlg = CreateControlsDialog();
    HWND list = GetDlgItem(dlg, IDC_LIST_VIEW), check = GetDlgItem(dlg, IDC_AUTO_CHECK);
    SetFocus(check);
    TakeLog();
    EXPECT_EQ(SetFocus(list), check) << "answers the window that had the focus";
    EXPECT_EQ(GetFocus(), list);
    SetFocus(GetDlgItem(dlg, IDC_READONLY_EDIT));
    EXPECT_EQ(TakeLog(), (std::vector<std::string>{"notify 16 setfocus", "notify 16 killfocus", "command 13 256"}));
    // Disabling the focused window takes the focus away.
    EnableWindow(GetDlgItem(dlg, IDC_READONLY_EDIT), FALSE);
    EXPECT_EQ(GetFocus(), nullptr);
    // Destroying a focused child hands the focus to its parent.
    SetFocus(check);
    DestroyWindow(check);
    EXPECT_EQ(GetFocus(), dlg);
    EXPECT_FALSE(IsWindow(check));
    DestroyWindow(dlg);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_EQ(HostLiveWindowCount(), 0);
}

// WM_HELP sent to a control, or to the edit field inside a combo box, goes
// up to the dialog procedure with the same HELPINFO.
TEST(Windows, HelpGoesUpToTheDialog) {
    static std::vector<std::pair<HWND, const HELPINFO*>> seen;
    seen.clear();
    DLGPROC proc = [](HWND dlg, UINT msg, WPARAM, LPARAM lp) -> INT_PTR {
        if (msg == WM_HELP) seen.emplace_back(dlg, reinterpret_cast<const HELPINFO*>(lp));
        return msg == WM_HELP || msg == WM_INITDIALOG;
    };
    HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONTROLS), nullptr, proc, 0);
    ASSERT_NE(dlg, nullptr);
    HWND combo = GetDlgItem(dlg, IDC_EDIT_COMBO);
    for (HWND control : {GetDlgItem(dlg, IDC_PUSH), GetDlgItem(dlg, IDC_READONLY_EDIT), GetDlgItem(dlg, IDC_LIST_VIEW),
                         GetDlgItem(combo, 1001), GetDlgItem(dlg, IDC_DISABLED_PUSH)}) {
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = GetDlgCtrlID(control);
        info.hItemHandle = control;
        seen.clear();
        SendMessageA(control, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        ASSERT_EQ(seen.size(), 1u) << "control " << info.iCtrlId;
        EXPECT_EQ(seen[0].first, dlg);
        EXPECT_EQ(seen[0].second, &info);
    }
    DestroyWindow(dlg);
}

TEST(Windows, MessageResultOfADialog) {
    // DWL_MSGRESULT carries a dialog procedure's answer; it is cleared
    // before every message, so an answer never outlives its message.
    HWND dlg = CreateControlsDialog();
    g_notifyAnswer = [](HWND, const NMHDR* hdr) -> LRESULT { return hdr->code == 12345u ? 77 : 0; };
    NMHDR hdr{nullptr, 0, 12345u};
    EXPECT_EQ(SendMessageA(dlg, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hdr)), 77);
    EXPECT_EQ(GetWindowLongA(dlg, DWL_MSGRESULT), 77);
    EXPECT_EQ(SendMessageA(dlg, WM_USER + 5, 0, 0), 0) << "left to the dialog manager";
    EXPECT_EQ(GetWindowLongA(dlg, DWL_MSGRESULT), 0);
    SetWindowLongA(dlg, DWL_USER, 1234);
    EXPECT_EQ(GetWindowLongA(dlg, DWL_USER), 1234);
    DestroyWindow(dlg);
}

}  // namespace

namespace {

struct BoxAgent {
    std::vector<std::string> seen;
    int answer = IDYES;
};

int AnswerBox(void* ctx, HWND, const char* text, const char* caption, UINT type) {
    auto* agent = static_cast<BoxAgent*>(ctx);
    agent->seen.push_back(std::string(caption) + "|" + text + "|" + std::to_string(type));
    return agent->answer;
}

void NoteHelp(void* ctx, HWND, const char* file, UINT command, ULONG_PTR data) {
    auto* agent = static_cast<BoxAgent*>(ctx);
    const DWORD* ids = reinterpret_cast<const DWORD*>(data);
    agent->seen.push_back(std::string("help ") + file + " " + std::to_string(command) + " " + std::to_string(ids[0]));
}

// Without a user, a box with only OK answers OK and any other the answer
// that declines; with one, the user's agent answers and sees every help
// request.
TEST(MessageBoxes, AnsweredByTheUserAgent) {
    HostSetUserAgent(nullptr, nullptr);
    struct Case {
        UINT type;
        int answer;
    };
    const Case unattended[] = {
        {MB_OK | MB_ICONERROR, IDOK},     {MB_OKCANCEL, IDCANCEL},   {MB_YESNOCANCEL | MB_ICONQUESTION, IDCANCEL},
        {MB_YESNO, IDNO},                 {MB_RETRYCANCEL, IDCANCEL}, {MB_ABORTRETRYIGNORE, IDABORT},
    };
    for (const Case& c : unattended) EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", c.type), c.answer) << c.type;
    EXPECT_TRUE(WinHelpA(nullptr, "x.hlp", HELP_WM_HELP, 0));

    BoxAgent agent;
    HostUserAgent user{nullptr, AnswerBox, NoteHelp};
    HostSetUserAgent(&user, &agent);
    EXPECT_EQ(MessageBoxA(nullptr, "Save?", "Warning", MB_YESNOCANCEL | MB_ICONQUESTION), IDYES);
    EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK), IDYES);
    const DWORD ids[] = {2010, 2010, 0, 0};
    EXPECT_TRUE(WinHelpA(nullptr, "zpcfgpnl.hlp", HELP_WM_HELP, reinterpret_cast<ULONG_PTR>(ids)));
    HostSetUserAgent(nullptr, nullptr);
    EXPECT_EQ(agent.seen, (std::vector<std::string>{"Warning|Save?|35", "Error||0", "help zpcfgpnl.hlp 12 2010"}));
}

}  // namespace
