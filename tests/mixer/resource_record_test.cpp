// The Resources page's decoding of the driver's resource record and memory
// information, and the texts its fields show.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "resources.h"

namespace {

using RecordBytes = std::array<BYTE, kResourceRecordSize>;
using MemoryBytes = std::array<BYTE, kMemoryInfoSize>;

void PutWord(RecordBytes& bytes, std::size_t offset, WORD value) {
    bytes[offset] = static_cast<BYTE>(value & 0xFF);
    bytes[offset + 1] = static_cast<BYTE>(value >> 8);
}

void PutDword(MemoryBytes& bytes, std::size_t offset, DWORD value) {
    for (int i = 0; i < 4; ++i) {
        bytes[offset + i] = static_cast<BYTE>(value >> (8 * i));
    }
}

std::string Shown(const char* text) {
    return text != nullptr ? text : "(null)";
}

// Every byte the page does not read holds 0xEE, so a read at a wrong offset shows.
RecordBytes SampleRecord() {
    RecordBytes bytes;
    bytes.fill(0xEE);
    PutWord(bytes, 5, 0x32C);
    PutWord(bytes, 7, 0x240);
    PutWord(bytes, 9, 0xA20);
    PutWord(bytes, 11, 0x330);
    PutWord(bytes, 13, 0x220);
    bytes[25] = 5;
    bytes[26] = 6;
    bytes[27] = 11;
    bytes[28] = 9;
    bytes[31] = 7;
    bytes[32] = 10;
    return bytes;
}

TEST(ResourceRecord, FieldsAtTheirOffsets) {
    RecordBytes bytes = SampleRecord();
    ResourceRecord record = DecodeResourceRecord(bytes);
    EXPECT_EQ(record.codecIo, 0x32C);
    EXPECT_EQ(record.synthIo1, 0x240);
    EXPECT_EQ(record.synthIo2, 0xA20);
    EXPECT_EQ(record.mpuIo, 0x330);
    EXPECT_EQ(record.sbIo, 0x220);
    EXPECT_EQ(record.synthDma1, 5);
    EXPECT_EQ(record.synthDma2, 6);
    EXPECT_EQ(record.synthIrq1, 11);
    EXPECT_EQ(record.synthIrq2, 9);
    EXPECT_EQ(record.sbIrq, 7);
    EXPECT_EQ(record.mpuIrq, 10);
}

TEST(ResourcesDisplay, RangesAndNumbers) {
    RecordBytes bytes = SampleRecord();
    bytes[25] = 0xFF;  // widened without sign
    PutWord(bytes, 13, 0xFFFF);
    ResourcesDisplay display{};
    FillResourcesDisplay(display, DecodeResourceRecord(bytes), DeviceInUseMemoryInfo());
    struct Case {
        const char* field;
        const char* got;
        const char* expected;
    };
    const Case texts[] = {
        {"codec", display.codecIoRange, "32c - 32f"},
        {"synth 1", display.synthIo1Range, "240 - 24f"},
        {"synth 2", display.synthIo2Range, "a20 - a27"},
        {"mpu", display.mpuIoRange, "330 - 331"},
        {"sb", display.sbIoRange, "ffff - 10000"},
    };
    for (const Case& c : texts) {
        EXPECT_EQ(Shown(c.got), c.expected) << c.field;
    }
    EXPECT_EQ(display.sbDma, 1);
    EXPECT_EQ(display.synthDma1, 255);
    EXPECT_EQ(display.synthDma2, 6);
    EXPECT_EQ(display.synthIrq1, 11);
    EXPECT_EQ(display.synthIrq2, 9);
    EXPECT_EQ(display.sbIrq, 7);
    EXPECT_EQ(display.mpuIrq, 10);
    ClearResourcesDisplay(display);
}

TEST(ResourcesDisplay, DramSizes) {
    struct Case {
        DWORD size;
        const char* expected;
    };
    const Case cases[] = {
        {262144, "256K"}, {1000, "0K"},         {0, "0K"},
        {1024, "1K"},     {2047, "1K"},         {0xFFFFFFFFu, "Error"},
        {0xFFFFFFFEu, "4194303K"}, {0x80000000u, "2097152K"},
    };
    MemoryBytes bytes{};
    for (std::size_t first = 0; first < std::size(cases); first += kMemoryBanks) {
        for (int bank = 0; bank < kMemoryBanks; ++bank) {
            PutDword(bytes, 4 * bank, cases[(first + bank) % std::size(cases)].size);
        }
        ResourcesDisplay display{};
        FillResourcesDisplay(display, DecodeResourceRecord(SampleRecord()), DecodeMemoryInfo(bytes));
        for (int bank = 0; bank < kMemoryBanks; ++bank) {
            const Case& c = cases[(first + bank) % std::size(cases)];
            EXPECT_EQ(Shown(display.dramBank[bank]), c.expected) << "bank " << bank << " size " << c.size;
        }
        ClearResourcesDisplay(display);
    }
}

TEST(ResourcesDisplay, RomNames) {
    MemoryBytes bytes{};
    std::memcpy(bytes.data() + 16, "General MIDI Bank", 18);
    std::memset(bytes.data() + 16 + 128, 'x', 128);  // no terminator
    std::memcpy(bytes.data() + 16 + 256, "ab\0cd", 5);
    bytes[16 + 384] = 0;
    // Bytes after the last name; a name read past its 128 bytes would show them.
    std::memset(bytes.data() + 16 + 384 + 1, 'z', 127);
    ResourcesDisplay display{};
    FillResourcesDisplay(display, DecodeResourceRecord(SampleRecord()), DecodeMemoryInfo(bytes));
    const std::string expected[kMemoryBanks] = {"General MIDI Bank", std::string(127, 'x'), "ab", ""};
    for (int bank = 0; bank < kMemoryBanks; ++bank) {
        EXPECT_EQ(Shown(display.romBank[bank]), expected[bank]) << "bank " << bank;
    }
    ClearResourcesDisplay(display);
}

TEST(ResourcesDisplay, DeviceInUse) {
    ResourcesDisplay display{};
    FillResourcesDisplay(display, DecodeResourceRecord(SampleRecord()), DeviceInUseMemoryInfo());
    for (int bank = 0; bank < kMemoryBanks; ++bank) {
        EXPECT_EQ(Shown(display.romBank[bank]), "Device In Use") << "bank " << bank;
        EXPECT_EQ(Shown(display.dramBank[bank]), "Error") << "bank " << bank;
    }
    ClearResourcesDisplay(display);
    EXPECT_EQ(display.romBank[0], nullptr);
    EXPECT_EQ(display.codecIoRange, nullptr);
}

}  // namespace
