#include "engine/jpcAnalyzer.h"

#include "engine/blockCache.h"
#include "engine/boxWalk.h"
#include "engine/containerRules.h"
#include "engine/errorMessage.h"
#include "engine/markerNames.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

jpcAnalyzer::jpcAnalyzer(const std::string& path, const AnalysisOptions& options)
    : filePath(path), options(options), file(std::make_unique<BlockCache>(path))
{
    fileSize = file->size();
    fileImage = ByteImage(*file);
    analyze();
}

jpcAnalyzer::jpcAnalyzer(std::span<const uint8_t> bytes, std::string name, const AnalysisOptions& options)
    : filePath(std::move(name)), options(options)
{
    if (bytes.empty())
        throw jpcEndOfFileError();
    if (bytes.size() > UINT32_MAX)
        throw jpcFileTooLargeError("Input of " + std::to_string(bytes.size()) +
                                   " bytes is too large; at most 4294967295 bytes can be analysed");
    fileSize = static_cast<uint32_t>(bytes.size());
    fileImage = ByteImage(bytes);
    analyze();
}

jpcAnalyzer::~jpcAnalyzer() = default;

void jpcAnalyzer::analyze()
{
    if (beginsWithSignatureBox(fileImage)) {
        analyzeBoxFile();
    } else {
        streamEnd = fileSize;
        image = fileImage.firstBytes(streamEnd);
        analyzeCodestream();
    }
    if (status == statusClean && !errorList.empty())
        status = statusErrors;
    errorList.seal();
}

// The container's codes come first, in the order found, then the codestream's as for a raw file.
// Only the lack of a codestream to analyse is fatal.
void jpcAnalyzer::analyzeBoxFile()
{
    ErrorLog containerLog;
    boxes = walkBoxes(fileImage, containerLog);
    container = containerKindOf(fileImage, boxes);
    codestreamBox = analysedCodestreamBox(boxes);
    if (codestreamBox) {
        streamStart = boxes[*codestreamBox].contentOffset();
        streamEnd = boxes[*codestreamBox].end();
        image = fileImage.firstBytes(streamEnd);
        analyzeCodestream();
    }
    try {
        checkContainer(fileImage, boxes, container, containerLog);
        checkHtBrand(containerLog);
        if (markerOffsets.size() > 1 && !dataEntry[1] && image.u8(uint64_t{markerOffsets[1]} + 1) == 0x51)
            checkAgreement(fileImage, boxes, image, markerOffsets[1], containerLog);
    } catch (const ImageOverrun&) {
        // A SIZ cut short, or the file changed on disk: the checks end with what they found.
    }
    errorList.prepend(containerLog);
    if (!codestreamBox) {
        errorList.insertCaught(901, codestreamBoxPosition(boxes));
        status = statusFatal;
    }
}

void jpcAnalyzer::analyzeCodestream()
{
    walk();
    if (status != statusFatal && eocSeen)
        runValidationPass();
    if (status != statusFatal && eocSeen) {
        runCrossChecks();
        runCapabilityChecks();
        runProfileChecks();
    }
    if (options.packets && status != statusFatal && eocSeen)
        runPacketPass();
}

// Steps from marker to marker by segment lengths and over whole tile-parts by Psot, never scanning
// the bit-stream, so the cost follows the number of segments and not the size of the file.
void jpcAnalyzer::walk()
{
    uint64_t p = streamStart;
    // The marker whose step led to p: a fault at a position the file does not reach is reported
    // there, where the length that led out of the file stands.
    uint64_t steppedFrom = streamStart;
    const auto faultAt = [&] { return p < streamEnd ? p : steppedFrom; };
    for (;;) {
        try {
            try {
                checkMarker(p);
            } catch (const jpcAnalyzerException& fault) {
                if (isFatalCode(fault.code))
                    throw;
                errorList.insertCaught(fault.code, p);
                status = statusErrors;
            }
            // checkMarker let p through, so p + 1 lies inside the file and both entries fit 32 bits.
            markerOffsets.push_back(static_cast<uint32_t>(p));
            dataEntry.push_back(false);
            const bool entersData = pendingDataEntry;
            if (pendingDataEntry) {
                markerOffsets.push_back(static_cast<uint32_t>(p + 2));
                dataOffsets.push_back(static_cast<uint32_t>(p + 2));
                dataEntry.push_back(true);
                pendingDataEntry = false;
            }
            const uint64_t step = markerStep(p);
            // The field checks and the texts come back to the marker's segment; of a data block
            // they read the first two bytes only.
            image.keep(p, entersData ? 4 : std::max<uint64_t>(step, 2));
            if (step == 0)
                break;
            steppedFrom = p;
            p += step;
        } catch (const jpcAnalyzerException& fault) {
            errorList.insertCaught(fault.code, faultAt());
            status = statusFatal;
            return;
        } catch (const ImageOverrun&) {
            errorList.insertCaught(7, faultAt());
            status = statusFatal;
            return;
        }
    }
    // Only EOC steps by 0; whatever follows it is not part of the codestream.
    if (p + 2 < streamEnd) {
        errorList.record(1003, p + 2);
        status = statusErrors;
    }
}

uint64_t jpcAnalyzer::markerStep(uint64_t p)
{
    const uint8_t code = image.u8(p + 1);
    switch (code) {
    case 0x90:
        return sotStep(p);
    case 0x93:
        // A tile-part too short to hold its own SOD would step back or stand still.
        if (tilePartRemaining <= 0)
            throw jpcAnalyzerException{7};
        return static_cast<uint64_t>(tilePartRemaining);
    case 0xD9:
        return 0;
    case 0x4F:
        return 2;
    default:
        if (code >= 0x30 && code <= 0x3F) {
            tilePartRemaining -= 2;
            return 2;
        }
        const uint32_t segment = image.be16(p + 2) + 2u;
        tilePartRemaining -= segment;
        return segment;
    }
}

