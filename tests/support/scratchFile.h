#pragma once
// A file of the test's own in the temporary directory, removed with the object, and the ways
// another process changes a file under an engine that holds it.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

inline std::vector<uint8_t> readWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ScratchFile {
public:
    explicit ScratchFile(const std::vector<uint8_t>& bytes)
    {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("tarvik3-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".j2k");
        rewrite(bytes);
    }
    ~ScratchFile() { std::filesystem::remove(path_); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    std::string path() const { return path_.string(); }

    // Cuts the file in place, as `truncate -s` does.
    void truncate(uint64_t size) const
    {
        if (::truncate(path_.c_str(), static_cast<off_t>(size)) != 0)
            throw std::runtime_error("cannot truncate " + path());
    }

    // Writes new contents into the same file (the same inode), as an editor saving in place does.
    void rewrite(const std::vector<uint8_t>& bytes) const
    {
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            throw std::runtime_error("cannot write " + path());
        const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        ::close(fd);
        if (!written)
            throw std::runtime_error("short write to " + path());
    }

    struct timespec modified() const
    {
        struct stat info {};
        if (::stat(path_.c_str(), &info) != 0)
            throw std::runtime_error("cannot read the times of " + path());
        return info.st_mtim;
    }
    // Sets the access and modification times, as a copy that keeps times does.
    void setModified(const struct timespec& time) const
    {
        const struct timespec times[2] = {time, time};
        if (::utimensat(AT_FDCWD, path_.c_str(), times, 0) != 0)
            throw std::runtime_error("cannot set the times of " + path());
    }
    // Sets the modification time an hour back, so that a rewrite within the same clock tick of the
    // file system still changes it.
    void backdate() const { setModified({modified().tv_sec - 3600, 0}); }

private:
    std::filesystem::path path_;
};
