#pragma once
// Memory figures of a process, for benchmark counters.

#include <cstdint>
#include <sys/types.h>

// A field of /proc/<pid>/status given in kB (RssAnon, VmHWM ...), in bytes, for the calling process
// when pid is 0; 0 when unreadable.
uint64_t statusBytes(const char* field, pid_t pid = 0);
inline uint64_t rssAnonBytes(pid_t pid = 0) { return statusBytes("RssAnon", pid); }
// Bytes the allocator has handed out and not had back, including large mapped blocks.
uint64_t heapInUseBytes();
// Minor page faults of the calling process so far.
uint64_t minorFaults();
