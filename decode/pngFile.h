#pragma once
// An 8-bit grey or RGB picture as a PNG file.

#include "decode/pictureRendering.h"

#include <cstdio>

// Writes to an open file; false when the writing fails.
bool writePng(std::FILE* file, const RenderedPicture& picture);
