// The property sheet: lazy pages, leaving a page, OK, Apply and Cancel,
// and what PropertySheetA answers.
#include "user_support.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

using Log = std::vector<std::string>;
using Action = std::function<void(HWND sheet)>;

const char* const kNames[] = {"A", "B", "C"};

struct PageAnswers {
    LRESULT killActive = 0;  // TRUE refuses to let the page go
    LRESULT apply = PSNRET_NOERROR;
    LRESULT queryCancel = 0;
};

Log g_events;
PageAnswers g_answers[3];
HWND g_pages[3];
const PROPSHEETPAGEA* g_records[3];
std::deque<Action> g_actions;

INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(lp);
        SetWindowLongA(page, DWL_USER, static_cast<LONG>(record->lParam));
        g_pages[record->lParam] = page;
        g_records[record->lParam] = record;
        g_events.push_back(std::string(kNames[record->lParam]) + " init");
        return TRUE;
    }
    if (msg != WM_NOTIFY) return FALSE;
    int index = GetWindowLongA(page, DWL_USER);
    const PageAnswers& answers = g_answers[index];
    auto* n = reinterpret_cast<const PSHNOTIFY*>(lp);
    std::string name = kNames[index];
    LRESULT result = 0;
    switch (n->hdr.code) {
    case PSN_SETACTIVE: g_events.push_back(name + " setactive"); break;
    case PSN_KILLACTIVE: g_events.push_back(name + " killactive"); result = answers.killActive; break;
    case PSN_APPLY:
        g_events.push_back(name + (n->lParam ? " apply ok" : " apply"));
        result = answers.apply;
        break;
    case PSN_QUERYCANCEL: g_events.push_back(name + " querycancel"); result = answers.queryCancel; break;
    case PSN_RESET: g_events.push_back(name + (n->lParam ? " reset by the close box" : " reset")); break;
    default: return FALSE;
    }
    EXPECT_EQ(n->hdr.hwndFrom, GetParent(page)) << "notifications come from the sheet";
    SetWindowLongA(page, DWL_MSGRESULT, static_cast<LONG>(result));
    return TRUE;
}

int Step(void*, HWND sheet) {
    if (g_actions.empty()) return 0;
    Action action = g_actions.front();
    g_actions.pop_front();
    action(sheet);
    return 1;
}

class Sheet : public ::testing::Test {
protected:
    void SetUp() override {
        g_events.clear();
        for (PageAnswers& a : g_answers) a = PageAnswers{};
        for (HWND& p : g_pages) p = nullptr;
        g_actions.clear();
        static const int templates[] = {IDD_PAGE_A, IDD_PAGE_B, IDD_PAGE_C};
        for (int i = 0; i < 3; ++i) {
            PROPSHEETPAGEA& page = pages[i];
            page = PROPSHEETPAGEA{};
            page.dwSize = sizeof(PROPSHEETPAGEA);
            page.dwFlags = i == 2 ? PSP_DEFAULT : PSP_USETITLE;  // the third takes its template's caption
            page.hInstance = GetModuleHandleA(nullptr);
            page.pszTemplate = MAKEINTRESOURCEA(templates[i]);
            page.pszTitle = i == 0 ? "First" : "Second";
            page.pfnDlgProc = PageProc;
            page.lParam = i;
        }
        header = PROPSHEETHEADERA{};
        header.dwSize = sizeof header;
        header.dwFlags = PSH_PROPSHEETPAGE;
        header.hInstance = GetModuleHandleA(nullptr);
        header.pszCaption = "Test Properties";
        header.nPages = 3;
        header.nStartPage = 0;
        header.ppsp = pages;
        HostUserAgent agent{Step, nullptr, nullptr};
        HostSetUserAgent(&agent, nullptr);
    }
    void TearDown() override {
        HostSetUserAgent(nullptr, nullptr);
        EXPECT_EQ(HostLiveWindowCount(), 0) << "the sheet leaves no window behind";
    }
    INT_PTR Run(std::initializer_list<Action> actions) {
        g_actions.assign(actions.begin(), actions.end());
        return PropertySheetA(&header);
    }
    PROPSHEETPAGEA pages[3];
    PROPSHEETHEADERA header;
};

