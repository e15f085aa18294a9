// The table dispatch with small tables of recording handlers, the pieces
// of the page skeleton, and the exchange helpers on real controls of a
// page made from the General page's template.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "applet_support.h"

namespace {

// ---- recording handlers ----------------------------------------------------------

std::vector<std::string> calls;

std::string Describe(const char* name, HWND page, UINT a, WPARAM b, LPARAM c) {
    return std::string(name) + " " + std::to_string(reinterpret_cast<std::uintptr_t>(page)) + " " +
           std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c);
}

template <int N>
LRESULT MessageHandler(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    calls.push_back(Describe(("message" + std::to_string(N)).c_str(), page, msg, wp, lp));
    return 100 + N;
}

template <int N>
LRESULT CommandHandler(HWND page, WORD id, WORD code, HWND control) {
    calls.push_back(Describe(("command" + std::to_string(N)).c_str(), page, id, code,
                             reinterpret_cast<LPARAM>(control)));
    return 200 + N;
}

HWND FakePage() {
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));
}

constexpr PageMessageEntry kMessages[] = {
    {WM_USER + 1, MessageHandler<1>},
    {WM_USER + 2, MessageHandler<2>},
    {WM_USER + 1, MessageHandler<3>},  // shadowed by the first entry
};

TEST(Dispatch, FirstMatchingMessageEntryAnswers) {
    const PageMessageTable table = MakeMessageTable(kMessages);
    struct Case {
        UINT msg;
        LRESULT answer;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {WM_USER + 1, 101, {"message1 4660 1025 7 -9"}},
        {WM_USER + 2, 102, {"message2 4660 1026 7 -9"}},
        {WM_USER + 3, 0, {}},
    };
    for (const Case& c : cases) {
        calls.clear();
        EXPECT_EQ(DispatchPageMessage(table, FakePage(), c.msg, 7, -9), c.answer) << "message " << c.msg;
        EXPECT_EQ(calls, c.calls) << "message " << c.msg;
    }
}

constexpr PageCommandEntry kCommands[] = {
    {100, CommandHandler<1>},
    {0, nullptr},  // inert: passed over
    {300, nullptr},
    {0, CommandHandler<2>},
    {200, CommandHandler<3>},  // after the catch-all: never reached
};
constexpr PageCommandEntry kSpecificOnly[] = {
    {100, CommandHandler<1>},
};
constexpr PageCommandEntry kInertOnly[] = {
    {0, nullptr},
};

TEST(Dispatch, CommandsGoToTheFirstApplyingHandler) {
    struct Case {
        const char* name;
        PageCommandTable table;
        WORD id;
        WORD code;
        LRESULT answer;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"specific entry", MakeCommandTable(kCommands), 100, 5, 201, {"command1 4660 100 5 77"}},
        {"catch-all", MakeCommandTable(kCommands), 150, 1, 202, {"command2 4660 150 1 77"}},
        {"inert specific entry", MakeCommandTable(kCommands), 300, 0, 202, {"command2 4660 300 0 77"}},
        {"listed after the catch-all", MakeCommandTable(kCommands), 200, 0, 202, {"command2 4660 200 0 77"}},
        {"no entry applies", MakeCommandTable(kSpecificOnly), 101, 0, 0, {}},
        {"only an inert entry", MakeCommandTable(kInertOnly), 100, 0, 0, {}},
    };
    for (const Case& c : cases) {
        calls.clear();
        LRESULT got = DispatchPageCommand(c.table, FakePage(), MAKEWPARAM(c.id, c.code), 77);
        EXPECT_EQ(got, c.answer) << c.name;
        EXPECT_EQ(calls, c.calls) << c.name;
    }
}

TEST(Dispatch, ChangeNotifications) {
    for (WORD code = 0; code < 12; ++code) {
        bool expected = code == BN_CLICKED || code == CBN_SELCHANGE || code == CBN_EDITCHANGE;
        EXPECT_EQ(IsChangeNotification(code), expected) << "code " << code;
    }
    EXPECT_FALSE(IsChangeNotification(EN_CHANGE));
    EXPECT_FALSE(IsChangeNotification(EN_UPDATE));
}

TEST(Dispatch, HelpWithoutARecordAsksNothing) {
    RecordingAgent agent;
    EXPECT_EQ(ShowPageHelp(0, nullptr), 0);
    EXPECT_TRUE(agent.helps.empty());
}

// ---- on a real page --------------------------------------------------------------------

