#pragma once
// What an analysis does beyond the walk, the field checks and the checks across segments. The
// default is the analysis every caller had before options existed.

struct AnalysisOptions {
    // Read every packet header of every tile and check the packets (codes 12101 and up). Costs a
    // read of the bit-stream data, so it runs only when asked for.
    bool packets = false;
};
