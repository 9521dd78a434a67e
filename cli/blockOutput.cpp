#include "cli/blockOutput.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr size_t blockBytes = 64 * 1024;

}  // namespace

void BlockOutput::append(std::string_view text)
{
    if (!error_.empty())
        return;
    buffer_ += text;
    if (buffer_.size() >= blockBytes)
        flush();
}

void BlockOutput::flush()
{
    size_t done = 0;
    while (done < buffer_.size() && error_.empty()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n == 0 || errno != EINTR)
            error_ = n == 0 ? "no byte was written" : std::strerror(errno);
    }
    buffer_.clear();
}
