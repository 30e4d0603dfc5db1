// LH5 decoder: LZSS with an 8 KiB window whose symbols are coded with static Huffman codes sent
// per block, unpacked in one pass straight into the caller's buffer.
#include "hyp/lh5.h"

#include <algorithm>
#include <cstring>

namespace {

// --- format constants ---------------------------------------------------------------------------
constexpr int kLiteralSymbols = 510;    // 0-255 literal bytes, 256-509 match lengths 3-256
constexpr int kMatchSymbolBias = 253;   // match length = symbol - 253
constexpr int kPositionSymbols = 14;    // position classes: distance - 1 has j significant bits
constexpr int kCodeLengthSymbols = 19;  // 0-2 zero runs, 3-18 code lengths 1-16
constexpr int kCodeLengthBias = 2;      // code length = code-length symbol - 2
constexpr int kShortSymbolsMax = kCodeLengthSymbols;  // the larger of the two short alphabets

constexpr int kBlockSizeBits = 16;
constexpr int kLiteralCountBits = 9;
constexpr int kPositionCountBits = 4;
constexpr int kCodeLengthCountBits = 5;
constexpr int kCodeLengthSpecial = 3;  // after this many lengths, 2 bits give a run of zeros
constexpr int kNoSpecial = -1;
constexpr int kShortRunBits = 4;  // code-length symbol 1: 3-18 zero lengths
constexpr int kShortRunBase = 3;
constexpr int kLongRunBits = 9;  // code-length symbol 2: 20-531 zero lengths
constexpr int kLongRunBase = 20;

constexpr int kMaxCodeLength = 16;
constexpr uint32_t kCodeSpace = 1u << kMaxCodeLength;  // codes as 16-bit left-aligned values
constexpr int kMinMatchLength = 3;
constexpr int kMaxMatchLength = 256;
constexpr uint32_t kWindowSize = 8192;  // largest distance a position code can express

// A block size field of 0 wraps the 16-bit block counter on its first decrement.
constexpr uint32_t kBlockSizeWrap = 1u << kBlockSizeBits;

// --- decoding tables ----------------------------------------------------------------------------
constexpr int kLiteralTableBits = 12;
constexpr int kShortTableBits = 8;
constexpr int kLiteralTableSize = 1 << kLiteralTableBits;
constexpr int kShortTableSize = 1 << kShortTableBits;

// Codes longer than their table continue in a binary tree. All codes share the left/right arrays
// but use disjoint node ranges: the literal/length code numbers its nodes from kLiteralSymbols up
// to kTreeSize, the code-length and position codes from their symbol count up to kLiteralSymbols.
// So building the position code never overwrites the literal/length tree of the same block.
// A complete code of n symbols needs at most n - 1 nodes, so both ranges suffice for every
// well-formed stream; an incomplete code that would need more is refused.
constexpr int kTreeSize = 2 * kLiteralSymbols - 1;
constexpr int kLiteralNodeFirst = kLiteralSymbols;
constexpr int kShortNodeEnd = kLiteralSymbols;

// A table entry holds a symbol, a tree node or kEmpty in its low bits, and for a symbol the
// length of its code above them: the decoding loop then needs no second lookup for the length.
// Tree children hold plain values.
constexpr int kEntryLengthShift = 11;
constexpr uint16_t kEntryValueMask = (1u << kEntryLengthShift) - 1;
// Marks a table entry or tree child that no code reaches; any value at or above kTreeSize works.
constexpr uint16_t kEmpty = kEntryValueMask;

static_assert(kTreeSize == 1019, "two tree arrays of 2 x 510 - 1 nodes");
static_assert(kEmpty >= kTreeSize, "the empty mark must differ from every symbol and node");
static_assert((kMaxCodeLength << kEntryLengthShift) <= 0xFFFF,
              "a table entry holds a value and a code length");
static_assert(kLiteralSymbols - kMatchSymbolBias == kMaxMatchLength + 1 &&
                  256 - kMatchSymbolBias == kMinMatchLength,
              "symbols 256-509 are match lengths 3-256");
static_assert(kCodeLengthSymbols - 1 - kCodeLengthBias == kMaxCodeLength,
              "the largest code-length symbol gives the longest code");
static_assert((1u << (kPositionSymbols - 2)) * 2 == kWindowSize,
              "position class 13 reaches distance 8192");
static_assert(kShortNodeEnd - kShortSymbolsMax >= kShortSymbolsMax - 1 &&
                  kTreeSize - kLiteralNodeFirst >= kLiteralSymbols - 1,
              "each node range holds a complete code's nodes");
static_assert(kLiteralTableBits <= kMaxCodeLength && kShortTableBits <= kMaxCodeLength,
              "tables are indexed by the top bits of a 16-bit code");
static_assert((1 << kCodeLengthCountBits) > kCodeLengthSymbols &&
                  (1 << kPositionCountBits) > kPositionSymbols &&
                  (1 << kLiteralCountBits) > kLiteralSymbols,
              "count fields can exceed their alphabet, so readers must check them");

// Sets `entries` table entries (a power of two) to value, eight at a time where possible: the
// short codes of a block fill thousands of entries, and most objects are a single small block.
inline void fill_entries(uint16_t* first, uint32_t entries, uint16_t value) {
    if (entries < 8) {
        for (uint32_t i = 0; i < entries; ++i) first[i] = value;
        return;
    }
    uint16_t pattern[8];
    std::fill(pattern, pattern + 8, value);
    for (uint32_t i = 0; i < entries; i += 8) std::memcpy(first + i, pattern, sizeof pattern);
}

// Builds the canonical decoding table of a code (codes assigned in order of length, within a
// length in symbol order). Entries hold a symbol, a tree node or kEmpty. Refuses lengths that
// over-subscribe the code space and codes that would need more nodes than [first_node, node_end).
// Every length is at most kMaxCodeLength (the readers check this); symbols from `sent` on have
// length 0 (the stream sent no lengths for them), so the loops stop there.
bool build_decode_table(int sent, const uint8_t* lengths, int table_bits, uint16_t* table,
                        uint16_t* left, uint16_t* right, int first_node, int node_end) {
    if (sent > kLiteralSymbols) return false;  // no alphabet is larger
    // The symbols with a code, in symbol order, gathered without a branch: lengths alternate
    // between 0 and not 0 too irregularly for branches on them to be predicted.
    uint16_t coded[kLiteralSymbols];
    int coded_count = 0;
    for (int i = 0; i < sent; ++i) {
        coded[coded_count] = static_cast<uint16_t>(i);
        coded_count += lengths[i] != 0;
    }
    uint32_t count[kMaxCodeLength + 1] = {};
    for (int i = 0; i < coded_count; ++i) ++count[lengths[coded[i]]];

    // start[k]: the first code of length k, left-aligned in 16 bits. Summed without wrapping,
    // start[kMaxCodeLength + 1] is the code space used; more than kCodeSpace is over-subscribed.
    uint32_t start[kMaxCodeLength + 2];
    start[1] = 0;
    for (int k = 1; k <= kMaxCodeLength; ++k) {
        start[k + 1] = start[k] + (count[k] << (kMaxCodeLength - k));
    }
    if (start[kMaxCodeLength + 1] > kCodeSpace) return false;

    // Codes of up to table_bits bits come first in the canonical order and fill the table from
    // entry 0 without gaps; the entries after them are roots of longer codes or unused.
    const int table_size = 1 << table_bits;
    const int low_bits = kMaxCodeLength - table_bits;
    std::fill(table + (start[table_bits + 1] >> low_bits), table + table_size, kEmpty);

    int next_node = first_node;
    for (int i = 0; i < coded_count; ++i) {
        const int symbol = coded[i];
        const int k = lengths[symbol];
        const uint32_t code = start[k];
        const uint32_t weight = 1u << (kMaxCodeLength - k);
        start[k] += weight;
        // code + weight <= start[k + 1] <= ... <= kCodeSpace, so code >> low_bits < table_size
        // and a run of direct entries ends inside the table.
        if (k <= table_bits) {
            fill_entries(table + (code >> low_bits), weight >> low_bits,
                         static_cast<uint16_t>(symbol | (k << kEntryLengthShift)));
            continue;
        }
        // Follow the bits below the table bits, creating nodes where none exists yet. Node numbers
        // grow along every path, so the tree has no cycles, and its depth is at most
        // kMaxCodeLength - table_bits: a decoding walk never runs past the 16 bits it peeks at.
        uint16_t* slot = &table[code >> low_bits];
        for (int bit = low_bits - 1; bit >= kMaxCodeLength - k; --bit) {
            if (*slot == kEmpty) {
                if (next_node >= node_end) return false;
                left[next_node] = kEmpty;
                right[next_node] = kEmpty;
                *slot = static_cast<uint16_t>(next_node++);
            } else if ((*slot & kEntryValueMask) < first_node) {
                return false;  // a shorter code is a prefix: impossible within the code space
            }
            const uint16_t node = *slot;
            slot = ((code >> bit) & 1) ? &right[node] : &left[node];
        }
        if (*slot != kEmpty) return false;  // the same path twice: impossible likewise
        *slot = static_cast<uint16_t>(symbol);
    }
    return true;
}

// Bit input, most significant bit first: the top `count` bits of `buffer` are the next bits of
// the stream. Bits below them are either 0 or the correct following stream bits (a refill may
// load part of a byte it does not count yet), so OR-ing in the following bytes is always right.
// A plain value: the decoding loop keeps a copy in registers, which byte stores into the output
// could not disturb.
struct BitReader {
    const uint8_t* pos;
    const uint8_t* end;
    uint32_t buffer;
    int count;

