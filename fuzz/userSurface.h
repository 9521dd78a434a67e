#pragma once
// Everything a user can reach from one input, run in full and checked against what must hold for
// any input: the analysis, the file summary and every element's text, the hex text, marker names
// and descriptions, error messages, the structure tree, and the checker's JSON line and text report.
// The input is analysed from memory and, written to a memory file, through the file source too; both
// must give the same. Shared by the fuzz target and the robustness tests. Exceptions the API does not
// promise escape.

#include "cli/fileReport.h"
#include "engine/errorMessage.h"
#include "engine/jpcAnalyzer.h"
#include "engine/packetMap.h"
#include "present/markerDescription.h"
#include "present/structureTree.h"

#include <algorithm>
#include <bitset>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

struct SurfaceResult {
    bool constructed = false;
    int status = -1;
    // Each broken rule as a sentence; empty when all hold.
    std::vector<std::string> broken;
};

namespace userSurfaceDetail {

inline void require(SurfaceResult& r, bool holds, const std::string& rule)
{
    if (!holds)
        r.broken.push_back(rule);
}

// The bytes in a file that lives in memory only, under a path the engine can open.
class MemoryFile {
public:
    explicit MemoryFile(std::span<const uint8_t> bytes) : fd_(::memfd_create("tarvik3-input", MFD_CLOEXEC))
    {
        for (size_t done = 0; fd_ >= 0 && done < bytes.size();) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
                continue;
            }
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~MemoryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool made() const { return fd_ >= 0; }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

// What an analysis gives, digested part by part, so that two sources of the same bytes are compared
// without holding both sets of texts at once.
struct Digest {
    size_t value = 0;
    Digest& add(std::string_view part)
    {
        value = value * 1000003 ^ std::hash<std::string_view>{}(part);
        return *this;
    }
    bool operator==(const Digest&) const = default;
};

inline const Digest noEngine = Digest().add("no engine: empty input");
inline const Digest noSiz = Digest().add("no engine: no element 1 to read the SIZ fields from");

}  // namespace userSurfaceDetail

// The box table and the box texts of a box file; the codestream's place in the file.
inline void exerciseBoxes(const jpcAnalyzer& a, SurfaceResult& r, userSurfaceDetail::Digest& digest)
{
    using userSurfaceDetail::require;
    const uint64_t size = a.getFileSize();
    const auto& boxes = a.getBoxes();
    require(r, a.isBoxFile() || boxes.empty(), "boxes in a raw codestream");
    for (int i = 0; i < int(boxes.size()); ++i) {
        const Box& box = boxes[i];
        const std::string at = " at box " + std::to_string(i);
        require(r, box.length >= box.headerLength && uint64_t{box.offset} + box.length <= size, "box outside the file" + at);
        require(r, i == 0 || boxes[i - 1].offset < box.offset, "boxes out of file order" + at);
        if (box.parent < 0) {
            require(r, box.depth == 0, "top-level box with a depth" + at);
        } else {
            const Box& parent = boxes[std::min(box.parent, i)];
            require(r, box.parent < i && box.depth == parent.depth + 1 && box.depth < maxBoxDepth,
                    "box nested wrongly" + at);
            require(r, box.offset >= parent.contentOffset() && box.end() <= parent.end(), "box outside its superbox" + at);
        }
        const std::string text = a.buildBoxText(i);
        require(r, !text.empty() && text.size() <= 32768, "box text empty or unbounded" + at);
        digest.add(std::to_string(box.offset)).add(std::to_string(box.length)).add(text);
    }
    const auto box = a.getCodestreamBox();
    const uint32_t start = a.getCodestreamStart(), end = a.getCodestreamEnd();
    if (box)
        require(r, start == boxes[*box].contentOffset() && end == boxes[*box].end() && start < end,
                "the codestream is not its box's contents");
    else if (!a.isBoxFile())
        require(r, start == 0 && end == size, "a raw codestream is not the whole file");
    else
        require(r, a.getMarkerOffsets().empty(), "elements without a codestream box");
    for (uint32_t offset : a.getMarkerOffsets())
        require(r, offset >= start && offset <= end, "element outside the codestream at " + std::to_string(offset));
}

// Everything an analysed engine answers, checked. Returns its digest: verdict, errors with their
// positions, elements and their texts, the file summary without its file name, and the hex text.
inline userSurfaceDetail::Digest exerciseEngine(jpcAnalyzer& a, SurfaceResult& r)
{
    using userSurfaceDetail::require;
    r.constructed = true;
    r.status = a.getStatus();
    const auto& errors = a.getErrorList();
    const auto& offsets = a.getMarkerOffsets();
    const uint64_t size = a.getFileSize();
    const bool fatal = std::any_of(errors.begin(), errors.end(), isFatalCode);

    require(r, r.status >= 0 && r.status <= 2, "status outside 0..2");
    require(r, (r.status == 0) == errors.empty(), "status 0 does not match an empty error list");
    require(r, (r.status == 2) == fatal, "status 2 does not match a fatal code in the list");
    require(r, a.getErrorPositions().size() == errors.size(), "error positions do not pair with codes");
    userSurfaceDetail::Digest digest;
    digest.add(std::to_string(r.status));
    for (size_t i = 0; i < errors.size() && i < a.getErrorPositions().size(); ++i) {
        const uint64_t position = a.getErrorPositions()[i];
        require(r, position < size, "error position " + std::to_string(position) + " outside the file");
        digest.add(std::to_string(errors[i])).add(std::to_string(position));
    }
    // Only EOC ends a walk that was not stopped by a fatal fault.
    const int last = int(offsets.size()) - 1;
    if (r.status != 2)
        require(r, last >= 0 && a.isMarker(last) && a.getElementCode(last) == 0xD9,
                "a walk without a fatal fault did not end at EOC");

    std::vector<uint32_t> data;
    std::bitset<256> codes;
    for (int i = 0; i < int(offsets.size()); ++i) {
        require(r, i == 0 || offsets[i - 1] <= offsets[i], "element offsets go backwards at " + std::to_string(i));
        if (a.isMarker(i)) {
            require(r, offsets[i] + uint64_t{1} < size, "marker element past the end at " + std::to_string(i));
        } else {
            require(r, offsets[i] <= size, "data element past the end at " + std::to_string(i));
            data.push_back(offsets[i]);
        }
        codes.set(static_cast<uint8_t>(a.getMarkerCode(i)));
        const std::string text = a.buildElementText(i);
        require(r, !text.empty(), "empty text of element " + std::to_string(i));
        digest.add(std::to_string(offsets[i])).add(a.isMarker(i) ? "marker" : "data").add(text);
        // A text shows the element's own bytes, and at most a few hundred past them (COD's precinct
        // sizes where Lcod is short); element 1, the SIZ, lists Csiz components wherever they lie.
        const uint64_t own = (i + 1 < int(offsets.size()) ? offsets[i + 1] : size) - offsets[i];
        require(r, i == 1 || text.size() <= 4096 + 128 * (own + 256),
                "text of element " + std::to_string(i) + " grows with bytes past the element");
    }
    // Names and descriptions depend on the code alone: a description once per code and process.
    static std::bitset<256> described;
    for (int code = 0; code < 256; ++code) {
        if (!codes.test(code))
            continue;
        require(r, !a.getMarkerName(static_cast<signed char>(code)).empty(), "empty marker name");
        if (!described.test(code))
            require(r, !markerDescription(static_cast<signed char>(code)).empty(), "empty marker description");
        described.set(code);
    }
    require(r, data == a.getDataOffsets(), "data offsets differ from the data elements");
    for (int code : errors)
        require(r, !errorMessage(code).empty(), "empty error message");

    try {
        const std::string summary = a.buildElementText(-1);
        require(r, !summary.empty(), "empty file summary");
        digest.add(std::string_view(summary).substr(summary.find('\n') + 1));
    } catch (const std::invalid_argument&) {
        require(r, offsets.size() < 2, "file summary refused with an element 1 present");
    }
    const std::string hex = a.buildHexText();
    require(r, hex.size() == size * 3 - 1, "hex text of the wrong length");
    require(r, uint64_t(a.getHexLineCount()) == (size + 7) / 8, "hex line count wrong");
    digest.add(hex);

    const auto& boxes = a.getBoxes();
    for (const TreeItem& item : buildStructureTree(a)) {
        require(r, item.index >= -1 && item.index < int(offsets.size()), "tree item outside the element table");
        require(r, item.box >= -1 && item.box < int(boxes.size()), "tree item outside the box table");
    }
    exerciseBoxes(a, r, digest);
    return digest;
}

// The codes outside the profile rules (14000-14999), with their positions.
inline std::vector<std::pair<int, uint64_t>> findingsBesidesProfileRules(const jpcAnalyzer& a)
{
    std::vector<std::pair<int, uint64_t>> found;
    for (size_t i = 0; i < a.getErrorList().size(); ++i)
        if (a.getErrorList()[i] < 14000 || a.getErrorList()[i] > 14999)
            found.emplace_back(a.getErrorList()[i], a.getErrorPositions()[i]);
    return found;
}

// The bytes analysed again under a profile they choose: the profile's rules add codes of their own
// and change no other, nor the verdict's fatality.
inline void exerciseProfileOption(std::span<const uint8_t> bytes, const jpcAnalyzer& plain, SurfaceResult& r)
{
    const auto profiles = allProfiles();
    const Profile profile = profiles[(bytes.size() + (bytes.empty() ? 0 : bytes.back())) % profiles.size()];
    const jpcAnalyzer checked(bytes, plain.getFilePath(), {profile});
    userSurfaceDetail::require(r, findingsBesidesProfileRules(checked) == findingsBesidesProfileRules(plain),
                               "a profile changed codes outside its rules");
    userSurfaceDetail::require(r, (checked.getStatus() == 2) == (plain.getStatus() == 2) &&
                                      (checked.getStatus() == 0) == checked.getErrorList().empty(),
                               "a profile changed the verdict beyond its codes");
}

// The packet pass and the packet map. The pass adds its own codes at the back of the analysis and
// changes nothing else; each tile-part's packets follow one another through its data; the packet
// under each packet's first byte is that packet; every packet's code-blocks can be listed.
inline void exercisePackets(std::span<const uint8_t> bytes, const std::string& name, SurfaceResult& r)
{
    using userSurfaceDetail::require;
    try {
        const jpcAnalyzer plain(bytes, name);
        jpcAnalyzer a(bytes, name, {.packets = true});
        const auto& before = plain.getErrorList();
        const auto& after = a.getErrorList();
        require(r, after.size() >= before.size() && std::equal(before.begin(), before.end(), after.begin()),
                "the packet pass changed the codes before its own");
        require(r, std::all_of(after.begin() + before.size(), after.end(), [](int c) { return c >= 12101 && c <= 12115; }),
                "the packet pass recorded a code not its own");
        require(r, a.getStatus() == (plain.getStatus() == 0 && after.size() > before.size() ? 1 : plain.getStatus()),
                "the packet pass set a wrong verdict");
        PacketMap map(a);
        for (uint16_t tile : map.tiles()) {
            const TilePackets& t = map.tilePackets(tile);
            const std::string at = " in tile " + std::to_string(tile);
            require(r, t.partStart.back() == t.packets.size(), "tile-parts do not hold every packet" + at);
            for (size_t i = 0; i < t.packets.size(); ++i) {
                const Packet& p = t.packets[i];
                require(r, p.offset <= p.bodyStart && p.bodyStart <= p.bodyEnd && p.bodyEnd <= a.getCodestreamEnd() &&
                               p.headerStart <= p.headerEnd,
                        "packet bytes out of order" + at);
                require(r, i == 0 || t.packets[i - 1].part != p.part || t.packets[i - 1].bodyEnd == p.offset,
                        "packets of a tile-part do not follow one another" + at);
                if (i < 64 && p.length() > 0)
                    require(r, map.packetAt(p.offset) == std::make_pair(tile, uint32_t(i)),
                            "the packet under a packet's first byte is another" + at);
                if (i < 8 && tile == map.tiles().front()) {
                    const auto blocks = map.codeBlocks(tile, uint32_t(i));
                    require(r, uint64_t(std::count_if(blocks.begin(), blocks.end(), [](const auto& b) { return b.included; })) ==
                                   p.codeBlocks,
                            "a packet's code-blocks differ from its count" + at);
                }
            }
        }
    } catch (const jpcFileError&) {
    } catch (const std::invalid_argument&) {
    }
}

// The digest of the bytes read through the file source, from a file in memory.
inline userSurfaceDetail::Digest digestThroughFile(std::span<const uint8_t> bytes)
{
    using namespace userSurfaceDetail;
    MemoryFile file(bytes);
    if (!file.made())
        return Digest().add("no memory file");
    try {
        jpcAnalyzer a(file.path());
        SurfaceResult checkedByTheMemoryRun;
        const Digest digest = exerciseEngine(a, checkedByTheMemoryRun);
        return a.fileChangedOnDisk() ? Digest().add("changed on disk") : digest;
    } catch (const jpcEndOfFileError&) {
        return noEngine;
    } catch (const std::invalid_argument&) {
        return noSiz;
    }
}

// Analyses the bytes as a user would meet them: the engine over them, then, unless left out, the
// engine under a profile, over the same bytes in a file, and the checker's report of them.
inline SurfaceResult exerciseUserSurface(std::span<const uint8_t> bytes, const std::string& name = "input.j2k",
                                         bool wholeSurface = true)
{
    using namespace userSurfaceDetail;
    SurfaceResult r;
    Digest fromMemory;
    try {
        jpcAnalyzer a(bytes, name);
        fromMemory = exerciseEngine(a, r);
        if (wholeSurface)
            exerciseProfileOption(bytes, a, r);
    } catch (const jpcFileError&) {
        require(r, bytes.empty(), "file error for input that is neither empty nor too large");
        fromMemory = noEngine;
    } catch (const std::invalid_argument&) {
        fromMemory = noSiz;
    }
    if (!wholeSurface)
        return r;
    exercisePackets(bytes, name, r);
    require(r, digestThroughFile(bytes) == fromMemory, "the file source and the memory source disagree");

    FileReport report = FileReport::ofBytes(bytes, name);
    require(r, report.outcome() == (r.constructed ? r.status : 3), "the report's outcome differs from the engine's");
    // As the checker writes it: assembled by hand, handed on in pieces, checked against the file last.
    std::string line;
    ReportStream out([&](std::string& piece) { line += piece; });
    report.write(out, {.json = true, .texts = true, .analysis = {.packets = true}});
    line += out.take();
    require(r, std::count(line.begin(), line.end(), '\n') == 1 && line.back() == '\n' && nlohmann::json::accept(line),
            "the JSON line is not one line that parses");
    require(r, report.outcome() == (r.constructed ? r.status : 3), "bytes in memory reported as changed on disk");
    require(r, !report.text({.tree = true, .texts = true, .analysis = {.packets = true}}).empty(), "empty text report");
    return r;
}
