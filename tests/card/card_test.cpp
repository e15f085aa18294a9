// The card simulator: card.ini, the driver's answers and the request log.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "card.h"
#include "testmachine.h"

namespace {

using Bytes = std::vector<unsigned char>;

card::Card CardFrom(std::string_view ini) {
    card::Card c;
    card::ReloadCard(c, card::ParseCardIni(ini));
    return c;
}

std::uint32_t Le32(const unsigned char* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

// The contract's own example, remarks and all.
constexpr std::string_view kFullIni = R"([devices]
setharmo=present        ; or absent; a missing file or key: absent
vzpd=Present

[Resources]
codec_io=0x534          ; 16-bit LE at offset 5
synth_io1=0x620
SYNTH_IO2=0XA20
mpu_io=816
sb_io=0x220
synth_dma1=5
synth_dma2=6
synth_irq1=11
synth_irq2=9
sb_irq=5
mpu_irq=9

[memory]
dram0=262144
dram1=0
dram2=unavailable
dram3=0x100
rom0=General MIDI Bank  ; name at 16+128*i
rom1=                   ;   characters fills all 128 bytes
rom2=Drums
rom3=

[mixer]
settings=zp8a1:01:02
terminated=yes

[reload]
status=2
)";

TEST(CardIni, ReadsEveryField) {
    const card::CardConfig c = card::ParseCardIni(kFullIni);
    EXPECT_TRUE(c.setharmoPresent);
    EXPECT_TRUE(c.vzpdPresent);
    EXPECT_EQ(c.codecIo, 0x534);
    EXPECT_EQ(c.synthIo1, 0x620);
    EXPECT_EQ(c.synthIo2, 0xa20);
    EXPECT_EQ(c.mpuIo, 816);
    EXPECT_EQ(c.sbIo, 0x220);
    EXPECT_EQ(c.synthDma1, 5);
    EXPECT_EQ(c.synthDma2, 6);
    EXPECT_EQ(c.synthIrq1, 11);
    EXPECT_EQ(c.synthIrq2, 9);
    EXPECT_EQ(c.sbIrq, 5);
    EXPECT_EQ(c.mpuIrq, 9);
    EXPECT_EQ(c.dram[0], 262144u);
    EXPECT_EQ(c.dram[1], 0u);
    EXPECT_EQ(c.dram[2], 0xFFFFFFFFu);
    EXPECT_EQ(c.dram[3], 0x100u);
    EXPECT_EQ(c.rom[0], "General MIDI Bank");
    EXPECT_EQ(c.rom[1], "");
    EXPECT_EQ(c.rom[2], "Drums");
    EXPECT_EQ(c.mixerSettings, "zp8a1:01:02");
    EXPECT_FALSE(c.hasMixerSize);
    EXPECT_TRUE(c.mixerTerminated);
    EXPECT_EQ(c.reloadStatus, 2u);
    for (const card::RequestOverride& o : c.overrides) EXPECT_FALSE(o.present);
}

TEST(CardIni, DevicesArePresentOnlyWhenSaidSo) {
    struct Case {
        const char* ini;
        bool setharmo, vzpd;
    } cases[] = {
        {"", false, false},
        {"[devices]\nsetharmo=present\n", true, false},
        {"[DEVICES]\nVZPD=PRESENT\nSetHarmo=absent\n", false, true},
        {"[devices]\nsetharmo=yes\nvzpd=present\n", false, true},
        {"[other]\nsetharmo=present\n", false, false},
        {"[devices]\n; setharmo=present\nvzpd=present\nvzpd=absent\n", false, true},  // the first key wins
    };
    for (const Case& c : cases) {
        const card::CardConfig config = card::ParseCardIni(c.ini);
        EXPECT_EQ(card::DevicePresent(config, card::Device::Setharmo), c.setharmo) << c.ini;
        EXPECT_EQ(card::DevicePresent(config, card::Device::Vzpd), c.vzpd) << c.ini;
    }
}

TEST(CardIni, MissingFileMeansBothAbsent) {
    zptest::TestMachine machine;
    machine.Remove("card.ini");
    card::CardConfig config;
    config.vzpdPresent = true;
    EXPECT_FALSE(card::ReadCardIni(machine.Root(), config));
    EXPECT_FALSE(config.vzpdPresent);
    EXPECT_FALSE(config.setharmoPresent);

    machine.Write("card.ini", "[devices]\r\nvzpd=present\r\n");
    EXPECT_TRUE(card::ReadCardIni(machine.Root(), config));
    EXPECT_TRUE(config.vzpdPresent);
}

TEST(CardRequests, ResourceRecordIsByteExact) {
    card::Card c = CardFrom(kFullIni);
    Bytes out(200, 0xEE);
    const card::Answer a = card::AnswerRequest(c, card::kGetResources, nullptr, 0, out.data(), 200);
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.returned, 178u);
    Bytes expected(178, 0);
    auto put16 = [&](int at, int v) {
        expected[at] = v & 0xff;
        expected[at + 1] = v >> 8;
    };
    put16(5, 0x534);
    put16(7, 0x620);
    put16(9, 0xa20);
    put16(11, 816);
    put16(13, 0x220);
    expected[25] = 5;
    expected[26] = 6;
    expected[27] = 11;
    expected[28] = 9;
    expected[31] = 5;
    expected[32] = 9;
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 178), expected);
    EXPECT_EQ(out[178], 0xEE) << "wrote past the record";

    Bytes small(100, 0xEE);
    const card::Answer refused = card::AnswerRequest(c, card::kGetResources, nullptr, 0, small.data(), 100);
    EXPECT_EQ(refused.result, 0);
    EXPECT_EQ(refused.lastError, card::kErrorInsufficientBuffer);
    EXPECT_EQ(small, Bytes(100, 0xEE));
}

