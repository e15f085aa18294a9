// zpcfgpnl: the Resources page.  Shows, read-only, what the driver reports
// of the card's ports, channels, interrupts and memory banks.
#include <cstring>

#include "resources.h"

namespace {

constexpr char kDeviceInUse[] = "Device In Use";
constexpr int kRangeTextSize = 32;

ResourcesDisplay Display{};

constexpr HelpIdPair kResourcesHelpIds[] = {
    {IDC_SYNTH_DMA1, IDC_SYNTH_DMA1},   {IDC_SYNTH_DMA2, IDC_SYNTH_DMA2}, {IDC_SYNTH_IRQ1, IDC_SYNTH_IRQ1},
    {IDC_SYNTH_IRQ2, IDC_SYNTH_IRQ2},   {IDC_SYNTH_IO1, IDC_SYNTH_IO1},   {IDC_SYNTH_IO2, IDC_SYNTH_IO2},
    {IDC_CODEC_IO, IDC_CODEC_IO},       {IDC_SB_DMA, IDC_SB_DMA},         {IDC_SB_IRQ, IDC_SB_IRQ},
    {IDC_SB_IO, IDC_SB_IO},             {IDC_MPU_IRQ, IDC_MPU_IRQ},       {IDC_MPU_IO, IDC_MPU_IO},
    {IDC_ROM_BANK0, IDC_ROM_BANK0},     {IDC_ROM_BANK1, IDC_ROM_BANK1},   {IDC_ROM_BANK2, IDC_ROM_BANK2},
    {IDC_ROM_BANK3, IDC_ROM_BANK3},     {IDC_DRAM_BANK0, IDC_DRAM_BANK0}, {IDC_DRAM_BANK1, IDC_DRAM_BANK1},
    {IDC_DRAM_BANK2, IDC_DRAM_BANK2},   {IDC_DRAM_BANK3, IDC_DRAM_BANK3}, {0, 0},
};

constexpr int kRomControls[kMemoryBanks] = {IDC_ROM_BANK0, IDC_ROM_BANK1, IDC_ROM_BANK2, IDC_ROM_BANK3};
constexpr int kDramControls[kMemoryBanks] = {IDC_DRAM_BANK0, IDC_DRAM_BANK1, IDC_DRAM_BANK2, IDC_DRAM_BANK3};

// The display's texts stay with the library; they go when it is unloaded.
struct DisplayRelease {
    ~DisplayRelease() { ClearResourcesDisplay(Display); }
};
DisplayRelease displayRelease;

WORD ReadWord(std::span<const BYTE> bytes, std::size_t offset) {
    return static_cast<WORD>(bytes[offset] | (bytes[offset + 1] << 8));
}

DWORD ReadDword(std::span<const BYTE> bytes, std::size_t offset) {
    return static_cast<DWORD>(bytes[offset]) | static_cast<DWORD>(bytes[offset + 1]) << 8 |
           static_cast<DWORD>(bytes[offset + 2]) << 16 | static_cast<DWORD>(bytes[offset + 3]) << 24;
}

void SetRange(char*& slot, WORD base, unsigned last) {
    char text[kRangeTextSize];
    wsprintfA(text, "%x - %x", static_cast<unsigned>(base), static_cast<unsigned>(base) + last);
    ReplaceText(slot, text);
}

void SetDramSize(char*& slot, DWORD size) {
    char text[kRangeTextSize];
    if (size == kDramUnavailable) {
        CopyBounded(text, sizeof text, "Error");
    } else {
        wsprintfA(text, "%dK", static_cast<int>(size >> 10));
    }
    ReplaceText(slot, text);
}

void ExchangeResourcesControls(const ExchangeContext& ctx, ResourcesDisplay& display) {
    ExchangeInt(ctx, IDC_SB_DMA, &display.sbDma);
    ExchangeInt(ctx, IDC_SB_IRQ, &display.sbIrq);
    ExchangeInt(ctx, IDC_SYNTH_DMA2, &display.synthDma2);
    ExchangeInt(ctx, IDC_SYNTH_DMA1, &display.synthDma1);
    ExchangeInt(ctx, IDC_SYNTH_IRQ1, &display.synthIrq1);
    ExchangeInt(ctx, IDC_SYNTH_IRQ2, &display.synthIrq2);
    ExchangeInt(ctx, IDC_MPU_IRQ, &display.mpuIrq);
    ExchangeText(ctx, IDC_SYNTH_IO1, &display.synthIo1Range);
    ExchangeText(ctx, IDC_SYNTH_IO2, &display.synthIo2Range);
    ExchangeText(ctx, IDC_CODEC_IO, &display.codecIoRange);
    ExchangeText(ctx, IDC_MPU_IO, &display.mpuIoRange);
    ExchangeText(ctx, IDC_SB_IO, &display.sbIoRange);
    for (int bank = 0; bank < kMemoryBanks; ++bank) {
        ExchangeText(ctx, kDramControls[bank], &display.dramBank[bank]);
    }
    for (int bank = 0; bank < kMemoryBanks; ++bank) {
        ExchangeText(ctx, kRomControls[bank], &display.romBank[bank]);
    }
}

LRESULT InitResourcesPage(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    ClearResourcesDisplay(Display);
    AudioDriver driver;
    if (!driver.Open()) {
        ShowErrorBox(IDS_ERR_OPEN_DRIVER);
        return 1;
    }
    BYTE record[kResourceRecordSize] = {};
    DWORD returned = 0;
    if (!driver.Control(DIOC_GET_RESOURCES, nullptr, 0, record, sizeof record, &returned)) {
        ShowErrorBox(IDS_ERR_GET_RESOURCES);
        driver.Close();
        return 1;
    }
    BYTE memory[kMemoryInfoSize] = {};
    DWORD status = 0;
    returned = 0;
    bool answered = driver.Control(DIOC_GET_MEMORY_INFO, memory, sizeof memory, &status, sizeof status, &returned);
    MemoryInfo banks = answered && returned == sizeof status ? DecodeMemoryInfo(memory) : DeviceInUseMemoryInfo();
    FillResourcesDisplay(Display, DecodeResourceRecord(record), banks);
    driver.Close();

    ExchangeResourcesControls({page, 0}, Display);
    return 0;
}

LRESULT ResourcesHelp(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return ShowPageHelp(lp, kResourcesHelpIds);
}

constexpr PageCommandEntry kResourcesCommands[] = {
    {0, nullptr},
};
constexpr PageCommandTable kResourcesCommandTable = MakeCommandTable(kResourcesCommands);

LRESULT ResourcesCommand(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageCommand(kResourcesCommandTable, page, wp, lp);
}

constexpr PageMessageEntry kResourcesMessages[] = {
    {WM_HELP, ResourcesHelp},
    {WM_COMMAND, ResourcesCommand},
    {WM_INITDIALOG, InitResourcesPage},
};
constexpr PageMessageTable kResourcesMessageTable = MakeMessageTable(kResourcesMessages);

}  // namespace

