// DOS text files and the rewrite of a file through its backup.
#include "textfile.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr unsigned char kCtrlZ = 0x1A;

// Makes sure the buffer holds a byte to read: false at the end of the file
// or after a failed read (which also ends it).
bool Fill(DosTextReader& reader) {
    if (reader.ended) return false;
    if (reader.position < reader.length) return true;
    DWORD got = 0;
    if (!ReadFile(reader.file, reader.buffer, sizeof reader.buffer, &got, nullptr)) {
        reader.failed = true;
        reader.ended = true;
        return false;
    }
    if (got == 0) {
        reader.ended = true;
        return false;
    }
    reader.length = got;
    reader.position = 0;
    return true;
}

// The length of the run of bytes at the start of at[0, size) before its
// first CR, LF or Ctrl-Z.
DWORD OrdinaryRun(const unsigned char* at, DWORD size) {
    constexpr int kEnds[] = {'\r', '\n', kCtrlZ};
    for (const int end : kEnds) {
        if (const void* found = std::memchr(at, end, size)) {
            size = static_cast<DWORD>(static_cast<const unsigned char*>(found) - at);
        }
    }
    return size;
}

bool PutByte(DosTextWriter& writer, char c) {
    if (writer.length == sizeof writer.buffer && !FlushText(writer)) return false;
    writer.buffer[writer.length++] = c;
    return true;
}

bool CopyEdited(HANDLE in, HANDLE out, const PieceEditor& editor) {
    DosTextReader reader{};
    reader.file = in;
    DosTextWriter writer{};
    writer.file = out;
    char piece[kTextSize];
    bool lastLineEnded = true;
    for (;;) {
        int length = ReadPiece(reader, piece);
        if (length < 0) return false;
        if (length == 0) break;
        length = editor.edit(editor.context, piece, length);
        if (!WriteText(writer, piece, static_cast<std::size_t>(length))) return false;
        lastLineEnded = piece[length - 1] == '\n';
    }
    if (editor.finish && !editor.finish(editor.context, writer, lastLineEnded)) return false;
    return FlushText(writer);
}

// Puts the original content back under its name.
void RestoreFromBackup(const char* path, const char* backup, bool newFileCreated) {
    if (newFileCreated) DeleteFileA(path);
    MoveFileA(backup, path);
}

}  // namespace

int ReadPiece(DosTextReader& reader, char* piece) {
    int length = 0;
    while (length < kPieceMax && Fill(reader)) {
        // Ordinary bytes go in runs, up to a CR, an LF or a Ctrl-Z.
        const unsigned char* at = reader.buffer + reader.position;
        const DWORD room = std::min<DWORD>(reader.length - reader.position, static_cast<DWORD>(kPieceMax - length));
        const DWORD run = OrdinaryRun(at, room);
        std::memcpy(piece + length, at, run);
        length += static_cast<int>(run);
        reader.position += run;
        if (run == room) continue;
        const unsigned char c = at[run];
        if (c == kCtrlZ) {
            reader.ended = true;
            break;
        }
        ++reader.position;
        if (c == '\r' && !(Fill(reader) && reader.buffer[reader.position] == '\n')) {
            piece[length++] = '\r';  // a lone CR stays
            continue;
        }
        if (c == '\r') ++reader.position;  // CR LF comes as LF
        piece[length++] = '\n';
        break;
    }
    piece[length] = '\0';
    return reader.failed ? -1 : length;
}

bool WriteText(DosTextWriter& writer, const char* text, std::size_t length) {
    while (length > 0) {
        // The text up to its next LF goes in runs as it stands; the LF as CR LF.
        if (writer.length == sizeof writer.buffer && !FlushText(writer)) return false;
        const std::size_t room = std::min<std::size_t>(length, sizeof writer.buffer - writer.length);
        const char* lineFeed = static_cast<const char*>(std::memchr(text, '\n', room));
        const std::size_t run = lineFeed ? static_cast<std::size_t>(lineFeed - text) : room;
        std::memcpy(writer.buffer + writer.length, text, run);
        writer.length += static_cast<DWORD>(run);
        text += run;
        length -= run;
        if (lineFeed) {
            if (!PutByte(writer, '\r') || !PutByte(writer, '\n')) return false;
            ++text;
            --length;
        }
    }
    return true;
}

bool FlushText(DosTextWriter& writer) {
    DWORD written = 0;
    const bool ok = writer.length == 0 ||
                    (WriteFile(writer.file, writer.buffer, writer.length, &written, nullptr) && written == writer.length);
    writer.length = 0;
    return ok;
}

int RewriteThroughBackup(const char* path, const PieceEditor& editor) {
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return -1;
    char backup[kTextSize];
    if (MakeBackupName(path, backup) < 0) return -1;
    if (!MoveFileA(path, backup)) return -1;

    // From here on the backup holds the only copy of the old content.
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE in = CreateFileA(backup, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) {
        RestoreFromBackup(path, backup, false);
        return -1;
    }
    HANDLE out = CreateFileA(path, GENERIC_WRITE, share, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        CloseHandle(in);
        RestoreFromBackup(path, backup, false);
        return -1;
    }
    const bool copied = CopyEdited(in, out, editor);
    const bool closed = CloseHandle(out) != FALSE;
    CloseHandle(in);
    if (!copied || !closed) {
        RestoreFromBackup(path, backup, true);
        return -1;
    }
    return DeleteFileA(backup) ? 0 : -1;
}

bool JoinText(char* out, const char* a, const char* b, const char* c) {
    const std::size_t la = std::strlen(a), lb = std::strlen(b), lc = std::strlen(c);
    if (la + lb + lc >= kTextSize) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out, a, la);
    std::memcpy(out + la, b, lb);
    std::memcpy(out + la + lb, c, lc + 1);
    return true;
}

bool FileExists(const char* path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

int MakeBackupName(const char* path, char* backup) {
    char base[kTextSize];
    if (!JoinText(base, path)) {
        backup[0] = '\0';
        return -1;
    }
    // Only a '.' in the file's own name starts an extension; a path without
    // one keeps all of itself as the base.
    char* dot = nullptr;
    for (char* p = base; *p; ++p) {
        if (*p == '.') dot = p;
        else if (*p == '\\' || *p == '/' || *p == ':') dot = nullptr;
    }
    if (dot) *dot = '\0';

    for (int n = 1; n <= 999; ++n) {
        // "%s.00%d", "%s.0%d", "%s.%d"
        const char* pad = n < 10 ? ".00" : n < 100 ? ".0" : ".";
        char digits[4];
        int count = 0;
        for (int rest = n; rest > 0; rest /= 10) digits[count++] = static_cast<char>('0' + rest % 10);
        for (int i = 0; i < count / 2; ++i) {
            const char swap = digits[i];
            digits[i] = digits[count - 1 - i];
            digits[count - 1 - i] = swap;
        }
        digits[count] = '\0';
        if (!JoinText(backup, base, pad, digits)) return -1;
        if (!FileExists(backup)) return 1;
    }
    return JoinText(backup, base, ".TMP") ? 0 : -1;
}