TEST(CardRequests, MemoryInfoFillsTheInputBuffer) {
    struct Case {
        std::string name;
        std::string slot;  // the 128 bytes expected, less trailing zeros
    } cases[] = {
        {"General MIDI Bank", std::string("General MIDI Bank")},
        {"", ""},
        {std::string(127, 'a'), std::string(127, 'a')},
        {std::string(128, 'b'), std::string(128, 'b')},  // no room for the NUL
        {std::string(200, 'c'), std::string(128, 'c')},
    };
    for (const Case& k : cases) {
        std::string ini = "[memory]\ndram0=1024\ndram1=unavailable\nrom1=" + k.name + "\n";
        card::Card c = CardFrom(ini);
        Bytes in(600, 0xEE);
        unsigned char out[4] = {9, 9, 9, 9};
        const card::Answer a = card::AnswerRequest(c, card::kGetMemoryInfo, in.data(), 528, out, 4);
        EXPECT_EQ(a.result, 1);
        EXPECT_EQ(a.returned, 4u);
        EXPECT_EQ(Le32(out), 0u);
        EXPECT_EQ(Le32(&in[0]), 1024u);
        EXPECT_EQ(Le32(&in[4]), 0xFFFFFFFFu);
        EXPECT_EQ(Le32(&in[8]), 0u);
        std::string slot(reinterpret_cast<const char*>(&in[16 + 128]), 128);
        std::string expected = k.slot;
        expected.resize(128, '\0');
        EXPECT_EQ(slot, expected) << "name of " << k.name.size() << " characters";
        EXPECT_EQ(in[16], 0) << "empty bank 0 name";
        EXPECT_EQ(in[528], 0xEE) << "wrote past the buffer";
    }
}

TEST(CardRequests, MixerSettingsCopyAndSize) {
    struct Case {
        const char* ini;
        std::uint32_t outSize;
        std::string copied;  // bytes expected at the start of the buffer
        std::uint32_t size;  // what code 12 reports
    } cases[] = {
        {"[mixer]\nsettings=zp8a1xy\n", 64, std::string("zp8a1xy\0", 8), 8},
        {"[mixer]\nsettings=zp8a1xy\n", 5, "zp8a1", 8},
        {"[mixer]\nsettings=zp8a1xy\nterminated=no\n", 64, "zp8a1xy", 8},
        {"[mixer]\nsettings=zp8a1xy\nsize=4\n", 64, std::string("zp8a1xy\0", 8), 4},
        {"[mixer]\nsettings=zp8a1xy\nsize=\n", 64, std::string("zp8a1xy\0", 8), 8},
        {"", 64, std::string("\0", 1), 1},
    };
    for (const Case& k : cases) {
        card::Card c = CardFrom(k.ini);
        Bytes out(64, 0xEE);
        const card::Answer a = card::AnswerRequest(c, card::kGetMixerSettings, nullptr, 0, out.data(), k.outSize);
        EXPECT_EQ(a.result, 1) << k.ini;
        EXPECT_EQ(a.returned, k.copied.size()) << k.ini;
        EXPECT_EQ(std::string(out.begin(), out.begin() + k.copied.size()), k.copied) << k.ini;
        EXPECT_EQ(out[k.copied.size()], 0xEE) << k.ini;

        unsigned char size[4];
        const card::Answer s = card::AnswerRequest(c, card::kGetMixerSettingsSize, nullptr, 0, size, 4);
        EXPECT_EQ(s.result, 1);
        EXPECT_EQ(s.returned, 4u);
        EXPECT_EQ(Le32(size), k.size) << k.ini;
    }
}

