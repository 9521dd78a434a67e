#include "present/markerDescription.h"

#include "present/markerDescriptionTexts.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace {

constexpr std::size_t kMaxLineWidth = 130;
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kNoDescription = "Ten marker nie ma opisu";

// Width in characters, not bytes: the texts carry multi-byte UTF-8 typography (em dash, curly quotes).
std::size_t displayWidth(std::string_view s)
{
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Greedy wrap between words; a word wider than a whole line stays unbroken on its own line.
void appendWrapped(std::string& out, std::string_view paragraph)
{
    std::size_t lineStart = 0;
    std::size_t lineEnd = 0; // end of the last word that fits on the current line
    while (lineEnd < paragraph.size()) {
        std::size_t wordEnd = paragraph.find(' ', lineEnd + 1);
        if (wordEnd == std::string_view::npos) {
            wordEnd = paragraph.size();
        }
        const bool lineHasWord = lineEnd > lineStart;
        if (lineHasWord && displayWidth(paragraph.substr(lineStart, wordEnd - lineStart)) > kMaxLineWidth) {
            out.append(paragraph.substr(lineStart, lineEnd - lineStart)).append(kLineEnd);
            lineStart = lineEnd + 1; // skip the space the line was broken at
        }
        lineEnd = wordEnd;
    }
    out.append(paragraph.substr(lineStart)).append(kLineEnd);
}

std::string format(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        appendWrapped(out, text.substr(0, newline));
        text = newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
    }
    return out;
}

} // namespace

std::string markerDescription(signed char code)
{
    const auto byte = static_cast<unsigned char>(code);
    const auto texts = markerDescriptionDetail::markerTexts();
    const auto entry = std::find_if(texts.begin(), texts.end(), [byte](const auto& t) { return t.code == byte; });
    return entry == texts.end() ? std::string(kNoDescription) : format(entry->text);
}
