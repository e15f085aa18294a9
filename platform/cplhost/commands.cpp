// The commands of script.h, performed as a user's actions arrive at the
// controls: the same messages, in the same order, to the same windows.
#include "commands.h"

#include <cstring>
#include <utility>

// The sheet's Apply button; the SDK headers of the toolchain lack the name.
#ifndef IDC_APPLY_BUTTON
#define IDC_APPLY_BUTTON 0x3021
#endif

namespace {

enum class ControlKind { Other, PushButton, CheckBox, RadioButton, GroupBox, Static, Edit, Combo, ListView };

bool SameClass(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
        char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

ControlKind KindOf(HWND control) {
    char name[64] = "";
    GetClassNameA(control, name, sizeof name);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if (SameClass(name, "Button")) {
        switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE: return ControlKind::CheckBox;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return ControlKind::RadioButton;
        case BS_GROUPBOX: return ControlKind::GroupBox;
        default: return ControlKind::PushButton;
        }
    }
    if (SameClass(name, "Edit")) return ControlKind::Edit;
    if (SameClass(name, "ComboBox")) return ControlKind::Combo;
    if (SameClass(name, "SysListView32")) return ControlKind::ListView;
    if (SameClass(name, "Static")) return ControlKind::Static;
    return ControlKind::Other;
}

const char* KindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::PushButton: return "button";
    case ControlKind::CheckBox: return "check box";
    case ControlKind::RadioButton: return "radio button";
    case ControlKind::GroupBox: return "group box";
    case ControlKind::Static: return "static text";
    case ControlKind::Edit: return "edit";
    case ControlKind::Combo: return "combo box";
    case ControlKind::ListView: return "list view";
    default: return "control";
    }
}

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

