#pragma once
// The structure tree of a codestream as a flat list in display order: the root "JPC file"; one
// child of the root per SOC, SOT and EOC; every other marker under the last of those (at the top
// level before the first); after each SOD, under the same parent, its data block "<dane>".

#include <string>
#include <vector>

class jpcAnalyzer;

struct TreeItem {
    int depth;        // 0 for the root and for markers before the first SOC, SOT or EOC
    std::string label;
    int index;        // element index; -1 for the root, which stands for the whole file
};

std::vector<TreeItem> buildStructureTree(const jpcAnalyzer& analyzer);

// The tree label of an element: its marker name, or "<dane>" for a data block.
std::string elementLabel(const jpcAnalyzer& analyzer, int index);
