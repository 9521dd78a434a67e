// Lists of paths as find, editors and scripts write them: one entry per line or per NUL byte, read in
// blocks yet whole across block borders, and counted alike; a list that holds no paths is refused
// with the place where (the checker's usage-error tests cover the other refusals).

#include "cli/pathList.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct ListCase {
    const char* name;
    char separator;
    std::string content;
    std::vector<std::string> paths;  // expected, when `error` is empty
    std::string error;               // expected in the message, else
};

void PrintTo(const ListCase& list, std::ostream* out) { *out << list.name; }

class ListFile : public ::testing::TestWithParam<ListCase> {
protected:
    void SetUp() override
    {
        path_ = fs::temp_directory_path() / ("tarvik3-list-" + std::to_string(::getpid()) + ".txt");
        std::ofstream(path_, std::ios::binary) << GetParam().content;
    }
    void TearDown() override { fs::remove(path_); }

    fs::path path_;
};

// Entries of 1 to 300 bytes, over 64 KiB in all, so that many of them straddle two reads.
std::vector<std::string> manyPaths()
{
    std::vector<std::string> paths;
    for (int i = 0; i < 1000; ++i)
        paths.push_back("/data/" + std::string(static_cast<size_t>(1 + i * 7 % 300), static_cast<char>('a' + i % 26)));
    paths.push_back(std::string(PATH_MAX - 1, 'z'));  // the longest path there can be
    return paths;
}

std::string joined(const std::vector<std::string>& paths, char separator)
{
    std::string text;
    for (const std::string& path : paths)
        text += path + separator;
    return text;
}

const ListCase listCases[] = {
    {"LinesDropCarriageReturnsAndSkipBlankLines", '\n', "a\r\n\nb c\n\r\n/d/e", {"a", "b c", "/d/e"}, ""},
    {"NulEntriesKeepLineFeedsAndCarriageReturns", '\0', std::string("a\nb\0\0c\r\0", 8), {"a\nb", "c\r"}, ""},
    {"LinesAcrossReadBlocks", '\n', joined(manyPaths(), '\n'), manyPaths(), ""},
    {"NulEntriesAcrossReadBlocks", '\0', joined(manyPaths(), '\0'), manyPaths(), ""},
    {"EntryLongerThanAnyPathIsRefused", '\0', std::string(PATH_MAX, 'x'), {}, "entry 1 is longer than any path"},
    {"Utf8LinesAreTakenWhole", '\n', "/d/\xc5\xbc\xc3\xb3\xc5\x82w\n/\xf0\x9f\x93\xb7\n", {"/d/\xc5\xbc\xc3\xb3\xc5\x82w", "/\xf0\x9f\x93\xb7"}, ""},
    {"LineThatIsNotUtf8IsRefused", '\n', "a\n\nb-\xff.j2k\nc\n", {}, "line 3 is not valid UTF-8"},
    {"OverlongEntryIsRefused", '\0', std::string("\xc0\xaf\0", 3), {}, "entry 1 is not valid UTF-8"},
    {"SurrogateInLastEntryIsRefused", '\0', std::string("ok\0\xed\xa0\x80", 6), {}, "entry 2 is not valid UTF-8"},
};

}  // namespace

TEST_P(ListFile, GivesEachPathOnceOrSaysWhereItStopped)
{
    const ListCase& c = GetParam();
    PathList list(path_.string(), c.separator);
    std::vector<std::string> paths;
    try {
        while (auto path = list.next())
            paths.push_back(*path);
        EXPECT_TRUE(c.error.empty()) << "no error at the end";
        EXPECT_EQ(paths, c.paths);
        EXPECT_EQ(PathList::count(path_.string(), c.separator), c.paths.size());
    } catch (const PathListError& e) {
        EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
        EXPECT_FALSE(c.error.empty()) << e.what();
        EXPECT_EQ(PathList::count(path_.string(), c.separator), std::nullopt);
    }
}

INSTANTIATE_TEST_SUITE_P(PathList, ListFile, ::testing::ValuesIn(listCases),
                         [](const auto& info) { return std::string(info.param.name); });
