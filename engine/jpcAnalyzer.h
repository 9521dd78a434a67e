#pragma once
// The analysis engine: one object per analysed file. The constructor does the whole analysis (open,
// walk with the structural rules, field validation, verdict); afterwards the object only answers
// queries. Queries read the file through the engine's image, so one engine is not for several
// threads at once; engines of their own are.
//
// A file that begins with the JP2 signature box is a box file: its boxes are walked and checked by
// the rules of the JP2 family, and the codestream in its first codestream box (jp2c) is analysed as
// a raw one, with every offset in file coordinates. Any other file is a raw codestream. The element
// table holds the codestream's elements only; the boxes have a table of their own.

#include "engine/analysisOptions.h"
#include "engine/boxes.h"
#include "engine/byteImage.h"
#include "engine/errorLog.h"
#include "engine/fileErrors.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class BlockCache;

// A fault found by a rule; carries one error code. Thrown and caught only inside the engine.
struct jpcAnalyzerException {
    int code;
};

class jpcAnalyzer {
public:
    // Opens the file read-only, keeps it open for the engine's lifetime, and analyses it. Throws
    // jpcOpenError, jpcEndOfFileError, jpcFileTooLargeError, and std::invalid_argument where the
    // stream leaves no SIZ to read (an SOT, COC, QCC or RGN as its first or second marker).
    explicit jpcAnalyzer(const std::string& path, const AnalysisOptions& options = {});
    // Analyses bytes the caller keeps alive and unchanged for the engine's lifetime; `name` stands
    // for the path. Throws as above, without the open errors.
    jpcAnalyzer(std::span<const uint8_t> bytes, std::string name, const AnalysisOptions& options = {});
    virtual ~jpcAnalyzer();
    jpcAnalyzer(const jpcAnalyzer&) = delete;
    jpcAnalyzer& operator=(const jpcAnalyzer&) = delete;

    // Verdicts.
    static constexpr int statusClean = 0;
    static constexpr int statusErrors = 1;
    static constexpr int statusFatal = 2;

    const std::string& getFilePath() const { return filePath; }
    uint32_t getFileSize() const { return fileSize; }
    // The codestream's bytes: reads past the end of its codestream box overrun as past a file's end.
    const ByteImage& getImage() const { return image; }
    // The whole file, boxes and all.
    const ByteImage& getFileImage() const { return fileImage; }

    // Box files. For a raw codestream the box table is empty, the container kind `none`, and the
    // codestream runs from 0 to the file size.
    bool isBoxFile() const { return container != ContainerKind::none; }
    ContainerKind getContainer() const { return container; }
    // In file order, each superbox before its contents.
    const std::vector<Box>& getBoxes() const { return boxes; }
    // The box whose contents are the analysed codestream; nothing when no codestream box was found.
    std::optional<int> getCodestreamBox() const { return codestreamBox; }
    // The analysed codestream's bytes: [start, end).
    uint32_t getCodestreamStart() const { return streamStart; }
    uint32_t getCodestreamEnd() const { return streamEnd; }
    const std::vector<uint32_t>& getMarkerOffsets() const { return markerOffsets; }
    const std::vector<uint32_t>& getDataOffsets() const { return dataOffsets; }
    int getStatus() const { return status; }
    // The walk reached EOC: the passes after it ran, up to a fatal code.
    bool eocReached() const { return eocSeen; }
    const std::deque<int>& getErrorList() const { return errorList.codes(); }
    // The file position each entry of the error list concerns, in the same order.
    const std::deque<uint64_t>& getErrorPositions() const { return errorList.positions(); }
    // The code was found in the element that starts at this offset.
    bool hasErrorAt(int code, uint32_t offset) const { return errorList.containsAt(code, offset); }

    // The element's second byte (a marker's code), as a signed byte; 0 when it lies past the end.
    signed char getMarkerCode(int index) const;
    // The element's second byte, or nothing when it lies past the end of the file.
    std::optional<uint8_t> getElementCode(int index) const;
    // False exactly for the entries the walk made for tile-part data blocks.
    bool isMarker(int index) const;
    // Offset of element 1, taken as the SIZ marker. Throws std::invalid_argument with fewer than two.
    uint32_t getSizMarker() const;
    // Rsiz of the SIZ at element 1, or nothing when element 1 is no SIZ.
    std::optional<uint16_t> getRsiz() const;
    // Codestream size in bits over Xsiz × Ysiz (the product kept to 32 bits; infinite when it is 0), or
    // nothing when those fields lie past the end of the file.
    std::optional<double> getBitsPerPixel() const;
    std::string getMarkerName(signed char code) const;

    // Two lower-case hex digits per byte, a space between bytes, a line feed after every eighth.
    std::string buildHexText();
    int getHexLineCount() const { return hexLineCount; }

    // A packet length coded seven bits a byte, most significant first; stops after the first byte
    // with its top bit clear or at `end`, whichever comes first. `used` gets the bytes read (at least
    // one, unless p is at or past `end`).
    uint32_t decodeVarLength(uint64_t p, uint64_t end, uint32_t& used) const;

    // The decoded fields of an element, or the file summary for index -1.
    std::string buildElementText(int index) const;
    // The decoded fields of a box, by its index in the box table.
    std::string buildBoxText(int box) const;

    // The file was truncated or rewritten on disk while this engine held it.
    bool fileChangedOnDisk() const;

private:
    void analyze();
    void analyzeBoxFile();
    void analyzeCodestream();
    void walk();
    void checkMarker(uint64_t p);
    void checkSot(uint64_t p);
    uint64_t markerStep(uint64_t p);
    uint64_t sotStep(uint64_t p);
    double tileCount() const;
    uint16_t mainCsiz() const;
    void runValidationPass();
    void validateSegment(uint32_t p);
    void validateDataBlock(uint32_t p);
    void validateSiz(uint32_t p);
    void runCrossChecks();
    void runCapabilityChecks();
    void runProfileChecks();
    void checkHtBrand(ErrorLog& containerLog) const;
    void runPacketPass();
    void checkIndex(int index) const;

    std::string filePath;
    AnalysisOptions options;
    std::unique_ptr<BlockCache> file;  // absent when analysing bytes in memory
    uint32_t fileSize = 0;
    ByteImage fileImage;
    ByteImage image;
    uint32_t streamStart = 0;
    uint32_t streamEnd = 0;
    ContainerKind container = ContainerKind::none;
    std::vector<Box> boxes;
    std::optional<int> codestreamBox;
    std::optional<uint32_t> currentSot;
    int64_t tilePartRemaining = 0;
    std::vector<uint32_t> markerOffsets;
    std::vector<uint32_t> dataOffsets;
    std::vector<bool> dataEntry;  // per element: entered as a data block
    int hexLineCount = 1;
    int tilePartCount = 0;
    bool eocSeen = false;
    bool signallingMarkersSeen = false;  // CAP, PRF, CPF or an extension marker, by the field checks
    int status = statusClean;
    ErrorLog errorList;

    // Walk state of the structural rules.
    bool pendingDataEntry = false;
    int previousMarker = -1;
    bool mainHeaderDone = false;
    bool inTilePartHeader = false;
    bool ppmSeen = false;
    bool podSeen = false;
    uint32_t qccCount = 0;
    uint32_t cocCount = 0;
    uint32_t codCount = 0;
    uint32_t qcdCount = 0;
    uint32_t rgnCount = 0;
};
