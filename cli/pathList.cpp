#include "cli/pathList.h"

#include "engine/utf8.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t readBytes = 64 * 1024;

std::string describeSource(const std::string& source)
{
    return source == "-" ? "standard input" : "'" + source + "'";
}

}  // namespace

PathList::PathList(const std::string& source, char separator)
    : name_(describeSource(source)), separator_(separator), buffer_(readBytes)
{
    if (source == "-") {
        fd_ = STDIN_FILENO;
        return;
    }
    fd_ = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        fail(std::strerror(errno));
    ownsFd_ = true;
}

PathList::~PathList()
{
    if (ownsFd_)
        ::close(fd_);
}

void PathList::fail(const std::string& why) const
{
    throw PathListError("cannot read the list of files " + name_ + ": " + why);
}

bool PathList::fill()
{
    for (;;) {
        const ssize_t n = ::read(fd_, buffer_.data(), buffer_.size());
        if (n >= 0) {
            begin_ = 0;
            end_ = static_cast<size_t>(n);
            return n > 0;
        }
        if (errno != EINTR)
            fail(std::strerror(errno));
    }
}

std::optional<std::string> PathList::next()
{
    std::string path;
    for (;;) {
        if (begin_ == end_ && !fill()) {
            if (path.empty())
                return std::nullopt;
            ++entry_;
            return checked(std::move(path));  // the last entry, without a separator after it
        }
        const char* start = buffer_.data() + begin_;
        const auto* found = static_cast<const char*>(std::memchr(start, separator_, end_ - begin_));
        const size_t length = found ? static_cast<size_t>(found - start) : end_ - begin_;
        if (separator_ == '\n' && std::memchr(start, '\0', length))
            fail("line " + std::to_string(entry_) + " holds a NUL byte (a NUL-separated list needs -0)");
        // No path of PATH_MAX bytes or more can be opened; a line may end with a carriage return.
        if (path.size() + length >= PATH_MAX + (separator_ == '\n' ? 1 : 0))
            fail((separator_ == '\n' ? "line " : "entry ") + std::to_string(entry_) +
                 " is longer than any path (" + std::to_string(PATH_MAX - 1) + " bytes)");
        path.append(start, length);
        begin_ += length;
        if (!found)
            continue;
        ++begin_;
        ++entry_;
        if (separator_ == '\n' && !path.empty() && path.back() == '\r')
            path.pop_back();
        if (!path.empty())
            return checked(std::move(path));
    }
}

std::string PathList::checked(std::string path) const
{
    // The entry was counted when its separator was read, or when the list ended after it.
    if (!isUtf8({reinterpret_cast<const uint8_t*>(path.data()), path.size()}))
        fail((separator_ == '\n' ? "line " : "entry ") + std::to_string(entry_ - 1) + " is not valid UTF-8");
    return path;
}

std::optional<uint64_t> PathList::count(const std::string& source, char separator)
{
    struct stat info {};
    if (source == "-") {
        // Standard input redirected from a file, not yet read: a second description of the same file.
        if (::fstat(STDIN_FILENO, &info) != 0 || !S_ISREG(info.st_mode) || ::lseek(STDIN_FILENO, 0, SEEK_CUR) != 0)
            return std::nullopt;
        return count("/proc/self/fd/0", separator);
    }
    if (::stat(source.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    try {
        PathList list(source, separator);
        uint64_t paths = 0;
        while (list.next())
            ++paths;
        return paths;
    } catch (const PathListError&) {
        return std::nullopt;
    }
}
