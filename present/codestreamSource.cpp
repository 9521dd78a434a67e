#include "present/codestreamSource.h"

#include "engine/jpcAnalyzer.h"

namespace {

// The first colour box of the first top-level JP2 header box, when it gives an enumerated space.
std::string colourOf(const jpcAnalyzer& a)
{
    const std::vector<Box>& boxes = a.getBoxes();
    for (size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i].type != boxTypes::header || boxes[i].depth != 0)
            continue;
        for (int child : childrenOf(boxes, static_cast<int>(i))) {
            const Box& box = boxes[static_cast<size_t>(child)];
            if (box.type != boxTypes::colour)
                continue;
            const ByteImage& file = a.getFileImage();
            if (box.contentLength() < 7 || file.u8(box.contentOffset()) != 1)
                return {};
            switch (file.be32(box.contentOffset() + 3)) {
            case 16: return "srgb";
            case 17: return "grey";
            case 18: return "sycc";
            default: return {};
            }
        }
        return {};
    }
    return {};
}

}  // namespace

CodestreamSource codestreamSource(const jpcAnalyzer& a)
{
    CodestreamSource source{a.getCodestreamStart(), a.getCodestreamEnd() - a.getCodestreamStart(), {}};
    try {
        source.colour = colourOf(a);
    } catch (const ImageOverrun&) {
    }
    return source;
}