INT_PTR CALLBACK QuietPage(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// Default kinds: 0 answers 0, 1 and 2 hand the message on (here
// WM_GETTEXTLENGTH, which the default procedures answer with the length of
// the page's caption), any other kind answers 0.
TEST(Dispatch, DefaultKinds) {
    RunOnePageSheet(IDD_GENERAL, QuietPage, [](HWND, HWND page) {
        char caption[64] = {};
        LRESULT length = GetWindowTextA(page, caption, sizeof caption);
        ASSERT_GT(length, 0);
        const LONG kinds[] = {kDefaultAnswerZero, kDefaultWindowProc, kDefaultDialogProc, 3};
        const LRESULT expected[] = {0, length, length, 0};
        for (int i = 0; i < 4; ++i) {
            PageMessageTable none = {0, nullptr, kinds[i]};
            EXPECT_EQ(DispatchPageMessage(none, page, WM_GETTEXTLENGTH, 0, 0), expected[i]) << "kind " << kinds[i];
            EXPECT_EQ(CallDefaultProc(kinds[i], page, WM_GETTEXTLENGTH, 0, 0), expected[i]) << "kind " << kinds[i];
        }
    });
}

LONG ApplyAnswer = PSNRET_NOERROR;
int ApplyCalls = 0;

LONG RecordingApply(HWND) {
    ++ApplyCalls;
    return ApplyAnswer;
}

TEST(Dispatch, SheetNotifications) {
    struct Case {
        const char* name;
        UINT code;
        LONG applyAnswer;
        LRESULT answer;
        bool handled;
        int applyCalls;
        LONG msgResult;  // DWL_MSGRESULT afterwards; starts at 55
    };
    const Case cases[] = {
        {"apply", PSN_APPLY, PSNRET_NOERROR, 1, true, 1, PSNRET_NOERROR},
        {"failed apply", PSN_APPLY, PSNRET_INVALID, 1, true, 1, PSNRET_INVALID},
        {"kill active", PSN_KILLACTIVE, PSNRET_INVALID, 1, true, 0, 0},
        {"set active", PSN_SETACTIVE, PSNRET_INVALID, 0, false, 0, 55},
        {"reset", PSN_RESET, PSNRET_INVALID, 0, false, 0, 55},
    };
    RunOnePageSheet(IDD_GENERAL, QuietPage, [&](HWND, HWND page) {
        for (const Case& c : cases) {
            SetWindowLongA(page, DWL_MSGRESULT, 55);
            ApplyAnswer = c.applyAnswer;
            ApplyCalls = 0;
            NMHDR header = {GetParent(page), 0, c.code};
            bool handled = !c.handled;
            EXPECT_EQ(HandleSheetNotify(page, reinterpret_cast<LPARAM>(&header), RecordingApply, &handled), c.answer)
                << c.name;
            EXPECT_EQ(handled, c.handled) << c.name;
            EXPECT_EQ(ApplyCalls, c.applyCalls) << c.name;
            EXPECT_EQ(GetWindowLongA(page, DWL_MSGRESULT), c.msgResult) << c.name;
        }
    });
}

TEST(Dispatch, MarkChangedTellsTheSheet) {
    RunOnePageSheet(IDD_GENERAL, QuietPage, [](HWND sheet, HWND page) {
        HWND apply = GetDlgItem(sheet, IDC_APPLY_BUTTON);
        EXPECT_FALSE(IsWindowEnabled(apply));
        LONG changed = 0;
        EXPECT_EQ(MarkPageChanged(page, changed), 0);
        EXPECT_EQ(changed, 1);
        EXPECT_TRUE(IsWindowEnabled(apply));
    });
}

TEST(Dispatch, HelpGoesToTheItemWithTheList) {
    static const HelpIdPair ids[] = {{IDC_EFFECTS, IDC_EFFECTS}, {IDC_APM, IDC_APM}, {0, 0}};
    RecordingAgent agent;
    RunOnePageSheet(IDD_GENERAL, QuietPage, [](HWND, HWND page) {
        HELPINFO info = {};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = IDC_APM;
        info.hItemHandle = GetDlgItem(page, IDC_APM);
        EXPECT_EQ(ShowPageHelp(reinterpret_cast<LPARAM>(&info), ids), 0);
    });
    ASSERT_EQ(agent.helps.size(), 1u);
    EXPECT_EQ(agent.helps[0].file, "zpcfgpnl.hlp");
    EXPECT_EQ(agent.helps[0].command, static_cast<UINT>(HELP_WM_HELP));
    ASSERT_EQ(agent.helps[0].pairs.size(), 2u);
    EXPECT_EQ(agent.helps[0].pairs[1].controlId, static_cast<DWORD>(IDC_APM));
}

// ---- exchange ---------------------------------------------------------------------------

std::string ItemText(HWND page, int id) {
    char text[1024] = {};
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

constexpr ExchangeContext Load(HWND page) {
    return {page, 0};
}

constexpr ExchangeContext Save(HWND page) {
    return {page, 1};
}

TEST(Exchange, Text) {
    RunOnePageSheet(IDD_GENERAL, QuietPage, [](HWND, HWND page) {
        long live = HostLiveAllocations();
        char* slot = nullptr;
        SetDlgItemTextA(page, IDC_CURRENT_MIXER, "left over");
        ExchangeText(Load(page), IDC_CURRENT_MIXER, &slot);
        EXPECT_EQ(ItemText(page, IDC_CURRENT_MIXER), "") << "a null slot shows an empty field";

        slot = CopyText("Party");
        ExchangeText(Load(page), IDC_CURRENT_MIXER, &slot);
        EXPECT_EQ(ItemText(page, IDC_CURRENT_MIXER), "Party");

        SetDlgItemTextA(page, IDC_CURRENT_MIXER, std::string(600, 'x').c_str());
        ExchangeText(Save(page), IDC_CURRENT_MIXER, &slot);
        ASSERT_NE(slot, nullptr);
        EXPECT_EQ(std::string(slot), std::string(511, 'x')) << "a longer field keeps its first 511 characters";
        EXPECT_EQ(HostLiveAllocations(), live + 1) << "the old text was freed";

        HostFailAlloc(1);
        ExchangeText(Save(page), IDC_CURRENT_MIXER, &slot);
        HostFailAlloc(0);
        EXPECT_EQ(slot, nullptr) << "without memory the slot is left null";
        EXPECT_EQ(HostLiveAllocations(), live);
    });
}

TEST(Exchange, IntAndCheck) {
    RunOnePageSheet(IDD_GENERAL, QuietPage, [](HWND, HWND page) {
        LONG value = -42;
        ExchangeInt(Load(page), IDC_CURRENT_MIXER, &value);
        EXPECT_EQ(ItemText(page, IDC_CURRENT_MIXER), "-42");
        struct Case {
            const char* text;
            LONG expected;
        };
        const Case cases[] = {{"123", 123}, {"-7", -7}, {"letters", 0}, {"", 0}};
        for (const Case& c : cases) {
            value = 99;
            SetDlgItemTextA(page, IDC_CURRENT_MIXER, c.text);
            ExchangeInt(Save(page), IDC_CURRENT_MIXER, &value);
            EXPECT_EQ(value, c.expected) << '"' << c.text << '"';
        }

        for (LONG state : {1, 0, 1}) {
            LONG check = state;
            ExchangeCheck(Load(page), IDC_EFFECTS, &check);
            EXPECT_EQ(IsDlgButtonChecked(page, IDC_EFFECTS), static_cast<UINT>(state));
            check = 7;
            ExchangeCheck(Save(page), IDC_EFFECTS, &check);
            EXPECT_EQ(check, state);
        }
    });
}

// Loading by text searches from the second item and wraps round, matching
// the beginning of an item ignoring case; a text that begins no item, or
// the empty text, leaves the selection as it was.
TEST(Exchange, ComboText) {
    RunOnePageSheet(IDD_GENERAL, QuietPage, [](HWND, HWND page) {
        HWND combo = GetDlgItem(page, IDC_LANGUAGE);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("ROM"));
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("RAM"));
        struct Case {
            const char* text;  // null: a null slot
            LRESULT before;
            LRESULT after;
        };
        const Case cases[] = {
            {"R", -1, 1}, {"ro", 1, 0}, {"RAM", 0, 1}, {"rom", 1, 0}, {"x", 1, 1}, {"", 0, 0}, {nullptr, 1, 1},
        };
        for (const Case& c : cases) {
            SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(c.before), 0);
            char* slot = c.text ? CopyText(c.text) : nullptr;
            ExchangeComboText(Load(page), IDC_LANGUAGE, &slot);
            EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), c.after)
                << '"' << (c.text ? c.text : "(null)") << "\" from " << c.before;
            FreeText(slot);
        }

        long live = HostLiveAllocations();
        char* slot = CopyText("old");
        SendMessageA(combo, CB_SETCURSEL, 1, 0);
        ExchangeComboText(Save(page), IDC_LANGUAGE, &slot);
        ASSERT_NE(slot, nullptr);
        EXPECT_STREQ(slot, "RAM");
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        ExchangeComboText(Save(page), IDC_LANGUAGE, &slot);
        ASSERT_NE(slot, nullptr) << "no selection stores an empty text, not a null slot";
        EXPECT_STREQ(slot, "");
        EXPECT_EQ(HostLiveAllocations(), live + 1);

        SendMessageA(combo, CB_SETCURSEL, 0, 0);
        HostFailAlloc(1);
        ExchangeComboText(Save(page), IDC_LANGUAGE, &slot);
        HostFailAlloc(0);
        EXPECT_EQ(slot, nullptr);
        EXPECT_EQ(HostLiveAllocations(), live);
    });
}

TEST(Exchange, ComboIndex) {
    RunOnePageSheet(IDD_GENERAL, QuietPage, [](HWND, HWND page) {
        HWND combo = GetDlgItem(page, IDC_MAX_WAVE_CLIENTS);
        for (const char* item : {"1", "2", "3", "4"}) {
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
        }
        for (LONG index : {2, -1, 0, 3}) {
            LONG value = index;
            ExchangeComboIndex(Load(page), IDC_MAX_WAVE_CLIENTS, &value);
            EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), index);
            value = 55;
            ExchangeComboIndex(Save(page), IDC_MAX_WAVE_CLIENTS, &value);
            EXPECT_EQ(value, index);
        }
    });
}

}  // namespace
