// The list view: sorted insertion, focus and selection with their
// notifications, deletion, label editing, hit testing and keys.
#include "user_support.h"

#include <gtest/gtest.h>

namespace {

using Log = std::vector<std::string>;

constexpr UINT kBoth = LVIS_FOCUSED | LVIS_SELECTED;

// The log's lines without "notify 16 ", the list view's id.
Log Untagged(const Log& log) {
    Log out;
    for (const std::string& line : log) out.push_back(line.rfind("notify 16 ", 0) == 0 ? line.substr(10) : line);
    return out;
}

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

    int Insert(const char* text, UINT state = 0, int at = 0, LPARAM param = 0) {
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | (state ? LVIF_STATE : 0);
        item.iItem = at;
        item.pszText = const_cast<char*>(text);
        item.lParam = param;
        item.state = state;
        item.stateMask = state;
        return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }
    // A fresh list of these texts, their lParams 100, 101, ...; the log
    // cleared.
    void Fill(std::initializer_list<const char*> texts) {
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
        LPARAM param = 100;
        for (const char* text : texts) Insert(text, 0, 0, param++);
        TakeLog();
    }
    // Marks per item: F focused and selected, f focused, s selected.
    void Setup(const char* marks) {
        for (int i = 0; marks[i]; ++i)
            if (marks[i] == 'F' || marks[i] == 'f') SetState(i, marks[i] == 'F' ? kBoth : LVIS_FOCUSED, kBoth);
        for (int i = 0; marks[i]; ++i)
            if (marks[i] == 's') SetState(i, LVIS_SELECTED, LVIS_SELECTED);
        TakeLog();
    }
    std::string States() {
        std::string marks;
        for (LRESULT i = 0; i < SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); ++i)
            marks += "-fsF"[SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(i), kBoth) & kBoth];
        return marks;
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

// LVS_SORTASCENDING places each new item by its text, whatever index is
// asked for.
TEST_F(ListView, SortedInsertionPositions) {
    struct Case {
        const char* text;
        int at;  // where the item lands
    };
    const Case cases[] = {
        {"Studio", 0}, {"games", 0}, {"Games", 1}, {"zeta", 3}, {"new_string", 2},
        {"new_string1", 3}, {"10", 0}, {"_x", 0}, {"Newer", 6},  // punctuation sorts before digits, digits before letters
    };
    for (const Case& c : cases) EXPECT_EQ(Insert(c.text, 0, 99), c.at) << c.text;
    EXPECT_EQ(Items(), "_x,10,games,Games,new_string,new_string1,Newer,Studio,zeta");
    EXPECT_EQ(TakeLog().size(), std::size(cases)) << "one LVN_INSERTITEM each";
}

// The order of the Western locale's word sort, as the real control sorts:
// case is only a tie-break (lower first), apostrophes and hyphens count
// only after that (one further right sorts first), and punctuation, digits
// and letters come in the order of each list.  Each list is inserted
// scrambled and must come out as it stands.
TEST_F(ListView, SortOrder) {
    const std::vector<std::vector<std::string>> orders = {
        {"'",    "-",    " ",    "!",    "\"",   "#",     "$",    "%",    "&",    "(",    ")",   "*",
         ",",    ".",    "/",    ":",    ";",    "?",     "@",    "[",    "\\",   "]",    "^",   "_",
         "`",    "{",    "|",    "}",    "~",    "+",     "<",    "=",    ">",    "0",    "9",   "a",
         "a",    "a'",   "a-",   "'a",   "-a",   "A",     "a b",  "a!",   "a_",   "a0",   "ab",  "ab'",
         "ab-",  "a'b",  "a'-b", "a-b",  "a-'b", "a--b",  "-ab",  "aB",   "a-B",  "Ab",   "A-b", "abc",
         "ab-c", "a-bc", "b",    "b-a",  "new",  "NEW",   "new_string", "new_string1", "new_string10",
         "New_string2", "new1", "newstring", "new-string", "z", "Z"},
        {"alpha", "ALPHA", "beta", "Beta", "mid", "Mid", "zeta"},
        {"ab", "aB", "Ab"},
    };
    for (const auto& order : orders) {
        SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
        std::size_t n = order.size();
        // 11 is prime to every length here, so this visits each text once.
        for (std::size_t k = 0; k < n; ++k) Insert(order[(k * 11 + 3) % n].c_str());
        std::vector<std::string> got;
        for (int i = 0; i < static_cast<int>(n); ++i) got.push_back(Text(i));
        EXPECT_EQ(got, order);
    }
}

