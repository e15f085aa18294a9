// Files of the machine: open dispositions, reading and writing, directory
// search, rename, delete and attributes, with the Win32 error codes.
#include <gtest/gtest.h>

#include "platform.h"
#include "testmachine.h"

namespace {

HANDLE Open(const char* name, DWORD access, DWORD disposition, DWORD flags = 0) {
    return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition, flags, nullptr);
}

std::string ReadAll(HANDLE h) {
    std::string bytes;
    char chunk[7];  // small, so that reads cross chunk edges
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    return bytes;
}

TEST(Files, CreateDispositions) {
    struct Case {
        const char* what;
        DWORD disposition;
        DWORD access;
        bool existing;
        bool opens;
        DWORD error;
        const char* after;  // the file's content afterwards, null: no file
    } cases[] = {
        {"CREATE_NEW, new", CREATE_NEW, GENERIC_WRITE, false, true, ERROR_SUCCESS, ""},
        {"CREATE_NEW, existing", CREATE_NEW, GENERIC_WRITE, true, false, ERROR_FILE_EXISTS, "old"},
        {"CREATE_ALWAYS, new", CREATE_ALWAYS, GENERIC_WRITE, false, true, ERROR_SUCCESS, ""},
        {"CREATE_ALWAYS, existing", CREATE_ALWAYS, GENERIC_WRITE, true, true, ERROR_ALREADY_EXISTS, ""},
        {"OPEN_EXISTING, new", OPEN_EXISTING, GENERIC_READ, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        {"OPEN_EXISTING, existing", OPEN_EXISTING, GENERIC_READ, true, true, ERROR_SUCCESS, "old"},
        {"OPEN_ALWAYS, new", OPEN_ALWAYS, GENERIC_READ | GENERIC_WRITE, false, true, ERROR_SUCCESS, ""},
        {"OPEN_ALWAYS, existing", OPEN_ALWAYS, GENERIC_READ, true, true, ERROR_ALREADY_EXISTS, "old"},
        {"TRUNCATE_EXISTING, existing", TRUNCATE_EXISTING, GENERIC_WRITE, true, true, ERROR_SUCCESS, ""},
        {"TRUNCATE_EXISTING, new", TRUNCATE_EXISTING, GENERIC_WRITE, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        {"TRUNCATE_EXISTING, read only", TRUNCATE_EXISTING, GENERIC_READ, true, false, ERROR_INVALID_PARAMETER, "old"},
        {"disposition 0", 0, GENERIC_READ, true, false, ERROR_INVALID_PARAMETER, "old"},
    };
    for (const Case& c : cases) {
        zptest::TestMachine machine;
        if (c.existing) machine.Write("drive_c/DATA/F.TXT", "old");
        else machine.MakeDirectory("drive_c/DATA");
        SetLastError(12345);
        HANDLE h = Open("C:\\data\\f.txt", c.access, c.disposition);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
        if (h != INVALID_HANDLE_VALUE) EXPECT_TRUE(CloseHandle(h)) << c.what;
        const auto files = machine.Files();
        const bool any = std::find(files.begin(), files.end(), std::string("drive_c/DATA/F.TXT")) != files.end() ||
                         std::find(files.begin(), files.end(), std::string("drive_c/DATA/f.txt")) != files.end();
        EXPECT_EQ(any, c.after != nullptr) << c.what;
        if (c.after && c.existing) EXPECT_EQ(machine.Read("drive_c/DATA/F.TXT").value_or("<none>"), c.after) << c.what;
    }
}

TEST(Files, OpenFailuresByWhatIsMissing) {
    zptest::TestMachine machine;
    struct Case {
        const char* name;
        DWORD error;
    } cases[] = {
        {"C:\\NODIR\\F.TXT", ERROR_PATH_NOT_FOUND},
        {"C:\\WINDOWS\\NONE.TXT", ERROR_FILE_NOT_FOUND},
        {"C:\\WINDOWS", ERROR_ACCESS_DENIED},
        {"C:\\WINDOWS\\", ERROR_ACCESS_DENIED},
        {"RELATIVE.TXT", ERROR_PATH_NOT_FOUND},
        {"\\\\.\\NOSUCH.VXD", ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        EXPECT_EQ(Open(c.name, GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
}

TEST(Files, BytesRoundTripExactly) {
    zptest::TestMachine machine;
    const std::string bytes = std::string("line\r\nlone\rcr\nlf\x1a after\0nul", 27) + std::string(1000, 'x');
    HANDLE out = Open("C:\\NEW.BIN", GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    EXPECT_EQ(written, bytes.size());
    char one;
    DWORD got = 7;
    EXPECT_FALSE(ReadFile(out, &one, 1, &got, nullptr)) << "read through a write-only handle";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(CloseHandle(out));
    EXPECT_EQ(machine.Read("drive_c/NEW.BIN").value_or(""), bytes);

    HANDLE in = Open("c:\\new.bin", GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadAll(in), bytes);
    got = 7;
    EXPECT_TRUE(ReadFile(in, &one, 1, &got, nullptr)) << "a read at the end succeeds";
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(WriteFile(in, "x", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(CloseHandle(in));
    EXPECT_FALSE(CloseHandle(in)) << "closed twice";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(ReadFile(in, &one, 1, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Files, DeleteOnCloseRemovesTheFile) {
    zptest::TestMachine machine;
    HANDLE h = Open("C:\\TEMP.TMP", GENERIC_WRITE, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(machine.Read("drive_c/TEMP.TMP"));
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(machine.Read("drive_c/TEMP.TMP"));
}

TEST(Files, DirectorySearch) {
    zptest::TestMachine machine;
    machine.Remove("drive_c/AUTOEXEC.BAT");
    machine.Write("drive_c/AutoExec.Bat", "12345");
    machine.Write("drive_c/CONFIG.SYS", "");
    struct Case {
        const char* pattern;
        const char* found;  // null: nothing found
        DWORD error;
    } cases[] = {
        {"C:\\AUTOEXEC.BAT", "AutoExec.Bat", 0},
        {"c:\\autoexec.bat", "AutoExec.Bat", 0},
        {"C:\\WINDOWS", "WINDOWS", 0},
        {"C:\\*.BAT", "AutoExec.Bat", 0},
        {"C:\\A?TOEXEC.*", "AutoExec.Bat", 0},
        {"C:\\CONFIG.*", "CONFIG.SYS", 0},
        {"C:\\WINDOWS\\SYSTEM\\*.*", ".keep", 0},
        {"C:\\AUTOEXEC.001", nullptr, ERROR_FILE_NOT_FOUND},
        {"C:\\*.DLL", nullptr, ERROR_FILE_NOT_FOUND},
        {"C:\\NODIR\\AUTOEXEC.BAT", nullptr, ERROR_PATH_NOT_FOUND},
        {"C:\\WINDOWS\\", nullptr, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA(c.pattern, &data);
        if (!c.found) {
            EXPECT_EQ(h, INVALID_HANDLE_VALUE) << c.pattern;
            EXPECT_EQ(GetLastError(), c.error) << c.pattern;
            continue;
        }
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << c.pattern;
        EXPECT_STREQ(data.cFileName, c.found) << c.pattern;
        EXPECT_TRUE(FindClose(h));
    }
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA("C:\\AUTOEXEC.BAT", &data);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(CloseHandle(h)) << "a search handle is closed by FindClose";
    EXPECT_TRUE(FindClose(h));
    EXPECT_FALSE(FindClose(h));
    FindFirstFileA("C:\\WINDOWS", &data);
    EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(Files, Rename) {
    struct Case {
        const char* what;
        const char* from;
        const char* to;
        DWORD flags;
        bool ok;
        DWORD error;
        std::vector<std::pair<const char*, const char*>> after;  // file, content
    } cases[] = {
        {"to a free name", "C:\\A.TXT", "C:\\WINDOWS\\C.TXT", 0, true, 0, {{"drive_c/B.TXT", "b"}, {"drive_c/WINDOWS/C.TXT", "a"}}},
        {"onto a file", "C:\\A.TXT", "C:\\B.TXT", 0, false, ERROR_ALREADY_EXISTS,
         {{"drive_c/A.TXT", "a"}, {"drive_c/B.TXT", "b"}}},
        {"onto a file, replacing", "C:\\A.TXT", "c:\\b.txt", MOVEFILE_REPLACE_EXISTING, true, 0, {{"drive_c/B.TXT", "a"}}},
        {"onto a directory, replacing", "C:\\A.TXT", "C:\\WINDOWS", MOVEFILE_REPLACE_EXISTING, false,
         ERROR_ACCESS_DENIED, {{"drive_c/A.TXT", "a"}, {"drive_c/B.TXT", "b"}}},
        {"a change of case", "C:\\A.TXT", "C:\\a.txt", 0, true, 0, {{"drive_c/B.TXT", "b"}, {"drive_c/a.txt", "a"}}},
        {"missing source", "C:\\NONE.TXT", "C:\\D.TXT", 0, false, ERROR_FILE_NOT_FOUND,
         {{"drive_c/A.TXT", "a"}, {"drive_c/B.TXT", "b"}}},
        {"into a missing directory", "C:\\A.TXT", "C:\\NODIR\\A.TXT", 0, false, ERROR_PATH_NOT_FOUND,
         {{"drive_c/A.TXT", "a"}, {"drive_c/B.TXT", "b"}}},
        {"unknown flag", "C:\\A.TXT", "C:\\D.TXT", 0x10, false, ERROR_INVALID_PARAMETER,
         {{"drive_c/A.TXT", "a"}, {"drive_c/B.TXT", "b"}}},
    };
    for (const Case& c : cases) {
        zptest::TestMachine machine;
        machine.Remove("drive_c/AUTOEXEC.BAT");
        machine.Remove("drive_c/HARMPNP");
        machine.Remove("drive_c/WINDOWS/DOSSTART.BAT");
        machine.Remove("drive_c/WINDOWS/SYSTEM");
        machine.Write("drive_c/A.TXT", "a");
        machine.Write("drive_c/B.TXT", "b");
        const BOOL ok = c.flags ? MoveFileExA(c.from, c.to, c.flags) : MoveFileA(c.from, c.to);
        EXPECT_EQ(ok != FALSE, c.ok) << c.what;
        if (!c.ok) EXPECT_EQ(GetLastError(), c.error) << c.what;
        std::vector<std::string> expected;
        for (const auto& [file, content] : c.after) {
            expected.push_back(file);
            EXPECT_EQ(machine.Read(file).value_or("<none>"), content) << c.what << ": " << file;
        }
        auto files = machine.Files();
        files.erase(std::remove_if(files.begin(), files.end(),
                                   [](const std::string& f) { return f.find("drive_c/") != 0; }),
                    files.end());
        EXPECT_EQ(files, expected) << c.what;
    }
}

TEST(Files, DeleteAndAttributes) {
    zptest::TestMachine machine;
    EXPECT_EQ(GetFileAttributesA("C:\\AUTOEXEC.BAT"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(GetFileAttributesA("c:\\windows"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA("C:\\"), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA("C:\\AUTOEXEC.BAT\\"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA("C:\\NONE"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesA("C:\\NODIR\\NONE"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    EXPECT_FALSE(DeleteFileA("C:\\WINDOWS"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileA("C:\\NONE"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(DeleteFileA("c:\\autoexec.bat"));
    EXPECT_FALSE(machine.Read("drive_c/AUTOEXEC.BAT"));
}

}  // namespace
