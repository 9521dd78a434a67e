// tarvik3-check: checks JPEG 2000 codestreams and JP2 files from the command line.

#include "cli/blockOutput.h"
#include "cli/fileReport.h"
#include "cli/orderedRun.h"
#include "cli/pathList.h"
#include "cli/progressLine.h"
#include "engine/profiles.h"
#include "present/markerDescription.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <mutex>
#include <optional>
#include <sched.h>
#include <unistd.h>

namespace {

constexpr int exitUsage = 64;
constexpr int exitOutputFailed = 74;

const char* const footer = R"(--json writes one compact line per file with "path", "size", "status", "verdict" and "errors"
(each "code", "message", "offset"); --elements adds "elements" (each "index", "offset", "kind",
"code", "name"); --texts adds "summary" and each element's "text". A file that cannot be analysed
gives "path", "size" and "failure". A path argument that is not UTF-8 shows U+FFFD for each byte
that does not decode, and "pathBase64", after "path", then holds its exact bytes in base64. Lists of
paths (--files-from) must be UTF-8.

When standard error is a terminal and more than one file is checked, a progress line is shown there,
and a summary at the end.

Exit status: 0 every file is clean; 1 errors were found; 2 a fatal structure error; 3 some file
could not be analysed; 64 usage error, or a list of paths that cannot be read or holds no paths;
74 the output could not be written.)";

// Accepts "90", "0x90" and "0xff90": the code byte is the last byte given.
std::optional<int> parseMarkerCode(std::string text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text = text.substr(2);
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    const int value = std::stoi(text, nullptr, 16);
    if (text.size() > 2 && (value >> 8) != 0xFF)
        return std::nullopt;
    return value & 0xFF;
}

int coreCount()
{
    cpu_set_t cores;
    return ::sched_getaffinity(0, sizeof cores, &cores) == 0 ? std::max(1, CPU_COUNT(&cores)) : 1;
}

