// The bounded accessor gives the same from bytes in memory as from a file read by position through
// the block cache: the same values, overruns and spans, whatever the order of the reads and what the
// walk keeps; and the engine gives the same analysis from either source.

#include "engine/blockCache.h"
#include "engine/byteImage.h"
#include "fuzz/userSurface.h"
#include "support/scratchFile.h"
#include "tools/streamWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

namespace {

enum class Source { memory, file };

// Every byte differs from its neighbours, and runs do not repeat within 16 MiB.
std::vector<uint8_t> patternBytes(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i ^ (i >> 8) ^ (i >> 16));
    return bytes;
}

class ByteImageContract : public ::testing::TestWithParam<Source> {
protected:
    const ByteImage& open(const std::vector<uint8_t>& bytes)
    {
        bytes_ = bytes;
        if (GetParam() == Source::memory) {
            image_ = ByteImage(bytes_);
        } else {
            file_ = std::make_unique<ScratchFile>(bytes_);
            cache_ = std::make_unique<BlockCache>(file_->path());
            image_ = ByteImage(*cache_);
        }
        return image_;
    }
    // The span holds the bytes of the file at pos.
    ::testing::AssertionResult holdsFileBytes(std::span<const uint8_t> span, uint64_t pos) const
    {
        if (std::equal(span.begin(), span.end(), bytes_.begin() + static_cast<ptrdiff_t>(pos)))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << span.size() << " bytes at " << pos << " differ from the file";
    }

private:
    std::vector<uint8_t> bytes_;
    std::unique_ptr<ScratchFile> file_;
    std::unique_ptr<BlockCache> cache_;
    ByteImage image_;
};

}  // namespace

TEST_P(ByteImageContract, ReadsAreBigEndianUpToTheLastByteAndOverrunPastIt)
{
    const ByteImage& image = open({0xFF, 0x4F, 0x12, 0x34, 0x56, 0x78, 0x9A});
    EXPECT_EQ(image.size(), 7u);
    EXPECT_EQ(image.be16(0), 0xFF4F);
    EXPECT_EQ(image.be32(3), 0x3456789Au);
    EXPECT_EQ(image.u8(6), 0x9A);
    EXPECT_TRUE(image.bytes(7, 0).empty());
    EXPECT_TRUE(image.contains(7, 0));
    EXPECT_FALSE(image.contains(7));
    EXPECT_FALSE(image.contains(UINT64_MAX, 2));
    EXPECT_THROW(image.u8(7), ImageOverrun);
    EXPECT_THROW(image.be16(6), ImageOverrun);
    EXPECT_THROW(image.be32(4), ImageOverrun);
    EXPECT_THROW(image.bytes(0, 8), ImageOverrun);
    EXPECT_THROW(image.bytes(1, UINT64_MAX), ImageOverrun);
    EXPECT_THROW(image.u8(UINT64_MAX), ImageOverrun);
}

TEST_P(ByteImageContract, SpansOfUpTo64KiBHoldTheBytesWhereverTheyStart)
{
    const uint64_t size = 600 << 10;
    const ByteImage& image = open(patternBytes(size));
    const std::pair<uint64_t, uint64_t> reads[] = {
        {0, 1},      {5, 64 << 10}, {300 << 10, 70000}, {1000, 3000},        {size - (64 << 10), 64 << 10},
        {size, 0},   {200 << 10, 1}, {123456, 4096},    {300 << 10, 100000}, {0, size},
    };
    for (const auto& [pos, count] : reads) {
        const auto span = image.bytes(pos, count);
        ASSERT_EQ(span.size(), count);
        EXPECT_TRUE(holdsFileBytes(span, pos));
    }
}

TEST_P(ByteImageContract, AWalkThatKeepsWhatItStepsOverReadsTheSameOnLaterPasses)
{
    // Segments of up to 30,000 bytes, back to back or with bit-stream between them: more than the
    // cache keeps, so that later passes find some segments kept and read the others again.
    const auto bytes = patternBytes(24 << 20);
    const ByteImage& image = open(bytes);
    std::mt19937 random(7);
    std::vector<std::pair<uint64_t, uint64_t>> segments;
    for (uint64_t pos = 0; pos + 100000 < bytes.size();) {
        const uint64_t length = 2 + random() % 30000;
        ASSERT_EQ(image.be16(pos), readBE16(&bytes[pos])) << pos;
        image.keep(pos, length);
        segments.emplace_back(pos, length);
        pos += length + (random() % 2 ? 0 : random() % 60000);
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (const auto& [pos, length] : segments) {
            ASSERT_EQ(image.u8(pos + length - 1), bytes[pos + length - 1]) << pos;
            ASSERT_TRUE(holdsFileBytes(image.bytes(pos, length), pos));
        }
    }
    // Out of order, as a viewer reads; then the bit-stream between them too.
    std::shuffle(segments.begin(), segments.end(), random);
    for (const auto& [pos, length] : segments)
        ASSERT_TRUE(holdsFileBytes(image.bytes(pos, length), pos));
    for (uint64_t pos = 0; pos + 4096 < bytes.size(); pos += 4096)
        ASSERT_TRUE(holdsFileBytes(image.bytes(pos, 4096), pos));
}

INSTANTIATE_TEST_SUITE_P(Sources, ByteImageContract, ::testing::Values(Source::memory, Source::file),
                         [](const auto& info) { return info.param == Source::memory ? "memory" : "file"; });

TEST(Sources, TheEngineGivesTheSameAnalysisFromAFileAsFromMemory)
{
    struct Case {
        const char* what;
        StreamShape shape;
        size_t cut;  // bytes kept of the stream; 0 for all
    };
    const Case cases[] = {
        {"tile-parts far apart", {.tiles = 40, .dataBytes = 100000, .packets = 8, .tlm = true}, 0},
        {"tile-parts packed close", {.tiles = 2000, .dataBytes = 3000, .packets = 40, .tlm = true}, 0},
        {"cut in a tile-part", {.tiles = 300, .dataBytes = 3000, .packets = 40}, 500000},
    };
    for (const Case& c : cases) {
        auto bytes = buildStream(c.shape);
        if (c.cut)
            bytes.resize(c.cut);
        SurfaceResult fromMemory, fromFile;
        jpcAnalyzer inMemory(bytes, "stream.j2k");
        ScratchFile file(bytes);
        jpcAnalyzer onDisk(file.path());
        EXPECT_TRUE(exerciseEngine(inMemory, fromMemory) == exerciseEngine(onDisk, fromFile)) << c.what;
        EXPECT_TRUE(fromMemory.broken.empty()) << c.what;
        EXPECT_EQ(fromMemory.status, c.cut ? 2 : 0) << c.what;
        EXPECT_FALSE(onDisk.fileChangedOnDisk()) << c.what;
    }
}
