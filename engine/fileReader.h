#pragma once
// The analysed file, open read-only for the owner's lifetime and read by position. Its size is taken
// once, at the open; a read that comes back short or fails means that the file changed on disk.

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/stat.h>

class FileReader {
public:
    // Throws jpcOpenError (cannot open or stat, not a regular file), jpcEndOfFileError (empty file)
    // or jpcFileTooLargeError (4 GiB or more).
    explicit FileReader(const std::string& path);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    uint32_t size() const { return size_; }

    // Reads up to `count` bytes at `pos` into `out`; returns how many arrived. Fewer than asked for
    // inside the size taken at the open means the file shrank or failed, and marks it changed.
    size_t read(uint64_t pos, uint8_t* out, size_t count);

    // The file was truncated or rewritten since it was opened: a read came back short or failed, or
    // its size or modification time differ now. A rewrite to the same size within one tick of the
    // file system's clock, with no short read, is missed.
    bool changedOnDisk() const;

private:
    int fd_ = -1;
    uint32_t size_ = 0;
    bool readFailed_ = false;
    struct stat opened_ {};
};
