#pragma once

#include <atomic>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace zent::cli {

inline constexpr int kExitConverted = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitStopped = 130; // 128 + SIGINT, as shells report it

struct CliEnvironment {
    std::istream& In;
    std::ostream& Out;
    std::ostream& Err;
    bool ErrIsTerminal = false;
    unsigned Processors = 1;
    // Set from outside (a signal) to stop every job after its current block.
    const std::atomic<bool>& Stop;
};

// The whole program after the process set-up: arguments without the program name.
int RunCli(const std::vector<std::string>& args, const CliEnvironment& env);

} // namespace zent::cli
