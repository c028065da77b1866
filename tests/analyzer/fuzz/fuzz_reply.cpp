// Reply reception and decoding: the first input byte chooses where the rest
// is cut into pieces delivered by successive reads; the fetch exchange
// must stay inside its buffer, and an accepted reply must decode without
// error, each value either decoded exactly or marked malformed.
#include "AnalyzerProtocol.h"
#include "ScriptedLine.h"

#include <cstdlib>

using namespace AnalyzerProtocol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > 512)
        return -1;
    const int cut = data[0];
    ScriptedLine line;
    ScriptedLine::Bytes rest(data + 1, data + size);
    for (size_t at = 0; at < rest.size();) {
        const size_t len = std::min(rest.size() - at, static_cast<size_t>(cut % 53 + 1));
        line.Pieces.emplace_back(rest.begin() + at, rest.begin() + at + len);
        at += len;
    }
    const TAddress address = AddressBytes(1);
    TRxBuffer rx;
    const TFetchOutcome out = FetchResult(line, address, rx);
    if (out.Length < 0 || out.Length > kRxBufferSize)
        std::abort();
    if (out.Accepted) {
        const int n = ValueCountForLength(out.Length);
        const TDecodedReply d = DecodeReply(rx, n);
        for (int i = 0; i < n; ++i) {
            if (d.Malformed[i] && !(d.Values[i] == Real6{}))
                std::abort();
            (void)d.Values[i].ToFloat();
        }
    }
    // Any slice of the raw input with any count must either decode or be
    // refused cleanly.
    for (int n : {0, 4, 6, 7, 12, static_cast<int>(size % 14)}) {
        try {
            (void)DecodeReply(std::span<const uint8_t>(data, size), n);
        } catch (const std::invalid_argument &) {
        }
    }
    (void)IsAcceptedReply(std::span<const uint8_t>(data, size), address);
    return 0;
}
