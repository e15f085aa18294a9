#include "testmachine.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace zptest {

TestMachine::TestMachine(const std::string& fixture) {
    std::string pattern = (fs::temp_directory_path() / "zpmachine.XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    fs::copy(fixture, root_, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    if (const char* old = std::getenv("HOSTWIN_ROOT")) {
        hadRoot_ = true;
        previousRoot_ = old;
    }
    setenv("HOSTWIN_ROOT", root_.c_str(), 1);
}

TestMachine::~TestMachine() {
    if (hadRoot_) setenv("HOSTWIN_ROOT", previousRoot_.c_str(), 1);
    else unsetenv("HOSTWIN_ROOT");
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void TestMachine::Write(const std::string& relative, std::string_view bytes) const {
    const fs::path path = Path(relative);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TestMachine::WriteExecutable(const std::string& relative, std::string_view bytes) const {
    Write(relative, bytes);
    fs::permissions(Path(relative), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
}

std::optional<std::string> TestMachine::Read(const std::string& relative) const {
    std::ifstream in(Path(relative), std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void TestMachine::Remove(const std::string& relative) const { fs::remove_all(Path(relative)); }

void TestMachine::MakeDirectory(const std::string& relative) const { fs::create_directories(Path(relative)); }

std::vector<std::string> TestMachine::Files() const {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root_)) {
        if (entry.is_regular_file()) files.push_back(fs::relative(entry.path(), root_).string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string Dos(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

ScopedEnv::ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    if (value) setenv(name, value->c_str(), 1);
    else unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    if (previous_) setenv(name_.c_str(), previous_->c_str(), 1);
    else unsetenv(name_.c_str());
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::vector<std::pair<std::string, std::optional<std::string>>>& env) {
    char errorsName[] = "/tmp/zperrors.XXXXXX";
    const int errorsFd = mkstemp(errorsName);
    ProgramRun run;
    const pid_t pid = fork();
    if (pid == 0) {
        for (const auto& [name, value] : env) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
        dup2(errorsFd, 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream errors(errorsName, std::ios::binary);
    std::ostringstream text;
    text << errors.rdbuf();
    run.errors = text.str();
    close(errorsFd);
    unlink(errorsName);
    return run;
}

bool WaitForFile(const std::string& path) {
    for (int i = 0; i < 1000; ++i) {
        if (fs::exists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string Show(std::string_view bytes) {
    std::string shown;
    for (unsigned char c : bytes) {
        if (c == '\r') shown += "\\r";
        else if (c == '\n') shown += "\\n\n";
        else if (c == 0x1a) shown += "^Z";
        else if (c < 0x20 || c >= 0x7f) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            shown += hex;
        } else shown += static_cast<char>(c);
    }
    return shown;
}

}  // namespace zptest
