// tarvik3-decode run as the window runs it: every reference picture (tests/decode/references/, made
// once by the reference decoder's own tool at the same reduction) comes back pixel for pixel; the
// reduction fits the requested size within the budget; broken streams give the tiles they hold and
// name the rest; where there is no picture the reply says why.

#include "decode/previewReply.h"
#include "engine/jpcAnalyzer.h"
#include "support/scratchFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

const fs::path source = TARVIK3_SOURCE_DIR;

struct HelperRun {
    int exitStatus = -1;
    PreviewOutcome outcome;
    std::string why;  // of a reply that does not parse
};

// All at once, since a run mostly waits on its own start and end (much longer under the sanitizers).
std::vector<HelperRun> runHelpers(const std::vector<std::string>& argumentLists)
{
    std::vector<FILE*> pipes;
    for (const std::string& arguments : argumentLists) {
        std::string command = TARVIK3_DECODE_PATH;
        command.append(" ").append(arguments).append(" 2>/dev/null");
        pipes.push_back(::popen(command.c_str(), "r"));
    }
    std::vector<HelperRun> runs;
    for (FILE* pipe : pipes) {
        std::vector<uint8_t> out;
        uint8_t buffer[65536];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.insert(out.end(), buffer, buffer + n);
        const int status = ::pclose(pipe);
        HelperRun& run = runs.emplace_back();
        run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        parseReply(out, run.outcome, run.why);
    }
    return runs;
}

HelperRun runHelper(const std::string& arguments)
{
    return runHelpers({arguments}).front();
}

std::string stream(const std::string& name)
{
    const fs::path made = source / "tests/decode/streams" / name;
    return (fs::exists(made) ? made : source / "samples" / name).string();
}

// A PGM or PPM file of any depth, each sample scaled to 8 bits as the helper scales.
struct Pnm {
    uint32_t width = 0, height = 0, channels = 0;
    std::vector<uint8_t> pixels;
};

Pnm readPnm(const fs::path& path)
{
    const std::vector<uint8_t> bytes = readWholeFile(path);
    size_t at = 0;
    auto token = [&] {
        for (;;) {
            while (at < bytes.size() && std::isspace(bytes[at]))
                ++at;
            if (at >= bytes.size() || bytes[at] != '#')
                break;
            while (at < bytes.size() && bytes[at] != '\n')
                ++at;
        }
        std::string text;
        while (at < bytes.size() && !std::isspace(bytes[at]))
            text += static_cast<char>(bytes[at++]);
        return text;
    };
    const std::string magic = token();
    Pnm pnm{static_cast<uint32_t>(std::stoul(token())), static_cast<uint32_t>(std::stoul(token())),
            magic == "P6" ? 3u : 1u, {}};
    const uint32_t max = static_cast<uint32_t>(std::stoul(token()));
    ++at;
    const size_t count = size_t{pnm.width} * pnm.height * pnm.channels, bytesEach = max > 255 ? 2 : 1;
    for (size_t i = 0; i < count && at + bytesEach <= bytes.size(); ++i, at += bytesEach) {
        const uint32_t v = bytesEach == 2 ? uint32_t{bytes[at]} << 8 | bytes[at + 1] : bytes[at];
        pnm.pixels.push_back(static_cast<uint8_t>((v * 255 + max / 2) / max));
    }
    return pnm;
}

std::vector<TileState> tilesFrom(uint32_t first, uint32_t end, TileFault fault)
{
    std::vector<TileState> tiles;
    for (uint32_t tile = first; tile < end; ++tile)
        tiles.push_back({tile, fault});
    return tiles;
}

}  // namespace

