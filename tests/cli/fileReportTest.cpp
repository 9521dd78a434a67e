// The report of a file that changes on disk while the report is written: held whole, it becomes the
// failure; partly written already, it ends with the failure. No line claims a verdict alone for
// bytes that are gone.

#include "cli/fileReport.h"
#include "support/scratchFile.h"
#include "tools/streamWriter.h"

#include <gtest/gtest.h>

TEST(FileReport, FileChangedWhileItsReportIsWrittenEndsAsTheFailure)
{
    // A report of some hundred bytes, and one of some hundred KiB that leaves in pieces.
    for (const uint32_t tiles : {1u, 2000u}) {
        const auto bytes = buildStream({.tiles = tiles});
        ScratchFile file(bytes);
        FileReport report = FileReport::ofPath(file.path());
        ASSERT_EQ(report.outcome(), 0);
        file.truncate(bytes.size() / 2);

        std::string line;
        ReportStream out([&](std::string& piece) { line += piece; });
        report.write(out, {.json = true, .elements = true});
        line += out.take();
        EXPECT_EQ(report.outcome(), 3);
        const auto parsed = nlohmann::ordered_json::parse(line);
        std::vector<std::string> members;
        for (const auto& member : parsed.items())
            members.push_back(member.key());
        const std::vector<std::string> expected =
            tiles == 1 ? std::vector<std::string>{"path", "size", "failure"}
                       : std::vector<std::string>{"path", "size", "status", "verdict", "errors", "elements", "failure"};
        EXPECT_EQ(members, expected) << tiles << " tiles";
        EXPECT_EQ(parsed["failure"], "File changed on disk during analysis.");
    }
}
