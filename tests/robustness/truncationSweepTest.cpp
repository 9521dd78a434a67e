// Real files cut at every length (deep inside a data block, at every 32nd), as a broken download
// leaves them: each cut goes through everything a user can reach without a broken rule, and every
// cut that loses the end of the codestream is a fatal structure error or cannot be analysed at all.

#include "support/scratchFile.h"
#include "engine/jpcAnalyzer.h"
#include "fuzz/userSurface.h"

#include <gtest/gtest.h>

namespace {

// Data blocks: the engine reads none of their bytes, so a cut deep inside one tells nothing a cut
// at its edges does not.
std::vector<bool> insideData(const std::vector<uint8_t>& sample, const std::string& name)
{
    std::vector<bool> inside(sample.size() + 1, false);
    const jpcAnalyzer a(sample, name);
    const auto& offsets = a.getMarkerOffsets();
    for (size_t i = 0; i < offsets.size(); ++i) {
        const uint64_t end = i + 1 < offsets.size() ? offsets[i + 1] : a.getCodestreamEnd();
        if (!a.isMarker(int(i)))
            for (uint64_t n = offsets[i] + 4; n + 4 < end; ++n)
                inside[n] = true;
    }
    return inside;
}

void sweep(const std::string& sampleName)
{
    const auto sample = readWholeFile(std::string(TARVIK3_SAMPLES_DIR) + "/" + sampleName);
    const std::vector<bool> skippable = insideData(sample, sampleName);
    for (size_t n = 0; n <= sample.size(); ++n) {
        // The engine and its texts at every cut but those deep in the data; the same under a profile,
        // through the file source and the checker's report, which only arranges them, at every 32nd,
        // to keep the sanitizer run short.
        const bool wholeSurface = n % 32 == 0 || n == sample.size();
        if (skippable[n] && !wholeSurface)
            continue;
        const SurfaceResult r = exerciseUserSurface(std::span(sample).first(n), sampleName, wholeSurface);
        for (const std::string& rule : r.broken)
            ADD_FAILURE() << "cut at " << n << ": " << rule;
        if (n < sample.size())
            EXPECT_TRUE(!r.constructed || r.status == 2) << "cut at " << n << ": status " << r.status;
        else
            EXPECT_EQ(r.status, 0) << "the whole sample";
    }
}

}  // namespace

TEST(TruncationSweep, EveryCutOfATiledSampleIsFatalAndBreaksNoRule) { sweep("color-tiled.j2k"); }

// A JP2 file whose codestream box is its last box: cut before that box's contents, it has no
// codestream (901); cut inside them, the codestream has no EOC.
TEST(TruncationSweep, EveryCutOfAJp2SampleIsFatalAndBreaksNoRule) { sweep("color-irreversible.jp2"); }
