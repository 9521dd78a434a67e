#pragma once
// Where the (Ttlm, Ptlm) pairs of a TLM segment lie, from its Stlm: ST (bits 4–5) gives a Ttlm of
// 0, 1 or 2 bytes (3 is not defined), SP (bit 6) a Ptlm of 2 or 4 bytes. The pairs follow Stlm.

#include <cstdint>

struct TlmLayout {
    explicit TlmLayout(uint8_t Stlm) : ST((Stlm >> 4) & 0x03), longPtlm(Stlm & 0x40) {}

    int pairSize() const { return ST + (longPtlm ? 4 : 2); }
    // Whole pairs in a segment of this length; none below 6.
    int pairCount(int Ltlm) const { return Ltlm < 6 ? 0 : (Ltlm - 4) / pairSize(); }
    // Offsets from the segment's 0xFF byte.
    uint32_t ttlmOffset(uint32_t pair) const { return 6 + pair * pairSize(); }
    uint32_t ptlmOffset(uint32_t pair) const { return ttlmOffset(pair) + ST; }

    int ST;
    bool longPtlm;
};
