#include "cli/progressLine.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

int terminalWidth(int fd)
{
    struct winsize size {};
    return ::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

bool startsCharacter(char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }

// Where the last `characters` characters of the text begin.
size_t tailStart(std::string_view text, int characters)
{
    size_t from = text.size();
    for (int n = 0; from > 0 && n < characters;)
        n += startsCharacter(text[--from]);
    return from;
}

// The end of the path in at most `columns` characters, "…" in front of a cut; control characters,
// which would break the line, become '?'.
std::string shortened(std::string_view path, int columns)
{
    size_t from = tailStart(path, columns);
    std::string out;
    if (from > 0) {
        out = "…";
        from = tailStart(path, columns - 1);
    }
    for (; from < path.size(); ++from) {
        const auto c = static_cast<unsigned char>(path[from]);
        out += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
    return out;
}

}  // namespace

ProgressLine::ProgressLine(int fd, std::optional<uint64_t> total) : fd_(fd), total_(total) {}

void ProgressLine::update(uint64_t done, std::string_view current)
{
    const auto now = Clock::now();
    if (now - drawn_ < std::chrono::milliseconds(100))
        return;
    drawn_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::string line = "\r" + std::to_string(done);
    if (total_)
        line += "/" + std::to_string(*total_);
    line += " files, " + std::to_string(static_cast<uint64_t>(done / seconds)) + " files/s  ";
    const int room = terminalWidth(fd_) - static_cast<int>(line.size());
    if (room > 8)
        line += shortened(current, room);
    line += "\x1b[K";
    shown_ = ::write(fd_, line.data(), line.size()) > 0;
}

void ProgressLine::clear()
{
    if (shown_ && ::write(fd_, "\r\x1b[K", 4) > 0)
        shown_ = false;
}

std::string summaryLine(const std::array<uint64_t, 4>& filesByOutcome)
{
    const auto& n = filesByOutcome;
    return std::to_string(n[0] + n[1] + n[2] + n[3]) + " files: " + std::to_string(n[0]) + " clean, " +
           std::to_string(n[1]) + " with errors, " + std::to_string(n[2]) + " fatally broken, " +
           std::to_string(n[3]) + " not analysed\n";
}
