#include "decode/FileIo.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace zent {

namespace {

FileIo& SystemFileIo() {
    static FileIo system;
    return system;
}

std::atomic<FileIo*> testFileIo{nullptr};

} // namespace

int FileIo::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

ssize_t FileIo::Read(int handle, void* buffer, std::size_t size) {
    return ::read(handle, buffer, size);
}

ssize_t FileIo::Write(int handle, const void* data, std::size_t size) {
    return ::write(handle, data, size);
}

ssize_t FileIo::WriteAt(int handle, const void* data, std::size_t size, off_t offset) {
    return ::pwrite(handle, data, size, offset);
}

int FileIo::Truncate(int handle, off_t size) {
    return ::ftruncate(handle, size);
}

int FileIo::Rename(const char* from, const char* to) {
    return std::rename(from, to);
}

FileIo& CurrentFileIo() {
    FileIo* replaced = testFileIo.load();
    return replaced ? *replaced : SystemFileIo();
}

void SetFileIoForTesting(FileIo* io) {
    testFileIo.store(io);
}

} // namespace zent
