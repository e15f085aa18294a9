// The list view: sorted insertion, focus and selection with their
// notifications, deletion, label editing, hit testing and keys.
#include "user_support.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

class ListView : public ::testing::Test {
protected:
    void SetUp() override {
        dlg = CreateControlsDialog();
        list = GetDlgItem(dlg, IDC_LIST_VIEW);
        ASSERT_NE(list, nullptr);
    }
    void TearDown() override {
        DestroyWindow(dlg);
        g_notifyAnswer = nullptr;
        EXPECT_EQ(HostLiveWindowCount(), 0);
    }

    int Insert(const char* text, UINT state = 0, int at = 0) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | (state ? LVIF_STATE : 0);
        item.iItem = at;
        item.pszText = const_cast<char*>(text);
        item.state = state;
        item.stateMask = state;
        return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    std::string Text(int i) {
        char text[64] = "";
        LVITEMA item{};
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        return text;
    }
    std::string Items() {
        std::string all;
        for (LRESULT i = 0; i < SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); ++i)
            all += std::string(i ? "," : "") + Text(static_cast<int>(i));
        return all;
    }
    BOOL SetState(int i, UINT state, UINT mask) {
        LVITEMA item{};
        item.state = state;
        item.stateMask = mask;
        return static_cast<BOOL>(SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)));
    }
    int Next(int start, UINT flags) {
        return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(start), flags));
    }
    HWND dlg = nullptr;
    HWND list = nullptr;
};

constexpr UINT kBoth = LVIS_FOCUSED | LVIS_SELECTED;

// LVS_SORTASCENDING places each new item by its text, ignoring case and the
// index asked for; equal texts go after the ones already there.
TEST_F(ListView, SortedInsertionPositions) {
    struct Case {
        const char* text;
        int at;  // where the item lands
    };
    const Case cases[] = {
        {"Studio", 0}, {"games", 0}, {"Games", 1}, {"zeta", 3}, {"new_string", 2},
        {"new_string1", 3}, {"10", 0}, {"_x", 0}, {"Newer", 6},  // punctuation sorts before letters
    };
    for (const Case& c : cases) EXPECT_EQ(Insert(c.text, 0, 99), c.at) << c.text;
    EXPECT_EQ(Items(), "_x,10,games,Games,new_string,new_string1,Newer,Studio,zeta");
    EXPECT_EQ(TakeLog().size(), std::size(cases)) << "one LVN_INSERTITEM each";
}

TEST_F(ListView, StatesAndTheirNotifications) {
    Insert("a");
    Insert("b");
    Insert("c");
    TakeLog();
    // Focusing and selecting item 1.
    EXPECT_TRUE(SetState(1, kBoth, kBoth));
    EXPECT_EQ(TakeLog(), (Log{"notify 16 changing 1 0->3", "notify 16 changed 1 0->3"}));
    // Another item: in a single-selection list the old one loses its
    // selection, then its focus, each with its own pair.
    EXPECT_TRUE(SetState(2, kBoth, kBoth));
    EXPECT_EQ(TakeLog(), (Log{"notify 16 changing 2 0->3", "notify 16 changing 1 3->1", "notify 16 changed 1 3->1",
                              "notify 16 changing 1 1->0", "notify 16 changed 1 1->0", "notify 16 changed 2 0->3"}));
    // Nothing to change: no notification.
    EXPECT_TRUE(SetState(2, kBoth, kBoth));
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(Next(-1, LVNI_FOCUSED), 2);
    EXPECT_EQ(Next(-1, LVNI_SELECTED), 2);
    EXPECT_EQ(Next(2, LVNI_FOCUSED), -1);
    EXPECT_EQ(Next(-1, LVNI_ALL), 0);
    EXPECT_EQ(Next(0, LVNI_ALL), 1);
    EXPECT_EQ(Next(2, LVNI_ALL), -1);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, 2, LVIS_FOCUSED), LVIS_FOCUSED);
    // The parent may refuse a change.
    g_notifyAnswer = [](HWND, const NMHDR* hdr) -> LRESULT { return hdr->code == LVN_ITEMCHANGING; };
    EXPECT_FALSE(SetState(0, kBoth, kBoth));
    EXPECT_EQ(TakeLog(), (Log{"notify 16 changing 0 0->3"}));
    EXPECT_EQ(Next(-1, LVNI_FOCUSED), 2);
    g_notifyAnswer = nullptr;
    // All items at once: the focus is not spread over them.
    EXPECT_TRUE(SetState(-1, 0, LVIS_SELECTED));
    EXPECT_EQ(Next(-1, LVNI_SELECTED), -1);
    EXPECT_EQ(Next(-1, LVNI_FOCUSED), 2);
}

