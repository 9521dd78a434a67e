#include "present/structureTree.h"

#include "engine/jpcAnalyzer.h"

#include <array>

namespace {

// The codestream's items with SOC, SOT and EOC at `parentDepth`, the markers under them one deeper,
// and the markers before the first of them at `looseDepth`.
void visitCodestream(const jpcAnalyzer& analyzer, const std::function<void(const TreeItem&)>& visit, int parentDepth,
                     int looseDepth)
{
    constexpr uint8_t soc = 0x4F, sot = 0x90, eoc = 0xD9;
    std::array<std::string, 256> names;  // by code byte, made on first use: a tree can hold millions
    bool underParent = false;
    const int count = static_cast<int>(analyzer.getMarkerOffsets().size());
    for (int i = 0; i < count; ++i) {
        if (!analyzer.isMarker(i)) {
            visit({underParent ? parentDepth + 1 : looseDepth, "<dane>", i});
            continue;
        }
        const auto code = static_cast<uint8_t>(analyzer.getMarkerCode(i));
        std::string& name = names[code];
        if (name.empty())
            name = analyzer.getMarkerName(static_cast<signed char>(code));
        const bool parent = code == soc || code == sot || code == eoc;
        visit({parent ? parentDepth : underParent ? parentDepth + 1 : looseDepth, name, i});
        underParent = underParent || parent;
    }
}

}  // namespace

std::string elementLabel(const jpcAnalyzer& analyzer, int index)
{
    if (!analyzer.isMarker(index))
        return "<dane>";
    return analyzer.getMarkerName(analyzer.getMarkerCode(index));
}

void forEachTreeItem(const jpcAnalyzer& analyzer, const std::function<void(const TreeItem&)>& visit)
{
    if (!analyzer.isBoxFile()) {
        visit({0, "JPC file", -1});
        visitCodestream(analyzer, visit, 1, 0);
        return;
    }
    visit({0, "JP2 file", -1});
    const auto& boxes = analyzer.getBoxes();
    for (int i = 0; i < static_cast<int>(boxes.size()); ++i) {
        const int depth = boxes[i].depth + 1;
        visit({depth, boxTypeText(boxes[i].type), -1, i});
        if (analyzer.getCodestreamBox() == i)
            visitCodestream(analyzer, visit, depth + 1, depth + 1);
    }
}

std::vector<TreeItem> buildStructureTree(const jpcAnalyzer& analyzer)
{
    std::vector<TreeItem> items;
    items.reserve(analyzer.getMarkerOffsets().size() + 1);
    forEachTreeItem(analyzer, [&](const TreeItem& item) { items.push_back(item); });
    return items;
}
