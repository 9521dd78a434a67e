#include "bench/scratchStreams.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <mutex>
#include <stdexcept>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tarvik3-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a temporary folder from " + pattern);
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

ScratchFolder& folder()
{
    static ScratchFolder instance;
    return instance;
}

std::string nameOf(const StreamShape& s)
{
    return "t" + std::to_string(s.tiles) + "-p" + std::to_string(s.tilePartsPerTile) + "-d" +
           std::to_string(s.dataBytes) + "-k" + std::to_string(s.packets) + (s.tlm ? "-tlm" : "") +
           (s.interleaved ? "-i" : "") + (s.noise ? "-n" : "") +
           (s.missingTiles ? "-m" + std::to_string(s.missingTiles) : "") + (s.jp2 ? ".jp2" : ".j2k");
}

}  // namespace

StreamShape spreadTileParts(uint64_t mebibytes)
{
    return {.tiles = 1000, .tilePartsPerTile = 10, .dataBytes = (mebibytes << 20) / 10000, .packets = 8, .tlm = true};
}

StreamShape denseTilePartsWithPlt() { return {.tiles = 23814, .dataBytes = 9070, .packets = 96}; }

std::filesystem::path scratchPath(const std::string& name) { return folder().path() / name; }

void warmPageCache(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot open " + path);
    std::vector<char> buffer(1 << 20);
    while (::read(fd, buffer.data(), buffer.size()) > 0) {
    }
    ::close(fd);
}

std::string cachedStream(const StreamShape& shape)
{
    static std::mutex guard;
    static std::map<std::string, bool> written;
    const std::lock_guard lock(guard);
    const std::string name = nameOf(shape);
    const std::string path = scratchPath(name).string();
    if (!written[name]) {
        writeStream(shape, path);
        written[name] = true;
    }
    warmPageCache(path);
    return path;
}

std::string smallStreamList(int count)
{
    const std::string listPath = scratchPath("small-files-" + std::to_string(count) + ".txt").string();
    static std::mutex guard;
    static std::map<int, bool> written;
    const std::lock_guard lock(guard);
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back(scratchPath("small-" + std::to_string(i) + ".j2k").string());
    if (!written[count]) {
        std::ofstream list(listPath);
        for (int i = 0; i < count; ++i) {
            const StreamShape shape{.tiles = 1u + i % 4,
                                    .tilePartsPerTile = 1u + i % 3,
                                    .dataBytes = 200u + (i * 37u) % 1800u,
                                    .packets = i % 2 ? 3u : 0u,
                                    .tlm = i % 3 == 0};
            writeStream(shape, paths[i]);
            list << paths[i] << '\n';
        }
        written[count] = true;
    }
    for (const std::string& path : paths)
        warmPageCache(path);
    return listPath;
}
