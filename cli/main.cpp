// zent-cli: the converter for the command line, scripts and batch machines.
#include "cli/CliMain.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<bool> gStop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The first Ctrl+C stops the jobs cleanly; a second one ends the process at once.
extern "C" void OnStopSignal(int signalNumber) {
    gStop.store(true);
    std::signal(signalNumber, SIG_DFL);
}

} // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    const std::vector<std::string> args(argv + 1, argv + argc);
    const zent::cli::CliEnvironment env{std::cin,
                                        std::cout,
                                        std::cerr,
                                        ::isatty(STDERR_FILENO) == 1,
                                        std::thread::hardware_concurrency(),
                                        gStop};
    const int status = zent::cli::RunCli(args, env);
    std::cout.flush();
    return status;
}