TEST(DecoderHelper, EveryReferencePictureComesBackPixelForPixel)
{
    std::vector<fs::path> references;
    std::vector<std::string> runs;
    for (const auto& entry : fs::directory_iterator(source / "tests/decode/references")) {
        // color-tiled.j2k.r1.pnm: color-tiled.j2k at reduction 1.
        const std::string name = entry.path().stem().string();
        const size_t mark = name.rfind(".r");
        references.push_back(entry.path());
        runs.push_back(stream(name.substr(0, mark)) + " --reduce " + name.substr(mark + 2));
    }
    const std::vector<HelperRun> results = runHelpers(runs);
    for (size_t i = 0; i < references.size(); ++i) {
        SCOPED_TRACE(runs[i]);
        const Pnm reference = readPnm(references[i]);
        const HelperRun& run = results[i];
        ASSERT_EQ(run.exitStatus, 0) << run.outcome.message << run.why;
        const PreviewPicture& p = run.outcome.picture;
        ASSERT_EQ(std::vector<uint32_t>({p.width, p.height, p.channels}),
                  std::vector<uint32_t>({reference.width, reference.height, reference.channels}));
        EXPECT_TRUE(p.pixels == reference.pixels);
        EXPECT_TRUE(p.tiles.empty());
    }
    EXPECT_EQ(references.size(), 20u);
}

TEST(DecoderHelper, ReductionFitsTheSizeAndKeepsWithinFourMegapixels)
{
    struct Case {
        std::string arguments;
        uint32_t reduction, width, height;
        bool shrunkTileByTile;
    } cases[] = {
        {stream("color-tiled.j2k") + " --size 1024", 0, 160, 120, false},
        {stream("color-tiled.j2k") + " --size 80", 1, 80, 60, false},
        {stream("color-tiled.j2k") + " --size 100x30", 2, 40, 30, false},
        {stream("color-tiled.j2k") + " --size 8", 2, 40, 30, false},  // three levels: no more than 2 halvings
        {stream("gray-lossless.jp2") + " --size 16", 2, 16, 16, false},
        {stream("one-level-tiled.j2k") + " --size 4000", 0, 1050, 1050, true},
        {stream("one-level.j2k") + " --area 100,200,700,500", 0, 600, 300, false},
        {stream("tiled.j2k") + " --tile 5 --size 8", 1, 8, 8, false},
    };
    std::vector<std::string> arguments;
    for (const Case& c : cases)
        arguments.push_back(c.arguments);
    const std::vector<HelperRun> runs = runHelpers(arguments);
    for (size_t i = 0; i < arguments.size(); ++i) {
        const Case& c = cases[i];
        const HelperRun& run = runs[i];
        SCOPED_TRACE(c.arguments);
        ASSERT_EQ(run.exitStatus, 0) << run.outcome.message;
        const PreviewPicture& p = run.outcome.picture;
        EXPECT_EQ(std::vector<uint32_t>({p.reduction, p.width, p.height}),
                  std::vector<uint32_t>({c.reduction, c.width, c.height}));
        EXPECT_EQ(p.note.find("kafle zdekodowano po kolei") != std::string::npos, c.shrunkTileByTile) << p.note;
    }
}

