#pragma once
// The text of an element (or of a box, present/boxText.h) together with, for each of its lines, the
// bytes of the field that the line shows, so that a viewer can point from a line to its bytes and
// back. The text is exactly what jpcAnalyzer::buildElementText (buildBoxText) returns.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class jpcAnalyzer;

// Bytes [begin, end) of the file.
struct FieldBytes {
    uint64_t begin = 0;
    uint64_t end = 0;
    bool contains(uint64_t offset) const { return offset >= begin && offset < end; }
    bool operator==(const FieldBytes&) const = default;
};

struct ElementText {
    std::string text;
    // One entry per line of the text (lines end at line feeds); none for a line that shows no field:
    // titles, fixed texts, explanations of a value, item numbers, "(koniec pliku)".
    std::vector<std::optional<FieldBytes>> lineFields;
};

// Index -1 gives the file summary, whose lines carry no fields. Throws as buildElementText does.
ElementText buildElementTextWithFields(const jpcAnalyzer& analyzer, int index);
