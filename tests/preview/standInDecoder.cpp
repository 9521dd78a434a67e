// A stand-in for tarvik3-decode that misbehaves on command, for the window's side of the preview:
// the file's name says what it does. Built without sanitizers, so that its own memory limit holds.

#include "decode/previewReply.h"
#include "decode/processLimits.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

void write(const std::vector<uint8_t>& bytes, size_t count)
{
    for (size_t done = 0; done < count;) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data() + done, count - done);
        if (n <= 0)
            std::exit(74);
        done += static_cast<size_t>(n);
    }
}

PreviewOutcome picture()
{
    PreviewPicture p{2, 1, 3, 1, {0, 0, 4, 2}, previewReply::allComponents, {{1, TileFault::missing}}, "uwaga", {}};
    p.pixels = {255, 0, 0, 0, 0, 255};
    return {true, p, {}};
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string path = argc > 1 ? argv[1] : "";
    const std::string mode = path.substr(path.rfind('/') + 1);
    std::string arguments;
    for (int i = 2; i < argc; ++i)
        arguments += std::string(i > 2 ? " " : "") + argv[i];
    if (mode == "picture") {
        const auto reply = encodeReply(picture());
        write(reply, reply.size());
    } else if (mode == "arguments" || mode == "cut") {
        const auto reply = encodeReply(mode == "cut" ? picture() : PreviewOutcome{false, {}, arguments});
        write(reply, mode == "cut" ? reply.size() / 2 : reply.size());
        return mode == "cut" ? 0 : 1;
    } else if (mode == "garbage") {
        std::vector<uint8_t> noise(1000);
        for (size_t i = 0; i < noise.size(); ++i)
            noise[i] = static_cast<uint8_t>(i * 151 + 7);
        write(noise, noise.size());
    } else if (mode == "flood") {
        const std::vector<uint8_t> block(1 << 20, 0x55);
        for (;;)
            write(block, block.size());
    } else if (mode == "crash") {
        std::raise(SIGSEGV);
    } else if (mode == "hang") {
        // Written whole before it appears, for the test waiting on it.
        std::ofstream(path + ".part") << ::getpid();
        std::rename((path + ".part").c_str(), (path + ".pid").c_str());
        for (;;)
            ::pause();
    } else if (mode == "spin") {
        std::string why;
        applyLimits({256, 1, 0}, why);
        volatile uint64_t count = 0;
        for (;;)
            count = count + 1;
    } else if (mode == "oom") {
        std::string why;
        applyLimits({64, 10, 0}, why);
        for (;;) {
            void* block = std::malloc(1 << 20);
            if (!block)
                std::abort();
            std::memset(block, 1, 1 << 20);
        }
    }
    return 0;
}
