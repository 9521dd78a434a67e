#include "engine/fileReader.h"

#include "engine/fileErrors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::string describe(const std::string& what, const std::string& path)
{
    return what + " '" + path + "': " + std::strerror(errno);
}

}  // namespace

FileReader::FileReader(const std::string& path)
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
    // The walk jumps from header to header: read-around of a cold file would fetch bit-stream data.
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_RANDOM);
}

FileReader::~FileReader() { ::close(fd_); }

size_t FileReader::read(uint64_t pos, uint8_t* out, size_t count)
{
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(pos + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    if (done < count && pos + count <= size_)
        readFailed_ = true;
    return done;
}

bool FileReader::changedOnDisk() const
{
    if (readFailed_)
        return true;
    struct stat now {};
    if (::fstat(fd_, &now) != 0)
        return true;
    return now.st_size != opened_.st_size || now.st_mtim.tv_sec != opened_.st_mtim.tv_sec ||
           now.st_mtim.tv_nsec != opened_.st_mtim.tv_nsec;
}
