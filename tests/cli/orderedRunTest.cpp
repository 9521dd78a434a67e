// Reports of many files checked on several threads come out whole and in input order, whatever
// their lengths and however long each file takes; a run whose output cannot be written stops.

#include "cli/blockOutput.h"
#include "cli/orderedRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr uint64_t fileCount = 300;

// Every 7th report runs to some 200 KB, handed on in pieces, more than a report may queue alone and,
// with two at once, more than the waiting reports may hold together.
uint64_t lineCount(uint64_t file) { return file % 7 == 0 ? 10'000 : file % 5; }

std::string line(uint64_t file, uint64_t k) { return "file " + std::to_string(file) + " line " + std::to_string(k) + "\n"; }

RunResult checkFakeFiles(int jobs, BlockOutput& output)
{
    uint64_t next = 0;
    RunSetup setup;
    setup.jobs = jobs;
    setup.nextPath = [&]() -> std::optional<std::string> {
        return next < fileCount ? std::optional(std::to_string(next++)) : std::nullopt;
    };
    setup.check = [](const std::string& path, ReportStream& out) {
        const uint64_t file = std::stoull(path);
        std::this_thread::sleep_for(std::chrono::microseconds(file * 7919 % 300));
        for (uint64_t k = 0; k < lineCount(file); ++k) {
            out.text() += line(file, k);
            out.pieceDone();
        }
        return static_cast<int>(file % 4);
    };
    setup.output = &output;
    setup.headQueueBytes = 100'000;
    setup.waitingQueueBytes = 300'000;
    return runInOrder(setup);
}

}  // namespace

TEST(OrderedRun, ReportsComeOutWholeAndInInputOrderForAnyNumberOfThreads)
{
    std::string expected;
    for (uint64_t file = 0; file < fileCount; ++file)
        for (uint64_t k = 0; k < lineCount(file); ++k)
            expected += line(file, k);
    for (int jobs : {1, 3, 8}) {
        FILE* sink = std::tmpfile();
        BlockOutput output(::fileno(sink));
        const RunResult result = checkFakeFiles(jobs, output);
        EXPECT_EQ(output.error(), "") << jobs << " threads";
        std::string written(static_cast<size_t>(::lseek(::fileno(sink), 0, SEEK_END)), '\0');
        EXPECT_EQ(::pread(::fileno(sink), written.data(), written.size(), 0), static_cast<ssize_t>(written.size()));
        std::fclose(sink);
        EXPECT_TRUE(written == expected) << jobs << " threads: " << written.size() << " bytes of " << expected.size();
        EXPECT_EQ(result.filesByOutcome, (std::array<uint64_t, 4>{75, 75, 75, 75})) << jobs << " threads";
        EXPECT_EQ(result.worstOutcome, 3);
    }
}

TEST(OrderedRun, OutputThatCannotBeWrittenStopsTheRun)
{
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    BlockOutput output(full);
    const RunResult result = checkFakeFiles(4, output);
    ::close(full);
    EXPECT_EQ(output.error(), "No space left on device");
    EXPECT_LT(result.filesByOutcome[0] + result.filesByOutcome[1] + result.filesByOutcome[2] + result.filesByOutcome[3],
              fileCount);
}
