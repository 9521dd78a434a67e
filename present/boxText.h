#pragma once
// The text of a box with the bytes of the field each line shows, and what the file summary adds for
// a box file.

#include "present/elementText.h"

#include <string>

class jpcAnalyzer;

// The text is exactly what jpcAnalyzer::buildBoxText returns. Throws std::invalid_argument for an
// index outside the box table.
ElementText buildBoxTextWithFields(const jpcAnalyzer& analyzer, int box);

// Lines, each after a line feed: the file format from the brand, the number of boxes, and where
// the analysed codestream lies (or that there is none).
std::string containerSummary(const jpcAnalyzer& analyzer);
