#include "engine/boxWalk.h"

#include <algorithm>

namespace {

// The JP2 header, resolution and UUID info superboxes, and those of JPX: codestream header,
// compositing layer header, colour group, fragment table, composition, association and desired
// reproductions.
constexpr uint32_t superboxes[] = {
    boxType("jp2h"), boxType("res "), boxType("uinf"), boxType("jpch"), boxType("jplh"),
    boxType("cgrp"), boxType("ftbl"), boxType("comp"), boxType("asoc"), boxType("drep"),
};

class BoxWalk {
public:
    BoxWalk(const ByteImage& file, ErrorLog& log) : file_(file), log_(log) {}

    std::vector<Box> run()
    {
        try {
            walk(0, file_.size(), 0, -1);
        } catch (const ImageOverrun&) {
            // The file no longer holds a header it held when it was opened: the walk ends there.
        }
        return std::move(boxes_);
    }

private:
    // The boxes of [begin, end), which holds the contents of `parent` (the whole file for -1).
    void walk(uint64_t begin, uint64_t end, int depth, int parent)
    {
        const uint64_t fileEnd = file_.size();
        // Past this code, whatever a box's length says runs out of its place.
        const int pastPlace = end == fileEnd ? 20002 : 20003;
        for (uint64_t p = begin; p < end;) {
            if (end - p < 8) {
                log_.record(pastPlace, p);
                return;
            }
            const uint32_t LBox = file_.be32(p);
            const uint32_t TBox = file_.be32(p + 4);
            uint8_t headerLength = 8;
            uint64_t length = LBox;
            if (LBox == 1) {
                if (end - p < 16) {
                    log_.record(pastPlace, p);
                    return;
                }
                headerLength = 16;
                length = uint64_t{file_.be32(p + 8)} << 32 | file_.be32(p + 12);
            } else if (LBox == 0) {
                length = fileEnd - p;  // to the end of the file
            }
            if (length < headerLength) {
                log_.record(20001, p);
                return;
            }
            if (length > end - p) {
                log_.record(length > fileEnd - p ? 20002 : 20003, p);
                length = end - p;
            }
            const int index = static_cast<int>(boxes_.size());
            boxes_.push_back({static_cast<uint32_t>(p), static_cast<uint32_t>(length), TBox, parent,
                              static_cast<uint8_t>(depth), headerLength});
            if (isSuperbox(TBox)) {
                if (depth + 1 >= maxBoxDepth)
                    log_.record(20004, p);
                else
                    walk(p + headerLength, p + length, depth + 1, index);
            }
            p += length;
        }
    }

    const ByteImage& file_;
    ErrorLog& log_;
    std::vector<Box> boxes_;
};

}  // namespace

bool beginsWithSignatureBox(const ByteImage& file)
{
    static constexpr uint8_t signature[] = {0x00, 0x00, 0x00, 0x0C, 'j', 'P', ' ', ' ', 0x0D, 0x0A, 0x87, 0x0A};
    if (!file.contains(0, sizeof signature))
        return false;
    const auto head = file.bytes(0, sizeof signature);
    return std::equal(head.begin(), head.end(), std::begin(signature));
}

bool isSuperbox(uint32_t type) { return std::find(std::begin(superboxes), std::end(superboxes), type) != std::end(superboxes); }

std::vector<Box> walkBoxes(const ByteImage& file, ErrorLog& log) { return BoxWalk(file, log).run(); }
