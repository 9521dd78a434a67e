#pragma once
// A file descriptor (standard output) written in large blocks. A failed write is remembered and
// ends the writing: results that were lost must not pass for success.

#include <string>
#include <string_view>

class BlockOutput {
public:
    explicit BlockOutput(int fd) : fd_(fd) {}

    // Writes once a block has piled up.
    void append(std::string_view text);
    void flush();
    bool pending() const { return !buffer_.empty(); }

    // Why the first failed write failed; empty while every write succeeded.
    const std::string& error() const { return error_; }

private:
    void writeAll(std::string_view text);

    int fd_;
    std::string buffer_;
    std::string error_;
};
