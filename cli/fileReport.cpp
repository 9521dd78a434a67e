#include "cli/fileReport.h"

#include "cli/jsonText.h"
#include "engine/errorMessage.h"
#include "engine/jpcAnalyzer.h"
#include "engine/packetMap.h"
#include "present/packetLabel.h"
#include "present/structureTree.h"
#include "present/verdict.h"

#include <array>
#include <charconv>
#include <new>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <unordered_map>

using namespace std::string_view_literals;

namespace {

const std::string changedOnDisk = "File changed on disk during analysis.";

std::optional<uint64_t> sizeOnDisk(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<uint64_t>(info.st_size);
}

std::optional<std::string> elementText(const jpcAnalyzer& analyzer, int index)
{
    try {
        return analyzer.buildElementText(index);
    } catch (const std::invalid_argument&) {
        return std::nullopt;  // no element 1 to read the SIZ fields from
    }
}

// "0x" and at least eight hex digits.
void appendHex(std::string& out, uint64_t value)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, 16).ptr;
    out += "0x"sv;
    const auto length = static_cast<size_t>(end - digits);
    out.append(length < 8 ? 8 - length : 0, '0');
    out.append(digits, length);
}

void appendIndented(std::string& out, const std::string& text, const std::string& indent)
{
    out += indent;
    for (char c : text) {
        out += c;
        if (c == '\n')
            out += indent;
    }
    out += '\n';
}

// Error messages by code, made once per report: a file can hold millions of errors of a few codes.
template <typename Make>
class MessageCache {
public:
    explicit MessageCache(Make make) : make_(std::move(make)) {}
    const std::string& operator()(int code)
    {
        auto [it, added] = messages_.try_emplace(code);
        if (added)
            it->second = make_(code);
        return it->second;
    }

private:
    Make make_;
    std::unordered_map<int, std::string> messages_;
};

}  // namespace

FileReport::FileReport(std::string path) : path_(std::move(path)) {}
FileReport::~FileReport() = default;
FileReport::FileReport(FileReport&&) noexcept = default;

template <typename Make, typename Size>
FileReport FileReport::analyse(std::string path, Make make, Size sizeWithoutEngine)
{
    FileReport report(std::move(path));
    try {
        report.analyzer_ = make();
        report.size_ = report.analyzer_->getFileSize();
        return report;
    } catch (const jpcFileError& e) {
        report.failure_ = e.what();
    } catch (const std::invalid_argument&) {
        // The stream leaves no SIZ to read the tile grid or Csiz from.
        report.failure_ = "Failed to open document.";
    } catch (const std::bad_alloc&) {
        report.failure_ = "Out of memory.";
    }
    report.size_ = sizeWithoutEngine();
    return report;
}

FileReport FileReport::ofPath(const std::string& path, const AnalysisOptions& analysis)
{
    return analyse(
        path, [&] { return std::make_unique<jpcAnalyzer>(path, analysis); }, [&] { return sizeOnDisk(path); });
}

FileReport FileReport::ofBytes(std::span<const uint8_t> bytes, const std::string& name, const AnalysisOptions& analysis)
{
    return analyse(
        name, [&] { return std::make_unique<jpcAnalyzer>(bytes, name, analysis); },
        [&] { return std::optional<uint64_t>(bytes.size()); });
}

namespace {

// The packets are read again, tile by tile with the same budget as the pass, and given in the
// same order: one tile's state in memory at a time.
bool packetsWereRead(const jpcAnalyzer& a) { return a.getStatus() != jpcAnalyzer::statusFatal && a.eocReached(); }

void appendRange(std::string& t, uint64_t start, uint64_t end)
{
    t += '[';
    appendDecimal(t, start);
    t += ',';
    appendDecimal(t, end);
    t += ']';
}

}  // namespace

int FileReport::outcome() const { return analyzer_ ? analyzer_->getStatus() : 3; }

bool FileReport::confirmUnchanged()
{
    if (!analyzer_ || !analyzer_->fileChangedOnDisk())
        return true;
    analyzer_.reset();
    failure_ = changedOnDisk;
    return false;
}

void FileReport::write(ReportStream& out, const ReportOptions& options)
{
    const auto render = [&] {
        if (options.json)
            renderJson(out, options);
        else
            renderText(out, options);
    };
    render();
    // Texts, names and element codes are read from the file as they are rendered, so the check
    // comes after them.
    if (!confirmUnchanged()) {
        if (!out.anyHandedOn()) {
            out.text().clear();
            render();
        } else if (options.json) {
            out.text() += ",\"failure\":"sv;
            appendJsonString(out.text(), failure_);
        } else {
            out.text() += "  " + failure_ + '\n';
        }
    }
    if (options.json)
        out.text() += "}\n"sv;
}

