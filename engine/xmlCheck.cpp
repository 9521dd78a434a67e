#include "engine/xmlCheck.h"

#include <expat.h>

#include <algorithm>
#include <memory>

XmlCheck checkXml(const ByteImage& file, uint64_t begin, uint64_t end)
{
    XmlCheck check;
    // The encoding comes from the document: a byte order mark or its declaration, else UTF-8.
    const std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(XML_ParserCreate(nullptr), XML_ParserFree);
    if (!parser) {
        check.wellFormed = false;
        check.error = "no memory for the XML parser";
        return check;
    }
    constexpr uint64_t piece = 64 << 10;
    uint64_t p = begin;
    XML_Status status = XML_STATUS_OK;
    do {
        const uint64_t count = std::min(piece, end - p);
        const char* bytes = count == 0 ? "" : reinterpret_cast<const char*>(file.bytes(p, count).data());
        p += count;
        status = XML_Parse(parser.get(), bytes, static_cast<int>(count), p == end);
    } while (status == XML_STATUS_OK && p < end);
    if (status != XML_STATUS_OK) {
        check.wellFormed = false;
        check.line = XML_GetCurrentLineNumber(parser.get());
        check.column = XML_GetCurrentColumnNumber(parser.get());
        check.error = XML_ErrorString(XML_GetErrorCode(parser.get()));
    }
    return check;
}
