// tarvik3-check in pipelines: the same output for any number of threads, path lists from find and
// the GNU parallel recipe of the README, quiet and summary output, paths that are not UTF-8, output
// that cannot be written, and bad input as usage errors that lose no file checked before them.

#include "cli/checkerRun.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <sstream>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

class CheckerRuns : public CheckerFiles {
protected:
    // 2,000 streams of every outcome (clean, with errors, cut short, empty, missing) and sizes, then
    // the shipped samples, fuzz seeds and regression corpus; returns the list, one path per line.
    std::string generatedList()
    {
        std::ofstream list(dir_ / "list.txt");
        for (int i = 0; i < 2000; ++i) {
            StreamBuilder stream;
            stream.mainHeader();
            if (i % 6 == 1)
                stream.cod();
            for (int part = 0; part <= i % 5; ++part)
                stream.tilePart(0, static_cast<size_t>(i % 50), static_cast<uint8_t>(part), static_cast<uint8_t>(i % 5 + 1));
            stream.eoc();
            auto bytes = stream.bytes();
            if (i % 6 == 2)
                bytes.resize(bytes.size() * (i % 7 + 1) / 8);
            if (i % 6 == 3)
                bytes.insert(bytes.end(), static_cast<size_t>(i % 9 + 1), 0x55);
            if (i % 6 == 4)
                bytes.clear();
            const std::string name = "s" + std::to_string(i) + ".j2k";
            list << (i % 6 == 5 ? (dir_ / name).string() : write(name, bytes)) << '\n';
        }
        listed_ = 2000;
        for (const char* folder : {"samples", "fuzz/seeds", "tests/corpus"})
            for (const auto& entry : fs::directory_iterator(fs::path(TARVIK3_SOURCE_DIR) / folder)) {
                list << entry.path().string() << '\n';
                ++listed_;
            }
        return (dir_ / "list.txt").string();
    }

    size_t listed_ = 0;
};

std::vector<std::string> sortedLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

}  // namespace

TEST_F(CheckerRuns, OutputIsTheSameForAnyNumberOfJobs)
{
    const std::string list = generatedList();
    for (const std::string form : {"--json --elements", "--tree"}) {
        const CheckerRun one = runChecker(form + " -j 1 --files-from " + list);
        EXPECT_EQ(one.exitStatus, 3);
        if (form == "--tree")
            EXPECT_GE(sortedLines(one.out).size(), 2000u * 3);
        else
            EXPECT_EQ(sortedLines(one.out).size(), listed_);
        const CheckerRun two = runChecker(form + " -j 2 --files-from " + list);
        EXPECT_EQ(two.exitStatus, one.exitStatus) << form;
        EXPECT_TRUE(two.out == one.out) << form << ": outputs differ";
    }
}

TEST_F(CheckerRuns, GnuParallelRecipeGivesTheLinesOfOneProcess)
{
    if (std::system("command -v parallel >/dev/null") != 0)
        GTEST_SKIP() << "GNU parallel is not installed (scripts/install-deps.sh installs it)";
    std::ofstream(dir_ / "hosts") << ":\n";  // the local machine, as a login of its own
    const std::string find = std::string("find '") + TARVIK3_SOURCE_DIR + "/samples' '" + TARVIK3_SOURCE_DIR +
                             "/fuzz/seeds' '" + TARVIK3_SOURCE_DIR + "/tests/corpus' -type f -print0";
    const CheckerRun one = runCommand(find + " | $CHECK --json -0 --files-from -");
    // Small blocks, so that the list is shared out over several jobs.
    const CheckerRun spread = runCommand(find + " | parallel --sshloginfile '" + (dir_ / "hosts").string() +
                                         "' -j1 --pipe --recend '\\0' --block 300 "
                                         "\"$CHECK --json -0 --files-from - || [ \\$? -le 3 ]\"");
    EXPECT_EQ(spread.exitStatus, 0) << spread.err;
    EXPECT_GE(sortedLines(one.out).size(), 18u);
    EXPECT_EQ(sortedLines(spread.out), sortedLines(one.out));
}

TEST_F(CheckerRuns, QuietPrintsOnlyFilesThatAreNotCleanAndKeepsTheStatus)
{
    const std::string notClean = erroneous() + " " + fatal();
    const CheckerRun text = runChecker("-q " + clean() + " " + erroneous() + " " + clean() + " " + fatal());
    EXPECT_EQ(text.exitStatus, 2);
    EXPECT_EQ(text.out, runChecker(notClean).out);
    EXPECT_EQ(runChecker("--quiet --json " + clean() + " " + notClean).out, runChecker("--json " + notClean).out);
    EXPECT_EQ(runChecker("-q " + clean()).out, "");
}

