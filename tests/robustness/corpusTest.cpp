// Every file of the regression corpus (inputs that once broke a rule, minimised) and of the fuzz
// seeds goes through everything a user can reach, read from disk as the checker reads it, without a
// broken rule. Run under the sanitizers, a crash or an overrun is a failure too.

#include "support/scratchFile.h"
#include "fuzz/userSurface.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(Corpus, RegressionFilesAndFuzzSeedsBreakNoRule)
{
    for (const char* folder : {"tests/corpus", "fuzz/seeds"}) {
        const auto dir = std::filesystem::path(TARVIK3_SOURCE_DIR) / folder;
        int files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (!entry.is_regular_file())
                continue;
            ++files;
            const std::string name = entry.path().filename().string();
            const SurfaceResult fromBytes = exerciseUserSurface(readWholeFile(entry.path()), name);
            for (const std::string& rule : fromBytes.broken)
                ADD_FAILURE() << name << ": " << rule;

            FileReport report = FileReport::ofPath(entry.path().string());
            EXPECT_EQ(report.outcome(), fromBytes.constructed ? fromBytes.status : 3) << name << ": from disk";
            report.jsonLine({.tree = true, .texts = true});
            EXPECT_TRUE(report.confirmUnchanged()) << name;
        }
        EXPECT_GT(files, 0) << "no files in " << folder;
    }
}
