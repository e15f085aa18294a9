// The Resources page: the card's resources as the audio driver reports them.
#include "applet.h"

namespace {

constexpr HelpIdPair ResourcesHelpIds[] = {
    {IDC_SYNTH_DMA1, IDC_SYNTH_DMA1}, {IDC_SYNTH_DMA2, IDC_SYNTH_DMA2}, {IDC_SYNTH_IRQ1, IDC_SYNTH_IRQ1},
    {IDC_SYNTH_IRQ2, IDC_SYNTH_IRQ2}, {IDC_SYNTH_IO1, IDC_SYNTH_IO1},   {IDC_SYNTH_IO2, IDC_SYNTH_IO2},
    {IDC_CODEC_IO, IDC_CODEC_IO},     {IDC_SB_DMA, IDC_SB_DMA},         {IDC_SB_IRQ, IDC_SB_IRQ},
    {IDC_SB_IO, IDC_SB_IO},           {IDC_MPU_IRQ, IDC_MPU_IRQ},       {IDC_MPU_IO, IDC_MPU_IO},
    {IDC_ROM_BANK0, IDC_ROM_BANK0},   {IDC_ROM_BANK1, IDC_ROM_BANK1},   {IDC_ROM_BANK2, IDC_ROM_BANK2},
    {IDC_ROM_BANK3, IDC_ROM_BANK3},   {IDC_DRAM_BANK0, IDC_DRAM_BANK0}, {IDC_DRAM_BANK1, IDC_DRAM_BANK1},
    {IDC_DRAM_BANK2, IDC_DRAM_BANK2}, {IDC_DRAM_BANK3, IDC_DRAM_BANK3}, {0, 0},
};

LRESULT ResourcesHelp(HWND, UINT, WPARAM, LPARAM lp) {
    return ShowPageHelp(lp, ResourcesHelpIds);
}

// The page handles no command: its one entry is inert.
constexpr PageCommandEntry ResourcesCommandEntries[] = {
    {0, nullptr},
};
constexpr PageCommandTable ResourcesCommandTable = MakeCommandTable(ResourcesCommandEntries);

LRESULT ResourcesCommand(HWND page, UINT, WPARAM wp, LPARAM lp) {
    return DispatchPageCommand(ResourcesCommandTable, page, wp, lp);
}

LRESULT InitResourcesPage(HWND, UINT, WPARAM, LPARAM) {
    return 1;
}

constexpr PageMessageEntry ResourcesMessageEntries[] = {
    {WM_HELP, ResourcesHelp},
    {WM_COMMAND, ResourcesCommand},
    {WM_INITDIALOG, InitResourcesPage},
};
constexpr PageMessageTable ResourcesMessageTable = MakeMessageTable(ResourcesMessageEntries);

}  // namespace

INT_PTR CALLBACK ResourcesPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageMessage(ResourcesMessageTable, page, msg, wp, lp);
}
