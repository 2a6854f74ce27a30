#include "cli/TempOutput.h"

#include "convert/OutputFile.h"
#include "framework/Errors.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace zent::cli {

namespace {

// As OutputFile creates its files: the WAV keeps the rights the user's umask gives.
constexpr mode_t kNewFileMode = 0666;

std::atomic<unsigned> gNextNumber{0};

} // namespace

TempOutput::TempOutput(const std::filesystem::path& directory) {
    for (;;) {
        FPath = directory / (std::string(kTempOutputPrefix) + std::to_string(::getpid()) + "-" +
                             std::to_string(gNextNumber++) + ".part");
        const int handle =
            ::open(FPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (handle >= 0) {
            ::close(handle);
            return;
        }
        if (errno != EEXIST && errno != EINTR)
            throw EStreamError(CannotCreateFileMessage(FPath, errno));
    }
}

TempOutput::~TempOutput() {
    if (!FCommitted)
        ::unlink(FPath.c_str());
}

void TempOutput::CommitAs(const std::filesystem::path& target) {
    if (::rename(FPath.c_str(), target.c_str()) != 0)
        throw EStreamError(CannotCreateFileMessage(target, errno));
    FCommitted = true;
}

} // namespace zent::cli