// An item inserted with states takes them with notifications, after
// LVN_INSERTITEM, taking them from the item that had them.
TEST_F(ListView, InsertionWithStates) {
    Insert("b", kBoth);
    EXPECT_EQ(TakeLog(), (Log{"notify 16 insert 0", "notify 16 changing 0 0->3", "notify 16 changed 0 0->3"}));
    Insert("a", kBoth);
    EXPECT_EQ(TakeLog(), (Log{"notify 16 insert 0", "notify 16 changing 0 0->3", "notify 16 changing 1 3->1",
                              "notify 16 changed 1 3->1", "notify 16 changing 1 1->0", "notify 16 changed 1 1->0",
                              "notify 16 changed 0 0->3"}));
}

// A deleted item first gives up its focus and selection; no other item
// takes them.
TEST_F(ListView, DeletionMovesTheFocusAway) {
    Insert("a");
    Insert("b");
    Insert("c");
    SetState(1, kBoth, kBoth);
    TakeLog();
    EXPECT_TRUE(SendMessageA(list, LVM_DELETEITEM, 1, 0));
    EXPECT_EQ(TakeLog(), (Log{"notify 16 changing 1 3->0", "notify 16 changed 1 3->0", "notify 16 delete 1"}));
    EXPECT_EQ(Items(), "a,c");
    EXPECT_EQ(Next(-1, LVNI_FOCUSED), -1);
    EXPECT_FALSE(SendMessageA(list, LVM_DELETEITEM, 5, 0));
    EXPECT_TRUE(SendMessageA(list, LVM_DELETEITEM, 0, 0));
    EXPECT_EQ(TakeLog(), (Log{"notify 16 delete 0"})) << "an item without states goes quietly";
    EXPECT_TRUE(SendMessageA(list, LVM_DELETEALLITEMS, 0, 0));
    EXPECT_EQ(TakeLog(), (Log{"notify 16 deleteall", "notify 16 delete 0"}));
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(ListView, ItemRecordsAndSearch) {
    Insert("Studio");
    Insert("Games");
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = 1;
    item.lParam = 77;
    EXPECT_TRUE(SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    char text[4];
    LVITEMA get{};
    get.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    get.iItem = 1;
    get.pszText = text;
    get.cchTextMax = sizeof text;
    get.stateMask = kBoth;
    EXPECT_TRUE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get)));
    EXPECT_STREQ(text, "Stu") << "cut to the buffer";
    EXPECT_EQ(get.lParam, 77);
    EXPECT_EQ(get.state, 0u);
    get.iItem = 2;
    EXPECT_FALSE(SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get)));

    LVITEMA set{};
    set.pszText = const_cast<char*>("Arcade");
    EXPECT_TRUE(SendMessageA(list, LVM_SETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&set)));
    EXPECT_EQ(Items(), "Games,Arcade") << "a text set by program stays where it is";

    LVFINDINFOA find{};
    find.flags = LVFI_STRING;
    find.psz = "games";
    EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 0);
    EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, 0, reinterpret_cast<LPARAM>(&find)), -1);
    find.flags = LVFI_STRING | LVFI_WRAP;
    EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, 0, reinterpret_cast<LPARAM>(&find)), 0);
    find.flags = LVFI_PARTIAL | LVFI_STRING;
    find.psz = "ar";
    EXPECT_EQ(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 1);
}

