// The simulated card: its description (card.ini in a machine directory), the
// answers of its audio driver to device control requests, and the request log.
//
// Standard library only, so that the same core serves the host layer and the
// Windows driver stand-ins.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace card {

enum class Device { Setharmo, Vzpd };

// Control codes the audio driver answers.
inline constexpr std::uint32_t kGetResources = 1;
inline constexpr std::uint32_t kGetMixerSettings = 11;
inline constexpr std::uint32_t kGetMixerSettingsSize = 12;
inline constexpr std::uint32_t kGetMemoryInfo = 14;
inline constexpr std::uint32_t kSetMixerSettings = 15;
inline constexpr std::uint32_t kReloadConfig = 16;

inline constexpr std::uint32_t kResourceRecordSize = 178;
inline constexpr std::uint32_t kMemoryInfoSize = 528;
inline constexpr std::uint32_t kRomNameSize = 128;
// Code 15 reads its input as a NUL-terminated text of at most this many bytes.
inline constexpr std::uint32_t kMaxSettingsText = 65536;

// Win32 error codes the answers carry.
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorNotSupported = 50;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;

// The codes a [request N] section can override, in slot order.
inline constexpr std::uint32_t kOverrideCodes[6] = {kGetResources,  kGetMixerSettings, kGetMixerSettingsSize,
                                                    kGetMemoryInfo, kSetMixerSettings, kReloadConfig};

// A [request N] section: replaces the answer to code N.
struct RequestOverride {
    bool present = false;
    std::int32_t result = 1;
    bool hasReturned = false;
    std::uint32_t returned = 0;
};

// Everything card.ini says.
struct CardConfig {
    bool setharmoPresent = false;
    bool vzpdPresent = false;

    std::uint16_t codecIo = 0, synthIo1 = 0, synthIo2 = 0, mpuIo = 0, sbIo = 0;
    std::uint8_t synthDma1 = 0, synthDma2 = 0, synthIrq1 = 0, synthIrq2 = 0, sbIrq = 0, mpuIrq = 0;

    std::uint32_t dram[4] = {0, 0, 0, 0};
    std::string rom[4];

    std::string mixerSettings;
    bool hasMixerSize = false;
    std::uint32_t mixerSize = 0;
    bool mixerTerminated = true;

    std::uint32_t reloadStatus = 0;

    // One per entry of kOverrideCodes.
    RequestOverride overrides[6];
};

// The card as one process sees it: its description and the live mixer
// settings, which code 15 changes in memory only.
struct Card {
    CardConfig config;
    bool liveSettingsSet = false;
    std::string liveSettings;
};

// Index of code's slot in CardConfig::overrides, or -1 for a code without one.
int OverrideSlot(std::uint32_t code);

// Parses the text of a card.ini.
CardConfig ParseCardIni(std::string_view text);

// Reads machineDir/card.ini.  A missing file gives the defaults (both devices
// absent) and false.
bool ReadCardIni(const std::string& machineDir, CardConfig& config);

bool DevicePresent(const CardConfig& config, Device device);

// Replaces the description and keeps the live mixer settings.
void ReloadCard(Card& card, const CardConfig& config);

// The mixer settings the driver currently holds.
const std::string& LiveMixerSettings(const Card& card);

// One request's answer: what DeviceIoControl returns, the count it reports
// and, when result is 0, the last error.
struct Answer {
    std::int32_t result = 0;
    std::uint32_t returned = 0;
    std::uint32_t lastError = 0;
};

// Answers one request of the audio driver.  The input buffer of code 14 is
// written (the driver fills it).
Answer AnswerRequest(Card& card, std::uint32_t code, void* in, std::uint32_t inSize, void* out,
                     std::uint32_t outSize);

// The text code 15 takes from its input: up to the first NUL, at most
// kMaxSettingsText bytes; a null input is the empty text.
std::string SettingsTextOf(const void* in);

// The request log line for one request, without its line feed.
std::string RequestLogLine(std::uint32_t code, const void* in);

// Appends one line (and a line feed) to machineDir/requests.log.
bool AppendRequestLog(const std::string& machineDir, const std::string& line);

}  // namespace card