int describe(const std::string& code)
{
    const auto byte = parseMarkerCode(code);
    if (!byte) {
        std::cerr << "tarvik3-check: not a marker code: " << code << '\n';
        return exitUsage;
    }
    const std::string text = markerDescription(static_cast<signed char>(*byte));
    std::cout << text << (text.ends_with('\n') ? "" : "\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Checks JPEG 2000 codestreams (.jpc, .j2k, .j2c) and JP2 files (.jp2, .jph, .jpx) and shows "
                 "their structure.",
                 "tarvik3-check"};
    app.set_version_flag("--version", "tarvik3-check 0.1");
    app.footer(footer);
    ReportOptions options;
    std::string filesFrom;
    bool nulSeparated = false;
    int jobs = coreCount();
    bool quiet = false;
    bool summary = false;
    std::string describeCode;
    std::string profile;
    std::vector<std::string> paths;
    app.add_flag("--json", options.json, "One compact JSON object per file, one per line");
    app.add_flag("--elements", options.elements, "With --json: add the element table")->needs("--json");
    app.add_flag("--tree", options.tree, "Print the structure tree");
    app.add_flag("--texts", options.texts,
                 "The structure tree, or with --json the element table, with the decoded text of every element "
                 "and the file summary");
    app.add_flag("--packets", options.analysis.packets,
                 "Read every packet header and check the packets; with --json add \"packets\", with --tree "
                 "list each data block's packets");
    auto* list = app.add_option("--files-from", filesFrom, "Read paths from a file, one per line ('-' for standard input)")
                     ->type_name("PATH");
    app.add_flag("-0,--null", nulSeparated, "The paths of --files-from end with NUL bytes (find -print0)")
        ->needs(list);
    app.add_option("-j,--jobs", jobs,
                   "Check this many files at once (default: the number of cores); the output is the same for any N")
        ->type_name("N")
        ->check(CLI::Range(1, 1024));
    app.add_flag("-q,--quiet", quiet, "Print only the files that are not clean; the exit status stays the same");
    app.add_flag("--summary", summary, "End with a summary line on standard error, also when it is no terminal");
    std::vector<std::string> profileNames;
    for (Profile p : allProfiles())
        profileNames.emplace_back(profileName(p));
    app.add_option("--profile", profile,
                   "Check the rules of this profile whatever Rsiz declares (14000 when it declares another)")
        ->type_name("NAME")
        ->check(CLI::IsMember(profileNames));
    app.add_option("--describe", describeCode, "Print the standard's description of a marker code (e.g. 90 or 0xff90)")
        ->type_name("CODE");
    app.add_option("FILE", paths, "Codestreams and JP2 files to check")->type_name("");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : exitUsage;
    }

    if (!describeCode.empty())
        return describe(describeCode);
    if (!profile.empty())
        options.analysis.profile = profileByName(profile);
    if (paths.empty() && filesFrom.empty()) {
        std::cerr << CLI::Formatter().make_usage(&app, app.get_name()) << "Run with --help for more information.\n";
        return exitUsage;
    }
    const char separator = nulSeparated ? '\0' : '\n';
    std::optional<PathList> pathList;
    std::string listError;
    try {
        if (!filesFrom.empty())
            pathList.emplace(filesFrom, separator);
    } catch (const PathListError& e) {
        std::cerr << "tarvik3-check: " << e.what() << '\n';
        return exitUsage;
    }

    const bool atTerminal = ::isatty(STDERR_FILENO);
    // The number of files, for the progress line and to start no more threads than files.
    std::optional<uint64_t> total = paths.size();
    if (pathList) {
        const auto listed = atTerminal ? PathList::count(filesFrom, separator) : std::nullopt;
        total = listed ? std::optional(*listed + paths.size()) : std::nullopt;
    }
    std::optional<ProgressLine> progress;
    if (atTerminal && total.value_or(2) > 1)
        progress.emplace(STDERR_FILENO, total);

    size_t nextArgument = 0;
    BlockOutput output(STDOUT_FILENO);
    RunSetup setup;
    setup.jobs = static_cast<int>(std::min<uint64_t>(jobs, std::max<uint64_t>(1, total.value_or(jobs))));
    setup.nextPath = [&]() -> std::optional<std::string> {
        if (nextArgument < paths.size())
            return std::move(paths[nextArgument++]);
        try {
            return pathList ? pathList->next() : std::nullopt;
        } catch (const PathListError& e) {
            listError = e.what();
            return std::nullopt;
        }
    };
    // A file that could not be analysed ends the run with status 3: standard error says why.
    std::mutex failureLock;
    std::string failureLine;
    setup.check = [&](const std::string& path, ReportStream& out) {
        FileReport report = FileReport::ofPath(path, options.analysis);
        if (!quiet || report.outcome() != 0 || !report.confirmUnchanged())
            report.write(out, options);
        if (report.outcome() == 3) {
            const std::lock_guard lock(failureLock);
            if (failureLine.empty())
                failureLine = path + ": " + report.failure();
        }
        return report.outcome();
    };
    setup.output = &output;
    setup.progress = progress ? &*progress : nullptr;
    setup.progressSharesTerminal = ::isatty(STDOUT_FILENO);
    const RunResult result = runInOrder(setup);

    if (progress)
        progress->clear();
    const auto& byOutcome = result.filesByOutcome;
    if (summary || (atTerminal && byOutcome[0] + byOutcome[1] + byOutcome[2] + byOutcome[3] > 1))
        std::cerr << summaryLine(byOutcome);
    if (!output.error().empty()) {
        std::cerr << "tarvik3-check: cannot write the output: " << output.error() << '\n';
        return exitOutputFailed;
    }
    if (!listError.empty()) {
        std::cerr << "tarvik3-check: " << listError << '\n';
        return exitUsage;
    }
    // One file: its cause; more: how many (which ones, and why, their reports say).
    if (const uint64_t failed = byOutcome[3]; failed == 1)
        std::cerr << "tarvik3-check: " << failureLine << '\n';
    else if (failed > 1)
        std::cerr << "tarvik3-check: " << failed << " files could not be analysed; the report of each says why\n";
    return result.worstOutcome;
}