// A new text goes before the first item, from the top, that does not sort
// before it; so before the items equal to it, and, in a list whose texts
// were changed (it is not sorted again), where that walk stops.
TEST_F(ListView, InsertionIntoAListOutOfOrder) {
    struct Case {
        int renamed;
        const char* to;
        const char* positions;  // of a c e g i k zzy zzzz 0, each alone
    };
    const Case cases[] = {
        {0, "zzz", "0 0 0 0 0 0 0 5 0"}, {2, "a", "0 1 3 3 4 5 5 5 0"}, {4, "c", "0 1 2 3 5 5 5 5 0"},
        {1, "zzz", "0 1 1 1 1 1 1 5 0"}, {3, "a", "0 1 2 4 4 5 5 5 0"},
    };
    const char* probes[] = {"a", "c", "e", "g", "i", "k", "zzy", "zzzz", "0"};
    for (const Case& c : cases) {
        std::string got;
        for (const char* probe : probes) {
            Fill({"b", "d", "f", "h", "j"});
            LVITEMA set{};
            set.pszText = const_cast<char*>(c.to);
            SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(c.renamed), reinterpret_cast<LPARAM>(&set));
            got += std::string(got.empty() ? "" : " ") + std::to_string(Insert(probe));
        }
        EXPECT_EQ(got, c.positions) << "item " << c.renamed << " renamed " << c.to;
    }
    Fill({"a", "b", "c"});
    EXPECT_EQ(Insert("b", 0, 0, 7), 1) << "before the equal one";
    LVITEMA get{};
    get.mask = LVIF_PARAM;
    get.iItem = 1;
    SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&get));
    EXPECT_EQ(get.lParam, 7);
}

// LVM_SETITEMSTATE: LVN_ITEMCHANGING always, LVN_ITEMCHANGED for a change;
// the item that loses its selection or focus on the way has its own pair.
// Marks per item: F focused and selected, f focused, s selected, - none.
TEST_F(ListView, SetItemStateSequences) {
    struct Case {
        const char* before;
        int item;
        UINT state, mask;
        BOOL result;
        Log log;
        const char* after;
    };
    constexpr UINT F = LVIS_FOCUSED, S = LVIS_SELECTED;
    const Case cases[] = {
        {"---", 1, kBoth, kBoth, TRUE, {"changing 1 0->3", "changed 1 0->3"}, "-F-"},
        {"-F-", 1, kBoth, kBoth, TRUE, {"changing 1 3->3"}, "-F-"},
        {"-F-", 2, kBoth, kBoth, TRUE,
         {"changing 2 0->3", "changing 1 3->1", "changed 1 3->1", "changing 1 1->0", "changed 1 1->0", "changed 2 0->3"},
         "--F"},
        {"-F-", 0, S, S, TRUE, {"changing 0 0->2", "changing 1 3->1", "changed 1 3->1", "changed 0 0->2"}, "sf-"},
        {"-F-", 2, F, F, TRUE, {"changing 2 0->1", "changing 1 3->2", "changed 1 3->2", "changed 2 0->1"}, "-sf"},
        {"-f-", 1, kBoth, kBoth, TRUE,
         {"changing 1 1->3", "changing 1 3->2", "changed 1 3->2", "changed 1 1->3"}, "-F-"},
        {"-f-", 2, kBoth, kBoth, TRUE, {"changing 2 0->3", "changing 1 1->0", "changed 1 1->0", "changed 2 0->3"}, "--F"},
        {"---", 2, 0, F, TRUE, {"changing 2 0->0"}, "---"},
        // Every item in turn.
        {"sf-", -1, 0, S, TRUE, {"changing 0 2->0", "changed 0 2->0", "changing 1 1->1", "changing 2 0->0"}, "-f-"},
        {"-F-", -1, 0, kBoth, TRUE, {"changing 0 0->0", "changing 1 3->0", "changed 1 3->0", "changing 2 0->0"}, "---"},
        {"-F-", -1, 0, F, TRUE, {"changing 0 0->0", "changing 1 3->2", "changed 1 3->2", "changing 2 0->0"}, "-s-"},
        {"-F-", -1, kBoth, kBoth, FALSE, {}, "-F-"},  // the focus cannot go to all
        {"-F-", -1, F, F, FALSE, {}, "-F-"},
        {"-F-", -1, S, S, FALSE, {}, "-F-"},  // nor a single selection
    };
    for (const Case& c : cases) {
        Fill({"b", "d", "f"});
        Setup(c.before);
        EXPECT_EQ(SetState(c.item, c.state, c.mask), c.result) << c.before << " item " << c.item;
        EXPECT_EQ(Untagged(TakeLog()), c.log) << c.before << " item " << c.item << " state " << c.state;
        EXPECT_EQ(States(), c.after) << c.before << " item " << c.item << " state " << c.state;
    }
}

