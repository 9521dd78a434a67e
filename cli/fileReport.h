#pragma once
// What the checker says about one file: the analysis rendered as text or JSON, or why there is none.

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <span>
#include <string>

class jpcAnalyzer;

struct ReportOptions {
    bool tree = false;
    bool texts = false;
};

class FileReport {
public:
    // Analyses the file at `path`; never throws for what the file holds or for a file that cannot
    // be read (that becomes a failure).
    static FileReport ofPath(const std::string& path);
    // Analyses bytes in memory, named `name`.
    static FileReport ofBytes(std::span<const uint8_t> bytes, const std::string& name);
    ~FileReport();
    FileReport(FileReport&&) noexcept;

    // 0, 1 or 2: the verdict; 3: the file could not be analysed.
    int outcome() const;
    const std::string& failure() const { return failure_; }

    // One JSON object and a line feed.
    std::string jsonLine(const ReportOptions& options) const;
    // The same, parsed.
    nlohmann::json json(const ReportOptions& options) const;
    std::string text(const ReportOptions& options) const;

    // Re-checks, after rendering, that the file did not change on disk meanwhile; if it did, the
    // report becomes a failure and false is returned.
    bool confirmUnchanged();

private:
    explicit FileReport(std::string path);
    template <typename Make>
    static FileReport analyse(std::string path, std::optional<uint64_t> size, Make make);

    std::string path_;
    std::optional<uint64_t> size_;
    std::unique_ptr<jpcAnalyzer> analyzer_;
    std::string failure_;
};
