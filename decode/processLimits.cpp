#include "decode/processLimits.h"

#include <algorithm>
#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define TARVIK3_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARVIK3_ASAN 1
#endif
#endif

namespace {

bool setLimit(int resource, rlim_t soft, rlim_t hard)
{
    const rlimit limit{soft, hard};
    return ::setrlimit(resource, &limit) == 0;
}

}  // namespace

bool applyLimits(const ProcessLimits& limits, std::string& why)
{
#ifndef TARVIK3_ASAN
    if (!setLimit(RLIMIT_AS, limits.memoryMiB << 20, limits.memoryMiB << 20)) {
        why = "cannot limit the address space";
        return false;
    }
#endif
    // The soft limit sends SIGXCPU, which ends the process; the hard one a second later, SIGKILL.
    if (!setLimit(RLIMIT_CPU, limits.cpuSeconds, limits.cpuSeconds + 1) ||
        !setLimit(RLIMIT_FSIZE, limits.outputMiB << 20, limits.outputMiB << 20) || !setLimit(RLIMIT_CORE, 0, 0)) {
        why = "cannot set the resource limits";
        return false;
    }
    return true;
}

void closeOtherDescriptors(std::initializer_list<int> keep)
{
    std::vector<int> kept(keep);
    std::sort(kept.begin(), kept.end());
    int next = 0;
    for (int fd : kept) {
        if (fd > next)
            ::close_range(static_cast<unsigned>(next), static_cast<unsigned>(fd - 1), 0);
        next = std::max(next, fd + 1);
    }
    ::close_range(static_cast<unsigned>(next), ~0u, 0);
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
}
