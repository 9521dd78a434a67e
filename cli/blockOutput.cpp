#include "cli/blockOutput.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr size_t blockBytes = 64 * 1024;

}  // namespace

void BlockOutput::append(std::string_view text)
{
    if (text.size() >= blockBytes) {
        flush();
        writeAll(text);  // a block already
        return;
    }
    buffer_ += text;
    if (buffer_.size() >= blockBytes)
        flush();
}

void BlockOutput::flush()
{
    writeAll(buffer_);
    buffer_.clear();
}

void BlockOutput::writeAll(std::string_view text)
{
    while (!text.empty() && error_.empty()) {
        const ssize_t n = ::write(fd_, text.data(), text.size());
        if (n > 0)
            text.remove_prefix(static_cast<size_t>(n));
        else if (n == 0 || errno != EINTR)
            error_ = n == 0 ? "no byte was written" : std::strerror(errno);
    }
}
