// The SET HARMNAIR= and SET BLASTER= lines of a batch file.
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "textfile.h"

namespace {

struct SetVariable {
    const char* search;    // what an upper-cased line must contain
    const char* value;     // null: the variable is not written
    int count;             // lines that matched
};

struct BatchEdit {
    SetVariable harmnair;
    SetVariable blaster;
};

bool StartsWith(const char* text, int length, const char* prefix) {
    const int n = static_cast<int>(std::strlen(prefix));
    return length >= n && std::memcmp(text, prefix, static_cast<std::size_t>(n)) == 0;
}

bool Contains(const char* text, int length, const char* search) {
    return std::string_view(text, static_cast<std::size_t>(length)).find(search) != std::string_view::npos;
}

// "@SET NAME=%s\n" or "SET NAME=%s\n" into line; false when it does not fit.
bool FormatSetLine(char* line, bool withAt, const SetVariable& variable) {
    char prefix[kTextSize];
    return JoinText(prefix, withAt ? "@" : "", variable.search) && JoinText(line, prefix, variable.value, "\n");
}

// A value is written only when even its longest line, "@SET NAME=value\n",
// is read back as one piece by the next run (else every run would cut it
// anew and add a line), and when it holds no line feed or Ctrl-Z, which
// would end its line (making the rest a line of its own) or the file early.
// Any other value (or one that did not fit its own buffer) leaves the file's
// lines for that variable as they stand.
void DropUnfitValue(SetVariable& variable) {
    if (variable.value && (1 + std::strlen(variable.search) + std::strlen(variable.value) + 1 > kPieceMax ||
                           !IsOneLineText(variable.value))) {
        variable.value = nullptr;
    }
}

int EditBatchPiece(void* context, char* piece, int length) {
    BatchEdit& edit = *static_cast<BatchEdit*>(context);
    // Both search texts end in '=': a piece without one stays as it is.
    if (!std::memchr(piece, '=', static_cast<std::size_t>(length))) return length;
    char upper[kTextSize];
    for (int i = 0; i < length; ++i) upper[i] = UpperAscii(piece[i]);

    if (StartsWith(upper, length, "REM") || StartsWith(upper, length, "@REM")) return length;
    SetVariable* variable = Contains(upper, length, edit.harmnair.search)  ? &edit.harmnair
                            : Contains(upper, length, edit.blaster.search) ? &edit.blaster
                                                                           : nullptr;
    if (!variable) return length;
    ++variable->count;
    char line[kTextSize];
    if (!variable->value || !FormatSetLine(line, piece[0] == '@', *variable)) return length;
    std::memcpy(piece, line, std::strlen(line) + 1);
    return static_cast<int>(std::strlen(piece));
}

// Appends "@SET NAME=value" for each variable without a line of its own,
// starting on a new line when the file's last line has no line feed.
bool FinishBatch(void* context, DosTextWriter& out, bool lastLineEnded) {
    BatchEdit& edit = *static_cast<BatchEdit*>(context);
    for (const SetVariable* variable : {&edit.harmnair, &edit.blaster}) {
        if (variable->count != 0 || !variable->value) continue;
        char line[kTextSize];
        if (!FormatSetLine(line, true, *variable)) continue;
        if (!lastLineEnded && !WriteText(out, "\n", 1)) return false;
        lastLineEnded = true;
        if (!WriteText(out, line, std::strlen(line))) return false;
    }
    return true;
}

}  // namespace

// A BLASTER value that holds "SET HARMNAIR=" (in any case) would make its
// own line a HARMNAIR line for the next run, which would then append it
// again, one more line at every boot; it is not written either.
void DropValueTakenForHarmnair(SetVariable& blaster, const SetVariable& harmnair) {
    if (!blaster.value) return;
    char upper[kTextSize];
    const std::size_t length = std::strlen(blaster.value);
    for (std::size_t i = 0; i < length; ++i) upper[i] = UpperAscii(blaster.value[i]);
    if (Contains(upper, static_cast<int>(length), harmnair.search)) blaster.value = nullptr;
}

int RewriteBatchFile(const char* path, const char* harmnair, const char* blaster) {
    BatchEdit edit{{"SET HARMNAIR=", harmnair, 0}, {"SET BLASTER=", blaster, 0}};
    DropUnfitValue(edit.harmnair);
    DropUnfitValue(edit.blaster);
    DropValueTakenForHarmnair(edit.blaster, edit.harmnair);
    return RewriteThroughBackup(path, PieceEditor{&edit, EditBatchPiece, FinishBatch});
}