TEST_F(ListView, StatesAndTheirNotifications) {
    Fill({"a", "b", "c"});
    SetState(2, kBoth, kBoth);
    TakeLog();
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
    EXPECT_EQ(States(), "--F");
    g_notifyAnswer = nullptr;
}

// An item inserted with states takes them before LVN_INSERTITEM.  While it
// takes the focus, the focus index has not followed the items yet: the
// item that now stands at the old index loses a focus it never had, and
// the item that had it just keeps the selection it loses.
TEST_F(ListView, InsertionWithStates) {
    struct Case {
        const char* before;
        const char* text;
        UINT state;
        Log log;
        const char* after;
    };
    const Case cases[] = {
        {"---", "c", kBoth, {"changing 1 0->3", "changed 1 0->3", "insert 1"}, "-F--"},
        {"-F-", "a", kBoth,
         {"changing 0 0->3", "changing 2 2->0", "changed 2 2->0", "changing 1 1->0", "changed 1 1->0",
          "changed 0 0->3", "insert 0"},
         "F---"},
        {"-F-", "c", kBoth,
         {"changing 1 0->3", "changing 2 2->0", "changed 2 2->0", "changing 1 3->2", "changed 1 3->2",
          "changed 1 0->3", "insert 1"},
         "-F--"},
        {"-F-", "e", kBoth,
         {"changing 2 0->3", "changing 1 3->1", "changed 1 3->1", "changing 1 1->0", "changed 1 1->0",
          "changed 2 0->3", "insert 2"},
         "--F-"},
        {"-f-", "a", kBoth, {"changing 0 0->3", "changing 1 1->0", "changed 1 1->0", "changed 0 0->3", "insert 0"},
         "F---"},
        {"-f-", "c", kBoth, {"changing 1 0->3", "changing 1 3->2", "changed 1 3->2", "changed 1 0->3", "insert 1"},
         "-F--"},
        {"-s-", "a", kBoth, {"changing 0 0->3", "changing 2 2->0", "changed 2 2->0", "changed 0 0->3", "insert 0"},
         "F---"},
        {"-F-", "c", LVIS_FOCUSED,
         {"changing 1 0->1", "changing 1 1->0", "changed 1 1->0", "changed 1 0->1", "insert 1"}, "-fs-"},
        {"-F-", "e", LVIS_FOCUSED,
         {"changing 2 0->1", "changing 1 3->2", "changed 1 3->2", "changed 2 0->1", "insert 2"}, "-sf-"},
        // Selected only: the focus index has followed its item by then,
        // unless the new item takes the focused one's place.
        {"-F-", "a", LVIS_SELECTED,
         {"changing 0 0->2", "changing 2 3->1", "changed 2 3->1", "changed 0 0->2", "insert 0"}, "s-f-"},
        {"-F-", "c", LVIS_SELECTED,
         {"changing 1 0->2", "changing 2 2->0", "changed 2 2->0", "changed 1 0->2", "insert 1"}, "-s--"},
        {"-F-", "e", LVIS_SELECTED,
         {"changing 2 0->2", "changing 1 3->1", "changed 1 3->1", "changed 2 0->2", "insert 2"}, "-fs-"},
        // Without states the focus and selection stay with their items.
        {"-F-", "a", 0, {"insert 0"}, "--F-"},
        {"-F-", "c", 0, {"insert 1"}, "--F-"},
        {"-F-", "e", 0, {"insert 2"}, "-F--"},
        {"-s-", "c", 0, {"insert 1"}, "--s-"},
    };
    for (const Case& c : cases) {
        Fill({"b", "d", "f"});
        Setup(c.before);
        Insert(c.text, c.state, 0, 7);
        EXPECT_EQ(Untagged(TakeLog()), c.log) << c.before << " + " << c.text << " state " << c.state;
        EXPECT_EQ(States(), c.after) << c.before << " + " << c.text << " state " << c.state;
    }

    // The new item's first LVN_ITEMCHANGING comes before its lParam is set.
    Fill({"b", "d", "f"});
    Setup("-F-");
    std::vector<LPARAM> params;
    g_notifyAnswer = [&](HWND, const NMHDR* hdr) -> LRESULT {
        params.push_back(reinterpret_cast<const NMLISTVIEW*>(hdr)->lParam);
        return 0;
    };
    Insert("c", kBoth, 0, 7);
    g_notifyAnswer = nullptr;
    EXPECT_EQ(params, (std::vector<LPARAM>{0, 101, 101, 7, 7, 7, 7}));
}

