#pragma once
// The helper's confinement, applied first thing: a crafted file can at worst end this process. The
// limits hold for the rest of its life and for anything it could start.

#include <cstdint>
#include <initializer_list>
#include <string>

struct ProcessLimits {
    uint64_t memoryMiB = 1024;  // address space
    uint32_t cpuSeconds = 20;
    uint64_t outputMiB = 0;  // largest file it may write; 0 writes none (a pipe is not a file)
};

// Sets the resource limits; false with `why` set when one cannot be set. Under AddressSanitizer,
// whose shadow memory needs terabytes of address space, the memory limit is left to the sanitizer.
bool applyLimits(const ProcessLimits& limits, std::string& why);

// Closes every descriptor but those given, and dies with the parent.
void closeOtherDescriptors(std::initializer_list<int> keep);
