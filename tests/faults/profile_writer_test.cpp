// The profile writer under a failed file operation: a run of writes such as
// an apply makes, with each file operation of the run failed in turn, the
// first to the last.  Each write is whole or not at all: afterwards the file
// holds what all the writes make of it, or all but the one that failed (which
// answered FALSE), reads agree with the file, and no copy of it is left.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "host/host_seams.h"
#include "testmachine.h"

namespace {

using zptest::Show;

constexpr char kFile[] = "C:\\HARMPNP\\ZP.INI";
constexpr char kMachineFile[] = "drive_c/HARMPNP/ZP.INI";

struct Write {
    const char* section;
    const char* key;    // null: delete the section
    const char* value;  // null: delete the key
};

// The sample ZP.INI grown past one read buffer by saved mixer configurations.
std::string GrownConfig(const std::string& sample) {
    std::string text = sample + "[saved mixer settings]\r\n";
    for (int i = 0; text.size() < 12000; ++i) {
        text += "Configuration " + std::to_string(i) + "=zp8a1:18:18:0c:0c:10:10:0a:0a:00:00:1f:1f:00:01:04:04\r\n";
    }
    return text;
}

// Runs the writes; what each answered.  The parsed copy is dropped first, as
// when another program wrote the file, so that the run reads it too.
std::vector<bool> RunWrites(const std::vector<Write>& writes) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, kFile);
    std::vector<bool> answers;
    for (const Write& w : writes) answers.push_back(WritePrivateProfileStringA(w.section, w.key, w.value, kFile) != 0);
    return answers;
}

// The file after the writes, leaving out the one at skip (or none).
std::optional<std::string> Outcome(const std::optional<std::string>& before, const std::vector<Write>& writes,
                                   std::size_t skip) {
    zptest::TestMachine machine(ZP_SAMPLE_MACHINE);
    if (before) machine.Write(kMachineFile, *before);
    else machine.Remove(kMachineFile);
    std::vector<Write> run;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        if (i != skip) run.push_back(writes[i]);
    }
    RunWrites(run);
    return machine.Read(kMachineFile);
}

struct WriteRun {
    const char* what;
    bool grown;     // the grown file, or the sample as it is
    bool missing;   // no file before the run
    std::vector<Write> writes;
};

TEST(ProfileWriter, EachWriteIsWholeOrNotAtAllWhateverOperationFails) {
    const std::vector<WriteRun> runs = {
        {"the General page's apply", false, false,
         {{"windows", "MaxWaveClients", "2"}, {"languages", "default", "german"}, {"setup 0", "effects", "off"},
          {"windows", "apm", "on"}, {"mixer settings", "SaveOnWindowsExit", "false"},
          {"mixer settings", "Night", "zp8a1:01:01:00:00:00:00:00:00:00:00:00:00:00:00:00:00"},
          {"mixer settings", "Games", nullptr}, {"mixer settings", "default", "Night"}}},
        {"a grown file: new keys, a new section, deletions", true, false,
         {{"saved mixer settings", "Configuration 3", "zp8a1:00"}, {"vendors", "extra", "C:\\HARMPNP\\EXTRA.ZPB"},
          {"new section", "key", "value"}, {"saved mixer settings", "Configuration 7", nullptr},
          {"patch descriptions", nullptr, nullptr}, {"zpvelt", "VELTVector", "7f"}}},
        {"no file yet", false, true, {{"zpvelt", "memcfg", "RAM"}, {"zpvelt", "quiet", "on"}}},
    };
    long tried = 0;
    for (const WriteRun& run : runs) {
        std::optional<std::string> before;
        {
            zptest::TestMachine sample(ZP_SAMPLE_MACHINE);
            before = sample.Read(kMachineFile);
        }
        if (run.grown) before = GrownConfig(*before);
        if (run.missing) before.reset();

        // All the writes, and the outcomes of all but one.
        const std::optional<std::string> whole = Outcome(before, run.writes, run.writes.size());
        std::vector<std::optional<std::string>> withoutOne;
        for (std::size_t j = 0; j < run.writes.size(); ++j) withoutOne.push_back(Outcome(before, run.writes, j));

        long operations;
        {
            zptest::TestMachine machine(ZP_SAMPLE_MACHINE);
            if (before) machine.Write(kMachineFile, *before);
            else machine.Remove(kMachineFile);
            const long start = HostFileOpCount();
            RunWrites(run.writes);
            operations = HostFileOpCount() - start;
        }
        ASSERT_GE(operations, static_cast<long>(run.writes.size())) << run.what;

        int failedWrites = 0;
        for (long n = 1; n <= operations; ++n) {
            zptest::TestMachine machine(ZP_SAMPLE_MACHINE);
            if (before) machine.Write(kMachineFile, *before);
            else machine.Remove(kMachineFile);
            const auto fixture = machine.Files();
            WritePrivateProfileStringA(nullptr, nullptr, nullptr, kFile);
            HostFailFileOp(n);
            const std::vector<bool> answers = RunWrites(run.writes);
            HostFailFileOp(0);

            std::size_t failed = run.writes.size();
            for (std::size_t j = 0; j < answers.size(); ++j) {
                if (!answers[j]) {
                    EXPECT_EQ(failed, run.writes.size()) << run.what << ": operation " << n << ": two writes failed";
                    failed = j;
                }
            }
            const std::optional<std::string> now = machine.Read(kMachineFile);
            const std::optional<std::string>& expected = failed == run.writes.size() ? whole : withoutOne[failed];
            EXPECT_EQ(Show(now.value_or("<none>")), Show(expected.value_or("<none>")))
                << run.what << ": operation " << n << " failed"
                << (failed == run.writes.size() ? ", yet every write answered TRUE"
                                                : ", in write " + std::to_string(failed + 1));
            failedWrites += failed != run.writes.size();

            // Reads agree with the file, and nothing is left beside it.
            for (const Write& w : run.writes) {
                if (!w.key) continue;
                char got[128], fresh[128];
                GetPrivateProfileStringA(w.section, w.key, "\x01", got, sizeof got, kFile);
                WritePrivateProfileStringA(nullptr, nullptr, nullptr, kFile);
                GetPrivateProfileStringA(w.section, w.key, "\x01", fresh, sizeof fresh, kFile);
                EXPECT_STREQ(got, fresh) << run.what << ": operation " << n << ": [" << w.section << "] " << w.key
                                         << " reads otherwise than the file holds";
            }
            std::vector<std::string> files = machine.Files();
            std::vector<std::string> expectedFiles = fixture;
            if (now && std::find(expectedFiles.begin(), expectedFiles.end(), kMachineFile) == expectedFiles.end()) {
                expectedFiles.push_back(kMachineFile);
                std::sort(expectedFiles.begin(), expectedFiles.end());
            }
            EXPECT_EQ(files, expectedFiles) << run.what << ": operation " << n << " failed and left a file";
        }
        EXPECT_GT(failedWrites, 0) << run.what;
        tried += operations;
        std::cout << "[ faults ] " << run.what << ": " << operations << " faults tried, one per file operation of "
                  << run.writes.size() << " writes; " << failedWrites << " failed a write, which left the file as it was\n";
    }
    std::cout << "[ faults ] profile writer: " << tried << " faults tried in all\n";
}

}  // namespace
