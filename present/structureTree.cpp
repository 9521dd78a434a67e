#include "present/structureTree.h"

#include "engine/jpcAnalyzer.h"

std::string elementLabel(const jpcAnalyzer& analyzer, int index)
{
    if (!analyzer.isMarker(index))
        return "<dane>";
    return analyzer.getMarkerName(analyzer.getMarkerCode(index));
}

std::vector<TreeItem> buildStructureTree(const jpcAnalyzer& analyzer)
{
    std::vector<TreeItem> items;
    const int count = static_cast<int>(analyzer.getMarkerOffsets().size());
    items.reserve(static_cast<size_t>(count) + 1);
    items.push_back({0, "JPC file", -1});
    bool underParent = false;
    for (int i = 0; i < count; ++i) {
        std::string name = elementLabel(analyzer, i);
        if (name == "SOC" || name == "SOT" || name == "EOC") {
            items.push_back({1, std::move(name), i});
            underParent = true;
            continue;
        }
        const int depth = underParent ? 2 : 0;
        const bool sod = name == "SOD";
        items.push_back({depth, std::move(name), i});
        if (sod && i + 1 < count && !analyzer.isMarker(i + 1)) {
            items.push_back({depth, "<dane>", i + 1});
            ++i;
        }
    }
    return items;
}
