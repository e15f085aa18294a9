// The audio driver's answers to device control requests, and its request log.
#include "card.h"

#include <cstdio>
#include <cstring>

namespace card {
namespace {

void Put16(unsigned char* at, std::uint16_t value) {
    at[0] = static_cast<unsigned char>(value & 0xff);
    at[1] = static_cast<unsigned char>(value >> 8);
}

void Put32(unsigned char* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xff);
}

Answer Succeed(std::uint32_t returned) { return {1, returned, 0}; }
Answer Fail(std::uint32_t error) { return {0, 0, error}; }

Answer GetResources(const Card& card, unsigned char* out, std::uint32_t outSize) {
    if (!out || outSize < kResourceRecordSize) return Fail(kErrorInsufficientBuffer);
    const CardConfig& c = card.config;
    std::memset(out, 0, kResourceRecordSize);
    Put16(out + 5, c.codecIo);
    Put16(out + 7, c.synthIo1);
    Put16(out + 9, c.synthIo2);
    Put16(out + 11, c.mpuIo);
    Put16(out + 13, c.sbIo);
    out[25] = c.synthDma1;
    out[26] = c.synthDma2;
    out[27] = c.synthIrq1;
    out[28] = c.synthIrq2;
    out[31] = c.sbIrq;
    out[32] = c.mpuIrq;
    return Succeed(kResourceRecordSize);
}

Answer GetMixerSettings(const Card& card, unsigned char* out, std::uint32_t outSize) {
    const std::string& text = LiveMixerSettings(card);
    const std::uint32_t whole = static_cast<std::uint32_t>(text.size()) + (card.config.mixerTerminated ? 1 : 0);
    const std::uint32_t count = out ? (outSize < whole ? outSize : whole) : 0;
    if (count > 0) std::memcpy(out, text.c_str(), count);
    return Succeed(count);
}

Answer GetMixerSettingsSize(const Card& card, unsigned char* out, std::uint32_t outSize) {
    if (!out || outSize < 4) return Fail(kErrorInsufficientBuffer);
    const std::uint32_t size = card.config.hasMixerSize
                                   ? card.config.mixerSize
                                   : static_cast<std::uint32_t>(LiveMixerSettings(card).size()) + 1;
    Put32(out, size);
    return Succeed(4);
}

// The driver fills the caller's input buffer; the 4-byte output is a 0.
Answer GetMemoryInfo(const Card& card, unsigned char* in, std::uint32_t inSize, unsigned char* out,
                     std::uint32_t outSize) {
    if (!in || inSize < kMemoryInfoSize) return Fail(kErrorInsufficientBuffer);
    std::memset(in, 0, kMemoryInfoSize);
    for (int bank = 0; bank < 4; ++bank) {
        Put32(in + 4 * bank, card.config.dram[bank]);
        const std::string& name = card.config.rom[bank];
        // With its NUL when it fits; a name of 128 or more fills the slot unterminated.
        const std::size_t count = name.size() < kRomNameSize ? name.size() + 1 : kRomNameSize;
        std::memcpy(in + 16 + kRomNameSize * bank, name.c_str(), count);
    }
    if (out && outSize >= 4) Put32(out, 0);
    return Succeed(4);
}

Answer SetMixerSettings(Card& card, const void* in) {
    card.liveSettings = SettingsTextOf(in);
    card.liveSettingsSet = true;
    return Succeed(0);
}

Answer ReloadConfig(const Card& card, unsigned char* out, std::uint32_t outSize) {
    if (out && outSize >= 4) {
        Put32(out, card.config.reloadStatus);
        return Succeed(4);
    }
    return Succeed(0);
}

Answer NaturalAnswer(Card& card, std::uint32_t code, unsigned char* in, std::uint32_t inSize, unsigned char* out,
                     std::uint32_t outSize) {
    switch (code) {
    case kGetResources: return GetResources(card, out, outSize);
    case kGetMixerSettings: return GetMixerSettings(card, out, outSize);
    case kGetMixerSettingsSize: return GetMixerSettingsSize(card, out, outSize);
    case kGetMemoryInfo: return GetMemoryInfo(card, in, inSize, out, outSize);
    case kSetMixerSettings: return SetMixerSettings(card, in);
    case kReloadConfig: return ReloadConfig(card, out, outSize);
    default: return Fail(kErrorNotSupported);
    }
}

}  // namespace

void ReloadCard(Card& card, const CardConfig& config) { card.config = config; }

const std::string& LiveMixerSettings(const Card& card) {
    return card.liveSettingsSet ? card.liveSettings : card.config.mixerSettings;
}

Answer AnswerRequest(Card& card, std::uint32_t code, void* in, std::uint32_t inSize, void* out,
                     std::uint32_t outSize) {
    const int slot = OverrideSlot(code);
    const RequestOverride* rule = slot >= 0 ? &card.config.overrides[slot] : nullptr;
    if (rule && rule->present && rule->result == 0) {
        // A refused request does nothing.
        return {0, rule->hasReturned ? rule->returned : 0, kErrorGenFailure};
    }
    Answer answer =
        NaturalAnswer(card, code, static_cast<unsigned char*>(in), inSize, static_cast<unsigned char*>(out), outSize);
    if (rule && rule->present) {
        answer.result = rule->result;
        answer.lastError = 0;
        if (rule->hasReturned) answer.returned = rule->returned;
    }
    return answer;
}

std::string SettingsTextOf(const void* in) {
    if (!in) return std::string();
    const char* text = static_cast<const char*>(in);
    std::size_t length = 0;
    while (length < kMaxSettingsText && text[length] != '\0') ++length;
    return std::string(text, length);
}

std::string RequestLogLine(std::uint32_t code, const void* in) {
    std::string line = std::to_string(code);
    if (code == kSetMixerSettings) {
        line += ' ';
        for (char c : SettingsTextOf(in)) {
            if (c == '\r') line += "\\r";
            else if (c == '\n') line += "\\n";
            else line += c;
        }
    }
    return line;
}

bool AppendRequestLog(const std::string& machineDir, const std::string& line) {
    std::FILE* log = std::fopen((machineDir + "/requests.log").c_str(), "ab");
    if (!log) return false;
    const bool ok = std::fwrite(line.data(), 1, line.size(), log) == line.size() && std::fputc('\n', log) != EOF;
    return std::fclose(log) == 0 && ok;
}

}  // namespace card
