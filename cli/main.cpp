// tarvik3-check: checks raw JPEG 2000 codestreams from the command line.

#include "cli/fileReport.h"
#include "present/markerDescription.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>

namespace {

constexpr int exitUsage = 64;

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

// One path per line; empty lines are skipped.
bool readPathList(const std::string& source, std::vector<std::string>& paths)
{
    std::ifstream file;
    std::istream* in = &std::cin;
    if (source != "-") {
        file.open(source);
        if (!file)
            return false;
        in = &file;
    }
    for (std::string line; std::getline(*in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            paths.push_back(line);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Checks raw JPEG 2000 codestreams (.jpc, .j2k, .j2c) and shows their structure.",
                 "tarvik3-check"};
    app.set_version_flag("--version", "tarvik3-check 0.1");
    bool json = false;
    ReportOptions options;
    std::string filesFrom;
    std::string describe;
    std::vector<std::string> paths;
    app.add_flag("--json", json, "One JSON object per file, one per line");
    app.add_flag("--tree", options.tree, "Print the structure tree");
    app.add_flag("--texts", options.texts, "Add the decoded text of every element (and the file summary)");
    app.add_option("--files-from", filesFrom, "Read paths, one per line, from a file ('-' for standard input)");
    app.add_option("--describe", describe, "Print the standard's description of a marker code (e.g. 90 or 0xff90)");
    app.add_option("FILE", paths, "Codestream files to check");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? 0 : exitUsage;
    }

    if (!describe.empty()) {
        const auto code = parseMarkerCode(describe);
        if (!code) {
            std::cerr << "tarvik3-check: not a marker code: " << describe << '\n';
            return exitUsage;
        }
        const std::string text = markerDescription(static_cast<signed char>(*code));
        std::cout << text << (text.ends_with('\n') ? "" : "\n");
        return 0;
    }
    if (!filesFrom.empty() && !readPathList(filesFrom, paths)) {
        std::cerr << "tarvik3-check: cannot read the list of files: " << filesFrom << '\n';
        return exitUsage;
    }
    if (paths.empty()) {
        std::cerr << CLI::Formatter().make_usage(&app, app.get_name()) << "Run with --help for more information.\n";
        return exitUsage;
    }

    int worst = 0;
    std::string out;
    for (const std::string& path : paths) {
        FileReport report = FileReport::ofPath(path);
        const auto render = [&] { return json ? report.jsonLine(options) : report.text(options); };
        std::string rendered = render();
        // Texts are built from the mapped file too, so the check comes after them.
        if (!report.confirmUnchanged())
            rendered = render();
        worst = std::max(worst, report.outcome());
        out += rendered;
        if (out.size() > (1 << 16)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    return worst;
}
