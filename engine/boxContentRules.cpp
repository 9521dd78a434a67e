#include "engine/boxContentRules.h"

#include "engine/iccProfile.h"
#include "engine/utf8.h"
#include "engine/xmlCheck.h"

#include <algorithm>

namespace {

using namespace boxTypes;

// A UUID info box holds one UUID list and one URL.
void checkUuidInfo(const std::vector<Box>& boxes, int uinf, ErrorLog& log)
{
    const std::vector<int> children = childrenOf(boxes, uinf);
    const auto count = [&](uint32_t type) {
        return std::count_if(children.begin(), children.end(), [&](int i) { return boxes[i].type == type; });
    };
    if (count(uuidList) != 1 || count(url) != 1)
        log.record(20131, boxes[uinf].offset);
}

// VERS and FLAG 0; LOC a UTF-8 string that ends with NUL.
void checkUrl(const ByteImage& file, const Box& box, ErrorLog& log)
{
    const uint64_t p = box.contentOffset();
    if (box.contentLength() < 4 || file.u8(p) != 0 || file.u8(p + 1) != 0 || file.be16(p + 2) != 0)
        log.record(20132, box.offset);
    if (box.contentLength() < 4)
        return;
    // Read in pieces up to the NUL, whatever the box's length; a sequence a piece cuts waits in
    // `pending` for the next one.
    constexpr uint64_t piece = 4 << 10;
    std::vector<uint8_t> pending;
    bool terminated = false, utf8 = true;
    for (uint64_t q = p + 4; q < box.end() && !terminated && utf8; q += piece) {
        const auto bytes = file.bytes(q, std::min<uint64_t>(piece, box.end() - q));
        const auto nul = std::find(bytes.begin(), bytes.end(), 0);
        terminated = nul != bytes.end();
        pending.insert(pending.end(), bytes.begin(), nul);
        size_t k = 0;
        while (k < pending.size()) {
            const size_t length = utf8SequenceLength(std::span(pending).subspan(k));
            if (length == 0) {
                utf8 = !terminated && pending.size() - k < 4;
                break;
            }
            k += length;
        }
        pending.erase(pending.begin(), pending.begin() + static_cast<ptrdiff_t>(k));
    }
    if (!terminated || !utf8 || !pending.empty())
        log.record(20133, box.offset);
}

}  // namespace

void checkPrecedence(const ByteImage& file, const Box& colr, ErrorLog& log)
{
    if (file.u8(uint64_t{colr.contentOffset()} + 1) != 0)
        log.record(20124, colr.offset);
    if (file.u8(uint64_t{colr.contentOffset()} + 2) != 0)
        log.record(20125, colr.offset);
}

void checkColourProfile(const ByteImage& file, const Box& colr, bool restricted, ErrorLog& log)
{
    const uint64_t begin = uint64_t{colr.contentOffset()} + 3;
    const uint64_t length = colr.end() - begin;
    // A profile too short for its header has nothing to parse.
    if (length < iccHeaderLength) {
        log.record(20128, colr.offset);
        return;
    }
    if (file.be32(begin) != length)
        log.record(20127, colr.offset);
    const auto check = checkIccProfile(file, begin, colr.end());
    if (!check)
        return;
    if (!check->parsed)
        log.record(20128, colr.offset);
    else if (restricted && !check->restricted)
        log.record(20129, colr.offset);
}

void checkResolution(const ByteImage& file, const std::vector<Box>& boxes, int res, ErrorLog& log)
{
    int captures = 0, displays = 0;
    for (int i : childrenOf(boxes, res)) {
        const Box& box = boxes[i];
        if (box.type != captureResolution && box.type != displayResolution)
            continue;
        int& seen = box.type == captureResolution ? captures : displays;
        if (++seen > 1)
            log.record(20134, box.offset);
        const uint64_t p = box.contentOffset();
        // VRN, VRD, HRN, HRD: 16 bits each, then the two exponents.
        bool valid = box.contentLength() == 10;
        for (uint64_t k = 0; valid && k < 4; ++k)
            valid = file.be16(p + 2 * k) != 0;
        if (!valid)
            log.record(20135, box.offset);
    }
}

void checkMetadataBoxes(const ByteImage& file, const std::vector<Box>& boxes, ErrorLog& log)
{
    for (size_t i = 0; i < boxes.size(); ++i) {
        const Box& box = boxes[i];
        switch (box.type) {
        case xml:
            if (!checkXml(file, box.contentOffset(), box.end()).wellFormed)
                log.record(20130, box.offset);
            break;
        case uuidInfo:
            // Contents nested too deep are not in the table.
            if (box.depth + 1 < maxBoxDepth)
                checkUuidInfo(boxes, static_cast<int>(i), log);
            break;
        case url:
            checkUrl(file, box, log);
            break;
        default:
            break;
        }
    }
}
