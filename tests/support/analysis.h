#pragma once
// Runs the engine over bytes built in a test; the result keeps its own copy of the bytes alive.

#include "engine/jpcAnalyzer.h"

#include <memory>
#include <utility>
#include <vector>

using Findings = std::vector<std::pair<int, uint64_t>>;  // code and position, in list order

inline std::shared_ptr<jpcAnalyzer> analyze(std::vector<uint8_t> bytes, const AnalysisOptions& options = {})
{
    struct Owner {
        std::vector<uint8_t> bytes;
        std::unique_ptr<jpcAnalyzer> analyzer;
    };
    auto owner = std::make_shared<Owner>();
    owner->bytes = std::move(bytes);
    owner->analyzer = std::make_unique<jpcAnalyzer>(std::span<const uint8_t>(owner->bytes), "test.j2k", options);
    return {owner, owner->analyzer.get()};
}

inline std::vector<int> codesOf(const jpcAnalyzer& a) { return {a.getErrorList().begin(), a.getErrorList().end()}; }

inline std::vector<uint64_t> positionsOf(const jpcAnalyzer& a)
{
    return {a.getErrorPositions().begin(), a.getErrorPositions().end()};
}

inline Findings findingsOf(const jpcAnalyzer& a)
{
    Findings found;
    for (size_t i = 0; i < a.getErrorList().size(); ++i)
        found.emplace_back(a.getErrorList()[i], a.getErrorPositions()[i]);
    return found;
}

inline std::vector<uint32_t> offsetsOf(const jpcAnalyzer& a) { return a.getMarkerOffsets(); }
