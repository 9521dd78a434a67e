#include "present/structureTree.h"

#include "engine/jpcAnalyzer.h"

#include <array>

std::string elementLabel(const jpcAnalyzer& analyzer, int index)
{
    if (!analyzer.isMarker(index))
        return "<dane>";
    return analyzer.getMarkerName(analyzer.getMarkerCode(index));
}

void forEachTreeItem(const jpcAnalyzer& analyzer, const std::function<void(const TreeItem&)>& visit)
{
    constexpr uint8_t soc = 0x4F, sot = 0x90, eoc = 0xD9;
    std::array<std::string, 256> names;  // by code byte, made on first use: a tree can hold millions
    visit({0, "JPC file", -1});
    bool underParent = false;
    const int count = static_cast<int>(analyzer.getMarkerOffsets().size());
    for (int i = 0; i < count; ++i) {
        if (!analyzer.isMarker(i)) {
            visit({underParent ? 2 : 0, "<dane>", i});
            continue;
        }
        const auto code = static_cast<uint8_t>(analyzer.getMarkerCode(i));
        std::string& name = names[code];
        if (name.empty())
            name = analyzer.getMarkerName(static_cast<signed char>(code));
        const bool parent = code == soc || code == sot || code == eoc;
        visit({parent ? 1 : underParent ? 2 : 0, name, i});
        underParent = underParent || parent;
    }
}

std::vector<TreeItem> buildStructureTree(const jpcAnalyzer& analyzer)
{
    std::vector<TreeItem> items;
    forEachTreeItem(analyzer, [&](const TreeItem& item) { items.push_back(item); });
    return items;
}
