// Runs the built vornik-host program as a user does and collects what it prints.
#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace HostProgram {

struct Outcome {
    int exitCode = -1;
    std::string output; // standard output and error together
};

// environment: VARIABLE='value' words the shell sets for the program only.
inline Outcome RunWithEnvironment(const std::string& environment, const std::string& arguments) {
    const std::string command = environment + (environment.empty() ? "" : " ") + "'" + VORNIK_HOST_PROGRAM + "' " +
                                arguments + " 2>&1";
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return outcome;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
        outcome.output.append(buffer, got);
    const int status = pclose(pipe);
    outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

inline Outcome Run(const std::string& arguments) { return RunWithEnvironment(std::string(), arguments); }

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace HostProgram
