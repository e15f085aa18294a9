// DOS text files: reading in pieces and writing with CR LF, and the rewrite
// of a file through a backup that never loses its content.
#pragma once

#include "bootsync.h"

// What one ReadFile or WriteFile of a text file moves at most: large, so
// that a big file costs few calls.
inline constexpr DWORD kFileBufferSize = 65536;

// Reads a file in DOS text mode: CR LF comes as LF, a lone CR stays, Ctrl-Z
// ends the file.
struct DosTextReader {
    HANDLE file;
    unsigned char buffer[kFileBufferSize];
    DWORD length = 0;
    DWORD position = 0;
    bool ended = false;
    bool failed = false;
};

// Reads the next piece into piece (kTextSize bytes): up to and including a
// line feed, at most kPieceMax characters; NUL-terminated.  Returns its
// length, 0 at the end of the file, -1 when a read failed.
int ReadPiece(DosTextReader& reader, char* piece);

// Writes text in DOS text mode: every LF goes out as CR LF.
struct DosTextWriter {
    HANDLE file;
    char buffer[kFileBufferSize];
    DWORD length = 0;
};

bool WriteText(DosTextWriter& writer, const char* text, std::size_t length);
bool FlushText(DosTextWriter& writer);

// What a rewrite does to the pieces of one file.
struct PieceEditor {
    void* context;
    // Edits the piece in place (kTextSize bytes, length characters and a NUL)
    // and returns its new length.
    int (*edit)(void* context, char* piece, int length);
    // Writes what follows the last piece, or null; lastLineEnded is false
    // when the file's last line had no line feed.  False when a write failed.
    bool (*finish)(void* context, DosTextWriter& out, bool lastLineEnded);
};

// Rewrites a file in place through a backup: the file is renamed to its
// backup name, the backup is read piece by piece and the edited pieces are
// written to a new file under the old name; then the backup is deleted.
// Nothing is lost: a failed rename touches nothing, and any later failure
// (either open, a read, a write, the close of the new file) deletes the new
// file and renames the backup back.  A path that names no file (or a
// directory) is not touched.  Returns 0 when done and the backup deleted, else -1.
int RewriteThroughBackup(const char* path, const PieceEditor& editor);

// Joins up to three texts into out (kTextSize bytes).  False, with out
// empty, when they do not fit.
bool JoinText(char* out, const char* a, const char* b = "", const char* c = "");

// True when text can stand inside one line of a DOS text file: no line
// feed, which would end the line, and no Ctrl-Z, which would end the file.
inline bool IsOneLineText(const char* text) {
    for (; *text; ++text) {
        if (*text == '\n' || *text == '\x1a') return false;
    }
    return true;
}

inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
