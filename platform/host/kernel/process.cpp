// Processes: CreateProcessA starts a program of the machine without waiting.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "errors.h"
#include "handles.h"
#include "machine.h"

extern char** environ;

namespace hostwin {
namespace {

struct ChildProcess {
    explicit ChildProcess(pid_t p) : pid(p) {}

    // True once the process has ended; waits for that when block is set.
    bool Reap(bool block) {
        std::lock_guard<std::mutex> guard(lock);
        if (ended) return true;
        int status = 0;
        pid_t got;
        do {
            got = waitpid(pid, &status, block ? 0 : WNOHANG);
        } while (got < 0 && errno == EINTR);
        if (got == pid) {
            ended = true;
            if (WIFEXITED(status)) exitCode = static_cast<DWORD>(WEXITSTATUS(status));
            else if (WIFSIGNALED(status)) exitCode = 128u + static_cast<DWORD>(WTERMSIG(status));
        } else if (got < 0) {
            ended = true;  // not our child any more: nothing to wait for
        }
        return ended;
    }

    const pid_t pid;
    std::mutex lock;
    bool ended = false;
    DWORD exitCode = 0;
};

// The process handle and the thread handle share the child.
struct ProcessObject : KernelObject {
    ProcessObject(ObjectKind kind, std::shared_ptr<ChildProcess> c) : KernelObject(kind), child(std::move(c)) {}
    BOOL Release() override {
        child->Reap(false);
        return TRUE;
    }
    std::shared_ptr<ChildProcess> child;
};

std::shared_ptr<ChildProcess> ChildOf(HANDLE h, bool threadToo) {
    if (auto* process = FindObject<ProcessObject>(h, ObjectKind::Process)) return process->child;
    if (threadToo) {
        if (auto* thread = FindObject<ProcessObject>(h, ObjectKind::Thread)) return thread->child;
    }
    return nullptr;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The command line split at blanks; no quoting.
std::vector<std::string> SplitCommandLine(const char* line) {
    std::vector<std::string> words;
    for (const char* p = line; p && *p;) {
        while (IsBlank(*p)) ++p;
        const char* start = p;
        while (*p && !IsBlank(*p)) ++p;
        if (p > start) words.emplace_back(start, p);
    }
    return words;
}

DWORD ExecError(int error) {
    switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
    default: return ErrorFromErrno(error);
    }
}

}  // namespace
}  // namespace hostwin

using namespace hostwin;

HOSTWIN_API BOOL WINAPI CreateProcessA(LPCSTR app, LPSTR cmdLine, LPSECURITY_ATTRIBUTES pa,
                                       LPSECURITY_ATTRIBUTES ta, BOOL inherit, DWORD flags, LPVOID env,
                                       LPCSTR dir, LPSTARTUPINFOA si, LPPROCESS_INFORMATION pi) {
    std::vector<std::string> words = SplitCommandLine(cmdLine);
    const std::string program = app ? std::string(app) : words.empty() ? std::string() : words.front();
    if (program.empty() || !pi) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (words.empty()) words.push_back(program);

    MappedPath mapped;
    struct stat st;
    if (!MapDosPath(program.c_str(), mapped)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (!mapped.exists || !mapped.hasName || stat(mapped.path.c_str(), &st) != 0) {
        SetLastError(mapped.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    MappedPath directory;
    if (dir && (!MapDosPath(dir, directory) || !directory.exists)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }

    // Everything the child needs is made before the fork.
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    if (env) {
        for (char* entry = static_cast<char*>(env); *entry; entry += std::strlen(entry) + 1) envp.push_back(entry);
        envp.push_back(nullptr);
    }
    char* const* childEnvironment = env ? envp.data() : environ;
    const char* childDirectory = dir ? directory.path.c_str() : nullptr;

    // The child reports a failed exec through a pipe that a successful exec closes.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    const pid_t pid = fork();
    if (pid < 0) {
        const int error = errno;
        close(report[0]);
        close(report[1]);
        SetLastError(ErrorFromErrno(error));
        return FALSE;
    }
    if (pid == 0) {
        close(report[0]);
        int error = 0;
        if (childDirectory && chdir(childDirectory) != 0) error = errno;
        if (error == 0) {
            execve(mapped.path.c_str(), argv.data(), childEnvironment);
            error = errno;
        }
        ssize_t ignored = write(report[1], &error, sizeof error);
        (void)ignored;
        _exit(127);
    }
    close(report[1]);
    int error = 0;
    ssize_t got;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        SetLastError(ExecError(error));
        return FALSE;
    }

    auto child = std::make_shared<ChildProcess>(pid);
    pi->hProcess = AddHandle(std::make_unique<ProcessObject>(ObjectKind::Process, child));
    pi->hThread = AddHandle(std::make_unique<ProcessObject>(ObjectKind::Thread, child));
    pi->dwProcessId = static_cast<DWORD>(pid);
    pi->dwThreadId = static_cast<DWORD>(pid);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

HOSTWIN_API DWORD WINAPI WaitForSingleObject(HANDLE h, DWORD ms) {
    std::shared_ptr<ChildProcess> child = ChildOf(h, true);
    if (!child) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (ms == INFINITE) {
        child->Reap(true);
        return WAIT_OBJECT_0;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!child->Reap(false)) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return WAIT_TIMEOUT;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(deadline - now,
                                                                                 std::chrono::milliseconds(5)));
    }
    return WAIT_OBJECT_0;
}

// A process killed by a signal reports 128 plus the signal's number.
HOSTWIN_API BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD code) {
    std::shared_ptr<ChildProcess> child = ChildOf(process, false);
    if (!child || !code) {
        SetLastError(child ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *code = child->Reap(false) ? child->exitCode : STILL_ACTIVE;
    return TRUE;
}
