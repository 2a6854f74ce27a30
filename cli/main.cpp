// zent-cli: the converter for the command line, scripts and batch machines.
#include "cli/CliMain.h"
#include "framework/Processors.h"
#include "framework/StandardDescriptors.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <initializer_list>
#include <iostream>
#include <unistd.h>

namespace {

std::atomic<bool> gStop{false};
std::atomic<int> gSignal{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

// The first stop signal stops the jobs cleanly; a second one ends the process at once.
extern "C" void OnStopSignal(int signalNumber) {
    int none = 0;
    gSignal.compare_exchange_strong(none, signalNumber);
    gStop.store(true);
    std::signal(signalNumber, SIG_DFL);
}

} // namespace

int main(int argc, char** argv) {
    const zent::MissingStandardDescriptors missing = zent::OpenMissingStandardDescriptors();
    std::ios::sync_with_stdio(false);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signalNumber, &action, nullptr);
    // A reader that went away is a failed write, which stops the run cleanly.
    std::signal(SIGPIPE, SIG_IGN);

    const std::vector<std::string> args(argv + 1, argv + argc);
    const zent::cli::CliEnvironment env{std::cin,
                                        std::cout,
                                        std::cerr,
                                        ::isatty(STDERR_FILENO) == 1,
                                        missing.Out,
                                        zent::UsableProcessorCount(),
                                        gStop,
                                        gSignal,
                                        [](const char* name) {
                                            return std::getenv(name);
                                        }};
    return zent::cli::RunCli(args, env);
}
