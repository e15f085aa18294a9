// The resource keys of the configuration file, refreshed from the registry.
#include <cstring>
#include <string>

#include "textfile.h"

namespace {

constexpr char kSettingsKey[] = "SOFTWARE\\Calderon\\Brevik Harmonaire Plug & Play\\Settings";

// A line that begins with prefix (exact case, over compareLength characters)
// becomes prefix, the default value of Settings\subkey, and a line feed.
struct ResourceKey {
    const char* prefix;
    int compareLength;
    const char* subkey;
};

constexpr ResourceKey ResourceKeyTable[] = {
    {"SynthBase=", 10, "SynthBase"}, {"CodecBase=", 10, "CodecBase"}, {"IRQ1=", 5, "IRQ1"},
    {"IRQ2=", 5, "IRQ2"},            {"DMA1=", 5, "DMA1"},            {"DMA2=", 5, "DMA2"},
    {"CDBase=", 7, "CDBase"},        {"ATAPIBase=", 10, "ATAPIBase"}, {"CDIRQ=", 6, "CDIRQ"},
    {"GamePort=", 9, "GamePort"},    {"ADLibBase=", 10, "ADLibBase"}, {"SBIRQ=", 6, "SBIRQ"},
    {"MpuBase=", 8, "MpuBase"},      {"MPUIRQ=", 7, "MPUIRQ"},
};

constexpr bool CompareLengthsMatchPrefixes() {
    for (const ResourceKey& key : ResourceKeyTable) {
        if (std::char_traits<char>::length(key.prefix) != static_cast<std::size_t>(key.compareLength)) return false;
    }
    return true;
}
static_assert(CompareLengthsMatchPrefixes());

// A line whose value cannot be read, holds a line feed or a Ctrl-Z (which
// would end the line or the file early), or whose new line would not come
// back as one piece in the next run (which would cut it anew and add a
// line), stays as it is.
int EditResourcePiece(void*, char* piece, int length) {
    if (piece[0] == ';') return length;
    for (const ResourceKey& key : ResourceKeyTable) {
        if (length < key.compareLength || piece[0] != key.prefix[0] ||
            std::memcmp(piece, key.prefix, static_cast<std::size_t>(key.compareLength)) != 0) {
            continue;
        }
        char keyPath[kTextSize];
        char value[kTextSize];
        char line[kTextSize];
        if (!JoinText(keyPath, kSettingsKey, "\\", key.subkey) || ReadSettingsValue(keyPath, value) != 0 ||
            !IsOneLineText(value) || !JoinText(line, key.prefix, value, "\n") ||
            std::strlen(line) > static_cast<std::size_t>(kPieceMax)) {
            return length;
        }
        std::memcpy(piece, line, std::strlen(line) + 1);
        return static_cast<int>(std::strlen(piece));
    }
    return length;
}

}  // namespace

LONG ReadSettingsValue(const char* keyPath, char* value) {
    HKEY key;
    if (RegOpenKeyA(HKEY_LOCAL_MACHINE, keyPath, &key) != ERROR_SUCCESS) return -1;
    LONG size = kTextSize - 1;
    value[kTextSize - 1] = '\0';
    const LONG status = RegQueryValueA(key, nullptr, value, &size);
    RegCloseKey(key);
    return status;
}

void SyncResourceKeys(const char* path) {
    RewriteThroughBackup(path, PieceEditor{nullptr, EditResourcePiece, nullptr});
}