std::string FileReport::jsonLine(const ReportOptions& options) const
{
    ReportStream out;
    renderJson(out, options);
    out.text() += "}\n"sv;
    return out.take();
}

std::string FileReport::text(const ReportOptions& options) const
{
    ReportStream out;
    renderText(out, options);
    return out.take();
}

nlohmann::ordered_json FileReport::json(const ReportOptions& options) const
{
    return nlohmann::ordered_json::parse(jsonLine(options));
}

// Written member by member and element by element: a stream of millions of elements never becomes
// a document in memory. The member order puts the path first, so that lines sort by path.
void FileReport::renderJson(ReportStream& out, const ReportOptions& options) const
{
    std::string& s = out.text();
    s += '{';
    appendJsonPath(s, path_);
    s += ",\"size\":"sv;
    if (size_)
        appendDecimal(s, *size_);
    else
        s += "null"sv;
    if (!analyzer_) {
        s += ",\"failure\":"sv;
        appendJsonString(s, failure_);
        return;
    }
    const jpcAnalyzer& a = *analyzer_;
    if (a.isBoxFile()) {
        s += ",\"container\":"sv;
        appendJsonString(s, containerName(a.getContainer()));
    }
    s += ",\"status\":"sv;
    appendDecimal(s, static_cast<uint64_t>(a.getStatus()));
    s += ",\"verdict\":"sv;
    appendJsonString(s, verdictText(a.getStatus()));

    s += ",\"errors\":["sv;
    MessageCache message([](int code) {
        std::string escaped;
        appendJsonString(escaped, errorMessage(code));
        return escaped;
    });
    const auto& codes = a.getErrorList();
    const auto& positions = a.getErrorPositions();
    for (size_t i = 0; i < codes.size(); ++i) {
        std::string& t = out.text();
        t += i ? ",{\"code\":"sv : "{\"code\":"sv;
        appendDecimal(t, static_cast<uint32_t>(codes[i]));
        t += ",\"message\":"sv;
        t += message(codes[i]);
        t += ",\"offset\":"sv;
        appendDecimal(t, positions[i]);
        t += '}';
        out.pieceDone();
    }
    out.text() += ']';

    if (options.texts)
        if (auto summary = elementText(a, -1)) {
            out.text() += ",\"summary\":"sv;
            appendJsonString(out.text(), *summary);
        }
    if (options.elements || options.texts)
        renderElements(out, options);
    if (options.analysis.packets && packetsWereRead(a))
        renderPackets(out);
}

void FileReport::renderElements(ReportStream& out, const ReportOptions& options) const
{
    const jpcAnalyzer& a = *analyzer_;
    out.text() += ",\"elements\":["sv;
    renderBoxes(out, options);
    std::array<std::string, 257> names;  // escaped, by code byte; the last for data blocks
    const auto& offsets = a.getMarkerOffsets();
    for (int i = 0; i < static_cast<int>(offsets.size()); ++i) {
        const auto code = a.getElementCode(i);
        const bool marker = a.isMarker(i);
        std::string& name = names[marker ? code.value_or(0) : 256];
        if (name.empty())
            appendJsonString(name, elementLabel(a, i));

        std::string& t = out.text();
        t += i || !a.getBoxes().empty() ? ",{\"index\":"sv : "{\"index\":"sv;
        appendDecimal(t, static_cast<uint64_t>(i));
        t += ",\"offset\":"sv;
        appendDecimal(t, offsets[i]);
        t += marker ? ",\"kind\":\"marker\",\"code\":"sv : ",\"kind\":\"data\",\"code\":"sv;
        if (code)
            appendDecimal(t, *code);
        else
            t += "null"sv;
        t += ",\"name\":"sv;
        t += name;
        if (options.texts)
            if (auto text = elementText(a, i)) {
                t += ",\"text\":"sv;
                appendJsonString(t, *text);
            }
        t += '}';
        out.pieceDone();
    }
    out.text() += ']';
}

