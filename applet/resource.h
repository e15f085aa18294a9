// Resource and control ids of zpcfgpnl.  Dialogs 129-138, icons 128 and
// 141, strings 102-144; controls are banded by page (1000s Resources, 2000s
// General, 3000s Midi, 4000s Emulation, 5000s Advanced).  Every help context
// id equals its control id.  Included by the .rc script as well: defines only.
#pragma once

// Icons
#define IDI_APPLET 128
#define IDI_MIXER 141

// Dialog templates
#define IDD_ADVANCED 129
#define IDD_EMULATION 130
#define IDD_GENERAL 131
#define IDD_RESOURCES 132
#define IDD_MIDI 138

// Strings
#define IDS_APPLET_NAME 102
#define IDS_APPLET_INFO 103
#define IDS_ERR_READ_LANGUAGE 104
#define IDS_ERR_NO_CONFIG_PATH 106
#define IDS_ERROR_CAPTION 107
#define IDS_ERR_WRITE_CONFIG 108
#define IDS_ERR_BAD_LANGUAGE 109
#define IDS_ERR_MEMORY_WRITING 110
#define IDS_NOTE_REBOOT 111
#define IDS_NOTE_RESTART 112
#define IDS_NOTICE_CAPTION 113
#define IDS_ERR_OPEN_DRIVER 114
#define IDS_ERR_GET_RESOURCES 115
#define IDS_ERR_PATCH_MIDI_BUSY 116
#define IDS_ERR_PATCH_NOT_FOUND 117
#define IDS_ERR_PATCH_UNKNOWN 118
#define IDS_ERR_PATCH 119
#define IDS_ERR_READ_PATCH 120
#define IDS_ERR_READ_PATCHES 121
#define IDS_NOTE_DUPLICATE_MIXER 139
#define IDS_ERR_READ_MIXER 140
#define IDS_ERR_MEMORY 142
#define IDS_NOTE_LAST_MIXER 143
#define IDS_NOTE_BAD_MIXER_NAME 144

// Resources page (1000s, with 1100)
#define IDC_SYNTH_DMA1 1000
#define IDC_SYNTH_DMA2 1001
#define IDC_SYNTH_IRQ1 1002
#define IDC_SYNTH_IRQ2 1003
#define IDC_SYNTH_IO1 1004
#define IDC_SB_DMA 1005
#define IDC_SB_IRQ 1007
#define IDC_MPU_IRQ 1008
#define IDC_SB_IO 1009
#define IDC_CODEC_IO 1010
#define IDC_ROM_BANK0 1011
#define IDC_ROM_BANK1 1012
#define IDC_ROM_BANK2 1013
#define IDC_ROM_BANK3 1014
#define IDC_DRAM_BANK0 1015
#define IDC_DRAM_BANK1 1016
#define IDC_DRAM_BANK2 1017
#define IDC_DRAM_BANK3 1018
#define IDC_MPU_IO 1025
#define IDC_SYNTH_IO2 1100

// General page (2000s, with 1022)
#define IDC_APM 1022
#define IDC_MAX_WAVE_CLIENTS 2000
#define IDC_LANGUAGE 2001
#define IDC_EFFECTS 2002
#define IDC_SAVE_ON_EXIT 2003
#define IDC_CURRENT_MIXER 2004
#define IDC_MIXER_RESTORE 2007
#define IDC_MIXER_REMOVE 2008
#define IDC_MIXER_ADD 2009
#define IDC_MIXER_LIST 2010

// Midi page (3000s)
#define IDC_PATCH_SET 3000
#define IDC_MIDI_SYNC 3001

// Emulation page (4000s)
#define IDC_MPU_EMULATION 4000
#define IDC_EMULATION_BANNER 4001
#define IDC_PATCH_LOCATION 4002

// Advanced page (5000s)
#define IDC_USE_DMA 5000
#define IDC_CHAIN_NMI 5001
#define IDC_VELT_VECTOR 5002
#define IDC_GPU_USAGE 5003

// Static texts and group boxes carry no id of their own.
#define IDC_STATIC (-1)
