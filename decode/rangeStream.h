#pragma once
// The decoder's view of a codestream that lies in a range of an open file: reads, skips and seeks
// never leave the range, and a read past its end marks the stream as cut short.

#include <openjpeg.h>

#include <cstdint>

struct FileRange {
    int fd;
    uint64_t offset;
    uint64_t length;
    uint64_t pos = 0;
    bool reachedEnd = false;
};

// A stream from the start of the range, which must outlive it.
opj_stream_t* openRangeStream(FileRange& range);
