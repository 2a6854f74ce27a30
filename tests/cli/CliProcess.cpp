#include "tests/cli/CliProcess.h"

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

CliOutcome RunCliProcess(const std::vector<std::string>& args,
                         const std::filesystem::path& directory, const std::string& input) {
    // Files beside the working directory, so that a walk of it does not see them.
    const std::filesystem::path io =
        directory.parent_path() / (directory.filename().string() + ".io");
    std::filesystem::create_directories(io);
    std::ofstream(io / "in", std::ios::binary) << input;
    std::vector<char*> argv;
    std::string program = ZENT_CLI_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        const auto redirect = [](const std::filesystem::path& path, int flags, int target) {
            const int handle = ::open(path.c_str(), flags, 0644);
            if (handle < 0 || ::dup2(handle, target) < 0)
                ::_exit(125);
            ::close(handle);
        };
        redirect(io / "in", O_RDONLY, STDIN_FILENO);
        redirect(io / "out", O_WRONLY | O_CREAT | O_TRUNC, STDOUT_FILENO);
        redirect(io / "err", O_WRONLY | O_CREAT | O_TRUNC, STDERR_FILENO);
        if (::chdir(directory.c_str()) != 0)
            ::_exit(125);
        ::execv(argv[0], argv.data());
        ::_exit(126);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    CliOutcome outcome;
    outcome.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    outcome.Out = ReadAll(io / "out");
    outcome.Err = ReadAll(io / "err");
    std::filesystem::remove_all(io);
    return outcome;
}

} // namespace zent::test
