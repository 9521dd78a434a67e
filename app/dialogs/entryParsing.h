#pragma once
// What the user types into the workbench's boxes: a file offset, or bytes to find. Each parse gives
// the value, or the reason it cannot be used, in words for the user.

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

template <class T>
struct Parsed {
    std::optional<T> value;
    QString error;  // empty when there is a value
};

// A decimal offset, or a hexadecimal one after "0x"; it must lie inside a file of `fileSize` bytes.
Parsed<uint64_t> parseOffset(const QString& text, uint64_t fileSize);

// Pairs of hexadecimal digits, blanks anywhere between them ("ff 90", "FF90"): 1 to 256 bytes.
Parsed<std::vector<uint8_t>> parseHexBytes(const QString& text);

// Bytes as the hex pane writes them: "ff 90".
QString hexBytesText(const std::vector<uint8_t>& bytes);
