#pragma once
// A read-only image of a whole file, mapped for the owner's lifetime and released with it.

#include <cstdint>
#include <string>
#include <sys/stat.h>

class MappedFile {
public:
    // Throws jpcOpenError (cannot open, stat or map), jpcEndOfFileError (empty file) or
    // jpcFileTooLargeError (4 GiB or more).
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const uint8_t* data() const { return data_; }
    uint32_t size() const { return size_; }

    // The file was truncated or rewritten since it was mapped: a lost page was read (and read as
    // zeros), or its size or modification time differ now. A rewrite to the same size within one
    // tick of the file system's clock after the previous write, with no lost page read, is missed.
    bool changedOnDisk() const;

private:
    int fd_ = -1;
    const uint8_t* data_ = nullptr;
    uint32_t size_ = 0;
    int guardSlot_ = -1;
    struct stat opened_ {};
};
