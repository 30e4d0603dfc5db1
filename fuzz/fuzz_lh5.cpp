// Fuzz target for the LH5 decoder: arbitrary bytes as a stream with an output size taken from the
// first bytes, and arbitrary data through the fixture encoder and back.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fixture/lh5_encoder.h"
#include "hyp/lh5.h"

namespace {

constexpr size_t kSizeBytes = 3;  // output size: 16 bits, times 16 when the third byte says so
constexpr uint8_t kLargeMark = 0x0F;
constexpr int kLargeShift = 4;  // at most 65535 << 4, just under 1 MiB

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kSizeBytes) return 0;
    size_t out_size = (size_t{data[0]} << 8) | data[1];
    if ((data[2] & kLargeMark) == kLargeMark) out_size <<= kLargeShift;
    const uint8_t* stream = data + kSizeBytes;
    const size_t stream_size = size - kSizeBytes;

    // Buffers of exactly out_size bytes, so that the sanitizer sees any write past them. Every
    // byte must be decided by the stream (decoded, or zero after an error), whatever the buffer
    // held before.
    std::vector<uint8_t> out(out_size, 0x00);
    std::vector<uint8_t> again(out_size, 0xFF);
    const bool ok = lh5_decode(stream, stream_size, out.data(), out_size);
    const bool ok_again = lh5_decode(stream, stream_size, again.data(), out_size);
    if (ok != ok_again || out != again) std::abort();

    // The same bytes as plain data: compressing and unpacking gives them back.
    const std::vector<uint8_t> packed = lh5_encode(stream, stream_size);
    std::vector<uint8_t> unpacked(stream_size);
    if (!lh5_decode(packed.data(), packed.size(), unpacked.data(), stream_size)) std::abort();
    if (stream_size > 0 && std::memcmp(unpacked.data(), stream, stream_size) != 0) std::abort();
    return 0;
}
