// tarvik3-decode: decodes one codestream into an 8-bit preview, in a process of its own that limits
// itself first thing, so that a crafted file can at worst end this process and never the window
// that asked. The window reads the reply on standard output (decode/previewReply.h); scripts and
// file managers ask for a PNG file.

#include "decode/codestreamDecoder.h"
#include "decode/pngFile.h"
#include "decode/processLimits.h"
#include "engine/jpcAnalyzer.h"
#include "present/codestreamSource.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <new>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int exitFailed = 1;
constexpr int exitUsage = 64;
constexpr int exitOutputFailed = 74;
// The largest file it may write: a reply or a PNG of 4 megapixels stays far below.
constexpr uint64_t outputLimitMiB = 256;

const char* const footer = R"(Without --out the reply goes to standard output in the binary form the viewer reads (see
decode/previewReply.h in the sources). The process limits its address space (--memory) and CPU time
(--cpu), keeps no descriptor but the file, its output and standard error, and decodes truncated
streams as far as their data goes.

Exit status: 0 a picture was written; 1 nothing could be decoded (the reason in the reply, or on
standard error with --out); 64 usage error; 74 the output could not be written.)";

struct Options {
    std::string path;
    std::optional<uint64_t> offset, length;
    std::string size = "1024";
    std::optional<uint32_t> reduction, tile, component;
    std::vector<uint32_t> area;
    std::string colour;
    std::string out;
    ProcessLimits limits;
    int threads = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
};

bool parseSize(const std::string& text, uint32_t& width, uint32_t& height)
{
    auto number = [](std::string_view digits, uint32_t& value) {
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        return error == std::errc() && end == digits.data() + digits.size() && value >= 1 && value <= 65536;
    };
    const size_t x = text.find('x');
    if (x == std::string::npos)
        return number(text, width) && number(text, height);
    return number(std::string_view(text).substr(0, x), width) && number(std::string_view(text).substr(x + 1), height);
}

bool writeAll(int fd, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool isBoxFile(int fd)
{
    static constexpr std::array<uint8_t, 12> signature{0, 0, 0, 12, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    std::array<uint8_t, 12> head{};
    return ::pread(fd, head.data(), head.size(), 0) == 12 && head == signature;
}

// The codestream of a JP2 file lies where the analysis finds it; any other file is one.
bool locate(const Options& options, int fd, DecodeRequest& request, std::string& colour, std::string& why)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        why = "Nie można odczytać rozmiaru pliku.";
        return false;
    }
    const uint64_t fileSize = static_cast<uint64_t>(status.st_size);
    if (options.offset || options.length || !isBoxFile(fd)) {
        request.offset = std::min(options.offset.value_or(0), fileSize);
        request.length = std::min(options.length.value_or(fileSize), fileSize - request.offset);
        return true;
    }
    try {
        const jpcAnalyzer analyzer(options.path);
        const CodestreamSource source = codestreamSource(analyzer);
        request.offset = source.offset;
        request.length = source.length;
        colour = source.colour;
        if (request.length == 0)
            why = "Plik JP2 nie ma strumienia kodowego.";
        return request.length > 0;
    } catch (const std::exception&) {
        why = "Nie można odnaleźć strumienia kodowego w pliku JP2.";
        return false;
    }
}

ColourHint colourHint(const std::string& name)
{
    return name == "srgb" ? ColourHint::srgb : name == "grey" ? ColourHint::grey : name == "sycc" ? ColourHint::sycc
                                                                                                  : ColourHint::none;
}

