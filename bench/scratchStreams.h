#pragma once
// Codestream files for benchmarks: written once per run into a temporary folder that is removed at
// exit, and read through once so that timings start with the file in the page cache.

#include "tools/streamWriter.h"

#include <filesystem>
#include <string>

// The file for this shape, written on first use and warm in the page cache.
std::string cachedStream(const StreamShape& shape);
// A fresh path inside the temporary folder, for files a benchmark writes itself.
std::filesystem::path scratchPath(const std::string& name);
// Reads the whole file so that its pages are in the page cache.
void warmPageCache(const std::string& path);
// `count` small files of 1 to 4 tiles and 1 to 3 tile-parts each, some with PLT or TLM, written on
// first use and warm in the page cache; returns the list of their paths, one per line.
std::string smallStreamList(int count);