// A deleted item gives up its states first; a focus it had goes, without a
// word, to the item that takes its place, or to the one before it when it
// was the last; nothing stays selected.
TEST_F(ListView, DeletionPassesTheFocusOn) {
    struct Case {
        const char* before;
        int item;
        Log log;
        const char* after;
    };
    const Case cases[] = {
        {"-F-", 1, {"changing 1 3->0", "changed 1 3->0", "delete 1"}, "-f"},
        {"--F", 2, {"changing 2 3->0", "changed 2 3->0", "delete 2"}, "-f"},
        {"F--", 0, {"changing 0 3->0", "changed 0 3->0", "delete 0"}, "f-"},
        {"-f-", 1, {"changing 1 1->0", "changed 1 1->0", "delete 1"}, "-f"},
        {"-s-", 1, {"changing 1 2->0", "changed 1 2->0", "delete 1"}, "--"},
        {"-F-", 0, {"changing 0 0->0", "delete 0"}, "F-"},
        {"--F", 0, {"changing 0 0->0", "delete 0"}, "-F"},
        {"F--", 2, {"changing 2 0->0", "delete 2"}, "F-"},
    };
    for (const Case& c : cases) {
        Fill({"b", "d", "f"});
        Setup(c.before);
        EXPECT_TRUE(SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(c.item), 0));
        EXPECT_EQ(Untagged(TakeLog()), c.log) << c.before << " delete " << c.item;
        EXPECT_EQ(States(), c.after) << c.before << " delete " << c.item;
    }
    Fill({"b"});
    Setup("F");
    SendMessageA(list, LVM_DELETEITEM, 0, 0);
    EXPECT_EQ(Next(-1, LVNI_FOCUSED), -1) << "no item left to take it";
    EXPECT_FALSE(SendMessageA(list, LVM_DELETEITEM, 5, 0));
    Fill({"b", "d", "f"});
    EXPECT_TRUE(SendMessageA(list, LVM_DELETEALLITEMS, 0, 0));
    EXPECT_EQ(Untagged(TakeLog()), (Log{"deleteall", "delete 2", "delete 1", "delete 0"}));
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
    TakeLog();
    EXPECT_TRUE(SendMessageA(list, LVM_SETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&set)));
    EXPECT_EQ(Items(), "Games,Arcade") << "a text set by program stays where it is";
    EXPECT_TRUE(SendMessageA(list, LVM_SETITEMTEXTA, 1, reinterpret_cast<LPARAM>(&set)));
    EXPECT_EQ(Untagged(TakeLog()), (Log{"changing 1 0->0 text", "changed 1 0->0 text", "changing 1 0->0 text"}))
        << "the same text again changes nothing";
    SendMessageA(list, LVM_ARRANGE, LVA_DEFAULT, 0);
    EXPECT_EQ(Items(), "Games,Arcade") << "nor does arranging sort";

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