// Each tile's packets in their order, the tiles in the order of their first tile-parts.
void FileReport::renderPackets(ReportStream& out) const
{
    const jpcAnalyzer& a = *analyzer_;
    PacketMap map(a);
    WorkBudget budget(PacketMap::budgetFor(a.getCodestreamEnd() - a.getCodestreamStart()));
    std::vector<PacketFinding> findings;
    bool first = true;
    out.text() += ",\"packets\":["sv;
    for (uint16_t tile : map.tiles()) {
        map.readTile(tile, budget, [&](const Packet& p) {
            std::string& t = out.text();
            t += first ? "{\"tile\":"sv : ",{\"tile\":"sv;
            first = false;
            appendDecimal(t, tile);
            t += ",\"part\":"sv;
            appendDecimal(t, p.part);
            t += ",\"layer\":"sv;
            appendDecimal(t, p.layer);
            t += ",\"resolution\":"sv;
            appendDecimal(t, p.resolution);
            t += ",\"component\":"sv;
            appendDecimal(t, p.component);
            t += ",\"precinct\":"sv;
            appendDecimal(t, p.precinct);
            t += ",\"offset\":"sv;
            appendDecimal(t, p.offset);
            t += ",\"sop\":"sv;
            if (p.sop)
                appendDecimal(t, p.offset);
            else
                t += "null"sv;
            t += ",\"header\":"sv;
            appendRange(t, p.headerStart, p.headerEnd);
            t += ",\"eph\":"sv;
            if (p.eph)
                appendDecimal(t, p.headerEnd);
            else
                t += "null"sv;
            t += ",\"body\":"sv;
            appendRange(t, p.bodyStart, p.bodyEnd);
            t += ",\"length\":"sv;
            appendDecimal(t, p.length());
            t += ",\"codeBlocks\":"sv;
            appendDecimal(t, p.codeBlocks);
            t += ",\"passes\":"sv;
            appendDecimal(t, p.passes);
            t += ",\"bytes\":"sv;
            appendDecimal(t, p.bodyEnd - p.bodyStart);
            t += '}';
            out.pieceDone();
        }, findings);
        findings.clear();
    }
    out.text() += ']';
}

// One entry per box, in file order, before the codestream's elements.
void FileReport::renderBoxes(ReportStream& out, const ReportOptions& options) const
{
    const jpcAnalyzer& a = *analyzer_;
    const auto& boxes = a.getBoxes();
    for (size_t i = 0; i < boxes.size(); ++i) {
        const Box& box = boxes[i];
        std::string& t = out.text();
        t += i ? ",{\"kind\":\"box\",\"type\":"sv : "{\"kind\":\"box\",\"type\":"sv;
        appendJsonString(t, boxTypeText(box.type));
        t += ",\"offset\":"sv;
        appendDecimal(t, box.offset);
        t += ",\"length\":"sv;
        appendDecimal(t, box.length);
        t += ",\"depth\":"sv;
        appendDecimal(t, box.depth);
        if (options.texts) {
            t += ",\"text\":"sv;
            appendJsonString(t, a.buildBoxText(static_cast<int>(i)));
        }
        t += '}';
        out.pieceDone();
    }
}

void FileReport::renderText(ReportStream& out, const ReportOptions& options) const
{
    out.text() += path_ + '\n';
    if (!analyzer_) {
        out.text() += "  " + failure_ + '\n';
        return;
    }
    const jpcAnalyzer& a = *analyzer_;
    out.text() += verdictText(a.getStatus()) + '\n';
    MessageCache message(errorMessage);
    const auto& codes = a.getErrorList();
    const auto& positions = a.getErrorPositions();
    for (size_t i = 0; i < codes.size(); ++i) {
        std::string& t = out.text();
        t += "  "sv;
        appendDecimal(t, static_cast<uint32_t>(codes[i]));
        t += " @ "sv;
        appendHex(t, positions[i]);
        t += "  "sv;
        t += message(codes[i]);
        t += '\n';
        out.pieceDone();
    }
    if (!options.tree && !options.texts)
        return;
    const auto& offsets = a.getMarkerOffsets();
    std::optional<PacketMap> packets;
    if (options.analysis.packets && packetsWereRead(a))
        packets.emplace(a);
    // Tiles whose tile-parts interleave are read again for each; one budget bounds them all.
    WorkBudget budget(PacketMap::budgetFor(a.getCodestreamEnd() - a.getCodestreamStart()));
    forEachTreeItem(a, [&](const TreeItem& item) {
        std::string& t = out.text();
        const std::string indent(2 * item.depth, ' ');
        t += indent;
        t += item.label;
        if (item.index >= 0 || item.box >= 0) {
            t += "  "sv;
            appendHex(t, item.box >= 0 ? a.getBoxes()[item.box].offset : offsets[item.index]);
        }
        t += '\n';
        if (options.texts) {
            if (item.box >= 0)
                appendIndented(t, a.buildBoxText(item.box), indent + "    ");
            else if (auto text = elementText(a, item.index))
                appendIndented(t, *text, indent + "    ");
        }
        out.pieceDone();
        if (packets && item.index >= 0 && item.box < 0 && !a.isMarker(item.index))
            if (const auto place = packets->placeOfData(item.index)) {
                const TilePackets& tile = packets->tilePackets(place->tile, budget);
                if (place->part + 1u >= tile.partStart.size())
                    return;
                for (uint32_t k = tile.partStart[place->part]; k < tile.partStart[place->part + 1]; ++k) {
                    std::string& line = out.text();
                    line += indent;
                    line += "  "sv;
                    line += packetLabel(tile.packets[k]);
                    line += "  "sv;
                    appendHex(line, tile.packets[k].offset);
                    line += '\n';
                    out.pieceDone();
                }
            }
    });
}
