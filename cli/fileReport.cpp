#include "cli/fileReport.h"

#include "engine/errorMessage.h"
#include "engine/jpcAnalyzer.h"
#include "present/structureTree.h"
#include "present/verdict.h"

#include <cstdio>
#include <new>
#include <stdexcept>
#include <sys/stat.h>

namespace {

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

std::string hex(uint64_t value, int width)
{
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "0x%0*llx", width, static_cast<unsigned long long>(value));
    return buffer;
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

}  // namespace

FileReport::FileReport(std::string path) : path_(std::move(path)) {}
FileReport::~FileReport() = default;
FileReport::FileReport(FileReport&&) noexcept = default;

template <typename Make>
FileReport FileReport::analyse(std::string path, std::optional<uint64_t> size, Make make)
{
    FileReport report(std::move(path));
    report.size_ = size;
    try {
        report.analyzer_ = make();
        report.size_ = report.analyzer_->getFileSize();
    } catch (const jpcFileError& e) {
        report.failure_ = e.what();
    } catch (const std::invalid_argument&) {
        // The stream leaves no SIZ to read the tile grid or Csiz from.
        report.failure_ = "Failed to open document.";
    } catch (const std::bad_alloc&) {
        report.failure_ = "Out of memory.";
    }
    return report;
}

FileReport FileReport::ofPath(const std::string& path)
{
    return analyse(path, sizeOnDisk(path), [&] { return std::make_unique<jpcAnalyzer>(path); });
}

FileReport FileReport::ofBytes(std::span<const uint8_t> bytes, const std::string& name)
{
    return analyse(name, bytes.size(), [&] { return std::make_unique<jpcAnalyzer>(bytes, name); });
}

int FileReport::outcome() const { return analyzer_ ? analyzer_->getStatus() : 3; }

bool FileReport::confirmUnchanged()
{
    if (!analyzer_ || !analyzer_->fileChangedOnDisk())
        return true;
    analyzer_.reset();
    failure_ = "File changed on disk during analysis.";
    return false;
}

// Written element by element, so that memory follows the output rather than a document of the
// whole file (a large stream has tens of thousands of elements).
std::string FileReport::jsonLine(const ReportOptions& options) const
{
    using nlohmann::json;
    json head = json::object();
    head["path"] = path_;
    head["size"] = size_ ? json(*size_) : json(nullptr);
    if (!analyzer_) {
        head["failure"] = failure_;
        return head.dump() + '\n';
    }
    const jpcAnalyzer& a = *analyzer_;
    head["status"] = a.getStatus();
    head["verdict"] = verdictText(a.getStatus());
    json errors = json::array();
    const auto& codes = a.getErrorList();
    const auto& positions = a.getErrorPositions();
    for (size_t i = 0; i < codes.size(); ++i)
        errors.push_back({{"code", codes[i]}, {"message", errorMessage(codes[i])}, {"offset", positions[i]}});
    head["errors"] = std::move(errors);
    if (options.texts)
        if (auto summary = elementText(a, -1))
            head["summary"] = std::move(*summary);

    std::string out = head.dump();
    out.pop_back();  // the closing brace, which comes after the elements
    out += ",\"elements\":[";
    const auto& offsets = a.getMarkerOffsets();
    for (int i = 0; i < static_cast<int>(offsets.size()); ++i) {
        const auto code = a.getElementCode(i);
        json element = {{"index", i},
                        {"offset", offsets[i]},
                        {"kind", a.isMarker(i) ? "marker" : "data"},
                        {"code", code ? json(*code) : json(nullptr)},
                        {"name", elementLabel(a, i)}};
        if (options.texts)
            if (auto text = elementText(a, i))
                element["text"] = std::move(*text);
        if (i > 0)
            out += ',';
        out += element.dump();
    }
    out += "]}\n";
    return out;
}

nlohmann::json FileReport::json(const ReportOptions& options) const { return nlohmann::json::parse(jsonLine(options)); }

std::string FileReport::text(const ReportOptions& options) const
{
    std::string out = path_ + '\n';
    if (!analyzer_) {
        out += "  " + failure_ + '\n';
        return out;
    }
    const jpcAnalyzer& a = *analyzer_;
    out += verdictText(a.getStatus()) + '\n';
    const auto& codes = a.getErrorList();
    const auto& positions = a.getErrorPositions();
    for (size_t i = 0; i < codes.size(); ++i)
        out += "  " + std::to_string(codes[i]) + " @ " + hex(positions[i], 8) + "  " + errorMessage(codes[i]) + '\n';
    if (options.tree) {
        for (const TreeItem& item : buildStructureTree(a)) {
            const std::string indent(2 * item.depth, ' ');
            out += indent + item.label;
            if (item.index >= 0)
                out += "  " + hex(a.getMarkerOffsets()[item.index], 8);
            out += '\n';
            if (options.texts)
                if (auto text = elementText(a, item.index))
                    appendIndented(out, *text, indent + "    ");
        }
    }
    return out;
}