// LVM_EDITLABELA: the item becomes the focused and selected one, the
// parent hears LVN_BEGINLABELEDITA and may refuse; the editor (an "Edit"
// of id 0) reports to the list view's parent.  Enter ends the edit with
// the edit's text, and the parent's TRUE sets it (the list does not sort
// it into place); Escape cancels.
TEST_F(ListView, LabelEditing) {
    Fill({"alpha", "beta", "gamma"});
    g_notifyAnswer = [](HWND, const NMHDR* hdr) -> LRESULT { return hdr->code == LVN_ENDLABELEDITA; };
    HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 0, 0));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0)), edit);
    EXPECT_EQ(TextOf(edit), "alpha");
    char name[16] = "";
    GetClassNameA(edit, name, sizeof name);
    EXPECT_STREQ(name, "Edit");
    EXPECT_EQ(GetDlgCtrlID(edit), 0);
    EXPECT_EQ(GetParent(edit), list);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(Untagged(TakeLog()),
              (Log{"changing 0 0->3", "changed 0 0->3", "beginedit 0 \"alpha\"", "command 0 256"}));  // EN_SETFOCUS

    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("zulu"));
    EXPECT_EQ(TakeLog(), (Log{"command 0 768"})) << "EN_CHANGE, not EN_UPDATE";
    SendMessageA(edit, WM_CHAR, VK_RETURN, 0);
    EXPECT_TRUE(IsWindow(edit)) << "a typed Enter is no key press";
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0), 0);
    EXPECT_EQ(GetFocus(), list) << "the focus goes back to the list";
    EXPECT_EQ(Untagged(TakeLog()),
              (Log{"endedit 0 \"zulu\"", "changing 0 0->0 text", "changed 0 0->0 text", "setfocus"}));
    EXPECT_EQ(Items(), "zulu,beta,gamma");
    EXPECT_EQ(States(), "F--");

    // Escape: LVN_ENDLABELEDITA without a text; nothing changes.  The list
    // had the focus this time and tells its parent it lost it.
    edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 0, 0));
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("omega"));
    EXPECT_EQ(Untagged(TakeLog()),
              (Log{"changing 0 3->3", "beginedit 0 \"zulu\"", "killfocus", "command 0 256", "command 0 768"}));
    SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(Untagged(TakeLog()), (Log{"endedit 0 null", "setfocus"}));
    EXPECT_EQ(Items(), "zulu,beta,gamma");

    // Another item: the old one loses its selection before the new one
    // changes.
    edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 2, 0));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(Untagged(TakeLog()),
              (Log{"changing 0 3->1", "changed 0 3->1", "changing 2 0->3", "changing 0 1->0", "changed 0 1->0",
                   "changed 2 0->3", "beginedit 2 \"gamma\"", "killfocus", "command 0 256"}));
    // A second LVM_EDITLABELA cancels the open edit; -1 just cancels.
    HWND second = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 1, 0));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0)), second);
    Log log = Untagged(TakeLog());
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "endedit 2 null");
    EXPECT_EQ(SendMessageA(list, LVM_EDITLABELA, static_cast<WPARAM>(-1), 0), 0);
    EXPECT_FALSE(IsWindow(second));
    EXPECT_EQ(Untagged(TakeLog()), (Log{"endedit 1 null", "setfocus"}));

    // The parent's FALSE drops the new text.
    g_notifyAnswer = nullptr;
    edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 1, 0));
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("delta"));
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(Items(), "zulu,beta,gamma");

    // A parent that refuses to begin: no editor.
    g_notifyAnswer = [](HWND, const NMHDR* hdr) -> LRESULT { return hdr->code == LVN_BEGINLABELEDITA; };
    EXPECT_EQ(SendMessageA(list, LVM_EDITLABELA, 1, 0), 0);
    EXPECT_EQ(SendMessageA(list, LVM_GETEDITCONTROL, 0, 0), 0);
    EXPECT_EQ(SendMessageA(list, LVM_EDITLABELA, 7, 0), 0) << "no such item";
}

// The text LVN_ENDLABELEDITA carries: null when the edit left the text
// empty or as it was (case counts), whether Enter or a focus change ends it.
TEST_F(ListView, TextTheEditEndsWith) {
    struct Case {
        std::vector<const char*> typed;  // texts set in the editor, in turn
        bool byFocus;
        const char* ended;  // null: none given
        const char* item;
    };
    const Case cases[] = {
        {{"x"}, false, "x", "x"},      {{"D"}, false, "D", "D"},    {{"x", "d"}, false, nullptr, "d"},
        {{""}, false, nullptr, "d"},   {{}, false, nullptr, "d"},   {{"d"}, true, nullptr, "d"},
        {{"x", "d"}, true, nullptr, "d"}, {{"x"}, true, "x", "x"},
    };
    for (const Case& c : cases) {
        Fill({"b", "d", "f"});
        std::string ended = "none";
        g_notifyAnswer = [&](HWND, const NMHDR* hdr) -> LRESULT {
            if (hdr->code != LVN_ENDLABELEDITA) return 0;
            const char* text = reinterpret_cast<const NMLVDISPINFOA*>(hdr)->item.pszText;
            ended = text ? text : "null";
            return TRUE;
        };
        HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 1, 0));
        ASSERT_NE(edit, nullptr);
        for (const char* text : c.typed) SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        if (c.byFocus)
            SetFocus(GetDlgItem(dlg, IDC_PUSH));
        else
            SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
        std::string typed;
        for (const char* text : c.typed) typed += std::string("\"") + text + "\" ";
        EXPECT_EQ(ended, c.ended ? c.ended : "null") << typed << (c.byFocus ? "focus" : "Enter");
        EXPECT_EQ(Text(1), c.item) << typed << (c.byFocus ? "focus" : "Enter");
        g_notifyAnswer = nullptr;
    }
}