TEST_F(CheckerRuns, SummaryCountsTheOutcomesWhenAskedOrOnATerminal)
{
    const std::string files = clean() + " " + erroneous() + " " + fatal() + " " + (dir_ / "missing.j2k").string();
    const std::string summary = "4 files: 1 clean, 1 with errors, 1 fatally broken, 1 not analysed";
    // Only the file that could not be analysed goes to standard error, with its cause.
    const std::string cause = "tarvik3-check: " + (dir_ / "missing.j2k").string() + ": Cannot open file '" +
                              (dir_ / "missing.j2k").string() + "': No such file or directory\n";
    EXPECT_EQ(runChecker(files).err, cause);
    EXPECT_EQ(runChecker(files + " " + dir_.string()).err,
              "tarvik3-check: 2 files could not be analysed; the report of each says why\n");
    EXPECT_EQ(runChecker("--summary " + files).err, summary + "\n" + cause);
    const CheckerRun terminal = runCommand("script -qec \"$CHECK " + files + " >/dev/null\" /dev/null");
    EXPECT_EQ(terminal.exitStatus, 3);
    EXPECT_NE(terminal.out.find(summary), std::string::npos) << terminal.out;
}

TEST_F(CheckerRuns, PathThatIsNotUtf8KeepsItsBytesInPathBase64)
{
    write("bad-\xff\xfe.j2k", StreamBuilder().mainHeader().tilePart().eoc().bytes());
    const std::string inDir = "cd '" + dir_.string() + "' && $CHECK ";
    const json line = json::parse(runCommand(inDir + "--json 'bad-\xff\xfe.j2k'").out);
    EXPECT_EQ(line["path"], "bad-\uFFFD\uFFFD.j2k");
    EXPECT_EQ(line["pathBase64"], "YmFkLf/+Lmoyaw==");
    EXPECT_EQ(line["status"], 0);
    EXPECT_EQ(runCommand(inDir + "'bad-\xff\xfe.j2k'").out.find("bad-\xff\xfe.j2k\nOK!"), 0u);
}

TEST_F(CheckerRuns, OutputThatCannotBeWrittenExitsWith74)
{
    const CheckerRun run = runChecker(clean() + " >/dev/full");
    EXPECT_EQ(run.exitStatus, 74);
    EXPECT_EQ(run.err, "tarvik3-check: cannot write the output: No space left on device\n");
}

TEST_F(CheckerRuns, ListThatGoesBadKeepsTheFilesBeforeIt)
{
    const CheckerRun run =
        runChecker("--json -j 2 --files-from -", clean() + "\\n" + fatal() + "\\nbad\\0line\\n" + erroneous() + "\\n");
    EXPECT_EQ(run.exitStatus, 64);
    EXPECT_EQ(run.err, "tarvik3-check: cannot read the list of files standard input: line 3 holds a NUL byte "
                       "(a NUL-separated list needs -0)\n");
    const auto lines = sortedLines(run.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(json::parse(lines[0])["path"], clean());
    EXPECT_EQ(json::parse(lines[1])["path"], fatal());
    EXPECT_EQ(json::parse(lines[1])["verdict"], "Poważne błędy w strukturze pliku, zawartość nie może być wyświetlona.");
    EXPECT_EQ(runChecker("--files-from -", "\\n\\n").exitStatus, 0) << "a list without paths is no error";
}

namespace {

struct BadInput {
    const char* name;
    std::string arguments;  // "{dir}" stands for the test's folder
    std::string input;
    std::string message;
};

void PrintTo(const BadInput& input, std::ostream* out) { *out << input.name; }

class CheckerBadInput : public CheckerFiles, public ::testing::WithParamInterface<BadInput> {};

std::string withDir(std::string text, const fs::path& dir)
{
    for (size_t at; (at = text.find("{dir}")) != std::string::npos;)
        text.replace(at, 5, dir.string());
    return text;
}

const BadInput badInputs[] = {
    {"NoFileNoList", "", "", "Usage: tarvik3-check [OPTIONS] [FILE...]\nRun with --help for more information.\n"},
    {"UnknownOption", "--no-such-option x.j2k", "", "The following argument was not expected: --no-such-option"},
    {"NoJobs", "--jobs 0 x.j2k", "", "--jobs: Value 0 not in range 1 to 1024"},
    {"NegativeJobs", "-j -2 x.j2k", "", "--jobs: Value -2 not in range 1 to 1024"},
    {"NulWithoutList", "-0 x.j2k", "", "--null requires --files-from"},
    {"ElementsWithoutJson", "--elements x.j2k", "", "--elements requires --json"},
    {"MissingList", "--files-from {dir}/no-list", "",
     "cannot read the list of files '{dir}/no-list': No such file or directory"},
    {"ListIsAFolder", "--files-from {dir}", "", "cannot read the list of files '{dir}': Is a directory"},
    {"NulSeparatedListReadAsLines", "--files-from -", "a\\0b\\n", "line 1 holds a NUL byte"},
    {"LineLongerThanAnyPath", "--files-from -", "%05000d", "line 1 is longer than any path (4095 bytes)"},
};

}  // namespace

TEST_P(CheckerBadInput, IsAUsageErrorWithAClearMessage)
{
    const CheckerRun run = runChecker(withDir(GetParam().arguments, dir_), GetParam().input);
    EXPECT_EQ(run.exitStatus, 64);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(withDir(GetParam().message, dir_)), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Checker, CheckerBadInput, ::testing::ValuesIn(badInputs),
                         [](const auto& info) { return std::string(info.param.name); });