// LVM_EDITLABELA: the item becomes the focused one, the parent hears
// LVN_BEGINLABELEDITA and may refuse; Enter ends with the edit's text, the
// parent's TRUE keeps it (and the list sorts it into place); Escape
// cancels with no text.
TEST_F(ListView, LabelEditing) {
    Insert("alpha");
    Insert("beta");
    Insert("gamma");
    TakeLog();
    g_notifyAnswer = [](HWND, const NMHDR* hdr) -> LRESULT { return hdr->code == LVN_ENDLABELEDITA; };
    HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 0, 0));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0)), edit);
    EXPECT_EQ(TextOf(edit), "alpha");
    EXPECT_EQ(GetParent(edit), list);
    EXPECT_EQ(GetFocus(), edit);
    Log log = TakeLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "notify 16 changing 0 0->3");
    EXPECT_EQ(log[1], "notify 16 changed 0 0->3");
    EXPECT_EQ(log.back(), "notify 16 beginedit 0 \"alpha\"");

    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("zulu"));
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0), 0);
    EXPECT_EQ(GetFocus(), list) << "the focus goes back to the list";
    log = TakeLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "notify 16 endedit 0 \"zulu\"");
    EXPECT_EQ(Items(), "beta,gamma,zulu");
    EXPECT_EQ(Next(-1, LVNI_FOCUSED), 2) << "the focus moved with the item";

    // Escape: LVN_ENDLABELEDITA without a text; nothing changes.
    edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 0, 0));
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("omega"));
    TakeLog();
    SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    log = TakeLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "notify 16 endedit 0 null");
    EXPECT_EQ(Items(), "beta,gamma,zulu");

    // The parent's FALSE drops the new text.
    g_notifyAnswer = nullptr;
    edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 1, 0));
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("delta"));
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(Items(), "beta,gamma,zulu");

    // A parent that refuses to begin: no editor.
    g_notifyAnswer = [](HWND, const NMHDR* hdr) -> LRESULT { return hdr->code == LVN_BEGINLABELEDITA; };
    EXPECT_EQ(SendMessageA(list, LVM_EDITLABELA, 1, 0), 0);
    EXPECT_EQ(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0), 0);
    EXPECT_EQ(SendMessageA(list, LVM_EDITLABELA, 7, 0), 0) << "no such item";
}

// Losing the focus ends an edit and keeps its text, as a click elsewhere does.
TEST_F(ListView, LabelEditEndsWhenTheFocusLeaves) {
    Insert("alpha");
    g_notifyAnswer = [](HWND, const NMHDR* hdr) -> LRESULT { return hdr->code == LVN_ENDLABELEDITA; };
    HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 0, 0));
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("omega"));
    SendMessageA(GetDlgItem(dlg, IDC_PUSH), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(Items(), "omega");
}

// The item rectangles and the hit test agree: every point of an item's
// bounds hits it, on its icon or its label; a point past the items hits
// nothing, one outside the client area is told where it lies.
TEST_F(ListView, HitTestMatchesItemRects) {
    for (const char* name : {"a", "b", "c", "d", "e", "f", "g", "h"}) Insert(name);
    RECT client{};
    GetClientRect(list, &client);
    EXPECT_EQ(client.right, 145) << "98 units less the border";
    for (int i = 0; i < 8; ++i) {
        RECT bounds{LVIR_BOUNDS, 0, 0, 0}, icon{LVIR_ICON, 0, 0, 0}, label{LVIR_LABEL, 0, 0, 0};
        ASSERT_TRUE(SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&bounds)));
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&icon));
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&label));
        EXPECT_EQ(icon.left, bounds.left);
        EXPECT_EQ(label.right, bounds.right);
        EXPECT_EQ(icon.right, label.left);
        struct Probe {
            POINT pt;
            UINT flags;
        };
        const Probe probes[] = {
            {{bounds.left, bounds.top}, LVHT_ONITEMICON},
            {{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2}, LVHT_ONITEMLABEL},
            {{bounds.right - 1, bounds.bottom - 1}, LVHT_ONITEMLABEL},
        };
        for (const Probe& p : probes) {
            LVHITTESTINFO hit{};
            hit.pt = p.pt;
            EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), i);
            EXPECT_EQ(hit.iItem, i);
            EXPECT_EQ(hit.flags, p.flags) << "item " << i << " at " << p.pt.x << "," << p.pt.y;
        }
    }
    // List mode: items run down a column, then on in the next one.
    RECT first{LVIR_BOUNDS, 0, 0, 0}, seventh{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    SendMessageA(list, LVM_GETITEMRECT, 6, reinterpret_cast<LPARAM>(&seventh));
    EXPECT_EQ(seventh.top, first.top);
    EXPECT_EQ(seventh.left, first.right);
    struct Outside {
        POINT pt;
        UINT flags;
    };
    const Outside outside[] = {
        {{client.right - 2, client.bottom - 2}, LVHT_NOWHERE},
        {{-1, 5}, LVHT_TOLEFT},
        {{5, client.bottom}, LVHT_BELOW},
        {{client.right, -1}, LVHT_TORIGHT | LVHT_ABOVE},
    };
    for (const Outside& o : outside) {
        LVHITTESTINFO hit{};
        hit.pt = o.pt;
        EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), -1);
        EXPECT_EQ(hit.flags, o.flags) << o.pt.x << "," << o.pt.y;
    }
}

