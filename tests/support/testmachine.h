// Test helpers: a fresh machine per test, files by their machine names, and
// running a program with a changed environment.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zptest {

// A copy of a fixture machine in a new temporary directory; HOSTWIN_ROOT
// names it while the object lives.  Paths are relative to the machine
// directory ("drive_c/AUTOEXEC.BAT").
class TestMachine {
public:
    explicit TestMachine(const std::string& fixture = ZP_FIXTURE_MACHINE);
    ~TestMachine();
    TestMachine(const TestMachine&) = delete;
    TestMachine& operator=(const TestMachine&) = delete;

    const std::string& Root() const { return root_; }
    std::string Path(const std::string& relative) const { return root_ + "/" + relative; }

    // Writes bytes to a file, making its directories.
    void Write(const std::string& relative, std::string_view bytes) const;
    void WriteExecutable(const std::string& relative, std::string_view bytes) const;
    // The file's bytes, or nothing when it does not exist.
    std::optional<std::string> Read(const std::string& relative) const;
    void Remove(const std::string& relative) const;
    void MakeDirectory(const std::string& relative) const;
    // Every file of the machine, relative and sorted.
    std::vector<std::string> Files() const;

private:
    std::string root_;
    std::string previousRoot_;
    bool hadRoot_ = false;
};

// Lines each ended with CR LF.
std::string Dos(std::initializer_list<std::string_view> lines);

// Sets (or, with no value, removes) an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

struct ProgramRun {
    int exitCode = -1;
    std::string errors;  // what it wrote to stderr
};

// Runs a program and waits for it; env sets (a value) or removes (none)
// variables of the child's environment.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::pair<std::string, std::optional<std::string>>>& env);

// Waits up to ten seconds for a file to appear.
bool WaitForFile(const std::string& path);

// Printable form of bytes for failure messages: CR, LF, Ctrl-Z and other
// controls shown escaped.
std::string Show(std::string_view bytes);

}  // namespace zptest
