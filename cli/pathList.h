#pragma once
// The paths of a list file or of standard input, read one at a time, so that a list of millions of
// paths never sits in memory. Entries end with a line feed (a carriage return before it is dropped)
// or, for lists such as `find -print0` writes, with a NUL byte; empty entries are skipped.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The list cannot be read, or does not hold paths.
class PathListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class PathList {
public:
    // `source` "-" is standard input. Throws PathListError when the list cannot be opened.
    PathList(const std::string& source, char separator);
    ~PathList();
    PathList(const PathList&) = delete;
    PathList& operator=(const PathList&) = delete;

    // The next path, or nothing at the end of the list. Throws PathListError on a read error, on an
    // entry longer than any path can be, on an entry that is not UTF-8, and on a NUL byte in a list
    // of lines (a NUL-separated list read without its option).
    std::optional<std::string> next();

    // The number of paths in a list held in a regular file, counted by reading it once more;
    // nothing for a pipe or a terminal, or when the list cannot be read to its end.
    static std::optional<uint64_t> count(const std::string& source, char separator);

private:
    bool fill();
    std::string checked(std::string path) const;
    [[noreturn]] void fail(const std::string& why) const;

    std::string name_;
    int fd_ = -1;
    bool ownsFd_ = false;
    char separator_;
    std::vector<char> buffer_;
    size_t begin_ = 0;
    size_t end_ = 0;
    uint64_t entry_ = 1;  // the entry being read, counted from 1 with the empty ones
};
