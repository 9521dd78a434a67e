#pragma once
// One file's report as it is rendered. A short report stays whole until it is done; a long one is
// handed on in pieces as it grows, so that it needs the memory of a piece whatever the number of
// elements it lists.

#include <cstddef>
#include <functional>
#include <string>
#include <utility>

class ReportStream {
public:
    static constexpr size_t pieceBytes = 64 * 1024;
    // Takes the text of the piece; may leave an empty buffer in its place to be written on.
    using HandOn = std::function<void(std::string& piece)>;

    // Without `handOn` the report is kept whole.
    explicit ReportStream(HandOn handOn = {}) : handOn_(std::move(handOn)) {}

    // The text not handed on yet; renderers append to it.
    std::string& text() { return text_; }

    // Renderers call this between elements: a piece leaves once it is large enough.
    void pieceDone()
    {
        if (handOn_ && text_.size() >= pieceBytes)
            handOnNow();
    }

    // Part of the report has left, so it can no longer be taken back.
    bool anyHandedOn() const { return handedOn_; }

    // What has not left yet.
    std::string take() { return std::move(text_); }

private:
    void handOnNow()
    {
        handedOn_ = true;
        handOn_(text_);
        text_.clear();
        text_.reserve(pieceBytes + pieceBytes / 4);
    }

    HandOn handOn_;
    std::string text_;
    bool handedOn_ = false;
};
