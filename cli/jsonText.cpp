#include "cli/jsonText.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>

namespace {

std::string base64(std::string_view bytes)
{
    static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t n = std::min<size_t>(3, bytes.size() - i);
        uint32_t group = 0;
        for (size_t j = 0; j < 3; ++j)
            group = group << 8 | (j < n ? static_cast<uint8_t>(bytes[i + j]) : 0);
        for (size_t j = 0; j < 4; ++j)
            out += j <= n ? digits[group >> (18 - 6 * j) & 63] : '=';
    }
    return out;
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text)
{
    out += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void appendDecimal(std::string& out, uint64_t value)
{
    char digits[20];
    out.append(digits, static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits));
}

void appendJsonPath(std::string& out, std::string_view path)
{
    out += "\"path\":";
    try {
        out += nlohmann::json(path).dump();
    } catch (const nlohmann::json::type_error&) {  // not UTF-8
        appendJsonString(out, path);
        out += ",\"pathBase64\":\"" + base64(path) + '"';
    }
}