Action Select(int index, BOOL expected = TRUE) {
    return [=](HWND sheet) {
        EXPECT_EQ(SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0), expected) << "page " << index;
    };
}
Action Press(WPARAM button) {
    return [=](HWND sheet) { SendMessageA(sheet, PSM_PRESSBUTTON, button, 0); };
}
Action Changed(int page) {
    return [=](HWND sheet) { SendMessageA(sheet, PSM_CHANGED, reinterpret_cast<WPARAM>(g_pages[page]), 0); };
}
Action Tell(UINT msg) {
    return [=](HWND sheet) { SendMessageA(sheet, msg, 0, 0); };
}

// Only the pages shown are made, each the first time it is shown; the
// sheet has its caption, its tabs and buttons, Apply disabled.
TEST_F(Sheet, PagesAreMadeWhenFirstShown) {
    header.nStartPage = 1;
    HWND seenSheet = nullptr;
    INT_PTR result = Run({
        [&](HWND sheet) {
            seenSheet = sheet;
            EXPECT_EQ(TextOf(sheet), "Test Properties");
            HWND tab = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
            EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 3);
            EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 1);
            char title[32];
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = title;
            item.cchTextMax = sizeof title;
            const char* titles[] = {"First", "Second", "Gamma"};
            for (int i = 0; i < 3; ++i) {
                SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
                EXPECT_STREQ(title, titles[i]);
            }
            HWND current = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
            EXPECT_EQ(current, g_pages[1]);
            EXPECT_EQ(GetParent(current), sheet);
            EXPECT_TRUE(IsWindowVisible(current));
            EXPECT_TRUE(IsWindowEnabled(current)) << "the sheet enables its pages";
            EXPECT_EQ(g_pages[0], nullptr);
            for (int id : {IDOK, IDCANCEL, IDC_APPLY_BUTTON}) EXPECT_NE(GetDlgItem(sheet, id), nullptr) << id;
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, IDC_APPLY_BUTTON)));
        },
        Select(2),
        [](HWND) { EXPECT_FALSE(IsWindowVisible(g_pages[1])); },
        Select(1),
        Select(3, FALSE),
    });
    EXPECT_EQ(result, 0);
    EXPECT_NE(seenSheet, nullptr);
    EXPECT_EQ(g_events, (Log{"B init", "B setactive", "B killactive", "C init", "C setactive", "C killactive",
                             "B setactive", "B querycancel", "B reset", "C reset"}));
}

TEST_F(Sheet, APageMayRefuseToBeLeft) {
    g_answers[0].killActive = TRUE;
    Run({Select(1, FALSE), [](HWND sheet) {
             EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)), g_pages[0]);
         },
         Changed(0), Press(PSBTN_OK)});
    // OK asks the current page first, and stops there.
    EXPECT_EQ(g_events, (Log{"A init", "A setactive", "A killactive", "A killactive", "A querycancel", "A reset"}));
}

// OK and Apply: PSN_KILLACTIVE to the current page, then PSN_APPLY to each
// page made, in page order.
TEST_F(Sheet, ApplyGoesToEveryPageMade) {
    INT_PTR result = Run({Select(2), Changed(2), Press(PSBTN_OK)});
    EXPECT_EQ(result, 1);
    EXPECT_EQ(g_events,
              (Log{"A init", "A setactive", "A killactive", "C init", "C setactive", "C killactive", "A apply ok",
                   "C apply ok"}));
}

