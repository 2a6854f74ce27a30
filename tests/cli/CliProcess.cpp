#include "tests/cli/CliProcess.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace zent::test {

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

} // namespace

CliChild::CliChild(const std::vector<std::string>& args, const std::filesystem::path& directory,
                   const CliStart& start)
    // Files beside the working directory, so that a walk of it does not see them.
    : FIo(directory.parent_path() / (directory.filename().string() + ".io")) {
    std::filesystem::create_directories(FIo);
    std::ofstream(FIo / "in", std::ios::binary) << start.Input;
    std::vector<char*> argv;
    std::string program = ZENT_CLI_PATH;
    if (start.AsOtherUser && ::geteuid() == 0) {
        const std::filesystem::path copy = FIo / "zent-cli";
        std::filesystem::copy_file(program, copy,
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::permissions(FIo, std::filesystem::perms::all);
        std::filesystem::permissions(
            copy, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                      std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                      std::filesystem::perms::others_exec);
        program = copy.native();
    }
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::filesystem::path out =
        start.Output.empty() ? FIo / "out" : std::filesystem::path(start.Output);
    int pipeEnds[2] = {-1, -1};
    if (start.Output == "|" && ::pipe(pipeEnds) != 0)
        throw std::runtime_error("pipe failed");

    FPid = fork();
    if (FPid < 0)
        throw std::runtime_error("fork failed");
    if (FPid == 0) {
        const auto redirect = [](const std::filesystem::path& path, int flags, int target) {
            const int handle = ::open(path.c_str(), flags, 0644);
            if (handle < 0 || ::dup2(handle, target) < 0)
                ::_exit(125);
            ::close(handle);
        };
        redirect(FIo / "in", O_RDONLY, STDIN_FILENO);
        if (pipeEnds[1] >= 0) {
            ::dup2(pipeEnds[1], STDOUT_FILENO);
            ::close(pipeEnds[0]);
            ::close(pipeEnds[1]);
        } else {
            redirect(out, O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
        }
        redirect(FIo / "err", O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
        if (::chdir(directory.c_str()) != 0)
            ::_exit(125);
        if (start.AsOtherUser && ::geteuid() == 0 &&
            (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0))
            ::_exit(125);
        if (start.CloseStandard) {
            for (const int handle : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
                ::close(handle);
        }
        if (start.CloseOutput)
            ::close(STDOUT_FILENO);
        for (const std::string& variable : start.Environment)
            ::putenv(const_cast<char*>(variable.c_str()));
        ::execv(argv[0], argv.data());
        ::_exit(126);
    }
    // The reader is gone before the child writes.
    if (pipeEnds[0] >= 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
    }
}

CliChild::~CliChild() {
    if (FPid > 0) {
        ::kill(FPid, SIGKILL);
        Wait();
    }
}

CliOutcome CliChild::Wait() {
    int status = 0;
    while (::waitpid(FPid, &status, 0) < 0) {
    }
    FPid = -1;
    CliOutcome outcome;
    outcome.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.Signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    outcome.Out = ReadAll(FIo / "out");
    outcome.Err = ReadAll(FIo / "err");
    std::filesystem::remove_all(FIo);
    return outcome;
}

CliOutcome RunCliProcess(const std::vector<std::string>& args,
                         const std::filesystem::path& directory, const std::string& input) {
    CliStart start;
    start.Input = input;
    return CliChild(args, directory, start).Wait();
}

} // namespace zent::test
