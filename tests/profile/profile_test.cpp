// GetPrivateProfileStringA and WritePrivateProfileStringA on files of the
// machine: what is read, the bytes a write leaves, caching, and faults.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/host_seams.h"

namespace fs = std::filesystem;

namespace {

constexpr char kFile[] = "C:\\HARMPNP\\ZP.INI";

// Shows bytes with their NULs, CRs and LFs visible.
std::string Show(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\0') {
            out += "\\0";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* root = std::getenv("HOSTWIN_ROOT");
        ASSERT_NE(root, nullptr) << "HOSTWIN_ROOT is not set";
        dir_ = fs::path(root) / "drive_c" / "HARMPNP";
        fs::remove_all(fs::path(root));
        fs::create_directories(dir_);
        fs::create_directories(fs::path(root) / "drive_c" / "WINDOWS");
        HostFailFileOp(0);
    }
    void TearDown() override {
        HostFailFileOp(0);
    }

    fs::path HostFile() const {
        return dir_ / "ZP.INI";
    }
    // Replaces the file's bytes the way another program would.
    void PutFile(const std::string& bytes) {
        fs::path temp = dir_ / "put.tmp";
        {
            std::ofstream out(temp, std::ios::binary);
            out << bytes;
        }
        fs::rename(temp, HostFile());
    }
    bool FileExists() const {
        return fs::exists(HostFile());
    }
    std::string FileBytes() const {
        std::ifstream in(HostFile(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> DirectoryNames() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) {
            names.push_back(e.path().filename().string());
        }
        return names;
    }

    fs::path dir_;
};

// ---- reading -------------------------------------------------------------------

struct ReadCase {
    const char* name;
    const char* file;  // null: no file
    const char* section;
    const char* key;
    const char* def;
    DWORD size;
    std::string expected;  // the buffer up to and with its terminator(s)
    DWORD result;
};

const ReadCase kReadCases[] = {
    {"value", "[s]\r\nk=v\r\n", "s", "k", "d", 64, std::string("v\0", 2), 1},
    {"names ignore case", "[Setup 0]\r\nEffects=on\r\n", "SETUP 0", "effects", "x", 64, std::string("on\0", 3), 2},
    {"blanks around name and value", "[s]\r\n  k  =  v w  \r\n", "s", "k", "d", 64, std::string("v w\0", 4), 3},
    {"empty value", "[s]\r\nk=\r\n", "s", "k", "d", 64, std::string("\0", 1), 0},
    {"value cut to size-1", "[s]\r\nk=abcdef\r\n", "s", "k", "d", 4, std::string("abc\0", 4), 3},
    {"missing key: default unchanged", "[s]\r\nk=v\r\n", "s", "other", " ", 64, std::string(" \0", 2), 1},
    {"missing section", "[s]\r\nk=v\r\n", "t", "k", "foo", 64, std::string("foo\0", 4), 3},
    {"missing file", nullptr, "s", "k", "English", 64, std::string("English\0", 8), 7},
    {"default cut to size-1", nullptr, "s", "k", "English", 4, std::string("Eng\0", 4), 3},
    {"null default", nullptr, "s", "k", nullptr, 64, std::string("\0", 1), 0},
    {"comment is no key", "[s]\r\n;k=x\r\n", "s", "k", "d", 64, std::string("d\0", 2), 1},
    {"first of two sections", "[s]\r\nk=1\r\n[S]\r\nk=2\r\n", "s", "k", "d", 64, std::string("1\0", 2), 1},
    {"first of two keys", "[s]\r\nk=1\r\nK=2\r\n", "s", "k", "d", 64, std::string("1\0", 2), 1},
    {"LF line ends", "[s]\nk=v\n", "s", "k", "d", 64, std::string("v\0", 2), 1},
    {"entry before any section", "k=v\r\n[s]\r\n", "s", "k", "d", 64, std::string("d\0", 2), 1},
    {"key in next section", "[s]\r\n[t]\r\nk=v\r\n", "s", "k", "d", 64, std::string("d\0", 2), 1},
    {"key list", "[s]\r\na=1\r\nB=2\r\n;c=3\r\nnot a key\r\n", "s", nullptr, "foo", 64,
     std::string("a\0B\0\0", 5), 4},
    {"key list cut", "[s]\r\nalpha=1\r\nbeta=2\r\n", "s", nullptr, "foo", 6, std::string("alph\0\0", 6), 4},
    {"key list missing section", "[s]\r\na=1\r\n", "t", nullptr, "foo", 64, std::string("foo\0\0", 5), 3},
    {"key list of a section without keys is the default", "[s]\r\n; nothing\r\n[t]\r\n", "s", nullptr, "foo", 64,
     std::string("foo\0\0", 5), 3},
    {"section list", "[one]\r\n[Two]\r\n", nullptr, nullptr, "x", 64, std::string("one\0Two\0\0", 9), 8},
    {"the caller's names without their blanks", "[s]\r\nk=v\r\n", " s ", "\tk ", "d", 64, std::string("v\0", 2), 1},
};

TEST_F(ProfileTest, ReadsAsTabled) {
    for (const ReadCase& c : kReadCases) {
        fs::remove(HostFile());
        if (c.file) {
            PutFile(c.file);
        }
        std::string buf(c.size, '#');
        DWORD got = GetPrivateProfileStringA(c.section, c.key, c.def, buf.data(), c.size, kFile);
        std::string shown = buf.substr(0, c.expected.size());
        EXPECT_EQ(Show(shown), Show(c.expected)) << c.name;
        EXPECT_EQ(got, c.result) << c.name;
    }
}

TEST_F(ProfileTest, FileNameIgnoresCase) {
    PutFile("[s]\r\nk=v\r\n");
    char buf[16];
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "d", buf, sizeof buf, "c:\\harmpnp\\zp.ini"), 1u);
    EXPECT_STREQ(buf, "v");
}

