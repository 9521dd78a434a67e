// The synthetic stream writer: every shape it accepts must analyse clean, with the elements and size
// it predicts, and the file it writes must hold the same bytes as the stream it builds in memory.

#include "support/analysis.h"
#include "tools/streamWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

namespace {

struct NamedShape {
    const char* name;
    StreamShape shape;
};

}  // namespace

TEST(StreamWriter, EveryShapeAnalysesCleanWithThePredictedElementsAndSize)
{
    const NamedShape shapes[] = {
        {"bare single tile-part", {}},
        {"PLT and TLM, parts consecutive", {.tiles = 6, .tilePartsPerTile = 3, .dataBytes = 5000, .packets = 7, .tlm = true}},
        {"PLT and TLM, parts interleaved",
         {.tiles = 6, .tilePartsPerTile = 3, .dataBytes = 5000, .packets = 7, .tlm = true, .interleaved = true}},
        {"multi-byte packet lengths", {.tiles = 2, .dataBytes = 300000, .packets = 3, .noise = true}},
        {"more packets than bytes", {.tiles = 1, .dataBytes = 2, .packets = 5}},
        {"no bit-stream bytes", {.tiles = 3, .dataBytes = 0}},
        {"TLM over two segments", {.tiles = 43, .tilePartsPerTile = 255, .dataBytes = 1, .tlm = true}},
        {"in a JP2 file", {.tiles = 6, .tilePartsPerTile = 3, .dataBytes = 5000, .packets = 7, .tlm = true, .jp2 = true}},
    };
    for (const auto& [name, shape] : shapes) {
        SCOPED_TRACE(name);
        auto bytes = buildStream(shape);
        EXPECT_EQ(bytes.size(), streamSize(shape));
        const auto a = analyze(std::move(bytes));
        EXPECT_EQ(a->getStatus(), 0);
        EXPECT_TRUE(a->getErrorList().empty());
        EXPECT_EQ(a->getMarkerOffsets().size(), elementCount(shape));
        EXPECT_EQ(a->getDataOffsets().size(), tilePartCount(shape));
    }
}

TEST(StreamWriter, FileWithHolesHoldsTheBytesBuiltInMemory)
{
    const StreamShape shape{.tiles = 3, .tilePartsPerTile = 2, .dataBytes = 200000, .packets = 4, .tlm = true};
    char path[] = "/tmp/streamWriterTestXXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    writeStream(shape, path);
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> written{std::istreambuf_iterator<char>(in), {}};
    std::remove(path);
    EXPECT_EQ(written, buildStream(shape));
}

TEST(StreamWriter, ShapesBeyondTheFieldsAreRefused)
{
    EXPECT_THROW(buildStream({.tiles = 0}), std::invalid_argument);
    EXPECT_THROW(buildStream({.tiles = 65536}), std::invalid_argument);
    EXPECT_THROW(buildStream({.tiles = 65535, .missingTiles = 1}), std::invalid_argument);
    EXPECT_THROW(buildStream({.tilePartsPerTile = 256}), std::invalid_argument);
    EXPECT_THROW(buildStream({.packets = 70000}), std::invalid_argument);
    EXPECT_THROW(validateShape({.tiles = 2, .dataBytes = uint64_t{1} << 31}), std::invalid_argument);
}
