// The resource keys of the configuration file, from the registry.
#include <gtest/gtest.h>

#include "bootsync.h"
#include "testmachine.h"

namespace {

using zptest::Dos;
using zptest::Show;

const std::string kSettings = "SOFTWARE\\Calderon\\Brevik Harmonaire Plug & Play\\Settings";
const std::string kValue254(254, 'v');
const std::string kValue255(255, 'w');

// Settings\NAME default values; IRQ2 has no subkey.
std::string Registry() {
    struct Entry {
        const char* name;
        std::string value;
    } entries[] = {
        {"SynthBase", "620"}, {"CodecBase", "534"}, {"IRQ1", "7"},      {"DMA1", "5"},
        {"DMA2", "6"},        {"CDBase", "170"},    {"ATAPIBase", kValue254}, {"CDIRQ", "15"},
        {"GamePort", kValue255}, {"ADLibBase", "0x220"}, {"SBIRQ", ""}, {"MpuBase", "330"},
        {"MPUIRQ", "9"},
    };
    std::string text = "REGEDIT4\r\n\r\n";
    for (const Entry& e : entries) {
        text += "[HKEY_LOCAL_MACHINE\\" + kSettings + "\\" + e.name + "]\r\n@=\"" + e.value + "\"\r\n\r\n";
    }
    return text;
}

// Rewrites C:\HARMPNP\ZP.INI holding before; the file's bytes afterwards.
std::string Sync(std::string_view before) {
    zptest::TestMachine machine;
    machine.Write("registry.reg", Registry());
    machine.Write("drive_c/HARMPNP/ZP.INI", before);
    const auto files = machine.Files();
    SyncResourceKeys("C:\\HARMPNP\\ZP.INI");
    EXPECT_EQ(machine.Files(), files) << "a backup or another file was left";
    return machine.Read("drive_c/HARMPNP/ZP.INI").value_or("<none>");
}

TEST(ResourceKeys, LineRules) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"IRQ1=5", "IRQ1=7"},
        {"IRQ1=5 ; set by setup", "IRQ1=7"},
        {"IRQ1=", "IRQ1=7"},
        {"irq1=5", "irq1=5"},
        {"IRQ1 =5", "IRQ1 =5"},
        {" IRQ1=5", " IRQ1=5"},
        {";IRQ1=5", ";IRQ1=5"},
        {"IRQ10=5", "IRQ10=5"},
        {"MpuIrq=9", "MpuIrq=9"},
        {"MPUIRQ=3", "MPUIRQ=9"},
        {"MpuBase=300", "MpuBase=330"},
        {"IRQ2=10", "IRQ2=10"},          // no subkey
        {"SBIRQ=5", "SBIRQ="},           // an empty registry string
        {"CDIRQ=9", "CDIRQ=15"},
        {"CDBase=1f0", "CDBase=170"},
        {"ADLibBase=388", "ADLibBase=0x220"},  // copied as the registry holds it
        {"AdLibBase=388", "AdLibBase=388"},
        {"ATAPIBase=376", "ATAPIBase=376"},    // key, 254 characters and LF do not fit the line buffer
        {"GamePort=201", "GamePort=201"},      // 255 characters do not fit the query
        {"[setup 0]", "[setup 0]"},
        {"SynthBase=620", "SynthBase=620"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Show(Sync(Dos({c.in}))), Show(Dos({c.out}))) << c.in;
    }
}

