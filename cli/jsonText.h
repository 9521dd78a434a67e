#pragma once
// Pieces of JSON text appended to a string: strings escaped by nlohmann-json, numbers by to_chars.
// Lines are assembled from these pieces so that no document of a whole file is ever built.

#include <cstdint>
#include <string>
#include <string_view>

// A JSON string; bytes that are not UTF-8 become U+FFFD.
void appendJsonString(std::string& out, std::string_view text);

// Decimal digits, as JSON and the text report write numbers.
void appendDecimal(std::string& out, uint64_t value);

// The "path" member. A path that is not UTF-8 also gets "pathBase64", its exact bytes in base64
// (RFC 4648), since "path" shows U+FFFD for each byte that does not decode.
void appendJsonPath(std::string& out, std::string_view path);
