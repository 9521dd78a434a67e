#pragma once
// The one-line verdict shown for a finished analysis.

#include <string>

// 0 no errors, 1 errors found, 2 fatal structure error.
std::string verdictText(int status);