TEST(DecoderHelper, BrokenStreamsGiveTheTilesTheyHoldAndNameTheRest)
{
    const std::vector<uint8_t> tiled = readWholeFile(stream("tiled.j2k"));
    const std::vector<uint8_t> sample = readWholeFile(stream("color-tiled.j2k"));
    const jpcAnalyzer tiledParts(stream("tiled.j2k")), sampleParts(stream("color-tiled.j2k"));
    auto cut = [](const std::vector<uint8_t>& bytes, uint32_t at) {
        return std::vector(bytes.begin(), bytes.begin() + at);
    };
    // No EPH marker where the packet headers of tile 4's first tile-part (of three) want one.
    std::vector<uint8_t> noEph = sample;
    for (uint32_t p = sampleParts.getDataOffsets()[12]; p < sampleParts.getDataOffsets()[13]; ++p)
        if (noEph[p] == 0xFF && noEph[p + 1] == 0x92)
            noEph[p + 1] = 0;
    struct Case {
        std::string name;
        std::vector<uint8_t> bytes;
        std::vector<TileState> tiles;
    } cases[] = {
        {"cut inside tile 5's data", cut(tiled, tiledParts.getDataOffsets()[5] + 40),
         [] {
             auto t = tilesFrom(6, 12, TileFault::missing);
             t.insert(t.begin(), {5, TileFault::damaged});
             return t;
         }()},
        {"cut inside a tile-part of tile 1", cut(sample, sampleParts.getDataOffsets()[4] + 40),
         tilesFrom(1, 12, TileFault::missing)},
        {"tiles after a broken one decoded afresh", noEph, {{4, TileFault::failed}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScratchFile file(c.bytes);
        const HelperRun run = runHelper(file.path());
        ASSERT_EQ(run.exitStatus, 0) << run.outcome.message;
        EXPECT_EQ(run.outcome.picture.tiles, c.tiles);
        EXPECT_NE(run.outcome.picture.note.find("Komunikaty dekodera"), std::string::npos);
    }
}

TEST(DecoderHelper, WithoutAPictureTheReplySaysWhy)
{
    std::vector<uint8_t> mixed = readWholeFile(stream("ht-grok.j2k"));
    const jpcAnalyzer ht(stream("ht-grok.j2k"));
    for (int i = 0; i < static_cast<int>(ht.getMarkerOffsets().size()); ++i)
        if (ht.getElementCode(i) == 0x52)
            mixed[ht.getMarkerOffsets()[static_cast<size_t>(i)] + 12] |= 0x80;  // SPcod's code-block style: HT mixed
    const ScratchFile mixedFile(mixed), empty({});
    const jpcAnalyzer jp2(stream("ycc420.jp2"));
    struct Case {
        std::string arguments;
        int exitStatus;
        std::string message;
    } cases[] = {
        {stream("color-errors.j2k"), 1, "Nie można odczytać nagłówka głównego strumienia: Invalid values for comp = 1"},
        {mixedFile.path(), 1, "Dekoder nie obsługuje strumieni HTJ2K, w których bloki kodowe HT mieszają się"},
        {empty.path(), 1, "Nie można odczytać nagłówka głównego strumienia"},
        {"/no/such/file.j2k", 1, "Nie można otworzyć pliku"},
        {stream("tiled.j2k") + " --tile 12", 1, "Strumień nie ma kafla 12."},
        {stream("tiled.j2k") + " --component 3", 1, "Obraz nie ma składowej 3."},
        {stream("tiled.j2k") + " --reduce 3", 1, "Strumień pozwala zmniejszyć obraz najwyżej 2 razy o połowę."},
        {stream("tiled.j2k") + " --area 64,0,90,10", 1, "Wybrany obszar leży poza obrazem."},
        {stream("one-level.j2k"), 1, "Obraz jest za duży na podgląd: poziomy rozdzielczości (1) nie pozwalają"},
        // The range of a JP2 file's codestream box without the box: the codestream alone.
        {stream("ycc420.jp2") + " --offset 8 --length 100", 1, "Nie można odczytać nagłówka głównego strumienia"},
        {stream("ycc420.jp2") + " --offset " + std::to_string(jp2.getCodestreamStart()) + " --length " +
             std::to_string(jp2.getCodestreamEnd() - jp2.getCodestreamStart()) + " --size 1x1",
         0, ""},
    };
    std::vector<std::string> arguments;
    for (const Case& c : cases)
        arguments.push_back(c.arguments);
    const std::vector<HelperRun> runs = runHelpers(arguments);
    for (size_t i = 0; i < arguments.size(); ++i) {
        const Case& c = cases[i];
        const HelperRun& run = runs[i];
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(run.exitStatus, c.exitStatus);
        EXPECT_EQ(run.outcome.decoded, c.exitStatus == 0) << run.why;
        EXPECT_EQ(run.outcome.message.substr(0, c.message.size()), c.message);
    }
    for (const HelperRun& usage : runHelpers({"", "--size 0 x.j2k", "--size 3x x.j2k", "--colour cmyk x.j2k", "--area 1,2 x.j2k"}))
        EXPECT_EQ(usage.exitStatus, 64);
}

TEST(DecoderHelper, RunningOutOfItsMemoryLimitIsAMessage)
{
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the address sanitizer's shadow memory rules out an address-space limit";
#endif
#endif
    const HelperRun run = runHelper(stream("one-level-tiled.j2k") + " --memory 24");
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.outcome.message, "Za mało pamięci: dekodowanie przekroczyło limit 24 MiB.");
}
