#pragma once
// Where the analysed codestream lies in its file and what the file says of its colours: what a
// decoder started for a preview needs besides the path.

#include <cstdint>
#include <string>

class jpcAnalyzer;

struct CodestreamSource {
    uint64_t offset = 0;
    uint64_t length = 0;
    // "srgb", "grey" or "sycc" from the enumerated colour space of a JP2 file's first colour box;
    // empty when the file says nothing the decoder could use.
    std::string colour;
};

CodestreamSource codestreamSource(const jpcAnalyzer& analyzer);
