// Real files cut at every length, as a broken download leaves them: each cut goes through everything
// a user can reach without a broken rule, and every cut that loses the end of the codestream is a
// fatal structure error or cannot be analysed at all.

#include "support/scratchFile.h"
#include "fuzz/userSurface.h"

#include <gtest/gtest.h>

namespace {

void sweep(const std::string& sampleName)
{
    const auto sample = readWholeFile(std::string(TARVIK3_SAMPLES_DIR) + "/" + sampleName);
    for (size_t n = 0; n <= sample.size(); ++n) {
        // The engine and its texts at every cut; the same through the file source and the checker's
        // report, which only arranges them, at every 32nd, to keep the sanitizer run short.
        const bool wholeSurface = n % 32 == 0 || n == sample.size();
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
