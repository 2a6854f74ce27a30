#pragma once

#include <cstddef>
#include <sys/types.h>

namespace zent {

// The system calls through which source files are read and output files are created,
// written and put in place. Tests replace it to make one chosen call fail, or to meet a
// planted link; everything else uses the system's. Results and errno as the system calls
// give them.
class FileIo {
public:
    virtual ~FileIo() = default;
    virtual int Open(const char* path, int flags, mode_t mode);
    virtual ssize_t Read(int handle, void* buffer, std::size_t size);
    virtual ssize_t Write(int handle, const void* data, std::size_t size);
    virtual ssize_t WriteAt(int handle, const void* data, std::size_t size, off_t offset);
    virtual int Truncate(int handle, off_t size);
    virtual int Rename(const char* from, const char* to);
};

// What files opened from now on use: the system's, unless a test replaced it.
FileIo& CurrentFileIo();

// For tests only: io serves every file opened until it is replaced; null restores the
// system's. io must outlive those files.
void SetFileIoForTesting(FileIo* io);

} // namespace zent
