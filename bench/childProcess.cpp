#include "bench/childProcess.h"

#include "bench/processMemory.h"

#include <algorithm>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

pid_t spawnQuietly(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

ChildRun runQuietly(const std::vector<std::string>& argv, bool pollMemory)
{
    const pid_t pid = spawnQuietly(argv);
    ChildRun run;
    int status = 0;
    if (pollMemory) {
        // RssAnon is gone once the child has exited, so it is read until then; WNOWAIT leaves the
        // child to be reaped below.
        siginfo_t info{};
        for (;;) {
            run.peakRssAnon = std::max(run.peakRssAnon, rssAnonBytes(pid));
            run.peakRss = std::max(run.peakRss, statusBytes("VmHWM", pid));
            info.si_pid = 0;
            if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != 0)
                break;
        }
    }
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        throw std::runtime_error(argv[0] + " did not exit normally");
    run.exitCode = WEXITSTATUS(status);
    return run;
}
