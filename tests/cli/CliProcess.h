#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zent::test {

struct CliOutcome {
    int ExitStatus = -1;
    int Signal = 0; // the signal that ended the process, when one did
    std::string Out;
    std::string Err;
};

struct CliStart {
    std::string Input; // standard input, as bytes
    // Standard output: a file that the outcome reads (empty), another path such as /dev/full,
    // or "|" for a pipe whose reader is gone.
    std::string Output;
    bool CloseStandard = false;           // started with descriptors 0, 1 and 2 closed
    bool CloseOutput = false;             // started with standard output closed
    std::vector<std::string> Environment; // "NAME=value" set for the child
    // As "nobody" when the tests run as the superuser, from a copy of the program that
    // nobody may run (the build may lie in a folder only its owner may enter).
    bool AsOtherUser = false;
};

// zent-cli running in directory.
class CliChild {
public:
    CliChild(const std::vector<std::string>& args, const std::filesystem::path& directory,
             const CliStart& start = {});
    ~CliChild();
    CliChild(const CliChild&) = delete;
    CliChild& operator=(const CliChild&) = delete;

    pid_t Pid() const { return FPid; }
    // Waits for the process to end.
    CliOutcome Wait();

private:
    std::filesystem::path FIo;
    pid_t FPid = -1;
};

// Runs zent-cli with the arguments in directory, standard input given as bytes.
CliOutcome RunCliProcess(const std::vector<std::string>& args,
                         const std::filesystem::path& directory, const std::string& input = {});

// The user id AsOtherUser runs as.
inline constexpr uid_t kOtherUser = 65534;

} // namespace zent::test
