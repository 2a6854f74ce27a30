#pragma once

#include <atomic>
#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace zent::cli {

inline constexpr int kExitConverted = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitStopped = 130; // 128 + SIGINT, as shells report it

// 128 + the signal that stopped the run, as shells report it; kExitStopped without one.
int StoppedStatus(int signalNumber);

struct CliEnvironment {
    std::istream& In;
    std::ostream& Out;
    std::ostream& Err;
    bool ErrIsTerminal = false;
    // The process was started without standard output (it now leads nowhere).
    bool OutIsClosed = false;
    unsigned Processors = 1;
    // Set from outside (a signal), or when output cannot be written, to stop every job after
    // its current block.
    std::atomic<bool>& Stop;
    // The signal that set Stop, or 0.
    const std::atomic<int>& StopSignal;
    // An environment variable's value, or null (getenv).
    std::function<const char*(const char*)> Variable = [](const char*) -> const char* {
        return nullptr;
    };
};

// The whole program after the process set-up: arguments without the program name.
int RunCli(const std::vector<std::string>& args, const CliEnvironment& env);

} // namespace zent::cli
