#pragma once
// What the checker says about one file: the analysis rendered as a JSON line or as text, or why
// there is none.

#include "cli/reportStream.h"
#include "engine/analysisOptions.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <span>
#include <string>

class jpcAnalyzer;

struct ReportOptions {
    bool json = false;
    bool elements = false;  // JSON: the element table
    bool tree = false;      // text: the structure tree
    bool texts = false;     // every element's decoded text and the file summary; brings the
                            // element table (JSON) or the tree (text) with it
    AnalysisOptions analysis = {};  // what the engine is asked to check beyond the file
};

class FileReport {
public:
    // Analyses the file at `path`; never throws for what the file holds or for a file that cannot
    // be read (that becomes a failure).
    static FileReport ofPath(const std::string& path, const AnalysisOptions& analysis = {});
    // Analyses bytes in memory, named `name`.
    static FileReport ofBytes(std::span<const uint8_t> bytes, const std::string& name,
                              const AnalysisOptions& analysis = {});
    ~FileReport();
    FileReport(FileReport&&) noexcept;

    // 0, 1 or 2: the verdict; 3: the file could not be analysed.
    int outcome() const;
    const std::string& failure() const { return failure_; }

    // Renders the report into `out` as the options ask, then makes sure that the file did not change
    // on disk meanwhile. If it did, the report becomes that failure: rendered anew while none of it
    // has left `out`, else ended with it (a JSON line by a last member "failure", a text by a line).
    void write(ReportStream& out, const ReportOptions& options);

    // The JSON line (one object and a line feed) or the text, whole, without the check of write().
    std::string jsonLine(const ReportOptions& options) const;
    std::string text(const ReportOptions& options) const;
    // The JSON line parsed, members in their order.
    nlohmann::ordered_json json(const ReportOptions& options) const;

    // Re-checks that the file did not change on disk since it was analysed; if it did, the report
    // becomes a failure and false is returned.
    bool confirmUnchanged();

private:
    explicit FileReport(std::string path);
    // The size is asked for only when there is no engine to give it.
    template <typename Make, typename Size>
    static FileReport analyse(std::string path, Make make, Size sizeWithoutEngine);

    // The JSON object without its closing brace and line feed.
    void renderJson(ReportStream& out, const ReportOptions& options) const;
    void renderText(ReportStream& out, const ReportOptions& options) const;
    void renderBoxes(ReportStream& out, const ReportOptions& options) const;
    void renderElements(ReportStream& out, const ReportOptions& options) const;
    void renderPackets(ReportStream& out) const;

    std::string path_;
    std::optional<uint64_t> size_;
    std::unique_ptr<jpcAnalyzer> analyzer_;
    std::string failure_;
};
