#pragma once
// Tables of whole analyses: each case's findings (codes and positions, in list order), verdict and
// element table, checked with the case's name in every failure.

#include "support/analysis.h"

#include <gtest/gtest.h>

struct Outcome {
    const char* what;
    std::vector<uint8_t> bytes;
    Findings findings;
    int status;
    std::vector<uint32_t> elements;  // every element's offset
};

inline void expectOutcomes(const std::vector<Outcome>& cases)
{
    for (const Outcome& c : cases) {
        const auto a = analyze(c.bytes);
        EXPECT_EQ(findingsOf(*a), c.findings) << c.what;
        EXPECT_EQ(a->getStatus(), c.status) << c.what;
        EXPECT_EQ(offsetsOf(*a), c.elements) << c.what;
    }
}
