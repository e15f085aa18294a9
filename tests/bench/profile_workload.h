// The profile read benchmark's file and its sequence of reads: the same on
// the host and in the Windows program, which both include this header.
// Standard library only.
#pragma once

#include <string>
#include <vector>

namespace zpbench {

struct ProfileRead {
    std::string section;
    std::string key;  // empty: the section's key list
};

struct ProfileSection {
    std::string name;
    std::vector<std::string> lines;  // "key=value"
};

// A ZP.INI as a user with many languages, mixer configurations and patch
// sets has it, and sections of other software beside them.
inline std::vector<ProfileSection> ProfileBenchSections() {
    std::vector<ProfileSection> sections = {
        {"zpvelt", {"Mpu401Emulation=on", "quiet=off", "memcfg=ROM", "chainnmi=off", "VeltVector=7e", "MPUIRQ=9"}},
        {"setup 0", {"effects=on", "UseDma=true", "GPusage=IRQ", "SynthBase=620", "CodecBase=534", "IRQ1=10",
                     "IRQ2=9", "DMA1=5", "DMA2=7", "CDBase=170", "ATAPIBase=376", "CDIRQ=15", "GamePort=200"}},
        {"windows", {"MaxWaveClients=4", "apm=off", "midi_out_synchronous=false"}},
        {"languages", {"default=lang07"}},
        {"mixer settings", {"default=Config 03", "SaveOnWindowsExit=true"}},
        {"vendors", {"default=patch12"}},
        {"patch descriptions", {}},
    };
    for (int i = 0; i < 30; ++i) {
        const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
        sections[3].lines.push_back("lang" + n + "=Language " + n + ",04" + n);
        sections[4].lines.push_back("Config " + n + "=zp8a1:18:18:0c:0c:10:10:0a:0a:00:00:1f:1f:00:01:04:" + n);
    }
    for (int i = 0; i < 60; ++i) {
        const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
        sections[5].lines.push_back("patch" + n + "=C:\\HARMPNP\\PATCHES\\SET" + n + ".ZPB");
        sections[6].lines.push_back("patch" + n + "=Patch set " + n + " for the Harmonaire synthesizer");
    }
    for (int s = 0; s < 20; ++s) {
        ProfileSection other{"other software " + std::to_string(s), {}};
        for (int k = 0; k < 10; ++k) other.lines.push_back("Setting" + std::to_string(k) + "=value " + std::to_string(k));
        sections.push_back(other);
    }
    return sections;
}

// The file's bytes, CR LF line ends, a blank line between sections.
inline std::string ProfileBenchFile() {
    std::string text = "; Harmonaire Plug & Play configuration\r\n";
    for (const ProfileSection& section : ProfileBenchSections()) {
        text += "[" + section.name + "]\r\n";
        for (const std::string& line : section.lines) text += line + "\r\n";
        text += "\r\n";
    }
    return text;
}

// Every section's key list, every key's value, and a key and a section
// that are not there, in file order: what the pages read, many times over.
inline std::vector<ProfileRead> ProfileBenchReads() {
    std::vector<ProfileRead> reads;
    for (const ProfileSection& section : ProfileBenchSections()) {
        reads.push_back({section.name, ""});
        for (const std::string& line : section.lines) reads.push_back({section.name, line.substr(0, line.find('='))});
        reads.push_back({section.name, "missing"});
    }
    reads.push_back({"no such section", "default"});
    return reads;
}

// The buffer sizes the pages use for a key list and for a value.
inline constexpr unsigned kListSize = 1024;
inline constexpr unsigned kValueSize = 256;

}  // namespace zpbench