    // Makes at least 16 bits available (at least 25 in fact). Past the end of the input, zero
    // bytes are shifted in: a stream that ends early continues on zero bits.
    void ensure16() {
        if (count >= 16) return;
        if (end - pos >= 4) {
            const uint32_t word = (uint32_t{pos[0]} << 24) | (uint32_t{pos[1]} << 16) |
                                  (uint32_t{pos[2]} << 8) | uint32_t{pos[3]};
            buffer |= word >> count;  // count < 16: a valid shift
            const int bytes = (32 - count) >> 3;
            pos += bytes;
            count += bytes * 8;
            return;
        }
        while (count <= 24) {
            const uint32_t byte = pos < end ? *pos++ : 0;
            buffer |= byte << (24 - count);
            count += 8;
        }
    }
    // Drops n bits, 0 <= n <= 16; the caller has made them available.
    void skip(int n) {
        buffer <<= n;
        count -= n;
    }
    // Takes n bits, 1 <= n <= 16, as a number.
    uint32_t take(int n) {
        ensure16();
        const uint32_t value = buffer >> (32 - n);
        skip(n);
        return value;
    }
};

// The whole state of one decoding; it lives on the caller's stack.
class Lh5Decoder {
   public:
    Lh5Decoder(const uint8_t* in, size_t in_size) : bits_{in, in + in_size, 0, 0} {}