TEST(ResourceKeys, WholeFiles) {
    struct Case {
        const char* what;
        std::string in, out;
    } cases[] = {
        {"the same key in two sections", Dos({"[setup 0]", "IRQ1=5", "DMA1=1", "[zpvelt]", "IRQ1=6"}),
         Dos({"[setup 0]", "IRQ1=7", "DMA1=5", "[zpvelt]", "IRQ1=7"})},
        {"no key: only the text conventions", "[windows]\napm=off\r\nkey=a\rb\n\x1a[after]\n",
         "[windows]\r\napm=off\r\nkey=a\rb\r\n"},
        {"nothing is appended", Dos({"[setup 0]"}) + "DMA2=1", Dos({"[setup 0]", "DMA2=6"})},
        {"a key line longer than a piece", "DMA1=" + std::string(260, '1') + "\r\n",
         "DMA1=5\r\n" + std::string(11, '1') + "\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Show(Sync(c.in)), Show(c.out)) << c.what;
    }
}

TEST(ResourceKeys, RegistryTextThatWouldEndTheFileLeavesTheLine) {
    // A Ctrl-Z would end ZP.INI for every later reader; a lone CR is text.
    zptest::TestMachine machine;
    machine.Write("registry.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + kSettings + "\\IRQ1]\r\n@=\"7\x1a\"\r\n" +
                                      "[HKEY_LOCAL_MACHINE\\" + kSettings + "\\DMA1]\r\n@=\"5\r\"\r\n");
    machine.Write("drive_c/HARMPNP/ZP.INI", Dos({"IRQ1=5", "DMA1=1", "[after]", "IRQ2=9"}));
    SyncResourceKeys("C:\\HARMPNP\\ZP.INI");
    EXPECT_EQ(Show(machine.Read("drive_c/HARMPNP/ZP.INI").value_or("<none>")),
              Show(Dos({"IRQ1=5", "DMA1=5\r", "[after]", "IRQ2=9"})));
}

TEST(ResourceKeys, ASecondRunChangesNothing) {
    // "IRQ1=", 248 characters and a line feed make the longest line that a
    // later run reads back as one piece; one character more leaves DMA1's
    // line as it was.
    const std::string v248(248, '1'), v249(249, '2');
    zptest::TestMachine machine;
    machine.Write("registry.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\" + kSettings + "\\IRQ1]\r\n@=\"" + v248 +
                                      "\"\r\n[HKEY_LOCAL_MACHINE\\" + kSettings + "\\DMA1]\r\n@=\"" + v249 + "\"\r\n");
    machine.Write("drive_c/HARMPNP/ZP.INI", Dos({"IRQ1=5", "DMA1=1"}));
    SyncResourceKeys("C:\\HARMPNP\\ZP.INI");
    const std::string expected = Dos({"IRQ1=" + v248, "DMA1=1"});
    EXPECT_EQ(Show(machine.Read("drive_c/HARMPNP/ZP.INI").value_or("<none>")), Show(expected));
    SyncResourceKeys("C:\\HARMPNP\\ZP.INI");
    EXPECT_EQ(Show(machine.Read("drive_c/HARMPNP/ZP.INI").value_or("<none>")), Show(expected)) << "the second run";
}

TEST(ResourceKeys, ReadSettingsValue) {
    zptest::TestMachine machine;
    machine.Write("registry.reg", Registry());
    char value[kTextSize];
    EXPECT_EQ(ReadSettingsValue((kSettings + "\\IRQ1").c_str(), value), 0);
    EXPECT_STREQ(value, "7");
    EXPECT_EQ(ReadSettingsValue((kSettings + "\\ATAPIBase").c_str(), value), 0);
    EXPECT_EQ(std::string(value), kValue254);
    EXPECT_EQ(ReadSettingsValue((kSettings + "\\IRQ2").c_str(), value), -1);
    EXPECT_EQ(ReadSettingsValue((kSettings + "\\GamePort").c_str(), value), ERROR_MORE_DATA);
}

TEST(ResourceKeys, NoFileCreatesNothing) {
    zptest::TestMachine machine;
    machine.Write("registry.reg", Registry());
    const auto files = machine.Files();
    SyncResourceKeys("C:\\HARMPNP\\NONE.INI");
    SyncResourceKeys("");
    SyncResourceKeys("C:\\HARMPNP");
    EXPECT_EQ(machine.Files(), files);
}

}  // namespace