int run(const Options& options, uint32_t width, uint32_t height)
{
    const int fd = ::open(options.path.c_str(), O_RDONLY | O_CLOEXEC);
    const int openError = errno;
    int outFd = STDOUT_FILENO;
    if (!options.out.empty() && fd >= 0) {
        outFd = ::open(options.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (outFd < 0) {
            std::cerr << "tarvik3-decode: cannot write " << options.out << ": " << std::strerror(errno) << '\n';
            return exitOutputFailed;
        }
    }
    ProcessLimits limits = options.limits;
    limits.outputMiB = outputLimitMiB;
    std::string why;
    if (!applyLimits(limits, why)) {
        std::cerr << "tarvik3-decode: " << why << '\n';
        return exitFailed;
    }
    closeOtherDescriptors({fd, outFd, STDERR_FILENO});

    PreviewOutcome outcome{false, {}, {}};
    DecodeRequest request{fd, 0, 0, width, height, options.reduction, std::nullopt, options.tile, options.component,
                          colourHint(options.colour), options.threads};
    if (options.area.size() == 4)
        request.area = ImageRegion{options.area[0], options.area[1], options.area[2], options.area[3]};
    try {
        std::string foundColour;
        if (fd < 0)
            outcome.message = "Nie można otworzyć pliku: " + std::string(std::strerror(openError));
        else if (locate(options, fd, request, foundColour, outcome.message)) {
            if (options.colour.empty())
                request.colour = colourHint(foundColour);
            outcome = decodeCodestream(request);
        }
    } catch (const std::bad_alloc&) {
        outcome = {
            false, {}, "Za mało pamięci: dekodowanie przekroczyło limit " + std::to_string(limits.memoryMiB) + " MiB."};
    }

    if (options.out.empty())
        return writeAll(outFd, encodeReply(outcome)) ? (outcome.decoded ? 0 : exitFailed) : exitOutputFailed;
    if (!outcome.decoded) {
        std::cerr << "tarvik3-decode: " << outcome.message << '\n';
        if (outFd != STDOUT_FILENO)
            ::unlink(options.out.c_str());
        return exitFailed;
    }
    const PreviewPicture& p = outcome.picture;
    const RenderedPicture fitted = fitPicture({p.width, p.height, p.channels, p.pixels}, width, height);
    std::FILE* file = ::fdopen(outFd, "wb");
    const bool written = file && writePng(file, fitted);
    if (!written || (file && std::fclose(file) != 0)) {
        std::cerr << "tarvik3-decode: cannot write " << options.out << '\n';
        ::unlink(options.out.c_str());
        return exitOutputFailed;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Decodes a JPEG 2000 codestream or JP2 file into an 8-bit preview, in a limited process.",
                 "tarvik3-decode"};
    app.footer(footer);
    Options options;
    app.add_option("FILE", options.path, "the file")->required();
    app.add_option("--offset", options.offset, "where the codestream begins (default: found in the file)");
    app.add_option("--length", options.length, "the codestream's length in bytes");
    app.add_option("--size", options.size, "the box the picture is to fit: N or WxH pixels")->capture_default_str();
    app.add_option("--reduce", options.reduction, "decode at this reduction (halvings) instead of the fitting one");
    app.add_option("--tile", options.tile, "decode only this tile");
    app.add_option("--area", options.area, "decode only this area: X0,Y0,X1,Y1 on the reference grid")
        ->delimiter(',')
        ->expected(4);
    app.add_option("--component", options.component, "show this component as grey");
    app.add_option("--colour", options.colour, "the image's colours: srgb, grey or sycc (default: from a JP2 file)")
        ->check(CLI::IsMember({"srgb", "grey", "sycc"}));
    app.add_option("--out", options.out, "write a PNG picture fitted to --size instead of the reply");
    app.add_option("--memory", options.limits.memoryMiB, "address-space limit in MiB")->capture_default_str();
    app.add_option("--cpu", options.limits.cpuSeconds, "CPU-time limit in seconds")->capture_default_str();
    app.add_option("--threads", options.threads, "decoding threads")->check(CLI::Range(1, 64));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : exitUsage;
    }
    uint32_t width = 0, height = 0;
    if (!parseSize(options.size, width, height)) {
        std::cerr << "tarvik3-decode: --size takes N or WxH, 1 to 65536: " << options.size << '\n';
        return exitUsage;
    }
    return run(options, width, height);
}