TEST(CardRequests, SetMixerSettingsChangesTheLiveSettingsOnly) {
    card::Card c = CardFrom("[mixer]\nsettings=zp8a1old\n");
    const char text[] = "zp8a1new\r\nmore";
    const card::Answer a = card::AnswerRequest(c, card::kSetMixerSettings, const_cast<char*>(text), 5, nullptr, 0);
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.returned, 0u);
    EXPECT_EQ(card::LiveMixerSettings(c), "zp8a1new\r\nmore") << "the stated length 5 does not bound the text";
    EXPECT_EQ(c.config.mixerSettings, "zp8a1old");

    char out[32] = {};
    EXPECT_EQ(card::AnswerRequest(c, card::kGetMixerSettings, nullptr, 0, out, sizeof out).returned, 15u);
    EXPECT_STREQ(out, "zp8a1new\r\nmore");

    // A fresh description keeps what the driver was given.
    card::ReloadCard(c, card::ParseCardIni("[mixer]\nsettings=zp8a1other\n"));
    EXPECT_EQ(card::LiveMixerSettings(c), "zp8a1new\r\nmore");

    // The text is read up to its NUL, at most 65536 bytes.
    std::string huge(70000, 'z');
    card::AnswerRequest(c, card::kSetMixerSettings, huge.data(), 5, nullptr, 0);
    EXPECT_EQ(card::LiveMixerSettings(c).size(), card::kMaxSettingsText);
    card::AnswerRequest(c, card::kSetMixerSettings, nullptr, 0, nullptr, 0);
    EXPECT_EQ(card::LiveMixerSettings(c), "");
}

TEST(CardRequests, ReloadWritesItsStatusWhenGivenRoom) {
    card::Card c = CardFrom("[reload]\nstatus=0x2\n");
    unsigned char out[4] = {9, 9, 9, 9};
    card::Answer a = card::AnswerRequest(c, card::kReloadConfig, nullptr, 0, out, 4);
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.returned, 4u);
    EXPECT_EQ(Le32(out), 2u);
    a = card::AnswerRequest(c, card::kReloadConfig, nullptr, 0, nullptr, 0);
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.returned, 0u);
    unsigned char small[2] = {9, 9};
    a = card::AnswerRequest(c, card::kReloadConfig, nullptr, 0, small, 2);
    EXPECT_EQ(a.returned, 0u);
    EXPECT_EQ(small[0], 9);
}

TEST(CardRequests, OverridesAndUnknownCodes) {
    card::Card c = CardFrom(
        "[mixer]\nsettings=zp8a1\n[request 16]\nresult=0\nreturned=4\n[request 14]\nresult=2\n"
        "[request 1]\nreturned=12\n[request 11]\nresult=0\n");
    unsigned char out[200];
    std::memset(out, 0xEE, sizeof out);

    card::Answer a = card::AnswerRequest(c, card::kReloadConfig, nullptr, 0, out, 4);
    EXPECT_EQ(a.result, 0);
    EXPECT_EQ(a.lastError, card::kErrorGenFailure);
    EXPECT_EQ(a.returned, 4u);
    EXPECT_EQ(out[0], 0xEE) << "a refused request writes nothing";

    a = card::AnswerRequest(c, card::kGetMixerSettings, nullptr, 0, out, 32);
    EXPECT_EQ(a.result, 0);
    EXPECT_EQ(out[0], 0xEE);

    Bytes memory(528, 0xEE);
    a = card::AnswerRequest(c, card::kGetMemoryInfo, memory.data(), 528, out, 4);
    EXPECT_EQ(a.result, 2);
    EXPECT_EQ(a.returned, 4u);
    EXPECT_EQ(memory[0], 0) << "the request is still carried out";

    a = card::AnswerRequest(c, card::kGetResources, nullptr, 0, out, 178);
    EXPECT_EQ(a.result, 1);
    EXPECT_EQ(a.returned, 12u);

    for (std::uint32_t code : {0u, 2u, 13u, 17u, 0x222000u}) {
        a = card::AnswerRequest(c, code, nullptr, 0, out, 4);
        EXPECT_EQ(a.result, 0) << code;
        EXPECT_EQ(a.lastError, card::kErrorNotSupported) << code;
    }
}

TEST(CardLog, LinesAndAppending) {
    EXPECT_EQ(card::RequestLogLine(16, nullptr), "16");
    EXPECT_EQ(card::RequestLogLine(1, "ignored"), "1");
    EXPECT_EQ(card::RequestLogLine(15, "zp8a1 a\r\nb\\c"), "15 zp8a1 a\\r\\nb\\c");
    EXPECT_EQ(card::RequestLogLine(15, nullptr), "15 ");

    zptest::TestMachine machine;
    EXPECT_TRUE(card::AppendRequestLog(machine.Root(), "12"));
    EXPECT_TRUE(card::AppendRequestLog(machine.Root(), "15 zp8a1"));
    EXPECT_EQ(machine.Read("requests.log").value_or("<none>"), "12\n15 zp8a1\n");
}

}  // namespace