    // Fills out[0, out_size) and leaves in *done how many bytes were decoded; false on a data
    // error, in which case out[*done, out_size) holds no decoded bytes.
    bool run(uint8_t* out, size_t out_size, size_t* done);

   private:
    // Decodes one symbol of a code with a direct table of TableBits bits; kEmpty when the bits
    // lead to no symbol.
    template <int TableBits>
    uint32_t decode_symbol(BitReader& bits, const uint16_t* table, uint32_t symbol_count,
                           const uint8_t* lengths) const {
        bits.ensure16();
        const uint32_t entry = table[bits.buffer >> (32 - TableBits)];
        uint32_t value = entry & kEntryValueMask;
        if (value < symbol_count) {
            bits.skip(static_cast<int>(entry >> kEntryLengthShift));
            return value;
        }
        // A tree node (or kEmpty): walk on with the bits just below the table bits. The tree
        // depth bound (see build_decode_table) keeps the mask within the 16 peeked bits.
        uint32_t mask = 1u << (31 - TableBits);
        do {
            if (value == kEmpty) return kEmpty;
            value = (bits.buffer & mask) ? right_[value] : left_[value];
            mask >>= 1;
        } while (value >= symbol_count);
        bits.skip(lengths[value]);
        return value;
    }

    bool start_block();
    bool read_short_code(int symbol_count, int count_bits, int special);
    bool read_literal_code();