// ---- writing -------------------------------------------------------------------

struct WriteCase {
    const char* name;
    const char* before;  // null: no file
    const char* section;
    const char* key;
    const char* value;
    BOOL result;
    const char* after;  // null: no file
};

const WriteCase kWriteCases[] = {
    {"replace keeps other lines", "; top\r\n[Setup 0]\r\n  Effects = on \r\n\tUseDma = true\r\n", "setup 0", "EFFECTS",
     "off", TRUE, "; top\r\n[Setup 0]\r\nEffects=off\r\n\tUseDma = true\r\n"},
    {"new key after the section's last line, blank lines dropped", "[a]\r\nx=1\r\n\r\n; b next\r\n[b]\r\ny=2\r\n",
     "A", "z", "3", TRUE, "[a]\r\nx=1\r\n; b next\r\nz=3\r\n[b]\r\ny=2\r\n"},
    {"new key in a section without entries", "[a]\r\n[b]\r\n", "a", "k", "v", TRUE, "[a]\r\nk=v\r\n[b]\r\n"},
    {"new section at the end", "[a]\r\nx=1\r\n", "b", "k", "v", TRUE, "[a]\r\nx=1\r\n[b]\r\nk=v\r\n"},
    {"an entry named with a Ctrl-Z is no closing line", "[q]\r\n\x1az=2\r\n", "x", "k", "v", TRUE,
     "[q]\r\n\x1az=2\r\n[x]\r\nk=v\r\n"},
    {"new section before a closing Ctrl-Z", "[a]\r\nx=1\r\n\x1a", "b", "k", "v", TRUE,
     "[a]\r\nx=1\r\n[b]\r\nk=v\r\n\x1a"},
    {"creates the file", nullptr, "zpvelt", "memcfg", "RAM", TRUE, "[zpvelt]\r\nmemcfg=RAM\r\n"},
    {"LF file gets CR LF", "[a]\nx=1\n", "a", "x", "2", TRUE, "[a]\r\nx=2\r\n"},
    {"last line without line end", "[a]\r\nx=1", "a", "y", "2", TRUE, "[a]\r\nx=1\r\ny=2\r\n"},
    {"empty value", "[a]\r\nx=1\r\n", "a", "x", "", TRUE, "[a]\r\nx=\r\n"},
    {"null value deletes the key", "[s]\r\na=1\r\nB=2\r\n", "s", "b", nullptr, TRUE, "[s]\r\na=1\r\n"},
    {"deleting a missing key", "[s]\r\na=1\r\n", "s", "zz", nullptr, TRUE, "[s]\r\na=1\r\n"},
    {"deleting in a missing file", nullptr, "s", "a", nullptr, TRUE, nullptr},
    {"null key deletes the section", "[a]\r\nx=1\r\n; a's\r\n[b]\r\ny=2\r\n", "A", nullptr, nullptr, TRUE,
     "[b]\r\ny=2\r\n"},
    {"value with a line break refused", "[a]\r\nx=1\r\n", "a", "x", "1\r\n[b]", FALSE, "[a]\r\nx=1\r\n"},
    {"key with an equals sign refused", "[a]\r\nx=1\r\n", "a", "x=y", "1", FALSE, "[a]\r\nx=1\r\n"},
    {"same value leaves the bytes", "[a]\r\n x = 1\r\n", "a", "x", "1", TRUE, "[a]\r\n x = 1\r\n"},
    // Else a second write of " b " would add another section, and neither
    // could be read back by the names they were written with.
    {"the caller's names without their blanks", "[a]\r\nk=1\r\n", " a ", " k ", "2", TRUE, "[a]\r\nk=2\r\n"},
    {"a new section and key without their blanks", "[a]\r\n", " b\t", " k ", "v", TRUE, "[a]\r\n[b]\r\nk=v\r\n"},
};

TEST_F(ProfileTest, WritesBytesAsTabled) {
    for (const WriteCase& c : kWriteCases) {
        fs::remove(HostFile());
        if (c.before) {
            PutFile(c.before);
        }
        BOOL got = WritePrivateProfileStringA(c.section, c.key, c.value, kFile);
        EXPECT_EQ(got != 0, c.result != 0) << c.name;
        if (c.after) {
            EXPECT_EQ(Show(FileBytes()), Show(c.after)) << c.name;
        } else {
            EXPECT_FALSE(FileExists()) << c.name;
        }
        EXPECT_EQ(DirectoryNames(), std::vector<std::string>(FileExists() ? 1 : 0, "ZP.INI")) << c.name;
    }
}

