#pragma once

// A serial line for tests: each Read hands out the next scripted piece (as
// much of it as was asked for; the rest stays queued like bytes in a
// driver's input queue) and 0 once the script is used up.

#include "ComLine.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <stdexcept>
#include <vector>

class ScriptedLine : public IComLine {
public:
    using Bytes = std::vector<uint8_t>;

    std::deque<Bytes> Pieces;      // what successive reads find
    std::vector<Bytes> Written;    // every block written
    std::vector<int> ReadRequests; // Count of every read
    int Clears = 0;
    bool ClearedInputAndOutput = true;
    int WriteResult = -1;              // -1: all bytes go out
    int ReadOverclaim = 0;             // a faulty line claiming extra bytes
    std::function<void()> ThrowOnRead; // called before each read; may throw

    void ClearBuffer(bool Input, bool Output) override
    {
        ++Clears;
        ClearedInputAndOutput = ClearedInputAndOutput && Input && Output;
    }

    int32_t Write(const void *Buffer, int32_t Count) override
    {
        const auto *p = static_cast<const uint8_t *>(Buffer);
        Written.emplace_back(p, p + Count);
        return WriteResult < 0 ? Count : WriteResult;
    }

    int32_t Read(void *Buffer, int32_t Count) override
    {
        if (ThrowOnRead)
            ThrowOnRead();
        ReadRequests.push_back(Count);
        if (Pieces.empty())
            return 0;
        Bytes &piece = Pieces.front();
        const int32_t n = std::min<int32_t>(Count, static_cast<int32_t>(piece.size()));
        if (n > 0)
            std::memcpy(Buffer, piece.data(), static_cast<size_t>(n));
        piece.erase(piece.begin(), piece.begin() + n);
        if (piece.empty())
            Pieces.pop_front();
        return n + ReadOverclaim;
    }
};