    BitReader bits_;           // between blocks; run() works on a copy
    uint32_t block_left_ = 0;  // literal/length symbols left in the current block

    uint8_t literal_lengths_[kLiteralSymbols];
    uint8_t short_lengths_[kShortSymbolsMax];  // code-length code, then the position code
    uint16_t literal_table_[kLiteralTableSize];
    uint16_t short_table_[kShortTableSize];
    uint16_t left_[kTreeSize];
    uint16_t right_[kTreeSize];
};

// Reads the lengths of the code-length code or the position code and builds the short table.
// Each length is 3 bits, or for 7 and more, 7 plus the number of 1 bits that follow up to a 0.
bool Lh5Decoder::read_short_code(int symbol_count, int count_bits, int special) {
    const uint32_t n = bits_.take(count_bits);
    std::fill(short_lengths_, short_lengths_ + symbol_count, uint8_t{0});
    if (n == 0) {
        // One symbol with a code of zero bits; a symbol outside the alphabet leaves the code
        // empty, which is an error only if the block ever uses it.
        const uint32_t symbol = bits_.take(count_bits);
        std::fill(short_table_, short_table_ + kShortTableSize,
                  symbol < uint32_t(symbol_count) ? static_cast<uint16_t>(symbol) : kEmpty);
        return true;
    }
    if (n > uint32_t(symbol_count)) return false;

    int i = 0;
    while (i < int(n)) {
        bits_.ensure16();
        uint32_t length = bits_.buffer >> 29;
        if (length == 7) {
            uint32_t mask = 1u << 28;
            while (bits_.buffer & mask) {
                if (++length > kMaxCodeLength) return false;  // at most 9 ones: inside 16 bits
                mask >>= 1;
            }
            bits_.skip(static_cast<int>(length) - 3);  // 3 bits, the ones and the closing 0
        } else {
            bits_.skip(3);
        }
        short_lengths_[i++] = static_cast<uint8_t>(length);
        if (i == special) i += static_cast<int>(bits_.take(2));  // those lengths stay 0
    }
    return build_decode_table(static_cast<int>(n), short_lengths_, kShortTableBits, short_table_,
                              left_, right_, symbol_count, kShortNodeEnd);
}

// Reads the literal/length code lengths through the code-length code and builds its table.
bool Lh5Decoder::read_literal_code() {
    const uint32_t n = bits_.take(kLiteralCountBits);
    std::fill(literal_lengths_, literal_lengths_ + kLiteralSymbols, uint8_t{0});
    if (n == 0) {
        const uint32_t symbol = bits_.take(kLiteralCountBits);
        std::fill(literal_table_, literal_table_ + kLiteralTableSize,
                  symbol < uint32_t(kLiteralSymbols) ? static_cast<uint16_t>(symbol) : kEmpty);
        return true;
    }
    if (n > uint32_t(kLiteralSymbols)) return false;

    uint32_t i = 0;
    while (i < n) {
        const uint32_t c =
            decode_symbol<kShortTableBits>(bits_, short_table_, kCodeLengthSymbols, short_lengths_);
        if (c == kEmpty) return false;
        if (c > kCodeLengthBias) {
            literal_lengths_[i++] = static_cast<uint8_t>(c - kCodeLengthBias);
            continue;
        }
        const uint32_t run = c == 0   ? 1
                             : c == 1 ? bits_.take(kShortRunBits) + kShortRunBase
                                      : bits_.take(kLongRunBits) + kLongRunBase;
        if (run > n - i) return false;  // zero lengths past the announced count
        i += run;                       // those lengths stay 0
    }
    return build_decode_table(static_cast<int>(n), literal_lengths_, kLiteralTableBits,
                              literal_table_, left_, right_, kLiteralNodeFirst, kTreeSize);
}

bool Lh5Decoder::start_block() {
    const uint32_t size = bits_.take(kBlockSizeBits);
    block_left_ = size != 0 ? size : kBlockSizeWrap;
    return read_short_code(kCodeLengthSymbols, kCodeLengthCountBits, kCodeLengthSpecial) &&
           read_literal_code() && read_short_code(kPositionSymbols, kPositionCountBits, kNoSpecial);
}

bool Lh5Decoder::run(uint8_t* out, size_t out_size, size_t* done) {
    BitReader bits = bits_;
    uint32_t block_left = 0;
    size_t pos = 0;
    bool ok = true;
    while (pos < out_size) {
        if (block_left == 0) {
            bits_ = bits;
            if (!start_block()) {
                ok = false;
                break;
            }
            bits = bits_;
            block_left = block_left_;
        }
        --block_left;
        const uint32_t c = decode_symbol<kLiteralTableBits>(bits, literal_table_, kLiteralSymbols,
                                                            literal_lengths_);
        if (c < 256) {
            out[pos++] = static_cast<uint8_t>(c);
            continue;
        }
        if (c == kEmpty) {
            ok = false;
            break;
        }
        const size_t length = c - kMatchSymbolBias;
        const uint32_t j =
            decode_symbol<kShortTableBits>(bits, short_table_, kPositionSymbols, short_lengths_);
        if (j == kEmpty) {
            ok = false;
            break;
        }
        size_t distance = 1;  // position + 1
        if (j > 0) {
            distance += size_t{1} << (j - 1);
            if (j > 1) distance += bits.take(static_cast<int>(j) - 1);
        }
        if (distance > pos) {  // the source would start before the output
            ok = false;
            break;
        }
        // A match running past the required size is cut there.
        const size_t count = std::min(length, out_size - pos);
        uint8_t* dst = out + pos;
        const uint8_t* src = dst - distance;
        if (distance >= 8 && count + 7 <= out_size - pos) {
            // Eight bytes at a time: each chunk's source ends before the chunk, so this gives the
            // bytes of the one-by-one copy. The last chunk may write up to 7 bytes past the match
            // but inside the output; decoding overwrites them, or zeroes them on an error.
            for (size_t i = 0; i < count; i += 8) std::memcpy(dst + i, src + i, 8);
        } else if (distance >= count) {
            std::memcpy(dst, src, count);  // no overlap: same bytes as copying one by one
        } else if (distance == 1) {
            std::memset(dst, *src, count);  // the run-length case
        } else {
            for (size_t i = 0; i < count; ++i) dst[i] = src[i];  // repeats the overlapped bytes
        }
        pos += count;
    }
    *done = pos;
    return ok;
}

}  // namespace

bool lh5_decode(const uint8_t* in, size_t in_size, uint8_t* out, size_t out_size) {
    if (out_size == 0) return true;
    if (in == nullptr) in_size = 0;
    Lh5Decoder decoder(in, in_size);
    size_t done = 0;
    const bool ok = decoder.run(out, out_size, &done);
    if (!ok) std::memset(out + done, 0, out_size - done);
    return ok;
}
