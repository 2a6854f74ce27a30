#include "convert/OutputFile.h"

#include "decode/FileIo.h"
#include "framework/Errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace zent {

namespace {

// Read/write for everyone, as the user's umask allows.
constexpr mode_t kNewFileMode = 0666;
constexpr const char* kTemporarySuffix = ".part";
// A name longer than most file systems allow is shortened; the random part keeps it unique.
constexpr std::size_t kMaxNameKept = 200;
constexpr int kCreateAttempts = 16;

std::string RandomHex() {
    std::random_device device;
    const std::uint64_t value = (std::uint64_t{device()} << 32) | device();
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    const std::string name = target.filename().string().substr(0, kMaxNameKept);
    return target.parent_path() / ("." + name + "." + RandomHex() + kTemporarySuffix);
}

// What is at target may be replaced: nothing, a file or a link. Anything else is refused
// before any work is done.
void CheckReplaceable(const std::filesystem::path& target) {
    struct stat status {};
    if (::lstat(target.c_str(), &status) != 0)
        return;
    if (S_ISDIR(status.st_mode))
        throw EStreamError(CannotCreateFileMessage(target, EISDIR));
    if (!S_ISREG(status.st_mode) && !S_ISLNK(status.st_mode))
        throw EStreamError(CannotCreateFileMessage(target, EEXIST));
}

} // namespace

std::string CannotCreateFileMessage(const std::filesystem::path& path, int errorNumber) {
    return "Cannot create file \"" + path.string() + "\". " + std::strerror(errorNumber);
}

std::string StreamWriteErrorMessage(const std::filesystem::path& path, int errorNumber) {
    return "Stream write error: \"" + path.string() + "\". " + std::strerror(errorNumber);
}

OutputFile::OutputFile(const std::filesystem::path& target)
    : FTarget(target), FIo(CurrentFileIo()) {
    CheckReplaceable(target);
    for (int attempt = 0; attempt < kCreateAttempts && FHandle < 0; ++attempt) {
        FTemporary = TemporaryBeside(target);
        do {
            FHandle = ::open(FTemporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                             kNewFileMode);
        } while (FHandle < 0 && errno == EINTR);
        if (FHandle < 0 && errno != EEXIST)
            break;
    }
    if (FHandle < 0)
        throw EStreamError(CannotCreateFileMessage(target, errno));
}

OutputFile::~OutputFile() {
    if (FHandle >= 0)
        ::close(FHandle);
    if (!FCommitted)
        ::unlink(FTemporary.c_str());
}

void OutputFile::ThrowWriteError(int errorNumber) const {
    throw EStreamError(StreamWriteErrorMessage(FTarget, errorNumber));
}

void OutputFile::Write(std::span<const std::byte> data) {
    while (!data.empty()) {
        const ssize_t stored = FIo.Write(FHandle, data.data(), data.size());
        if (stored < 0 && errno == EINTR)
            continue;
        if (stored < 0)
            ThrowWriteError(errno);
        if (stored == 0)
            ThrowWriteError(ENOSPC);
        data = data.subspan(static_cast<std::size_t>(stored));
    }
}

void OutputFile::WriteAt(std::uint64_t offset, std::span<const std::byte> data) {
    while (!data.empty()) {
        const ssize_t stored =
            FIo.WriteAt(FHandle, data.data(), data.size(), static_cast<off_t>(offset));
        if (stored < 0 && errno == EINTR)
            continue;
        if (stored < 0)
            ThrowWriteError(errno);
        if (stored == 0)
            ThrowWriteError(ENOSPC);
        data = data.subspan(static_cast<std::size_t>(stored));
        offset += static_cast<std::uint64_t>(stored);
    }
}

void OutputFile::Truncate(std::uint64_t size) {
    if (FIo.Truncate(FHandle, static_cast<off_t>(size)) != 0)
        ThrowWriteError(errno);
}

void OutputFile::Commit() {
    const int handle = FHandle;
    FHandle = -1;
    // The descriptor is gone even when close reports an error, so it is never retried.
    if (::close(handle) != 0 && errno != EINTR)
        ThrowWriteError(errno);
    if (FIo.Rename(FTemporary.c_str(), FTarget.c_str()) != 0)
        throw EStreamError(CannotCreateFileMessage(FTarget, errno));
    FCommitted = true;
}

} // namespace zent
