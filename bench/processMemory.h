#pragma once
// Memory figures of a process, for benchmark counters.

#include <cstdint>
#include <sys/types.h>

// RssAnon of /proc/<pid>/status in bytes (the calling process for pid 0); 0 when unreadable.
uint64_t rssAnonBytes(pid_t pid = 0);
// Bytes the allocator has handed out and not had back, including large mapped blocks.
uint64_t heapInUseBytes();
// Minor page faults of the calling process so far.
uint64_t minorFaults();
