#include "decode/rangeStream.h"

#include <algorithm>
#include <unistd.h>

namespace {

OPJ_SIZE_T readRange(void* buffer, OPJ_SIZE_T count, void* user)
{
    auto* range = static_cast<FileRange*>(user);
    if (range->pos >= range->length) {
        range->reachedEnd = true;
        return static_cast<OPJ_SIZE_T>(-1);
    }
    count = static_cast<OPJ_SIZE_T>(std::min<uint64_t>(count, range->length - range->pos));
    size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(range->fd, static_cast<char*>(buffer) + done, count - done,
                                    static_cast<off_t>(range->offset + range->pos + done));
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    range->pos += done;
    // A file that ends before the range (it shrank since it was analysed) ends the stream too.
    range->reachedEnd = range->reachedEnd || done < count;
    return done > 0 ? done : static_cast<OPJ_SIZE_T>(-1);
}

OPJ_OFF_T skipRange(OPJ_OFF_T count, void* user)
{
    auto* range = static_cast<FileRange*>(user);
    if (count < 0 && static_cast<uint64_t>(-count) > range->pos)
        return -1;
    range->pos += static_cast<uint64_t>(count);
    return count;
}

OPJ_BOOL seekRange(OPJ_OFF_T to, void* user)
{
    if (to < 0)
        return OPJ_FALSE;
    static_cast<FileRange*>(user)->pos = static_cast<uint64_t>(to);
    return OPJ_TRUE;
}

}  // namespace

opj_stream_t* openRangeStream(FileRange& range)
{
    range.pos = 0;
    opj_stream_t* stream = opj_stream_create(1 << 20, OPJ_TRUE);
    if (!stream)
        return nullptr;
    opj_stream_set_user_data(stream, &range, nullptr);
    opj_stream_set_user_data_length(stream, range.length);
    opj_stream_set_read_function(stream, readRange);
    opj_stream_set_skip_function(stream, skipRange);
    opj_stream_set_seek_function(stream, seekRange);
    return stream;
}
