// What every harness needs: a failed expectation aborts, so libFuzzer keeps the input as a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace qxfuzz {

inline void Require(bool bCondition) {
    if (!bCondition)
        std::abort();
}

// Reads the input front to back; past its end every read gives 0 or an empty piece.
class TInput {
public:
    TInput(const uint8_t* pData, size_t nSize) : pData(pData), nSize(nSize) {}

    uint8_t Byte() { return nPos < nSize ? pData[nPos++] : 0; }
    // The next nCount bytes, fewer at the end.
    const char* Take(size_t nCount, size_t& nTaken) {
        nTaken = nCount < nSize - nPos ? nCount : nSize - nPos;
        const char* p = reinterpret_cast<const char*>(pData + nPos);
        nPos += nTaken;
        return p;
    }
    const char* Rest(size_t& nTaken) { return Take(nSize - nPos, nTaken); }
    bool AtEnd() const { return nPos >= nSize; }

private:
    const uint8_t* pData;
    size_t nSize;
    size_t nPos = 0;
};

} // namespace qxfuzz
