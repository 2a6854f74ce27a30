#include "decode/NativeFile.h"

#include "decode/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace zent {

namespace {

constexpr std::size_t kReadBufferBytes = 64 * 1024;

} // namespace

std::unique_ptr<NativeFile> NativeFile::Open(const std::filesystem::path& path) {
    std::error_code error;
    // Checked before opening: opening a pipe for reading would wait for a writer.
    if (!std::filesystem::is_regular_file(path, error)) {
        return nullptr;
    }
    int handle = -1;
    do {
        handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (handle < 0 && errno == EINTR);
    if (handle < 0) {
        return nullptr;
    }
    struct stat status {};
    if (::fstat(handle, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(handle);
        return nullptr;
    }
    return std::unique_ptr<NativeFile>(new NativeFile(handle, CurrentFileIo()));
}

NativeFile::NativeFile(int handle, FileIo& io)
    : FHandle(handle), FIo(io), FBuffer(kReadBufferBytes) {}

NativeFile::~NativeFile() {
    ::close(FHandle);
}

std::size_t NativeFile::ReadFromSystem(std::byte* target, std::size_t size) {
    if (FEndAt >= 0) {
        size = static_cast<std::size_t>(
            std::clamp<std::int64_t>(FEndAt - FSystemOffset, 0, static_cast<std::int64_t>(size)));
        if (size == 0) {
            return 0;
        }
    }
    for (;;) {
        const ssize_t got = FIo.Read(FHandle, target, size);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            FError = true;
            return 0;
        }
        FSystemOffset += got;
        return static_cast<std::size_t>(got);
    }
}

std::size_t NativeFile::Read(void* buffer, std::size_t size) {
    auto* out = static_cast<std::byte*>(buffer);
    std::size_t filled = 0;
    while (filled < size) {
        if (FBegin == FEnd) {
            const std::size_t wanted = size - filled;
            // Large requests skip the buffer; small ones fill it for the requests after them.
            if (wanted >= FBuffer.size()) {
                FBegin = FEnd = 0;
                const std::size_t got = ReadFromSystem(out + filled, wanted);
                if (got == 0) {
                    break;
                }
                filled += got;
                continue;
            }
            FBegin = 0;
            FEnd = ReadFromSystem(FBuffer.data(), FBuffer.size());
            if (FEnd == 0) {
                break;
            }
        }
        const std::size_t count = std::min(size - filled, FEnd - FBegin);
        std::memcpy(out + filled, FBuffer.data() + FBegin, count);
        FBegin += count;
        filled += count;
    }
    return filled;
}

bool NativeFile::Seek(std::int64_t offset, int whence) {
    if (whence == SEEK_CUR) {
        offset += Tell();
        whence = SEEK_SET;
    } else if (whence == SEEK_END && FEndAt >= 0) {
        offset += FEndAt - FBeginAt;
        whence = SEEK_SET;
    }
    if (whence == SEEK_SET) {
        if (offset < 0) {
            return false;
        }
        offset += FBeginAt;
    }
    // Within what is buffered: no system call.
    const std::int64_t bufferStart = FSystemOffset - static_cast<std::int64_t>(FEnd);
    if (whence == SEEK_SET && offset >= bufferStart && offset <= FSystemOffset) {
        FBegin = static_cast<std::size_t>(offset - bufferStart);
        return true;
    }
    const off_t reached = ::lseek(FHandle, static_cast<off_t>(offset), whence);
    if (reached < 0) {
        return false;
    }
    FBegin = FEnd = 0;
    FSystemOffset = reached;
    return true;
}

std::int64_t NativeFile::Tell() {
    return FSystemOffset - static_cast<std::int64_t>(FEnd - FBegin) - FBeginAt;
}

bool NativeFile::EndAt(std::int64_t end) {
    FEndAt = FBeginAt + end;
    FBegin = FEnd = 0;
    FSystemOffset = ::lseek(FHandle, FBeginAt, SEEK_SET);
    return FSystemOffset == FBeginAt;
}

bool NativeFile::Window(std::int64_t begin, std::int64_t end) {
    FBeginAt = 0;
    if (begin < 0 || end < begin) {
        return false;
    }
    FBeginAt = begin;
    return EndAt(end - begin);
}

bool NativeFile::StartsWith(std::string_view magic) {
    std::vector<char> head(magic.size());
    const std::size_t got = Read(head.data(), head.size());
    const bool matches = got == magic.size() && std::memcmp(head.data(), magic.data(), got) == 0;
    return Seek(0, SEEK_SET) && matches;
}

} // namespace zent