// Sets how far the tile-part of this SOT reaches. Tile-parts are counted against the tile count;
// once the count is reached, Psot is trusted only when it lands on the next SOT or on EOC.
uint64_t jpcAnalyzer::sotStep(uint64_t p)
{
    const double tiles = tileCount();
    currentSot = static_cast<uint32_t>(p);
    const uint32_t Psot = image.be32(p + 6);
    const uint32_t Lsot = image.be16(p + 2);
    const int64_t toEnd = static_cast<int64_t>(streamEnd) - static_cast<int64_t>(p) - 2;
    if (Psot == 0) {
        tilePartRemaining = toEnd;
    } else if (tilePartCount < tiles) {
        tilePartRemaining = Psot;
    } else {
        const uint64_t next = p + Psot;
        const bool landsOnMarker = image.contains(next, 2) && image.u8(next) == 0xFF &&
                                   (image.u8(next + 1) == 0x90 || image.u8(next + 1) == 0xD9);
        if (landsOnMarker) {
            tilePartRemaining = Psot;
        } else {
            tilePartRemaining = toEnd;
            if (Psot != toEnd)
                errorList.record(1017, p);
        }
    }
    tilePartRemaining -= Lsot + 2;
    return Lsot + 2;
}

// nx × ny from the SIZ fields, in double precision; a product that is not finite counts as 0 tiles.
double jpcAnalyzer::tileCount() const
{
    const uint32_t S = getSizMarker();
    const double Xsiz = image.be32(S + 6);
    const double Ysiz = image.be32(S + 10);
    const double XTsiz = image.be32(S + 22);
    const double YTsiz = image.be32(S + 26);
    const double XTOsiz = image.be32(S + 30);
    const double YTOsiz = image.be32(S + 34);
    const double count = std::ceil((Xsiz - XTOsiz) / XTsiz) * std::ceil((Ysiz - YTOsiz) / YTsiz);
    return std::isfinite(count) ? std::trunc(count) : 0.0;
}

uint16_t jpcAnalyzer::mainCsiz() const { return image.be16(getSizMarker() + 38); }

void jpcAnalyzer::runValidationPass()
{
    for (size_t i = 0; i < markerOffsets.size(); ++i) {
        const uint32_t p = markerOffsets[i];
        try {
            if (!dataEntry[i])
                validateSegment(p);
            else if (i + 1 == markerOffsets.size() || markerOffsets[i + 1] != p)
                validateDataBlock(p);  // an empty data block has no bytes of its own
        } catch (const jpcAnalyzerException& fault) {
            errorList.insertCaught(fault.code, p);
            if (isFatalCode(fault.code)) {
                status = statusFatal;
                return;
            }
            status = statusErrors;
        } catch (const ImageOverrun&) {
            // A field past the end of the file ends this element's checks; what they found stays.
        }
    }
}

// Bit-stream data is no marker segment. Packet data may hold 0xFF followed by a byte below 0x90,
// and a packet may begin with SOP; any other marker code there cannot be bit-stream data.
void jpcAnalyzer::validateDataBlock(uint32_t p)
{
    if (!image.contains(p, 2) || image.u8(p) != 0xFF)
        return;
    const uint8_t next = image.u8(p + 1);
    if (next > 0x8F && next != 0x91)
        errorList.record(1018, p);
}

void jpcAnalyzer::checkIndex(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= markerOffsets.size())
        throw std::invalid_argument("element index " + std::to_string(index) + " outside the element table");
}

signed char jpcAnalyzer::getMarkerCode(int index) const
{
    return static_cast<signed char>(getElementCode(index).value_or(0));
}

std::optional<uint8_t> jpcAnalyzer::getElementCode(int index) const
{
    checkIndex(index);
    const uint64_t second = uint64_t{markerOffsets[index]} + 1;
    if (!image.contains(second))
        return std::nullopt;
    return image.u8(second);
}

bool jpcAnalyzer::isMarker(int index) const
{
    checkIndex(index);
    return !dataEntry[index];
}

uint32_t jpcAnalyzer::getSizMarker() const
{
    if (markerOffsets.size() < 2)
        throw std::invalid_argument("no element 1 to read the SIZ fields from");
    return markerOffsets[1];
}

std::optional<uint16_t> jpcAnalyzer::getRsiz() const
{
    if (markerOffsets.size() < 2 || dataEntry[1])
        return std::nullopt;
    const uint64_t S = markerOffsets[1];
    if (!image.contains(S, 6) || image.u8(S + 1) != 0x51)
        return std::nullopt;
    return image.be16(S + 4);
}

std::optional<double> jpcAnalyzer::getBitsPerPixel() const
{
    const uint32_t S = getSizMarker();
    if (!image.contains(uint64_t{S} + 6, 8))
        return std::nullopt;
    const uint32_t samples = image.be32(S + 6) * image.be32(S + 10);  // wraps at 2^32 on purpose
    if (samples == 0)
        return HUGE_VAL;
    return static_cast<double>(streamEnd - streamStart) * 8.0 / samples;
}

std::string jpcAnalyzer::getMarkerName(signed char code) const { return markerName(static_cast<uint8_t>(code)); }

uint32_t jpcAnalyzer::decodeVarLength(uint64_t p, uint64_t end, uint32_t& used) const
{
    uint32_t value = 0;
    used = 0;
    for (uint64_t q = p; q < end; ++q) {
        const uint8_t b = image.u8(q);
        value = value * 128 + (b & 0x7F);
        ++used;
        if (!(b & 0x80))
            break;
    }
    return value;
}

bool jpcAnalyzer::fileChangedOnDisk() const { return file && file->changedOnDisk(); }
