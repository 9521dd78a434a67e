// A file truncated or rewritten by another process while an engine holds it mapped: every text can
// still be built, the process survives, lost bytes read as zeros, and the engine and the checker's
// report say that the file changed on disk.

#include "cli/fileReport.h"
#include "engine/jpcAnalyzer.h"
#include "support/scratchFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>

namespace {

const std::vector<uint8_t>& tiledSample()
{
    static const auto bytes = readWholeFile(std::string(TARVIK3_SAMPLES_DIR) + "/color-tiled.j2k");
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

// Every byte from `from` on shows as "00".
bool hexIsZeroFrom(const std::string& hex, uint64_t from)
{
    return hex.find_first_not_of("0 \n", from * 3) == std::string::npos;
}

}  // namespace

TEST(ChangedOnDisk, TruncatedFileReadsAsZerosPastTheCutAndIsReported)
{
    const auto& sample = tiledSample();
    for (const uint64_t cut : {sample.size() / 4, sample.size() / 2, uint64_t{1}}) {
        ScratchFile file(sample);
        jpcAnalyzer a(file.path());
        ASSERT_FALSE(a.fileChangedOnDisk()) << "cut at " << cut;
        file.truncate(cut);
        const std::string hex = buildAllTexts(a);
        EXPECT_TRUE(a.fileChangedOnDisk()) << "cut at " << cut;
        EXPECT_EQ(hex.size(), sample.size() * 3 - 1) << "cut at " << cut;
        EXPECT_TRUE(hexIsZeroFrom(hex, cut)) << "cut at " << cut;
        EXPECT_EQ(hex.substr(0, 5), cut > 1 ? "ff 4f" : "ff 00") << "cut at " << cut;
    }
}

TEST(ChangedOnDisk, FileRewrittenInPlaceIsReportedWhetherOrNotAPageWasLost)
{
    const auto& sample = tiledSample();
    std::vector<uint8_t> other(sample.rbegin(), sample.rend());

    // Rewritten to the same size before anything was read again: no page is lost.
    ScratchFile rewritten(sample);
    rewritten.backdate();
    jpcAnalyzer a(rewritten.path());
    rewritten.rewrite(other);
    EXPECT_EQ(buildAllTexts(a).substr(0, 5), "d9 ff") << "the mapping shows the new contents";
    EXPECT_TRUE(a.fileChangedOnDisk());

    // Truncated, read (the lost pages become zeros), then written out in full again.
    ScratchFile regrown(sample);
    jpcAnalyzer b(regrown.path());
    const uint64_t cut = sample.size() / 3;
    regrown.truncate(cut);
    buildAllTexts(b);
    regrown.rewrite(sample);
    const uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
    const uint64_t firstLostPage = (cut + page - 1) / page * page;
    EXPECT_TRUE(hexIsZeroFrom(buildAllTexts(b), firstLostPage)) << "zeros stay where pages were lost";
    EXPECT_TRUE(b.fileChangedOnDisk());
}

TEST(ChangedOnDisk, OnlyTheEnginesOfTheChangedFileReportIt)
{
    const auto& sample = tiledSample();
    ScratchFile changed(sample), kept(sample);
    jpcAnalyzer first(changed.path()), second(changed.path()), third(kept.path());
    changed.truncate(sample.size() / 3);
    for (jpcAnalyzer* a : {&first, &second, &third})
        buildAllTexts(*a);
    EXPECT_TRUE(first.fileChangedOnDisk());
    EXPECT_TRUE(second.fileChangedOnDisk());
    EXPECT_FALSE(third.fileChangedOnDisk());
}

TEST(ChangedOnDisk, EnginesOpenedAndClosedBeyondTheGuardsSlotCountStayGuarded)
{
    const auto& sample = tiledSample();
    ScratchFile file(sample);
    for (int i = 0; i < 300; ++i)
        jpcAnalyzer(file.path()).buildHexText();
    jpcAnalyzer a(file.path());
    file.truncate(100);
    EXPECT_TRUE(hexIsZeroFrom(buildAllTexts(a), 100));
    EXPECT_TRUE(a.fileChangedOnDisk());
}

TEST(ChangedOnDisk, EnginesInSeveralThreadsSurviveTheirOwnTruncations)
{
    const auto& sample = tiledSample();
    const auto work = [&](int thread) {
        for (int i = 0; i < 20; ++i) {
            ScratchFile file(sample);
            auto a = std::make_unique<jpcAnalyzer>(file.path());
            file.truncate(static_cast<uint64_t>(997 * (thread + 1) + 131 * i) % sample.size());
            buildAllTexts(*a);
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
