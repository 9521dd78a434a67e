#pragma once
// What the file summary adds for a box file (the box texts themselves are jpcAnalyzer::buildBoxText).

#include <string>

class jpcAnalyzer;

// Lines, each after a line feed: the file format from the brand, the number of boxes, and where
// the analysed codestream lies (or that there is none).
std::string containerSummary(const jpcAnalyzer& analyzer);
