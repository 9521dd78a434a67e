#include "engine/mappedFile.h"

#include "engine/fileErrors.h"
#include "engine/sigbusGuard.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

std::string describe(const std::string& what, const std::string& path)
{
    return what + " '" + path + "': " + std::strerror(errno);
}

}  // namespace

MappedFile::MappedFile(const std::string& path)
{
    // Non-blocking, so that a FIFO given by mistake is refused instead of waiting for a writer.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0)
        throw jpcOpenError(describe("Cannot open file", path));
    if (::fstat(fd_, &opened_) != 0) {
        const std::string message = describe("Cannot read the size of file", path);
        ::close(fd_);
        throw jpcOpenError(message);
    }
    if (!S_ISREG(opened_.st_mode)) {
        ::close(fd_);
        throw jpcOpenError("Cannot open file '" + path + "': not a regular file");
    }
    if (opened_.st_size == 0) {
        ::close(fd_);
        throw jpcEndOfFileError();
    }
    if (static_cast<uint64_t>(opened_.st_size) > UINT32_MAX) {
        ::close(fd_);
        throw jpcFileTooLargeError("File '" + path + "' is too large: " + std::to_string(opened_.st_size) +
                                   " bytes; at most 4294967295 bytes can be analysed");
    }
    size_ = static_cast<uint32_t>(opened_.st_size);
    void* view = ::mmap(nullptr, size_, PROT_READ, MAP_SHARED, fd_, 0);
    if (view == MAP_FAILED) {
        const std::string message = describe("Cannot map file", path);
        ::close(fd_);
        throw jpcOpenError(message);
    }
    // The walk jumps from header to header; read-ahead of the bit-stream between them is wasted.
    ::madvise(view, size_, MADV_RANDOM);
    data_ = static_cast<const uint8_t*>(view);
    guardSlot_ = sigbusGuard::watch(data_, size_);
}

MappedFile::~MappedFile()
{
    sigbusGuard::unwatch(guardSlot_);
    ::munmap(const_cast<uint8_t*>(data_), size_);
    ::close(fd_);
}

bool MappedFile::changedOnDisk() const
{
    if (sigbusGuard::tripped(guardSlot_))
        return true;
    struct stat now {};
    if (::fstat(fd_, &now) != 0)
        return true;
    return now.st_size != opened_.st_size || now.st_mtim.tv_sec != opened_.st_mtim.tv_sec ||
           now.st_mtim.tv_nsec != opened_.st_mtim.tv_nsec;
}
