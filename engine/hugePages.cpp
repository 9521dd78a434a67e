#include "engine/hugePages.h"

#include <cstdlib>
#include <new>
#include <sys/mman.h>

void preferHugePages(void* data, size_t capacity)
{
    const uintptr_t begin = reinterpret_cast<uintptr_t>(data);
    const uintptr_t first = (begin + hugePageSize - 1) & ~(hugePageSize - 1);
    const uintptr_t end = (begin + capacity) & ~(hugePageSize - 1);
    if (first < end)
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

void FreeBytes::operator()(uint8_t* bytes) const { std::free(bytes); }

FilledBytes allocateForFilling(size_t size)
{
    void* bytes = nullptr;
    if (size >= hugePageSize) {
        const size_t rounded = (size + hugePageSize - 1) & ~(hugePageSize - 1);
        bytes = std::aligned_alloc(hugePageSize, rounded);
        if (bytes)
            preferHugePages(bytes, rounded);
    } else {
        bytes = std::malloc(size);
    }
    if (!bytes)
        throw std::bad_alloc();
    return FilledBytes(static_cast<uint8_t*>(bytes));
}
