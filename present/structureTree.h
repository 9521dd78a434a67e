#pragma once
// The structure tree of a file as a flat list in display order.
//
// A raw codestream: the root "JPC file"; one child of the root per SOC, SOT and EOC; every other
// marker under the last of those (at the top level before the first); after each SOD, under the
// same parent, its data block "<dane>".
//
// A box file: the root "JP2 file"; its boxes, each superbox with its contents under it; under the
// box whose codestream is analysed, that codestream's tree as the raw root holds it (markers before
// the first SOC, SOT or EOC directly under the box).

#include <functional>
#include <string>
#include <vector>

class jpcAnalyzer;

struct TreeItem {
    int depth;        // 0 for the root and for markers before the first SOC, SOT or EOC of a raw file
    std::string label;
    int index;        // element index; -1 for the root, which stands for the whole file, and for boxes
    int box = -1;     // index in the box table for a box; -1 otherwise
};

std::vector<TreeItem> buildStructureTree(const jpcAnalyzer& analyzer);

// The same items one at a time, in the same order, for trees too large to hold as a list.
void forEachTreeItem(const jpcAnalyzer& analyzer, const std::function<void(const TreeItem&)>& visit);

// The tree label of an element: its marker name, or "<dane>" for a data block.
std::string elementLabel(const jpcAnalyzer& analyzer, int index);
