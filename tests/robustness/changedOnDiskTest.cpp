// A file truncated or rewritten by another process while an engine holds it open: a read the file no
// longer answers ends like a read past the end, the process survives, every text can still be built,
// and the engine and the checker's report say that the file changed on disk.

#include "cli/fileReport.h"
#include "engine/blockCache.h"
#include "engine/jpcAnalyzer.h"
#include "support/scratchFile.h"
#include "support/streamBuilder.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

const std::vector<uint8_t>& tiledSample()
{
    static const auto bytes = readWholeFile(std::string(TARVIK3_SAMPLES_DIR) + "/color-tiled.j2k");
    return bytes;
}

// One tile-part with a mebibyte of bit-stream (0x11 bytes), most of which the analysis never reads.
const std::vector<uint8_t>& longStream()
{
    static const auto bytes = StreamBuilder().mainHeader().tilePart(0, 1 << 20).eoc().bytes();
    return bytes;
}

// Everything a viewer reads from the file after the analysis; returns the hex text.
std::string buildAllTexts(jpcAnalyzer& a)
{
    std::string hex = a.buildHexText();
    for (int i = -1; i < static_cast<int>(a.getMarkerOffsets().size()); ++i)
        a.buildElementText(i);
    return hex;
}

}  // namespace

TEST(ChangedOnDisk, BytesTheFileNoLongerHoldsShowAsZerosInTheHexText)
{
    const auto& bytes = longStream();
    ScratchFile file(bytes);
    jpcAnalyzer a(file.path());
    ASSERT_EQ(a.getStatus(), 0);
    const uint64_t cut = bytes.size() / 2 + 5;
    file.truncate(cut);
    const std::string hex = a.buildHexText();
    EXPECT_EQ(hex.substr(0, 5), "ff 4f");
    EXPECT_EQ(hex.substr(3 * (cut - 1), 5), "11 00");
    EXPECT_EQ(hex.find_first_not_of("0 \n", 3 * cut), std::string::npos);
    EXPECT_TRUE(a.fileChangedOnDisk());
}

TEST(ChangedOnDisk, ReadsThatTheFileNoLongerAnswersOverrunWhileBytesReadBeforeStayServed)
{
    const auto& bytes = longStream();
    ScratchFile file(bytes);

    // Cut before anything was read.
    BlockCache before(file.path());
    file.truncate(0);
    EXPECT_THROW(ByteImage(before).u8(0), ImageOverrun);
    EXPECT_TRUE(before.changedOnDisk());

    // Cut while the file is being read.
    file.rewrite(bytes);
    BlockCache during(file.path());
    const ByteImage image(during);
    EXPECT_EQ(image.be16(0), 0xFF4F);
    file.truncate(bytes.size() / 2);
    EXPECT_THROW(image.u8(bytes.size() - 1), ImageOverrun);
    EXPECT_EQ(image.u8(bytes.size() / 2 - 1), 0x11);
    EXPECT_EQ(image.be16(0), 0xFF4F);
    EXPECT_TRUE(during.changedOnDisk());
}

TEST(ChangedOnDisk, RewriteInPlaceIsReportedEvenWithSizeAndTimeRestored)
{
    const auto& sample = tiledSample();
    const std::vector<uint8_t> reversed(sample.rbegin(), sample.rend());

    // Same size, new contents: the modification time tells.
    ScratchFile rewritten(sample);
    rewritten.backdate();
    jpcAnalyzer a(rewritten.path());
    rewritten.rewrite(reversed);
    buildAllTexts(a);
    EXPECT_TRUE(a.fileChangedOnDisk());

    // Cut, read short, then written out in full again with its old time: the short read tells.
    const auto& bytes = longStream();
    ScratchFile regrown(bytes);
    const struct timespec opened = regrown.modified();
    jpcAnalyzer b(regrown.path());
    regrown.truncate(bytes.size() / 3);
    b.buildHexText();
    regrown.rewrite(bytes);
    regrown.setModified(opened);
    EXPECT_TRUE(b.fileChangedOnDisk());
}

TEST(ChangedOnDisk, HundredsOfEnginesHoldTheirFilesAtOnceAndOnlyThoseOfTheChangedFileReportIt)
{
    const auto& sample = tiledSample();
    ScratchFile changed(sample), kept(sample);
    std::vector<std::unique_ptr<jpcAnalyzer>> engines;
    for (int i = 0; i < 300; ++i)
        engines.push_back(std::make_unique<jpcAnalyzer>(changed.path()));
    jpcAnalyzer ofKept(kept.path());
    changed.truncate(100);
    for (const auto& a : engines) {
        EXPECT_EQ(a->getStatus(), 0);
        EXPECT_TRUE(a->fileChangedOnDisk());
    }
    EXPECT_EQ(buildAllTexts(*engines.front()).size(), sample.size() * 3 - 1);
    EXPECT_TRUE(engines.front()->fileChangedOnDisk());
    buildAllTexts(ofKept);
    EXPECT_FALSE(ofKept.fileChangedOnDisk());
}

TEST(ChangedOnDisk, EnginesInSeveralThreadsSurviveTheirOwnTruncations)
{
    const auto& sample = tiledSample();
    const auto work = [&](int thread) {
        for (int i = 0; i < 20; ++i) {
            ScratchFile file(sample);
            auto a = std::make_unique<jpcAnalyzer>(file.path());
            file.truncate(static_cast<uint64_t>(997 * (thread + 1) + 131 * i) % sample.size());
            EXPECT_EQ(buildAllTexts(*a).size(), sample.size() * 3 - 1) << "thread " << thread << " round " << i;
            EXPECT_TRUE(a->fileChangedOnDisk()) << "thread " << thread << " round " << i;
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(work, t);
    for (auto& t : threads)
        t.join();
}

TEST(ChangedOnDisk, CheckerReportTurnsIntoTheChangedFailure)
{
    const auto& sample = tiledSample();
    ScratchFile file(sample);
    FileReport report = FileReport::ofPath(file.path());
    ASSERT_EQ(report.outcome(), 0);
    file.truncate(sample.size() / 4);
    const ReportOptions all{.tree = true, .texts = true};
    report.jsonLine(all);
    report.text(all);
    EXPECT_FALSE(report.confirmUnchanged());
    EXPECT_EQ(report.outcome(), 3);
    EXPECT_EQ(report.json(all).at("failure"), "File changed on disk during analysis.");
}