ResourceRecord DecodeResourceRecord(std::span<const BYTE, kResourceRecordSize> bytes) {
    ResourceRecord record{};
    record.codecIo = ReadWord(bytes, 5);
    record.synthIo1 = ReadWord(bytes, 7);
    record.synthIo2 = ReadWord(bytes, 9);
    record.mpuIo = ReadWord(bytes, 11);
    record.sbIo = ReadWord(bytes, 13);
    record.synthDma1 = bytes[25];
    record.synthDma2 = bytes[26];
    record.synthIrq1 = bytes[27];
    record.synthIrq2 = bytes[28];
    record.sbIrq = bytes[31];
    record.mpuIrq = bytes[32];
    return record;
}

MemoryInfo DecodeMemoryInfo(std::span<const BYTE, kMemoryInfoSize> bytes) {
    MemoryInfo memory{};
    for (int bank = 0; bank < kMemoryBanks; ++bank) {
        memory.dramSize[bank] = ReadDword(bytes, 4 * bank);
        const BYTE* name = bytes.data() + 16 + kRomNameSize * bank;
        for (int i = 0; i < kRomNameSize - 1 && name[i] != 0; ++i) {
            memory.romName[bank][i] = static_cast<char>(name[i]);
        }
    }
    return memory;
}

MemoryInfo DeviceInUseMemoryInfo() {
    MemoryInfo memory{};
    for (int bank = 0; bank < kMemoryBanks; ++bank) {
        memory.dramSize[bank] = kDramUnavailable;
        CopyBounded(memory.romName[bank], kRomNameSize, kDeviceInUse);
    }
    return memory;
}

void FillResourcesDisplay(ResourcesDisplay& display, const ResourceRecord& record, const MemoryInfo& memory) {
    display.sbDma = 1;
    display.sbIrq = record.sbIrq;
    display.synthDma2 = record.synthDma2;
    display.synthDma1 = record.synthDma1;
    display.synthIrq1 = record.synthIrq1;
    display.synthIrq2 = record.synthIrq2;
    display.mpuIrq = record.mpuIrq;
    SetRange(display.codecIoRange, record.codecIo, 3);
    SetRange(display.synthIo1Range, record.synthIo1, 15);
    SetRange(display.synthIo2Range, record.synthIo2, 7);
    SetRange(display.mpuIoRange, record.mpuIo, 1);
    SetRange(display.sbIoRange, record.sbIo, 1);
    for (int bank = 0; bank < kMemoryBanks; ++bank) {
        SetDramSize(display.dramBank[bank], memory.dramSize[bank]);
        ReplaceText(display.romBank[bank], memory.romName[bank]);
    }
}

void ClearResourcesDisplay(ResourcesDisplay& display) {
    for (char** slot : {&display.synthIo1Range, &display.synthIo2Range, &display.codecIoRange, &display.mpuIoRange,
                        &display.sbIoRange}) {
        FreeText(*slot);
    }
    for (int bank = 0; bank < kMemoryBanks; ++bank) {
        FreeText(display.dramBank[bank]);
        FreeText(display.romBank[bank]);
    }
    display = ResourcesDisplay{};
}

INT_PTR CALLBACK ResourcesPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageMessage(kResourcesMessageTable, page, msg, wp, lp);
}