// PSM_PRESSBUTTON presses Apply even while the button is disabled, as the
// real sheet does.
TEST_F(Sheet, ApplyDisablesItselfAndReactivates) {
    INT_PTR result = Run({
        Changed(0),
        [](HWND sheet) { EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, IDC_APPLY_BUTTON))); },
        Press(PSBTN_APPLYNOW),
        [](HWND sheet) { EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, IDC_APPLY_BUTTON))); },
        Press(PSBTN_APPLYNOW),
        [](HWND sheet) { EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, IDC_APPLY_BUTTON))); },
        Press(PSBTN_CANCEL),
    });
    EXPECT_EQ(result, 0) << "cancelled, although changes were applied";
    EXPECT_EQ(g_events, (Log{"A init", "A setactive", "A killactive", "A apply", "A setactive", "A killactive",
                             "A apply", "A setactive", "A querycancel", "A reset"}));
}

TEST_F(Sheet, UnchangedDisablesApplyWhenNoPageIsChanged) {
    Run({Select(1), Changed(0), Changed(1), Tell(0), [](HWND sheet) {
             SendMessageA(sheet, PSM_UNCHANGED, reinterpret_cast<WPARAM>(g_pages[0]), 0);
             EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, IDC_APPLY_BUTTON))) << "page B is still changed";
             SendMessageA(sheet, PSM_UNCHANGED, reinterpret_cast<WPARAM>(g_pages[1]), 0);
             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(sheet, IDC_APPLY_BUTTON)));
         }});
}

// A page that answers PSNRET_INVALID is shown and keeps the sheet open;
// the pages after it are not asked.
TEST_F(Sheet, InvalidKeepsTheSheetOnThatPage) {
    g_answers[1].apply = PSNRET_INVALID;
    INT_PTR result = Run({
        Select(1),
        Select(2),
        Changed(2),
        Press(PSBTN_OK),
        [](HWND sheet) {
            EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)), g_pages[1]);
            HWND tab = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
            EXPECT_EQ(SendMessageA(tab, TCM_GETCURSEL, 0, 0), 1);
            EXPECT_TRUE(IsWindowVisible(g_pages[1]));
            EXPECT_FALSE(IsWindowVisible(g_pages[2]));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(sheet, IDC_APPLY_BUTTON))) << "still changed";
            g_events.push_back("still open");
            g_answers[1].apply = PSNRET_INVALID_NOCHANGEPAGE;
        },
        Select(2),
        Press(PSBTN_OK),
        [](HWND sheet) {
            EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)), g_pages[2]);
            g_events.push_back("still open");
        },
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(g_events, (Log{"A init", "A setactive", "A killactive", "B init", "B setactive", "B killactive",
                             "C init", "C setactive", "C killactive", "A apply ok", "B apply ok", "still open",
                             "B killactive", "C setactive", "C killactive", "A apply ok", "B apply ok", "still open",
                             "C querycancel", "A reset", "B reset", "C reset"}));
}

TEST_F(Sheet, Results) {
    struct Case {
        const char* name;
        std::vector<Action> actions;
        INT_PTR result;
    };
    // 1 whenever OK closes the sheet, 0 whenever it is cancelled, unless a
    // page asked for a reboot or a restart.
    const Case cases[] = {
        {"cancel", {Press(PSBTN_CANCEL)}, 0},
        {"nothing more to do", {}, 0},
        {"OK without a change", {Press(PSBTN_OK)}, 1},
        {"OK after a change", {Changed(0), Press(PSBTN_OK)}, 1},
        {"apply, then cancel", {Changed(0), Press(PSBTN_APPLYNOW), Press(PSBTN_CANCEL)}, 0},
        {"apply, then OK", {Changed(0), Press(PSBTN_APPLYNOW), Press(PSBTN_OK)}, 1},
        {"the close box", {Tell(WM_CLOSE)}, 0},
        {"restart asked", {Tell(PSM_RESTARTWINDOWS), Press(PSBTN_CANCEL)}, ID_PSRESTARTWINDOWS},
        {"restart asked, then OK", {Tell(PSM_RESTARTWINDOWS), Press(PSBTN_OK)}, ID_PSRESTARTWINDOWS},
        {"reboot asked, then cancel", {Tell(PSM_REBOOTSYSTEM), Press(PSBTN_CANCEL)}, ID_PSREBOOTSYSTEM},
        {"reboot asked, then the close box", {Tell(PSM_REBOOTSYSTEM), Tell(WM_CLOSE)}, ID_PSREBOOTSYSTEM},
        {"reboot asked", {Tell(PSM_RESTARTWINDOWS), Tell(PSM_REBOOTSYSTEM), Changed(0), Press(PSBTN_OK)},
         ID_PSREBOOTSYSTEM},
        {"the cancel refused", {Tell(0)}, 0},
    };
    for (const Case& c : cases) {
        g_events.clear();
        g_answers[0].queryCancel = std::string(c.name) == "the cancel refused";
        g_actions.assign(c.actions.begin(), c.actions.end());
        EXPECT_EQ(PropertySheetA(&header), c.result) << c.name;
        EXPECT_EQ(HostLiveWindowCount(), 0) << c.name;
    }
}

