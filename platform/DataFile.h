// Reading data files that anyone may have replaced: only regular files are read, none is waited for, and the
// caller says how much it can use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class DataFile {
public:
    DataFile() = default;
    ~DataFile();
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    // Opens the file found with ResolvePath. False for anything but a regular file: a FIFO, a socket,
    // a device or a directory under the name is refused at once, without waiting for a writer.
    bool Open(const std::string& path);
    // As Open, for a path taken as written, not found with ResolvePath.
    bool OpenAt(const std::string& exactPath);
    // The file's length when it was opened.
    uint64_t Size() const { return size; }
    // Reads up to `count` bytes; fewer only at the end of the file or on a read error.
    size_t Read(uint8_t* buffer, size_t count);
    // Moves the read position as lseek does (`whence` is SEEK_SET, SEEK_CUR or SEEK_END); the new
    // position, or -1 when it cannot be moved there.
    int64_t Seek(int64_t offset, int whence);
    // What went wrong in the last Open or Read, in a few words ("No such file or directory", "a
    // directory, not a regular file"); empty while nothing has.
    const std::string& Problem() const { return problem; }

private:
    int descriptor = -1;
    uint64_t size = 0;
    std::string problem;
};

// True when the name (found with ResolvePath) is a regular file; a FIFO or a device is not opened.
bool IsRegularFile(const std::string& path);

// What keeps the file at this path, taken as written (not found with ResolvePath), from being read as
// DataFile reads: empty for a regular file; otherwise the system's reason when nothing can be looked at
// there (*missing then says whether nothing is there), or what is there instead ("a FIFO, not a regular
// file"). Opens nothing.
std::string FileRefusal(const std::string& path, bool* missing = nullptr);

} // namespace platform