std::string WindowText(HWND wnd) {
    LRESULT length = SendMessageA(wnd, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int got = GetWindowTextA(wnd, text.data(), static_cast<int>(text.size()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

int ItemCount(HWND control, ControlKind kind) {
    LRESULT count = SendMessageA(control, kind == ControlKind::Combo ? CB_GETCOUNT : LVM_GETITEMCOUNT, 0, 0);
    return count > 0 ? static_cast<int>(count) : 0;
}

std::string ItemText(HWND control, ControlKind kind, int index) {
    if (kind == ControlKind::Combo) {
        LRESULT length = SendMessageA(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
        if (length <= 0) return {};
        std::string text(static_cast<std::size_t>(length) + 1, '\0');
        LRESULT got = SendMessageA(control, CB_GETLBTEXT, static_cast<WPARAM>(index),
                                   reinterpret_cast<LPARAM>(text.data()));
        text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        return text;
    }
    char buffer[1024] = "";
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(control, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

int FindItem(HWND control, ControlKind kind, const std::string& text) {
    int count = ItemCount(control, kind);
    for (int i = 0; i < count; ++i)
        if (ItemText(control, kind, i) == text) return i;
    return -1;
}

int SelectedItem(HWND control, ControlKind kind) {
    LRESULT index = kind == ControlKind::Combo
                        ? SendMessageA(control, CB_GETCURSEL, 0, 0)
                        : SendMessageA(control, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    return index >= 0 ? static_cast<int>(index) : -1;
}

std::string ItemList(HWND control, ControlKind kind) {
    int count = ItemCount(control, kind);
    if (count == 0) return "no items";
    std::string list;
    for (int i = 0; i < count; ++i) list += (i ? ", " : "") + Quote(ItemText(control, kind, i));
    return list;
}

HWND CurrentPage(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

int CurrentPageIndex(HWND sheet) {
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    return tabs ? static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0)) : -1;
}

std::string PageName(HWND sheet) {
    int index = CurrentPageIndex(sheet);
    return index >= 0 && index < kPageCount ? kPageNames[index] : "current";
}

// Calls visit(id, control) for every control of the page that has an id of
// its own, in id order.  The host layer offers no walk over child windows,
// so the ids are tried in turn.
template <typename Visit>
void ForEachControl(HWND page, Visit visit) {
    for (int id = 1; id < 0xFFFF; ++id) {
        HWND control = GetDlgItem(page, id);
        if (control && visit(id, control)) return;
    }
}

void SetListItemState(HWND list, int index, UINT state) {
    LVITEMA item{};
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.state = state;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

// Types the new label into the list view's label editor and presses Enter,
// or presses Escape.
void FinishLabelEdit(HWND edit, bool cancel, const std::string& text) {
    if (!cancel) SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(edit, WM_KEYDOWN, cancel ? VK_ESCAPE : VK_RETURN, 1);
}

POINT CentreOnScreen(HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// One command on the current page.
class Performer {
public:
    Performer(SheetUser& user, HWND sheet, const Command& command, std::string& message)
        : user_(user), sheet_(sheet), command_(command), message_(message) {}

    int Run() {
        switch (command_.kind) {
        case CommandKind::Page: return Page();
        case CommandKind::Answer: user_.answers.push_back(command_.answer); return kRunOk;
        case CommandKind::Apply: return Apply();
        case CommandKind::Ok: SendMessageA(sheet_, PSM_PRESSBUTTON, PSBTN_OK, 0); return kRunOk;
        case CommandKind::Cancel: SendMessageA(sheet_, PSM_PRESSBUTTON, PSBTN_CANCEL, 0); return kRunOk;
        case CommandKind::Show: std::fputs(DescribePage(sheet_).c_str(), user_.notes); return kRunOk;
        case CommandKind::ListCommands: std::fputs(kCommandSummary, user_.notes); return kRunOk;
        default: break;
        }
        page_ = CurrentPage(sheet_);
        if (command_.kind == CommandKind::Label) return Label();
        control_ = page_ ? GetDlgItem(page_, command_.control) : nullptr;
        if (!control_)
            return Fail(kRunScriptError, "the " + PageName(sheet_) + " page has no control " +
                                             std::to_string(command_.control));
        kind_ = KindOf(control_);
        if (command_.kind == CommandKind::Help) return Help();
        if (command_.kind == CommandKind::Expect) return Expect();
        if (int result = CheckKind()) return result;
        // A disabled control takes no input, as for a user.
        if (!IsWindowEnabled(control_)) return kRunOk;
        switch (command_.kind) {
        case CommandKind::Click: SendMessageA(control_, BM_CLICK, 0, 0); return kRunOk;
        case CommandKind::Select: return Select();
        case CommandKind::Type: return Type();
        case CommandKind::Focus: return Focus();
        case CommandKind::DblClick: return DoubleClick();
        case CommandKind::Key:
            SendMessageA(control_, WM_KEYDOWN, static_cast<WPARAM>(command_.number), 1);
            return kRunOk;
        case CommandKind::Rename: return Rename();
        default: return Fail(kRunScriptError, "not a command for a control");
        }
    }

private:
    int Fail(int result, std::string message) {
        message_ = std::move(message);
        return result;
    }

    int NotA(const char* kind) {
        return Fail(kRunScriptError,
                    "control " + std::to_string(command_.control) + " is a " + KindName(kind_) + ", not a " + kind);
    }

    // The control must be of the kind that the command works on.
    int CheckKind() {
        switch (command_.kind) {
        case CommandKind::Click:
            if (kind_ == ControlKind::PushButton || kind_ == ControlKind::CheckBox ||
                kind_ == ControlKind::RadioButton)
                return kRunOk;
            return NotA("button");
        case CommandKind::Select:
        case CommandKind::Type: return kind_ == ControlKind::Combo ? kRunOk : NotA(KindName(ControlKind::Combo));
        default: return kind_ == ControlKind::ListView ? kRunOk : NotA(KindName(ControlKind::ListView));
        }
    }

    bool IsListOrCombo() const { return kind_ == ControlKind::Combo || kind_ == ControlKind::ListView; }

    int Page() {
        HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETTABCONTROL, 0, 0));
        if (tabs && command_.number >= SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0))
            return Fail(kRunScriptError, std::string("the sheet has no page ") + kPageNames[command_.number]);
        // A page that refuses to be left keeps the sheet where it is.
        SendMessageA(sheet_, PSM_SETCURSEL, static_cast<WPARAM>(command_.number), 0);
        return kRunOk;
    }

    // Apply is pressed only while the sheet's Apply button is enabled.
    int Apply() {
        HWND button = GetDlgItem(sheet_, IDC_APPLY_BUTTON);
        if (button && IsWindowEnabled(button)) SendMessageA(sheet_, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
        return kRunOk;
    }

    void NotifyCombo(WORD code) {
        SendMessageA(page_, WM_COMMAND, MAKEWPARAM(command_.control, code), reinterpret_cast<LPARAM>(control_));
    }

    int Select() {
        LRESULT index;
        if (command_.byIndex) {
            index = command_.number;
            if (index >= ItemCount(control_, kind_))
                return Fail(kRunExpectFailed, "there is no entry #" + std::to_string(index) + "; the entries are " +
                                                  ItemList(control_, kind_));
        } else {
            index = SendMessageA(control_, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(command_.text.c_str()));
            if (index == CB_ERR)
                return Fail(kRunExpectFailed, "there is no entry " + Quote(command_.text) + "; the entries are " +
                                                  ItemList(control_, kind_));
        }
        SendMessageA(control_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        NotifyCombo(CBN_SELCHANGE);
        return kRunOk;
    }

    int Type() {
        if ((GetWindowLongA(control_, GWL_STYLE) & 0x3) == CBS_DROPDOWNLIST)
            return Fail(kRunScriptError, "combo box " + std::to_string(command_.control) + " has no edit field");
        SendMessageA(control_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(command_.text.c_str()));
        NotifyCombo(CBN_EDITCHANGE);
        return kRunOk;
    }

    // The item TEXT of the list view, or a failure.
    int FindListItem(int& index) {
        index = FindItem(control_, kind_, command_.text);
        if (index < 0)
            return Fail(kRunExpectFailed,
                        "there is no item " + Quote(command_.text) + "; the items are " + ItemList(control_, kind_));
        return kRunOk;
    }

    int Focus() {
        int index;
        if (int result = FindListItem(index)) return result;
        SetListItemState(control_, index, LVIS_FOCUSED | LVIS_SELECTED);
        return kRunOk;
    }

    // The cursor goes to the item's centre, where the double click lands.
    int DoubleClick() {
        int index;
        if (int result = FindListItem(index)) return result;
        RECT rect{};
        rect.left = LVIR_BOUNDS;
        SendMessageA(control_, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
        POINT client{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        POINT screen = client;
        ClientToScreen(control_, &screen);
        SetCursorPos(screen.x, screen.y);
        SendMessageA(control_, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(client.x, client.y));
        return kRunOk;
    }

    int Rename() {
        int index;
        if (int result = FindListItem(index)) return result;
        SetListItemState(control_, index, LVIS_FOCUSED | LVIS_SELECTED);
        SendMessageA(control_, LVM_EDITLABELA, static_cast<WPARAM>(index), 0);
        HWND edit = reinterpret_cast<HWND>(SendMessageA(control_, LVM_GETEDITCONTROL, 0, 0));
        if (!edit) return Fail(kRunExpectFailed, "the list view opened no label editor for " + Quote(command_.text));
        FinishLabelEdit(edit, command_.cancelEdit, command_.newText);
        return kRunOk;
    }

    int Label() {
        // The label editor that a list view of the current page has open.
        HWND edit = nullptr;
        ForEachControl(page_, [&](int, HWND control) {
            if (KindOf(control) == ControlKind::ListView)
                edit = reinterpret_cast<HWND>(SendMessageA(control, LVM_GETEDITCONTROL, 0, 0));
            return edit != nullptr;
        });
        if (!edit) return Fail(kRunExpectFailed, "no label edit is open on the " + PageName(sheet_) + " page");
        FinishLabelEdit(edit, command_.cancelEdit, command_.text);
        return kRunOk;
    }

    int Help() {
        HELPINFO info{};
        info.cbSize = sizeof info;
        info.iContextType = HELPINFO_WINDOW;
        info.iCtrlId = command_.control;
        info.hItemHandle = control_;
        info.dwContextId = 0;
        info.MousePos = CentreOnScreen(control_);
        SendMessageA(page_, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        return kRunOk;
    }

    int Expect() {
        switch (command_.expect) {
        case ExpectKind::Checked:
        case ExpectKind::Unchecked: {
            if (kind_ != ControlKind::CheckBox && kind_ != ControlKind::RadioButton) return NotA("check box");
            bool checked = SendMessageA(control_, BM_GETCHECK, 0, 0) == BST_CHECKED;
            if (checked == (command_.expect == ExpectKind::Checked)) return kRunOk;
            return Fail(kRunExpectFailed, checked ? "it is checked" : "it is unchecked");
        }
        case ExpectKind::Enabled:
        case ExpectKind::Disabled: {
            bool enabled = IsWindowEnabled(control_) != FALSE;
            if (enabled == (command_.expect == ExpectKind::Enabled)) return kRunOk;
            return Fail(kRunExpectFailed, enabled ? "it is enabled" : "it is disabled");
        }
        case ExpectKind::Text: {
            std::string text = WindowText(control_);
            if (text == command_.text) return kRunOk;
            return Fail(kRunExpectFailed, "its text is " + Quote(text));
        }
        default: break;
        }
        if (!IsListOrCombo())
            return Fail(kRunScriptError, "control " + std::to_string(command_.control) + " is a " + KindName(kind_) +
                                             ", which has no items");
        switch (command_.expect) {
        case ExpectKind::Selected:
        case ExpectKind::SelectedNone: {
            int selected = SelectedItem(control_, kind_);
            bool none = command_.expect == ExpectKind::SelectedNone;
            if (none && selected < 0) return kRunOk;
            std::string text = selected >= 0 ? ItemText(control_, kind_, selected) : std::string();
            if (!none && selected >= 0 && text == command_.text) return kRunOk;
            return Fail(kRunExpectFailed, selected < 0 ? "nothing is selected" : Quote(text) + " is selected");
        }
        case ExpectKind::Items: {
            int count = ItemCount(control_, kind_);
            if (count == command_.number) return kRunOk;
            return Fail(kRunExpectFailed, std::to_string(count) + " items: " + ItemList(control_, kind_));
        }
        case ExpectKind::Has:
        case ExpectKind::Lacks: {
            bool has = FindItem(control_, kind_, command_.text) >= 0;
            if (has == (command_.expect == ExpectKind::Has)) return kRunOk;
            return Fail(kRunExpectFailed, "the items are " + ItemList(control_, kind_));
        }
        default: return Fail(kRunScriptError, "unknown expectation");
        }
    }

    SheetUser& user_;
    HWND sheet_;
    const Command& command_;
    std::string& message_;
    HWND page_ = nullptr;
    HWND control_ = nullptr;
    ControlKind kind_ = ControlKind::Other;
};

struct BoxButtons {
    UINT type;
    const char* list;
    int escape;
    bool ok, cancel, yes, no;
};

constexpr BoxButtons kBoxButtons[] = {
    {MB_OK, "ok", IDOK, true, false, false, false},
    {MB_OKCANCEL, "ok, cancel", IDCANCEL, true, true, false, false},
    {MB_ABORTRETRYIGNORE, "abort, retry, ignore", IDABORT, false, false, false, false},
    {MB_YESNOCANCEL, "yes, no, cancel", IDCANCEL, false, true, true, true},
    {MB_YESNO, "yes, no", IDNO, false, false, true, true},
    {MB_RETRYCANCEL, "retry, cancel", IDCANCEL, false, true, false, false},
};

const BoxButtons& ButtonsOf(UINT type) {
    for (const BoxButtons& buttons : kBoxButtons)
        if (buttons.type == (type & MB_TYPEMASK)) return buttons;
    return kBoxButtons[0];
}

const char* ButtonName(int button) {
    switch (button) {
    case IDOK: return "ok";
    case IDCANCEL: return "cancel";
    case IDABORT: return "abort";
    case IDRETRY: return "retry";
    case IDIGNORE: return "ignore";
    case IDYES: return "yes";
    case IDNO: return "no";
    default: return "?";
    }
}

// A text on one line: CR and LF shown as \r and \n.
std::string OneLine(const char* text) {
    std::string line;
    for (; text && *text; ++text) {
        if (*text == '\r') line += "\\r";
        else if (*text == '\n') line += "\\n";
        else line += *text;
    }
    return line;
}

}  // namespace

void NoteFailure(SheetUser& user, int result, std::string message) {
    if (user.failure != kRunOk || result == kRunOk) return;
    user.failure = result;
    user.failureMessage = std::move(message);
}

int PerformCommand(SheetUser& user, HWND sheet, const Command& command, std::string& message) {
    message.clear();
    return Performer(user, sheet, command, message).Run();
}

int EscapeButton(UINT type) { return ButtonsOf(type).escape; }

const char* BoxButtonList(UINT type) { return ButtonsOf(type).list; }

bool BoxHasButton(UINT type, AnswerWord answer) {
    const BoxButtons& buttons = ButtonsOf(type);
    switch (answer) {
    case AnswerWord::Ok: return buttons.ok;
    case AnswerWord::Cancel: return buttons.cancel;
    case AnswerWord::Yes: return buttons.yes;
    case AnswerWord::No: return buttons.no;
    }
    return false;
}

int ButtonOfAnswer(AnswerWord answer) {
    switch (answer) {
    case AnswerWord::Ok: return IDOK;
    case AnswerWord::Cancel: return IDCANCEL;
    case AnswerWord::Yes: return IDYES;
    case AnswerWord::No: return IDNO;
    }
    return IDOK;
}

int ChooseBoxButton(std::deque<AnswerWord>& answers, UINT type, int& button, std::string& message) {
    button = EscapeButton(type);
    if (!answers.empty()) {
        AnswerWord answer = answers.front();
        answers.pop_front();
        if (BoxHasButton(type, answer)) {
            button = ButtonOfAnswer(answer);
            return kRunOk;
        }
        message = std::string("the queued answer ") + AnswerName(answer) + " is no button of this box (" +
                  BoxButtonList(type) + ")";
        return kRunExpectFailed;
    }
    if ((type & MB_TYPEMASK) == MB_OK) return kRunOk;
    message = std::string("no answer is queued for this box (") + BoxButtonList(type) + ")";
    return kRunScriptError;
}

std::string FormatBoxLine(const char* caption, const char* text, int button) {
    // A box without a caption shows "Error".
    return "box \"" + OneLine(caption ? caption : "Error") + "\" \"" + OneLine(text) + "\" -> " + ButtonName(button) +
           "\n";
}

std::string FormatHelpLine(HWND wnd, const char* file, UINT command, ULONG_PTR data) {
    if (command == HELP_QUIT) return {};
    std::string line = "help \"" + OneLine(file) + "\" ";
    if (command == HELP_WM_HELP || command == HELP_CONTEXTMENU) {
        // The topic of the control asked about, from the {control, topic} list.
        DWORD id = static_cast<DWORD>(GetDlgCtrlID(wnd));
        for (const DWORD* pairs = reinterpret_cast<const DWORD*>(data); pairs && pairs[0] != 0; pairs += 2)
            if (pairs[0] == id) return line + std::to_string(pairs[1]) + "\n";
        return line + "none\n";
    }
    if (command == HELP_CONTEXT) return line + std::to_string(data) + "\n";
    return line + "command " + std::to_string(command) + "\n";
}

std::string DescribePage(HWND sheet) {
    HWND page = CurrentPage(sheet);
    std::string text = PageName(sheet) + " page";
    HWND apply = GetDlgItem(sheet, IDC_APPLY_BUTTON);
    if (apply) text += IsWindowEnabled(apply) ? " (Apply enabled)" : " (Apply disabled)";
    text += ":\n";
    if (!page) return text;
    ForEachControl(page, [&](int id, HWND control) {
        ControlKind kind = KindOf(control);
        char head[32];
        std::snprintf(head, sizeof head, "  %5d  %-10s", id, KindName(kind));
        text += head;
        if (kind != ControlKind::ListView) text += " " + Quote(WindowText(control));
        if (!IsWindowEnabled(control)) text += " disabled";
        if (kind == ControlKind::CheckBox || kind == ControlKind::RadioButton)
            text += SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? " checked" : " unchecked";
        if (kind == ControlKind::Edit && (GetWindowLongA(control, GWL_STYLE) & ES_READONLY)) text += " read-only";
        if (kind == ControlKind::Combo) {
            int selected = SelectedItem(control, kind);
            text += selected >= 0 ? " selected #" + std::to_string(selected) : std::string(" selected none");
            text += "; " + ItemList(control, kind);
        }
        if (kind == ControlKind::ListView) {
            text += " " + ItemList(control, kind);
            LRESULT focused = SendMessageA(control, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED);
            int selected = SelectedItem(control, kind);
            if (focused >= 0) text += "; focused " + Quote(ItemText(control, kind, static_cast<int>(focused)));
            if (selected >= 0) text += "; selected " + Quote(ItemText(control, kind, selected));
            if (SendMessageA(control, LVM_GETEDITCONTROL, 0, 0)) text += "; a label edit is open";
        }
        text += "\n";
        return false;
    });
    return text;
}

// The applet library of either runner: a bare name is looked for in the
// system directory, anything else is taken as the path it is.
bool FindLibrary(const char* name, std::string& path) {
    if (std::strpbrk(name, "\\/:")) {
        path = name;
        return true;
    }
    char windows[MAX_PATH] = "";
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length == 0 || length >= sizeof windows) return false;
    path = std::string(windows) + "\\SYSTEM\\" + name;
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
