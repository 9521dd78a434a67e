#include "present/structureTree.h"

#include "engine/jpcAnalyzer.h"

std::string elementLabel(const jpcAnalyzer& analyzer, int index)
{
    if (!analyzer.isMarker(index))
        return "<dane>";
    return analyzer.getMarkerName(analyzer.getMarkerCode(index));
}

void forEachTreeItem(const jpcAnalyzer& analyzer, const std::function<void(const TreeItem&)>& visit)
{
    visit({0, "JPC file", -1});
    bool underParent = false;
    const int count = static_cast<int>(analyzer.getMarkerOffsets().size());
    for (int i = 0; i < count; ++i) {
        std::string name = elementLabel(analyzer, i);
        if (name == "SOC" || name == "SOT" || name == "EOC") {
            visit({1, std::move(name), i});
            underParent = true;
            continue;
        }
        const int depth = underParent ? 2 : 0;
        const bool sod = name == "SOD";
        visit({depth, std::move(name), i});
        if (sod && i + 1 < count && !analyzer.isMarker(i + 1)) {
            visit({depth, "<dane>", i + 1});
            ++i;
        }
    }
}

std::vector<TreeItem> buildStructureTree(const jpcAnalyzer& analyzer)
{
    std::vector<TreeItem> items;
    forEachTreeItem(analyzer, [&](const TreeItem& item) { items.push_back(item); });
    return items;
}