// A refused Cancel keeps the sheet open; once the user has nothing more to
// do it closes all the same.
TEST_F(Sheet, RefusedCancel) {
    g_answers[0].queryCancel = TRUE;
    Run({Press(PSBTN_CANCEL), [](HWND) { g_events.push_back("still open"); }});
    EXPECT_EQ(g_events, (Log{"A init", "A setactive", "A querycancel", "still open", "A querycancel", "A reset"}));
}

// The close box cancels as the Cancel button does, but tells the pages so.
TEST_F(Sheet, TheCloseBoxCancels) {
    EXPECT_EQ(Run({Select(1), Tell(WM_CLOSE)}), 0);
    EXPECT_EQ(g_events, (Log{"A init", "A setactive", "A killactive", "B init", "B setactive", "B querycancel",
                             "A reset by the close box", "B reset by the close box"}));
}

TEST_F(Sheet, WithoutAUserTheSheetIsCancelled) {
    HostSetUserAgent(nullptr, nullptr);
    EXPECT_EQ(PropertySheetA(&header), 0);
    EXPECT_EQ(g_events, (Log{"A init", "A setactive", "A querycancel", "A reset"}));
}

TEST_F(Sheet, HeadersItCannotUse) {
    EXPECT_EQ(PropertySheetA(nullptr), -1);
    PROPSHEETHEADERA h = header;
    h.dwSize = 12;
    EXPECT_EQ(PropertySheetA(&h), -1) << "too small";
    h = header;
    h.nPages = 0;
    EXPECT_EQ(PropertySheetA(&h), -1) << "no pages";
    h = header;
    h.dwFlags = 0;
    EXPECT_EQ(PropertySheetA(&h), -1) << "page handles, which this sheet does not make";
    pages[1].pszTemplate = MAKEINTRESOURCEA(999);
    EXPECT_EQ(PropertySheetA(&header), -1) << "a page without its template";
    pages[1].pszTemplate = MAKEINTRESOURCEA(IDD_PAGE_B);
    pages[1].dwSize = 8;
    EXPECT_EQ(PropertySheetA(&header), -1) << "a page record too small";
    EXPECT_TRUE(g_events.empty());
}

// Page records are stepped by their own size; a page gets its record, with
// what follows it, as the WM_INITDIALOG parameter.
TEST_F(Sheet, PageRecordsOfTheirOwnSize) {
    struct LongPage {
        PROPSHEETPAGEA page;
        int extra;
    } records[2];
    for (int i = 0; i < 2; ++i) {
        records[i].page = pages[i];
        records[i].page.dwSize = sizeof(LongPage);
        records[i].extra = 100 + i;
    }
    header.nPages = 2;
    header.ppsp = &records[0].page;
    header.nStartPage = 1;
    INT_PTR result = Run({[](HWND) {
        EXPECT_EQ(reinterpret_cast<const LongPage*>(g_records[1])->extra, 101);
        EXPECT_EQ(g_records[1]->lParam, 1);
    }});
    EXPECT_EQ(result, 0);
    ASSERT_FALSE(g_events.empty());
    EXPECT_EQ(g_events.front(), "B init");
}

}  // namespace
