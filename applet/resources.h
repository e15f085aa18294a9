// zpcfgpnl: the Resources page's records, decoded from the driver's bytes
// (page_resources.cpp).
#pragma once

#include <span>

#include "applet.h"

inline constexpr DWORD kResourceRecordSize = 178;  // DIOC_GET_RESOURCES output
inline constexpr DWORD kMemoryInfoSize = 528;      // DIOC_GET_MEMORY_INFO input, filled by the driver
inline constexpr int kMemoryBanks = 4;
inline constexpr int kRomNameSize = 128;            // names hold at most 127 characters
inline constexpr DWORD kDramUnavailable = 0xFFFFFFFFu;

// The fields of the resource record the page shows.
struct ResourceRecord {
    WORD codecIo;
    WORD synthIo1;
    WORD synthIo2;
    WORD mpuIo;
    WORD sbIo;
    BYTE synthDma1;
    BYTE synthDma2;
    BYTE synthIrq1;
    BYTE synthIrq2;
    BYTE sbIrq;
    BYTE mpuIrq;
};

struct MemoryInfo {
    DWORD dramSize[kMemoryBanks];
    char romName[kMemoryBanks][kRomNameSize];  // always terminated
};

// What the page's fields show; texts are owned.
struct ResourcesDisplay {
    LONG sbDma;
    LONG sbIrq;
    LONG synthDma2;
    LONG synthDma1;
    LONG synthIrq1;
    LONG synthIrq2;
    LONG mpuIrq;
    char* synthIo1Range;
    char* synthIo2Range;
    char* codecIoRange;
    char* mpuIoRange;
    char* sbIoRange;
    char* dramBank[kMemoryBanks];
    char* romBank[kMemoryBanks];
};

// Little-endian, packed, read byte by byte.
ResourceRecord DecodeResourceRecord(std::span<const BYTE, kResourceRecordSize> bytes);
MemoryInfo DecodeMemoryInfo(std::span<const BYTE, kMemoryInfoSize> bytes);
// What a failed or short memory request shows.
MemoryInfo DeviceInUseMemoryInfo();

// Replaces the display's texts (a text that cannot be allocated stays null).
void FillResourcesDisplay(ResourcesDisplay& display, const ResourceRecord& record, const MemoryInfo& memory);
void ClearResourcesDisplay(ResourcesDisplay& display);
