#include "convert/OutputFile.h"

#include "convert/TargetNames.h"
#include "decode/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <random>
#include <set>
#include <sys/file.h>
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
// Names tried after the planned one was taken by someone else meanwhile.
constexpr int kClaimAttempts = 10000;
// An unnamed file is linked in through its descriptor's entry here.
constexpr const char* kDescriptorDirectory = "/proc/self/fd/";

std::string RandomHex() {
    std::random_device device;
    const std::uint64_t value = (std::uint64_t{device()} << 32) | device();
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::filesystem::path DirectoryOf(const std::filesystem::path& target) {
    return target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
}

constexpr std::size_t kRandomDigits = 16;

// Locks a hidden file's open handle unless someone else holds it; true when it is still the
// file under name (and not one that a stale-file sweep removed meanwhile).
bool LockAsNamed(int handle, const std::filesystem::path& name) {
    if (::flock(handle, LOCK_EX | LOCK_NB) != 0)
        return false;
    struct stat opened {};
    struct stat named {};
    return ::fstat(handle, &opened) == 0 && ::lstat(name.c_str(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

// Each directory is swept once per process: its own hidden files are locked anyway.
void SweepOnce(const std::filesystem::path& directory) {
    static std::mutex mutex;
    static std::set<std::string> swept;
    {
        const std::lock_guard lock(mutex);
        if (!swept.insert(directory.native()).second)
            return;
    }
    RemoveStaleTemporaries(directory);
}

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
    const std::string name = target.filename().string().substr(0, kMaxNameKept);
    return target.parent_path() / ("." + name + "." + RandomHex() + kTemporarySuffix);
}

// What is at target may be replaced: nothing, a file the user may write, or a link. Anything
// else is refused before any work is done.
void CheckReplaceable(const std::filesystem::path& target, ExistingTarget existing) {
    const long maxName = ::pathconf(DirectoryOf(target).c_str(), _PC_NAME_MAX);
    if (maxName > 0 && target.filename().native().size() > static_cast<std::size_t>(maxName))
        throw EStreamError(CannotCreateFileText(target, ENAMETOOLONG));
    struct stat status {};
    if (::lstat(target.c_str(), &status) != 0)
        return;
    if (S_ISDIR(status.st_mode))
        throw EStreamError(CannotCreateFileText(target, EISDIR));
    if (!S_ISREG(status.st_mode) && !S_ISLNK(status.st_mode))
        throw EStreamError(CannotCreateFileText(target, EEXIST));
    // A file the user made read-only is kept, as writing it in place would have kept it.
    if (existing == ExistingTarget::Replace && S_ISREG(status.st_mode) &&
        ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        throw EStreamError(CannotCreateFileText(target, errno));
}

int RenameNoReplace(const char* from, const char* to) {
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system without it: a link fails on an existing name just the same.
    if (::link(from, to) != 0)
        return -1;
    ::unlink(from);
    return 0;
}

} // namespace

bool IsTemporaryName(std::string_view name) {
    constexpr std::string_view suffix = kTemporarySuffix;
    // "." name "." digits suffix, the name at least one byte.
    if (name.size() < 3 + kRandomDigits + suffix.size() || name[0] != '.' ||
        !name.ends_with(suffix))
        return false;
    name.remove_suffix(suffix.size());
    const std::string_view digits = name.substr(name.size() - kRandomDigits);
    return name[name.size() - kRandomDigits - 1] == '.' &&
           std::all_of(digits.begin(), digits.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

void RemoveStaleTemporaries(const std::filesystem::path& directory) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(directory, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const std::filesystem::path& path = it->path();
        if (!IsTemporaryName(path.filename().native()))
            continue;
        const int handle = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (handle < 0)
            continue;
        struct stat status {};
        // Unlinked while locked: a writer that opens it meanwhile finds the name gone.
        if (::fstat(handle, &status) == 0 && S_ISREG(status.st_mode) && LockAsNamed(handle, path))
            ::unlink(path.c_str());
        ::close(handle);
    }
}

CoreText CannotCreateFileText(const std::filesystem::path& path, int errorNumber) {
    return {CoreTextId::CannotCreateFile, {path.string(), std::strerror(errorNumber)}};
}

CoreText StreamWriteErrorText(const std::filesystem::path& path, int errorNumber) {
    return {CoreTextId::StreamWriteError, {path.string(), std::strerror(errorNumber)}};
}

std::string CannotCreateFileMessage(const std::filesystem::path& path, int errorNumber) {
    return CannotCreateFileText(path, errorNumber).English();
}

std::string StreamWriteErrorMessage(const std::filesystem::path& path, int errorNumber) {
    return StreamWriteErrorText(path, errorNumber).English();
}

std::string TargetIsSourceMessage(const std::filesystem::path& path) {
    return CoreText{CoreTextId::TargetIsSource, {path.string()}}.English();
}

void RefuseSourceAsTarget(const std::filesystem::path& source,
                          const std::filesystem::path& target) {
    struct stat sourceStatus {};
    struct stat targetStatus {};
    // A link at the target is replaced itself, which leaves what it points at alone.
    if (::stat(source.c_str(), &sourceStatus) == 0 && ::lstat(target.c_str(), &targetStatus) == 0 &&
        sourceStatus.st_dev == targetStatus.st_dev && sourceStatus.st_ino == targetStatus.st_ino)
        throw EStreamError(CoreText{CoreTextId::TargetIsSource, {target.string()}});
}

OutputFile::OutputFile(const std::filesystem::path& target, ExistingTarget existing)
    : FTarget(target), FExisting(existing), FIo(CurrentFileIo()) {
    CheckReplaceable(target, existing);
    SweepOnce(DirectoryOf(target));
    // Without the descriptor directory an unnamed file could never be named.
    if (::access(kDescriptorDirectory, X_OK) == 0) {
        do {
            FHandle =
                FIo.Open(DirectoryOf(target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, kNewFileMode);
        } while (FHandle < 0 && errno == EINTR);
    }
    if (FHandle < 0)
        OpenNamed();
}

void OutputFile::OpenNamed() {
    for (int attempt = 0; attempt < kCreateAttempts && FHandle < 0; ++attempt) {
        FTemporary = TemporaryBeside(FTarget);
        do {
            FHandle = FIo.Open(FTemporary.c_str(),
                               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kNewFileMode);
        } while (FHandle < 0 && errno == EINTR);
        if (FHandle < 0 && errno != EEXIST)
            break;
        // A sweep of another run caught the new file before it was locked: take another.
        if (FHandle >= 0 && !LockAsNamed(FHandle, FTemporary)) {
            ::close(FHandle);
            FHandle = -1;
            errno = EEXIST;
        }
    }
    if (FHandle < 0)
        throw EStreamError(CannotCreateFileText(FTarget, errno));
}

OutputFile::~OutputFile() {
    if (!FCommitted && !FTemporary.empty())
        ::unlink(FTemporary.c_str());
    if (FHandle >= 0)
        ::close(FHandle);
    if (FLockHandle >= 0)
        ::close(FLockHandle);
}

void OutputFile::ThrowWriteError(int errorNumber) const {
    throw EStreamError(StreamWriteErrorText(FTarget, errorNumber));
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

std::size_t OutputFile::ReadAt(std::uint64_t offset, std::span<std::byte> target) const {
    std::size_t done = 0;
    while (done < target.size()) {
        const ssize_t got = ::pread(FHandle, target.data() + done, target.size() - done,
                                    static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            ThrowWriteError(errno);
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void OutputFile::Truncate(std::uint64_t size) {
    if (FIo.Truncate(FHandle, static_cast<off_t>(size)) != 0)
        ThrowWriteError(errno);
}

void OutputFile::Commit() {
    if (FTemporary.empty())
        CommitUnnamed();
    else
        CommitNamed();
    FCommitted = true;
}

void OutputFile::CommitUnnamed() {
    if (FExisting == ExistingTarget::Replace) {
        // A link cannot replace a name: the file gets a hidden one first, then is renamed.
        // Locked before it has the name, so that no sweep takes it for a stale one.
        if (::flock(FHandle, LOCK_EX | LOCK_NB) != 0)
            throw EStreamError(CannotCreateFileMessage(FTarget, errno));
        for (int attempt = 0; attempt < kCreateAttempts && FTemporary.empty(); ++attempt) {
            const std::filesystem::path hidden = TemporaryBeside(FTarget);
            if (TakeName(hidden, true))
                FTemporary = hidden;
        }
        if (FTemporary.empty())
            throw EStreamError(CannotCreateFileText(FTarget, EEXIST));
        CommitNamed();
        return;
    }
    while (!TakeName(FTarget, true))
        NextTarget();
    // A local file system reports write errors on write, not on close.
    ::close(FHandle);
    FHandle = -1;
}

void OutputFile::CommitNamed() {
    const int handle = FHandle;
    FHandle = -1;
    // The lock lives while a copy of the descriptor does: held until the file has its name.
    FLockHandle = ::dup(handle);
    // The descriptor is gone even when close reports an error, so it is never retried.
    if (::close(handle) != 0 && errno != EINTR)
        ThrowWriteError(errno);
    if (FExisting == ExistingTarget::Replace) {
        if (FIo.Rename(FTemporary.c_str(), FTarget.c_str()) != 0)
            throw EStreamError(CannotCreateFileText(FTarget, errno));
        return;
    }
    while (!TakeName(FTarget, false))
        NextTarget();
}

bool OutputFile::TakeName(const std::filesystem::path& name, bool unnamed) {
    int result = 0;
    if (unnamed) {
        const std::string self = kDescriptorDirectory + std::to_string(FHandle);
        result = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
    } else {
        result = RenameNoReplace(FTemporary.c_str(), name.c_str());
    }
    if (result == 0)
        return true;
    if (errno == EEXIST)
        return false;
    throw EStreamError(CannotCreateFileText(name, errno));
}

void OutputFile::NextTarget() {
    if (FExisting == ExistingTarget::Keep)
        throw ETargetTaken(CannotCreateFileText(FTarget, EEXIST));
    const NumberedName name = SplitNumberedFileName(FTarget.filename().native());
    if (++FNumber > kClaimAttempts)
        throw EStreamError(CannotCreateFileText(FTarget, EEXIST));
    FTarget.replace_filename(NumberedFileName(name.Stem, std::max(FNumber, name.Number + 1)));
}

} // namespace zent
