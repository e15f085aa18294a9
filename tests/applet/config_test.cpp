// Reading the configuration file: ReadConfig, switch reading and the
// key-list walk, on files of the scratch machine and on a platform that
// misbehaves.
#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "applet_support.h"

namespace {

// When set, key-list reads answer these bytes, cut to the buffer's size,
// with nothing added: a platform that leaves the list without its end.
const std::string* rawKeyList = nullptr;

}  // namespace

// Stands in front of the host's profile read for the linked-in code.
extern "C" DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buf, DWORD size,
                                          LPCSTR file) {
    if (rawKeyList && !key) {
        std::size_t n = std::min<std::size_t>(rawKeyList->size(), size);
        std::memcpy(buf, rawKeyList->data(), n);
        return static_cast<DWORD>(n);
    }
    using Read = DWORD (*)(LPCSTR, LPCSTR, LPCSTR, LPSTR, DWORD, LPCSTR);
    static Read host = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "GetPrivateProfileStringA"));
    return host(section, key, def, buf, size, file);
}

namespace {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadedApplet();
        CopyBounded(ConfigFilePath, sizeof ConfigFilePath, "C:\\HARMPNP\\ZP.INI");
        rawKeyList = nullptr;
        HostFailAlloc(0);
    }
    void TearDown() override {
        rawKeyList = nullptr;
        HostFailAlloc(0);
        PutSampleFiles(MachineRoot());
    }
    void PutFile(const std::string& bytes) {
        std::filesystem::path dir = std::filesystem::path(MachineRoot()) / "drive_c" / "HARMPNP";
        std::ofstream(dir / "put.tmp", std::ios::binary) << bytes;
        std::filesystem::rename(dir / "put.tmp", dir / "ZP.INI");
    }
};

TEST_F(ConfigTest, ReadConfigClearsAndTerminates) {
    struct Case {
        const char* name;
        const char* key;
        const char* def;
        DWORD size;
        std::string expected;  // the whole buffer
        DWORD result;
    };
    const Case cases[] = {
        {"value", "memcfg", "ROM", 8, std::string("ram\0\0\0\0\0", 8), 3},
        {"value cut", "long", "", 8, std::string("0123456\0", 8), 7},
        {"default", "missing", "7E", 8, std::string("7E\0\0\0\0\0\0", 8), 2},
        {"empty", "quiet", "on", 8, std::string("\0\0\0\0\0\0\0\0", 8), 0},
        {"key list", nullptr, "foo", 16, std::string("memcfg\0long\0quie", 16), 15},
    };
    PutFile("[zpvelt]\r\nmemcfg=ram\r\nlong=0123456789\r\nquiet=\r\n");
    for (const Case& c : cases) {
        std::string buf(c.size, '#');
        DWORD got = ReadConfig("zpvelt", c.key, c.def, buf.data(), c.size);
        std::string expected = c.expected;
        if (!c.key) {  // the list is cut and ends with two NULs
            expected = std::string("memcfg\0long\0qu\0\0", 16);
        }
        EXPECT_EQ(Show(buf), Show(expected)) << c.name;
        if (c.key) {
            EXPECT_EQ(got, c.result) << c.name;
        }
    }
}

TEST_F(ConfigTest, SwitchReading) {
    struct Case {
        const char* text;
        const char* onWord;
        bool emptyIsOn;
        bool expected;
    };
    const Case cases[] = {
        {"on", "on", false, true},      {"ON", "on", false, true},       {"On ", "on", false, false},
        {"off", "on", true, false},     {"", "on", true, true},          {"", "on", false, false},
        {"TRUE", "true", false, true},  {"yes", "true", true, false},    {"false", "true", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SwitchIsOn(c.text, static_cast<DWORD>(std::strlen(c.text)), c.onWord, c.emptyIsOn), c.expected)
            << '"' << c.text << "\" for " << c.onWord << (c.emptyIsOn ? ", empty is on" : "");
    }
}

struct WalkCase {
    const char* name;
    std::string file;
    const char* section;
    std::size_t slots;
    const char* current;
    bool askMissing;
    std::vector<std::string> names;
    LONG selected;  // starts at 77
    bool missing;
};