// A parent that sets the text itself while it handles the end, as the
// mixer page does, and answers TRUE: the list's own setting then finds the
// text already there.
TEST_F(ListView, ParentSetsTheEditedText) {
    Fill({"b", "d", "f"});
    HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 1, 0));
    HWND view = list;
    g_notifyAnswer = [&](HWND, const NMHDR* hdr) -> LRESULT {
        if (hdr->code != LVN_ENDLABELEDITA) return 0;
        const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(hdr);
        LVITEMA set{};
        set.pszText = info->item.pszText;
        SendMessageA(view, LVM_SETITEMTEXTA, static_cast<WPARAM>(info->item.iItem), reinterpret_cast<LPARAM>(&set));
        return TRUE;
    };
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
    TakeLog();
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    g_notifyAnswer = nullptr;
    EXPECT_EQ(Untagged(TakeLog()), (Log{"endedit 1 \"x\"", "changing 1 0->0 text", "changed 1 0->0 text",
                                        "changing 1 0->0 text", "setfocus"}));
    EXPECT_EQ(Items(), "b,x,f");
}

// Losing the focus ends an edit and keeps its text, as a click elsewhere does.
TEST_F(ListView, LabelEditEndsWhenTheFocusLeaves) {
    Insert("alpha");
    g_notifyAnswer = [](HWND, const NMHDR* hdr) -> LRESULT { return hdr->code == LVN_ENDLABELEDITA; };
    HWND edit = reinterpret_cast<HWND>(SendMessageA(list, LVM_EDITLABELA, 0, 0));
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("omega"));
    TakeLog();
    SendMessageA(GetDlgItem(dlg, IDC_PUSH), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(edit));
    EXPECT_EQ(Items(), "omega");
    EXPECT_EQ(Untagged(TakeLog()), (Log{"endedit 0 \"omega\"", "changing 0 0->0 text", "changed 0 0->0 text",
                                        "command 12 0"}))
        << "no EN_KILLFOCUS passed on, no NM_SETFOCUS";
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
    EXPECT_EQ(Untagged(TakeLog()), (Log{"releasedcapture", "dblclick 1", "activate 1"})) << "no state changes";

    DWORD pos = GetMessagePos();
    POINT pt{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
    ScreenToClient(list, &pt);
    EXPECT_EQ(ChildWindowFromPoint(list, pt), list);
    LVHITTESTINFO hit{};
    hit.pt = pt;
    EXPECT_EQ(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)), 1);
    EXPECT_NE(hit.flags & LVHT_ONITEM, 0u);

    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(140, 100));
    EXPECT_EQ(Untagged(TakeLog()), (Log{"releasedcapture", "dblclick -1"})) << "on no item";
}

// Keys: LVN_KEYDOWN first, then the arrows move the focus and selection
// as a click does; Delete deletes nothing.
TEST_F(ListView, Keys) {
    Fill({"a", "b", "c"});
    Setup("F--");
    SendMessageA(list, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(TakeLog(), (Log{"notify 16 keydown 46"}));
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Untagged(TakeLog()), (Log{"keydown 40", "changing 0 3->1", "changed 0 3->1", "changing 1 0->3",
                                        "changing 0 1->0", "changed 0 1->0", "changed 1 0->3"}));
    EXPECT_EQ(States(), "-F-");
    SendMessageA(list, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(Next(-1, LVNI_FOCUSED), 2);
    TakeLog();
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(TakeLog(), (Log{"notify 16 keydown 40"})) << "stays at the last item";
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
