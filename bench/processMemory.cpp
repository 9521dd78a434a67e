#include "bench/processMemory.h"

#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <string>
#include <sys/resource.h>

uint64_t statusBytes(const char* field, pid_t pid)
{
    const std::string path = pid == 0 ? "/proc/self/status" : "/proc/" + std::to_string(pid) + "/status";
    std::FILE* file = std::fopen(path.c_str(), "re");
    if (!file)
        return 0;
    const std::string format = std::string(field) + ": %lu kB";
    uint64_t kib = 0;
    char line[256];
    while (std::fgets(line, sizeof line, file))
        if (std::sscanf(line, format.c_str(), &kib) == 1)
            break;
    std::fclose(file);
    return kib * 1024;
}

uint64_t heapInUseBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

uint64_t minorFaults()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<uint64_t>(usage.ru_minflt);
}
