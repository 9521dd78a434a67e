#pragma once

#include <span>
#include <string_view>

namespace markerDescriptionDetail {

// One paragraph per line ('\n'); an empty line stands for an empty line of the displayed text.
struct MarkerText {
    unsigned char code;
    std::string_view text;
};

std::span<const MarkerText> markerTexts();

} // namespace markerDescriptionDetail
