#pragma once
// tarvik3-check run as a separate process, as scripts run it, over files the test writes.

#include "support/streamBuilder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

struct CheckerRun {
    int exitStatus;
    std::string out;
    std::string err;
};

inline std::string readAll(FILE* in)
{
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;)
        text.append(buffer, n);
    return text;
}

// Runs the command line through the shell, where $CHECK is the checker's path; `input`, if any, is
// a printf format whose output is the standard input.
inline CheckerRun runCommand(std::string command, const std::string& input = "")
{
    FILE* err = std::tmpfile();
    command = "{ " + command + "; } 2>/dev/fd/" + std::to_string(::fileno(err));
    if (!input.empty())
        command = "printf '" + input + "' | " + command;
    command = "CHECK='" TARVIK3_CHECK_PATH "'; " + command;
    FILE* pipe = ::popen(command.c_str(), "r");
    CheckerRun run{-1, readAll(pipe), {}};
    const int status = ::pclose(pipe);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::rewind(err);
    run.err = readAll(err);
    std::fclose(err);
    return run;
}

inline CheckerRun runChecker(const std::string& arguments, const std::string& input = "")
{
    return runCommand("$CHECK " + arguments, input);
}

// A folder of the test's own with a clean, an erroneous and a fatally broken stream on request.
class CheckerFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() / ("tarvik3-check-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        const std::filesystem::path path = dir_ / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return path.string();
    }

    std::string clean() { return write("clean.j2k", StreamBuilder().mainHeader().tilePart().eoc().bytes()); }
    // A second COD in the main header (1001) and bytes after EOC (1003).
    std::string erroneous()
    {
        return write("errors.j2k", StreamBuilder().mainHeader().cod().tilePart().eoc().fill(3).bytes());
    }
    std::string fatal() { return write("fatal.j2k", StreamBuilder().mainHeader().sod().bytes()); }

    std::filesystem::path dir_;
};
