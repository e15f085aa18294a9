// Reader of card.ini: profile-style text, sections and keys ignoring case.
#include "card.h"

#include <cstdio>
#include <vector>

namespace card {
namespace {

struct Entry {
    std::string section;  // folded to lower case
    std::string key;      // folded to lower case
    std::string value;
};

char FoldChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Fold(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) c = FoldChar(c);
    return folded;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// A ';' after a blank starts a remark that runs to the end of the line.
std::string_view StripRemark(std::string_view value) {
    for (std::size_t i = 1; i < value.size(); ++i) {
        if (value[i] == ';' && IsBlank(value[i - 1])) return value.substr(0, i);
    }
    return value;
}

std::vector<Entry> ParseEntries(std::string_view text) {
    std::vector<Entry> entries;
    std::string section;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            if (close != std::string_view::npos) section = Fold(Trim(line.substr(1, close - 1)));
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        entries.push_back({section, Fold(Trim(line.substr(0, equals))),
                           std::string(Trim(StripRemark(line.substr(equals + 1))))});
    }
    return entries;
}

// The first entry of section/key (both given in lower case), or null.
const std::string* Find(const std::vector<Entry>& entries, std::string_view section, std::string_view key) {
    for (const Entry& entry : entries) {
        if (entry.section == section && entry.key == key) return &entry.value;
    }
    return nullptr;
}

// Decimal or 0x-hex; anything else is 0.
std::uint32_t ParseNumber(std::string_view text) {
    std::uint32_t base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return 0;
    std::uint32_t value = 0;
    for (char c : text) {
        std::uint32_t digit;
        if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else return 0;
        value = value * base + digit;
    }
    return value;
}

template <typename T>
void ReadNumber(const std::vector<Entry>& entries, std::string_view section, std::string_view key, T& field) {
    if (const std::string* value = Find(entries, section, key)) field = static_cast<T>(ParseNumber(*value));
}

bool IsWord(const std::string* value, std::string_view word) { return value && Fold(*value) == word; }

}  // namespace

int OverrideSlot(std::uint32_t code) {
    for (int i = 0; i < 6; ++i) {
        if (kOverrideCodes[i] == code) return i;
    }
    return -1;
}

CardConfig ParseCardIni(std::string_view text) {
    const std::vector<Entry> entries = ParseEntries(text);
    CardConfig config;

    config.setharmoPresent = IsWord(Find(entries, "devices", "setharmo"), "present");
    config.vzpdPresent = IsWord(Find(entries, "devices", "vzpd"), "present");

    ReadNumber(entries, "resources", "codec_io", config.codecIo);
    ReadNumber(entries, "resources", "synth_io1", config.synthIo1);
    ReadNumber(entries, "resources", "synth_io2", config.synthIo2);
    ReadNumber(entries, "resources", "mpu_io", config.mpuIo);
    ReadNumber(entries, "resources", "sb_io", config.sbIo);
    ReadNumber(entries, "resources", "synth_dma1", config.synthDma1);
    ReadNumber(entries, "resources", "synth_dma2", config.synthDma2);
    ReadNumber(entries, "resources", "synth_irq1", config.synthIrq1);
    ReadNumber(entries, "resources", "synth_irq2", config.synthIrq2);
    ReadNumber(entries, "resources", "sb_irq", config.sbIrq);
    ReadNumber(entries, "resources", "mpu_irq", config.mpuIrq);

    for (int bank = 0; bank < 4; ++bank) {
        const std::string dram = "dram" + std::to_string(bank);
        const std::string rom = "rom" + std::to_string(bank);
        if (const std::string* value = Find(entries, "memory", dram)) {
            config.dram[bank] = Fold(*value) == "unavailable" ? 0xFFFFFFFFu : ParseNumber(*value);
        }
        if (const std::string* value = Find(entries, "memory", rom)) config.rom[bank] = *value;
    }

    if (const std::string* value = Find(entries, "mixer", "settings")) config.mixerSettings = *value;
    if (const std::string* value = Find(entries, "mixer", "size"); value && !value->empty()) {
        config.hasMixerSize = true;
        config.mixerSize = ParseNumber(*value);
    }
    config.mixerTerminated = !IsWord(Find(entries, "mixer", "terminated"), "no");

    ReadNumber(entries, "reload", "status", config.reloadStatus);

    for (std::uint32_t code : kOverrideCodes) {
        const std::string section = "request " + std::to_string(code);
        RequestOverride& slot = config.overrides[OverrideSlot(code)];
        const std::string* result = Find(entries, section, "result");
        const std::string* returned = Find(entries, section, "returned");
        if (!result && !returned) continue;
        slot.present = true;
        if (result) slot.result = static_cast<std::int32_t>(ParseNumber(*result));
        if (returned) {
            slot.hasReturned = true;
            slot.returned = ParseNumber(*returned);
        }
    }
    return config;
}

bool ReadCardIni(const std::string& machineDir, CardConfig& config) {
    config = CardConfig{};
    std::FILE* file = std::fopen((machineDir + "/card.ini").c_str(), "rb");
    if (!file) return false;
    std::string text;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    std::fclose(file);
    config = ParseCardIni(text);
    return true;
}

bool DevicePresent(const CardConfig& config, Device device) {
    return device == Device::Setharmo ? config.setharmoPresent : config.vzpdPresent;
}

}  // namespace card