std::vector<WalkCase> WalkCases() {
    const std::string languages =
        "[languages]\r\nEnglish=English\r\nDEFAULT=deutsch\r\nDeutsch=Deutsch,German\r\nfrancais=Fran\x87" "ais\r\n";
    return {
        {"names but default, current found", languages, "languages", 30, "deutsch", false,
         {"English", "Deutsch", "francais"}, 1, false},
        {"no current given", languages, "languages", 30, nullptr, false, {"English", "Deutsch", "francais"}, 77, false},
        {"current not listed", languages, "languages", 30, "Italiano", false, {"English", "Deutsch", "francais"}, 77,
         false},
        {"at most the slots", languages, "languages", 2, "francais", false, {"English", "Deutsch"}, 77, false},
        {"missing section, not asked", languages, "mixer settings", 30, nullptr, false, {"foo"}, 77, false},
        {"missing section, asked", languages, "vendors", 64, "foo", true, {}, 77, true},
        {"present section, asked", "[vendors]\r\ndefault=gm\r\ngm=1\r\nmt32=2\r\n", "vendors", 64, "MT32", true,
         {"gm", "mt32"}, 1, false},
        {"only default", "[vendors]\r\nDefault=gm\r\n", "vendors", 64, "gm", true, {}, 77, false},
    };
}

TEST_F(ConfigTest, KeyListWalk) {
    for (const WalkCase& c : WalkCases()) {
        PutFile(c.file);
        std::vector<char*> slots(c.slots, nullptr);
        slots[0] = CopyText("old");
        long live = HostLiveAllocations();
        LONG selected = 77;
        bool missing = !c.missing;
        LONG count = WalkKeyList(c.section, slots, c.current, &selected, c.askMissing ? &missing : nullptr);
        std::vector<std::string> got;
        for (LONG i = 0; i < count; ++i) {
            got.push_back(slots[i] ? slots[i] : "(null)");
        }
        EXPECT_EQ(got, c.names) << c.name;
        EXPECT_EQ(selected, c.selected) << c.name;
        if (c.askMissing) {
            EXPECT_EQ(missing, c.missing) << c.name;
        }
        for (std::size_t i = static_cast<std::size_t>(count); i < slots.size(); ++i) {
            EXPECT_EQ(slots[i], nullptr) << c.name << ": slot " << i;
        }
        for (char*& slot : slots) {
            FreeText(slot);
        }
        EXPECT_EQ(HostLiveAllocations(), live - 1) << c.name << ": the old text was freed";
    }
}

// A platform that fills the whole buffer with names and no final NUL: the
// walk stays inside the buffer and takes the last name cut.
TEST_F(ConfigTest, KeyListWalkStaysInsideACutList) {
    std::string raw;
    for (int i = 0; raw.size() < 2 * kKeyListSize; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "name%03d", i);
        raw.append(name);
        raw.push_back('\0');
    }
    rawKeyList = &raw;
    std::vector<char*> slots(200, nullptr);
    LONG count = WalkKeyList("mixer settings", slots, nullptr, nullptr);
    ASSERT_EQ(count, 128);
    EXPECT_STREQ(slots[0], "name000");
    EXPECT_STREQ(slots[126], "name126");
    EXPECT_STREQ(slots[127], "name12") << "the last name, cut where the buffer ends";

    std::string unbroken(kKeyListSize * 2, 'x');
    rawKeyList = &unbroken;
    count = WalkKeyList("mixer settings", slots, nullptr, nullptr);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(std::strlen(slots[0]), static_cast<std::size_t>(kKeyListSize - 2));
    for (char*& slot : slots) {
        FreeText(slot);
    }
}

// A name that cannot be copied is passed over; the others stay in order.
TEST_F(ConfigTest, KeyListWalkWithoutMemoryForAName) {
    PutFile("[languages]\r\na=1\r\nb=2\r\nc=3\r\n");
    std::vector<char*> slots(30, nullptr);
    LONG selected = 77;
    HostFailAlloc(2);
    LONG count = WalkKeyList("languages", slots, "c", &selected);
    HostFailAlloc(0);
    ASSERT_EQ(count, 2);
    EXPECT_STREQ(slots[0], "a");
    EXPECT_STREQ(slots[1], "c");
    EXPECT_EQ(selected, 1);
    for (char*& slot : slots) {
        FreeText(slot);
    }
}

}  // namespace
