#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <algorithm>

namespace fs = std::filesystem;

namespace zpfuzz {
namespace {

std::string root;

void RemoveMachine() {
    std::error_code ignored;
    if (!root.empty()) fs::remove_all(root, ignored);
}

}  // namespace

const std::string& Machine() {
    if (root.empty()) {
        std::string pattern = (fs::temp_directory_path() / "zpfuzz.XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        root = pattern;
        setenv("HOSTWIN_ROOT", root.c_str(), 1);
        std::atexit(RemoveMachine);
    }
    return root;
}

void ResetMachine(std::string_view cardIni) {
    const std::string& machine = Machine();
    for (const auto& entry : fs::directory_iterator(machine)) fs::remove_all(entry.path());
    fs::create_directories(machine + "/drive_c/WINDOWS/SYSTEM");
    WriteFile("card.ini", cardIni);
}

void WriteFile(const std::string& relative, std::string_view bytes) {
    const fs::path path = Machine() + "/" + relative;
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> ReadFile(const std::string& relative) {
    std::ifstream in(Machine() + "/" + relative, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> Files() {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(Machine())) {
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), Machine()).string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> DosPieces(std::string_view bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\x1a'; ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : text) {
        piece += c;
        if (c == '\n' || piece.size() == 254) {
            pieces.push_back(piece);
            piece.clear();
        }
    }
    if (!piece.empty()) pieces.push_back(piece);
    return pieces;
}

std::string DosBytes(std::string_view text) {
    std::string bytes;
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

std::optional<std::string> TakeField(std::string_view& input) {
    const std::size_t end = input.find('\0');
    if (end == std::string_view::npos) return std::nullopt;
    std::string field(input.substr(0, end));
    input.remove_prefix(end + 1);
    return field;
}

std::string Show(std::string_view bytes) {
    std::string shown;
    for (unsigned char c : bytes) {
        if (c == '\r') shown += "\\r";
        else if (c == '\n') shown += "\\n\n";
        else if (c == '\\') shown += "\\\\";
        else if (c < 0x20 || c > 0x7e) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            shown += hex;
        } else shown += static_cast<char>(c);
    }
    return shown;
}

void Fail(const std::string& what, std::string_view got, std::string_view expected) {
    std::fprintf(stderr, "\n*** %s\n", what.c_str());
    if (!got.empty() || !expected.empty()) {
        std::fprintf(stderr, "--- got:\n%s\n--- expected:\n%s\n---\n", Show(got).c_str(), Show(expected).c_str());
    }
    std::abort();
}

}  // namespace zpfuzz
