#pragma once
// The rules of the JP2 file family over the box table, and the agreement of the image header with the
// codestream's SIZ. Each code is recorded at the box it concerns; nothing is raised.

#include "engine/boxes.h"
#include "engine/byteImage.h"
#include "engine/errorLog.h"

#include <optional>
#include <vector>

// The boxes of the first top-level JP2 header box (jp2h) that the rules look at: the first of each
// kind among its direct contents, and every colour box (colr).
struct HeaderBoxes {
    std::optional<int> header, imageHeader, bitsPerComponent, palette, componentMapping, channelDefinition,
        resolution;
    std::vector<int> colours;
};
HeaderBoxes findHeaderBoxes(const std::vector<Box>& boxes);

// From the brand of the first top-level file type box: "jph " and "jpx " name their families, any
// other brand (or none) is read as JP2. Never throws.
ContainerKind containerKindOf(const ByteImage& file, const std::vector<Box>& boxes);

// The first top-level codestream box (jp2c) with contents: the codestream that is analysed.
std::optional<int> analysedCodestreamBox(const std::vector<Box>& boxes);

// Where a rule about the codestream box reports: at the first top-level jp2c, else at the last
// top-level box, after which it was looked for.
uint32_t codestreamBoxPosition(const std::vector<Box>& boxes);

// The file type box second with the family's entry in its compatibility list; one JP2 header box,
// before the first codestream box; in it the image header first and in range, colour boxes next to
// each other, of a known method and colour space or with a fitting ICC profile, a bits-per-component
// box exactly when BPC is 255, palette, component mapping and channel definition boxes that agree,
// and sound resolution boxes; then the XML, UUID info and URL boxes of the whole file (codes
// 20101-20136).
void checkContainer(const ByteImage& file, const std::vector<Box>& boxes, ContainerKind kind, ErrorLog& log);

// The image header's HEIGHT, WIDTH, NC and BPC (or each bits-per-component entry) against the SIZ
// at `siz` in the codestream (codes 20201-20204).
void checkAgreement(const ByteImage& file, const std::vector<Box>& boxes, const ByteImage& codestream, uint32_t siz,
                    ErrorLog& log);
