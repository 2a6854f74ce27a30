#include "convert/OutputFile.h"

#include "framework/Errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

namespace zent {

namespace {

// Owner read/write, others read, as the user's umask allows.
constexpr mode_t kNewFileMode = 0666;

[[noreturn]] void ThrowWriteError() {
    throw EStreamError(kStreamWriteError);
}

} // namespace

std::string CannotCreateFileMessage(const std::filesystem::path& path, int errorNumber) {
    return "Cannot create file \"" + path.string() + "\". " + std::strerror(errorNumber);
}

OutputFile::OutputFile(const std::filesystem::path& path) {
    do {
        FHandle = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, kNewFileMode);
    } while (FHandle < 0 && errno == EINTR);
    if (FHandle < 0)
        throw EStreamError(CannotCreateFileMessage(path, errno));
}

OutputFile::~OutputFile() {
    if (FHandle >= 0)
        ::close(FHandle);
}

void OutputFile::Write(std::span<const std::byte> data) {
    while (!data.empty()) {
        const ssize_t stored = ::write(FHandle, data.data(), data.size());
        if (stored < 0 && errno == EINTR)
            continue;
        if (stored <= 0)
            ThrowWriteError();
        data = data.subspan(static_cast<std::size_t>(stored));
    }
}

void OutputFile::WriteAt(std::uint64_t offset, std::span<const std::byte> data) {
    while (!data.empty()) {
        const ssize_t stored =
            ::pwrite(FHandle, data.data(), data.size(), static_cast<off_t>(offset));
        if (stored < 0 && errno == EINTR)
            continue;
        if (stored <= 0)
            ThrowWriteError();
        data = data.subspan(static_cast<std::size_t>(stored));
        offset += static_cast<std::uint64_t>(stored);
    }
}

void OutputFile::Truncate(std::uint64_t size) {
    if (::ftruncate(FHandle, static_cast<off_t>(size)) != 0)
        ThrowWriteError();
}

void OutputFile::Close() {
    const int handle = FHandle;
    FHandle = -1;
    // The descriptor is gone even when close reports an error, so it is never retried.
    if (handle >= 0 && ::close(handle) != 0 && errno != EINTR)
        ThrowWriteError();
}

} // namespace zent
