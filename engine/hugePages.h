#pragma once
// Memory that is filled front to back once: on huge pages where the system offers them (transparent
// huge pages, on request), since the first touch of every 4 KiB page is a page fault, and on virtual
// machines a fault costs several microseconds (bench/README.md).

#include <cstddef>
#include <cstdint>
#include <memory>

constexpr size_t hugePageSize = size_t{1} << 21;

// Asks for huge pages for the whole 2 MiB pages that lie within [data, data + capacity).
void preferHugePages(void* data, size_t capacity);

struct FreeBytes {
    void operator()(uint8_t* bytes) const;
};
using FilledBytes = std::unique_ptr<uint8_t[], FreeBytes>;

// Room for `size` bytes, aligned to and on huge pages from 2 MiB on. Throws std::bad_alloc.
FilledBytes allocateForFilling(size_t size);