// The double click that a page reads back through GetMessagePos: the
// cursor over an item, the list view told at that client point.
TEST_F(ListView, DoubleClickAtTheCursor) {
    Insert("Games");
    Insert("Studio");
    RECT r{LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
    POINT client{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    POINT screen = client;
    ClientToScreen(list, &screen);
    SetCursorPos(screen.x, screen.y);
    TakeLog();
    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(client.x, client.y));
    EXPECT_EQ(TakeLog(), (Log{"notify 16 dblclick 1", "notify 16 activate 1"}));

    DWORD pos = GetMessagePos();
    POINT pt{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    ScreenToClient(list, &pt);
    EXPECT_EQ(ChildWindowFromPoint(list, pt), list);
    LVHITTESTINFO hit{};
    hit.pt = pt;
    EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
    EXPECT_NE(hit.flags & LVHT_ONITEM, 0u);

    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(140, 100));
    EXPECT_EQ(TakeLog(), (Log{"notify 16 dblclick -1"})) << "on no item";
}

// Keys: LVN_KEYDOWN first, then the arrows move the focus and selection.
TEST_F(ListView, Keys) {
    Insert("a");
    Insert("b");
    Insert("c");
    SetState(0, kBoth, kBoth);
    TakeLog();
    SendMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(TakeLog(), (Log{"notify 16 keydown 46"}));
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    Log log = TakeLog();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "notify 16 keydown 40");
    EXPECT_EQ(Next(-1, LVNI_FOCUSED), 1);
    EXPECT_EQ(Next(-1, LVNI_SELECTED), 1);
    SendMessageA(list, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(Next(-1, LVNI_FOCUSED), 2);
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Next(-1, LVNI_FOCUSED), 2) << "stays at the last item";
    SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(Next(-1, LVNI_FOCUSED), 0);
}

TEST(ImageLists, AppendReplaceDestroy) {
    HIMAGELIST images = ImageList_Create(32, 32, ILC_MASK, 1, 1);
    ASSERT_NE(images, nullptr);
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_BLANK));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(images, -1, icon), 0);
    EXPECT_EQ(ImageList_ReplaceIcon(images, -1, icon), 1);
    EXPECT_EQ(ImageList_ReplaceIcon(images, 0, icon), 0) << "replaces";
    EXPECT_EQ(ImageList_ReplaceIcon(images, 5, icon), -1);
    EXPECT_EQ(ImageList_ReplaceIcon(images, -1, nullptr), -1);
    EXPECT_EQ(ImageList_GetImageCount(images), 2);
    EXPECT_TRUE(ImageList_Destroy(images));
    EXPECT_FALSE(ImageList_Destroy(images)) << "once only";
    EXPECT_EQ(ImageList_Create(0, 16, ILC_MASK, 1, 1), nullptr);

    // A list view destroys the image lists it does not share.
    HWND dlg = CreateControlsDialog();
    HWND list = GetDlgItem(dlg, IDC_LIST_VIEW);
    HIMAGELIST small = ImageList_Create(16, 16, ILC_MASK, 1, 1);
    EXPECT_EQ(SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small)), 0);
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0)), small);
    DestroyWindow(dlg);
    EXPECT_FALSE(ImageList_Destroy(small));
}

}  // namespace
