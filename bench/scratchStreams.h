#pragma once
// Codestream files for benchmarks: written once per run into a temporary folder that is removed at
// exit, and read through once so that timings start with the file in the page cache.

#include "tools/streamWriter.h"

#include <filesystem>
#include <string>

// 10,000 tile-parts (1,000 tiles of 10) with PLT and TLM, `mebibytes` of bit-stream in all: every
// tile-part is larger than a page from 100 MiB on.
StreamShape spreadTileParts(uint64_t mebibytes);
// 23,814 tile-parts of 9,070 bit-stream bytes, each with a PLT of 96 packet lengths: 216 MB, as the
// large scans of archives are cut.
StreamShape denseTilePartsWithPlt();

// The file for this shape, written on first use and warm in the page cache.
std::string cachedStream(const StreamShape& shape);
// A fresh path inside the temporary folder, for files a benchmark writes itself.
std::filesystem::path scratchPath(const std::string& name);
// Reads the whole file so that its pages are in the page cache.
void warmPageCache(const std::string& path);
// `count` small files of 1 to 4 tiles and 1 to 3 tile-parts each, some with PLT or TLM, written on
// first use and warm in the page cache; returns the list of their paths, one per line.
std::string smallStreamList(int count);
// The batch the checker benchmarks time: enough files for the per-file cost to show.
constexpr int smallFileCount = 1000;