TEST_F(ProfileTest, WrittenValuesReadBack) {
    ASSERT_TRUE(WritePrivateProfileStringA("mixer settings", "default", "new_string", kFile));
    ASSERT_TRUE(WritePrivateProfileStringA("mixer settings", "SaveOnWindowsExit", "true", kFile));
    ASSERT_TRUE(WritePrivateProfileStringA("setup 0", "GPusage", "PM", kFile));
    char buf[64];
    EXPECT_EQ(GetPrivateProfileStringA("Mixer Settings", "DEFAULT", " ", buf, sizeof buf, kFile), 10u);
    EXPECT_STREQ(buf, "new_string");
    GetPrivateProfileStringA("mixer settings", nullptr, "foo", buf, sizeof buf, kFile);
    EXPECT_EQ(Show(std::string(buf, 27)), Show(std::string("default\0SaveOnWindowsExit\0\0", 27)));
    EXPECT_EQ(Show(FileBytes()),
              Show("[mixer settings]\r\ndefault=new_string\r\nSaveOnWindowsExit=true\r\n[setup 0]\r\nGPusage=PM\r\n"));
}

TEST_F(ProfileTest, FlushAnswersTrueAndKeepsTheFile) {
    PutFile("[a]\r\nx=1\r\n");
    EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, kFile));
    EXPECT_EQ(Show(FileBytes()), Show("[a]\r\nx=1\r\n"));
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "x", "1", kFile));
}

// ---- the parsed copy -------------------------------------------------------------

TEST_F(ProfileTest, UnchangedFileIsNotReadAgain) {
    PutFile("[s]\r\na=1\r\nb=2\r\nc=3\r\n");
    char buf[16];
    GetPrivateProfileStringA("s", "a", "", buf, sizeof buf, kFile);
    long before = HostFileOpCount();
    for (const char* key : {"a", "b", "c", "a", "missing"}) {
        GetPrivateProfileStringA("s", key, "", buf, sizeof buf, kFile);
    }
    EXPECT_EQ(HostFileOpCount() - before, 0);
}

TEST_F(ProfileTest, ChangedFileIsReadAgain) {
    char buf[16];
    PutFile("[s]\r\na=1\r\n");
    GetPrivateProfileStringA("s", "a", "", buf, sizeof buf, kFile);
    EXPECT_STREQ(buf, "1");
    PutFile("[s]\r\na=2\r\n");  // same size, another file
    GetPrivateProfileStringA("s", "a", "", buf, sizeof buf, kFile);
    EXPECT_STREQ(buf, "2");
    {
        std::ofstream out(HostFile(), std::ios::binary | std::ios::trunc);  // rewritten in place
        out << "[s]\r\na=333\r\n";
    }
    GetPrivateProfileStringA("s", "a", "", buf, sizeof buf, kFile);
    EXPECT_STREQ(buf, "333");
    fs::remove(HostFile());
    GetPrivateProfileStringA("s", "a", "gone", buf, sizeof buf, kFile);
    EXPECT_STREQ(buf, "gone");
}

// ---- faults ------------------------------------------------------------------------

// Whichever file operation of a write fails, the write answers FALSE and the
// file keeps its old bytes, with no copy left beside it; a later read sees
// the old value.
TEST_F(ProfileTest, FailedWriteKeepsTheFile) {
    const std::string before = "; keep me\r\n[s]\r\nk=old\r\n";
    const std::string after = "; keep me\r\n[s]\r\nk=new\r\n";
    PutFile(before);  // a new file: the write must read it first
    long start = HostFileOpCount();
    ASSERT_TRUE(WritePrivateProfileStringA("s", "k", "new", kFile));
    long ops = HostFileOpCount() - start;
    ASSERT_GT(ops, 0);
    int failures = 0;
    for (long n = 1; n <= ops; ++n) {
        PutFile(before);
        HostFailFileOp(n);
        BOOL got = WritePrivateProfileStringA("s", "k", "new", kFile);
        HostFailFileOp(0);
        char buf[16];
        GetPrivateProfileStringA("s", "k", "", buf, sizeof buf, kFile);
        EXPECT_EQ(Show(FileBytes()), Show(got ? after : before)) << "fault at operation " << n;
        EXPECT_STREQ(buf, got ? "new" : "old") << "fault at operation " << n;
        EXPECT_EQ(DirectoryNames(), std::vector<std::string>{"ZP.INI"}) << "fault at operation " << n;
        failures += got ? 0 : 1;
    }
    EXPECT_GT(failures, 0);
}

TEST_F(ProfileTest, FailedReadGivesTheDefault) {
    PutFile("[s]\r\nk=v\r\n");
    HostFailFileOp(1);
    char buf[16];
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "def", buf, sizeof buf, kFile), 3u);
    HostFailFileOp(0);
    EXPECT_STREQ(buf, "def");
    GetPrivateProfileStringA("s", "k", "def", buf, sizeof buf, kFile);
    EXPECT_STREQ(buf, "v");
}

}  // namespace
