#pragma once
// Whether the contents of an XML box are a well-formed XML document, by an XML parser that reads
// them in pieces and never loads external entities.

#include "engine/byteImage.h"

#include <cstdint>
#include <string>

struct XmlCheck {
    bool wellFormed = true;
    // Where the parser stopped, from line 1 and column 0, and why, in its words.
    uint64_t line = 0;
    uint64_t column = 0;
    std::string error;
};

// The document in [begin, end) of the file. Throws ImageOverrun where the file no longer holds it.
XmlCheck checkXml(const ByteImage& file, uint64_t begin, uint64_t end);
