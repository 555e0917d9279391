// Runs the test program itself again as a second process, for tests of what two processes do
// to one file. The child's work is chosen by an environment variable that a registration
// (RegisterChildRole, a static object of the test file) checks before GoogleTest starts: it
// runs the role and ends the process with the role's result, so the child runs no tests.
#pragma once

#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace child_process {

constexpr const char* kRoleVariable = "VORNIK_TEST_CHILD_ROLE";

inline std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// At static initialisation: when this process was started for role, runs it and exits.
struct RegisterChildRole {
    RegisterChildRole(const char* role, int (*body)()) {
        if (Variable(kRoleVariable) == role) std::exit(body());
    }
};

// One running child. Variables are ASCII names and values added to the parent's environment.
class Child {
public:
    Child(const std::string& role, const std::map<std::string, std::string>& variables) {
        std::map<std::string, std::string> extra = variables;
        extra[kRoleVariable] = role;
#ifdef _WIN32
        std::wstring block;
        wchar_t* current = GetEnvironmentStringsW();
        for (const wchar_t* entry = current; entry != nullptr && *entry != 0; entry += wcslen(entry) + 1) {
            std::wstring text(entry);
            const size_t equals = text.find(L'=', 1);
            const std::string name(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(
                                                                    equals == std::wstring::npos ? 0 : equals));
            if (extra.count(name) == 0) block += text + L'\0';
        }
        if (current != nullptr) FreeEnvironmentStringsW(current);
        for (const auto& [name, value] : extra) block += std::wstring(name.begin(), name.end()) + L'=' +
                                                         std::wstring(value.begin(), value.end()) + L'\0';
        block += L'\0';
        wchar_t self[MAX_PATH * 4];
        const DWORD length = GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
        std::wstring command = L"\"" + std::wstring(self, length) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION information{};
        if (CreateProcessW(self, command.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, block.data(),
                           nullptr, &startup, &information)) {
            CloseHandle(information.hThread);
            m_process = information.hProcess;
        }
#else
        std::vector<std::string> entries;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text(*entry);
            if (extra.count(text.substr(0, text.find('='))) == 0) entries.push_back(text);
        }
        for (const auto& [name, value] : extra) entries.push_back(name + "=" + value);
        std::vector<char*> environment;
        for (std::string& entry : entries) environment.push_back(entry.data());
        environment.push_back(nullptr);
        char program[] = "/proc/self/exe";
        char* arguments[] = {program, nullptr};
        if (posix_spawn(&m_pid, program, nullptr, nullptr, arguments, environment.data()) != 0) m_pid = -1;
#endif
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { Wait(); }

    bool Started() const {
#ifdef _WIN32
        return m_process != nullptr;
#else
        return m_pid > 0;
#endif
    }

    // The child's exit status; -1 when it did not start or did not end normally.
    int Wait() {
#ifdef _WIN32
        if (m_process == nullptr) return m_status;
        WaitForSingleObject(m_process, INFINITE);
        DWORD code = 0;
        m_status = GetExitCodeProcess(m_process, &code) ? static_cast<int>(code) : -1;
        CloseHandle(m_process);
        m_process = nullptr;
#else
        if (m_pid <= 0) return m_status;
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        m_pid = -1;
#endif
        return m_status;
    }

private:
#ifdef _WIN32
    HANDLE m_process = nullptr;
#else
    pid_t m_pid = -1;
#endif
    int m_status = -1;
};

} // namespace child_process
