// Tests of the LH5 decoder and the fixture's LH5 encoder: round trips, hand-built streams for the
// decoder's edge cases and data errors, and cross-checks against two independent LHA programs.
#include "hyp/lh5.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "fixture/bit_writer.h"
#include "fixture/corpus_streams.h"
#include "fixture/lh5_encoder.h"
#include "fixture/lha_archive.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// Bytes that lie after the output must never be touched; the decoder is given only out_size.
constexpr size_t kGuardSize = 16;
constexpr uint8_t kGuardByte = 0xA5;
constexpr uint8_t kStaleByte = 0xCC;  // what the output buffer holds before decoding
constexpr uint8_t kOtherStaleByte = 0x33;

struct Decoded {
    bool ok = false;
    Bytes out;
};

// Decodes into a buffer prefilled with stale bytes and followed by a guard that must survive.
Decoded decode(const Bytes& stream, size_t out_size, uint8_t stale = kStaleByte) {
    Bytes buffer(out_size + kGuardSize, stale);
    std::fill(buffer.begin() + out_size, buffer.end(), kGuardByte);
    Decoded d;
    d.ok = lh5_decode(stream.data(), stream.size(), buffer.data(), out_size);
    for (size_t i = out_size; i < buffer.size(); ++i) {
        EXPECT_EQ(buffer[i], kGuardByte) << "write past the output at " << i;
    }
    d.out.assign(buffer.begin(), buffer.begin() + out_size);
    return d;
}

Bytes text_bytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// --- test data
// ------------------------------------------------------------------------------------

Bytes random_bytes(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(size);
    for (uint8_t& x : b) x = static_cast<uint8_t>(rng());
    return b;
}

// Text-like data: words from a small vocabulary, lines, some numbers; many matches of all lengths
// and distances.
Bytes structured_text(size_t size, uint32_t seed) {
    static const char* const kWords[] = {"page",    "node",    "link",  "index", "the",
                                         "window",  "picture", "Seite", "über",  "a",
                                         "Kapitel", "0x1F",    "table", "of",    "contents"};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size) {
        s += kWords[rng() % (sizeof kWords / sizeof kWords[0])];
        s += (rng() % 9 == 0) ? "\r\n" : " ";
        if (rng() % 50 == 0) s += std::to_string(rng() % 100000);
    }
    s.resize(size);
    return text_bytes(s);
}

// Byte frequencies following the Fibonacci numbers in random order: the plain Huffman tree of
// such data is deeper than 16, so the encoder must limit its code lengths, and the decoder meets
// codes far longer than its 12-bit table.
Bytes fibonacci_bytes(uint32_t seed) {
    Bytes b;
    uint32_t f0 = 1, f1 = 1;
    for (int symbol = 0; symbol < 24; ++symbol) {
        b.insert(b.end(), f0, static_cast<uint8_t>(symbol * 7));
        const uint32_t next = f0 + f1;
        f0 = f1;
        f1 = next;
    }
    std::shuffle(b.begin(), b.end(), std::mt19937(seed));
    return b;
}

Bytes repeated(const Bytes& unit, size_t times) {
    Bytes b;
    for (size_t i = 0; i < times; ++i) b.insert(b.end(), unit.begin(), unit.end());
    return b;
}

// The STG source of a corpus file when the corpus is present (real text), else synthetic text.
Bytes real_or_synthetic_text() {
    std::ifstream file(std::string(VELLUMAR_CORPUS_DIR) + "/freemint.stg", std::ios::binary);
    if (file)
        return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return structured_text(300000, 99);
}

struct DataCase {
    std::string name;
    std::function<Bytes()> make;
    bool compressible = true;  // an archiver would choose LH5 for it rather than storing it
};

std::vector<DataCase> data_cases() {
    return {
        {"empty", [] { return Bytes{}; }, false},
        {"one_byte", [] { return Bytes{0x42}; }, false},
        {"two_bytes",
         [] {
             return Bytes{0x00, 0xFF};
         },
         false},
        {"three_equal_bytes",
         [] {
             return Bytes{7, 7, 7};
         },
         false},
        {"all_byte_values",
         [] {
             Bytes b(256);
             for (int i = 0; i < 256; ++i) b[i] = static_cast<uint8_t>(i);
             return b;
         },
         false},
        {"random_1000", [] { return random_bytes(1000, 1); }, false},
        {"random_200k_several_blocks", [] { return random_bytes(200000, 2); }, false},
        {"structured_text_5k", [] { return structured_text(5000, 3); }},
        {"structured_text_150k", [] { return structured_text(150000, 4); }},
        {"zeros_100k", [] { return Bytes(100000, 0); }},
        {"two_byte_pattern_70k", [] { return repeated(text_bytes("ab"), 35000); }},
        {"seven_byte_pattern", [] { return repeated(text_bytes("ABCDEFG"), 1000); }},
        {"longest_matches", [] { return repeated(random_bytes(300, 5), 40); }},
        // A random block repeated exactly one window later: matches of the largest distance.
        {"distance_8192", [] { return repeated(random_bytes(8192, 6), 3); }},
        {"distance_8193_unreachable",
         [] {
             Bytes b = random_bytes(8193, 7);
             Bytes again(b.begin(), b.end());
             b.insert(b.end(), again.begin(), again.end());
             return b;
         },
         false},
        {"fibonacci_deep_codes", [] { return fibonacci_bytes(8); }},
        {"real_text", [] { return real_or_synthetic_text(); }},
    };
}

// --- round trips
// ----------------------------------------------------------------------------------

TEST(Lh5RoundTrip, EncoderOutputDecodesToTheOriginal) {
    for (const DataCase& c : data_cases()) {
        SCOPED_TRACE(c.name);
        const Bytes data = c.make();
        const Bytes stream = lh5_encode(data.data(), data.size());
        const Decoded d = decode(stream, data.size());
        EXPECT_TRUE(d.ok);
        EXPECT_TRUE(d.out == data) << "decoded bytes differ";
        // Compression must not blow up incompressible data (a block header and a bit per byte).
        EXPECT_LE(stream.size(), data.size() + data.size() / 64 + 64);
    }
}

TEST(Lh5RoundTrip, RepetitiveDataShrinks) {
    struct Case {
        const char* name;
        Bytes data;
        size_t max_stream;
    };
    const Case cases[] = {
        {"zeros", Bytes(100000, 0), 200},
        {"pattern", repeated(text_bytes("Vellumar "), 10000), 300},
        {"text", structured_text(100000, 11), 40000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_LE(lh5_encode(c.data.data(), c.data.size()).size(), c.max_stream);
    }
}

// Any prefix of a valid stream decodes without touching memory outside the output; the bytes
// decoded before the cut are the original ones.
TEST(Lh5RoundTrip, TruncatedStreamsStayInBounds) {
    const Bytes data = structured_text(3000, 12);
    const Bytes stream = lh5_encode(data.data(), data.size());
    for (size_t cut = 0; cut <= stream.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        const Decoded d = decode(Bytes(stream.begin(), stream.begin() + cut), data.size());
        if (cut == stream.size()) {
            EXPECT_TRUE(d.ok);
            EXPECT_TRUE(d.out == data);
        }
    }
}

// --- hand-built streams
// ---------------------------------------------------------------------------

// Writes bits most significant first, as the decoder reads them.
class BitWriter {
   public:
    BitWriter& put(int bits, uint32_t value) {
        bits_.put(bits, value);
        return *this;
    }
    // Bits written out, e.g. "100 0000"; blanks only group them for the reader.
    BitWriter& bits(const std::string& bit_string) {
        for (char c : bit_string) {
            if (c != ' ') put(1, c == '1' ? 1 : 0);
        }
        return *this;
    }
    // A code of one symbol and zero bits (count 0, then the symbol).
    BitWriter& single(int count_bits, uint32_t symbol) {
        return put(count_bits, 0).put(count_bits, symbol);
    }
    // A block whose three codes each have one symbol: `symbols` literal/length symbols that all
    // decode to `literal`, at position class `position`.
    BitWriter& single_block(uint32_t symbols, uint32_t literal, uint32_t position = 0) {
        return put(16, symbols).single(5, 0).single(9, literal).single(4, position);
    }
    Bytes bytes() const { return bits_.bytes(); }

   private:
    fixture::BitWriter bits_;
};

// Block header parts. Symbol 256 is a match of length 3, 263 of length 10, 509 of length 256.
BitWriter block(uint32_t symbols) {
    return BitWriter().put(16, symbols);
}
BitWriter single_blocks(uint32_t a_count, uint32_t a, uint32_t b_count, uint32_t b,
                        uint32_t b_position = 0) {
    return BitWriter().single_block(a_count, a).single_block(b_count, b, b_position);
}

// Code-length code {3: 1 bit, 15: 1 bit}, so the literal code {0: "0", 1: 13 bits
// "1000000000000"}, whose second code continues in the tree: "1000000000001" reaches no symbol.
const char* const kLongCodeLengths =
    "10000 000 000 000 00 001 000 000 000 000 000 000 000 000 000 000 000 001"  // 16 lengths
    " 000000010 0 1";                                                           // 2 literal lengths
// Code-length code {1: "0" (a run of 3 + 4 bits zeros), 3: "1" (length 1)}.
const char* const kZeroRunLengths = "00100 000 001 000 00 001";

BitWriter long_code_block() {
    return block(3).bits(kLongCodeLengths).single(4, 0);
}

struct StreamCase {
    std::string name;
    Bytes stream;
    size_t out_size;
    bool ok;
    Bytes expected;
};

Bytes concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<StreamCase> stream_cases() {
    return {
        // --- edge cases that decode ---
        {"zero_bit_codes_of_all_three_kinds", BitWriter().single_block(5, 'A').bytes(), 5, true,
         text_bytes("AAAAA")},
        {"position_0_repeats_the_previous_byte", single_blocks(1, 'x', 1, 263).bytes(), 11, true,
         Bytes(11, 'x')},
        {"match_cut_at_the_output_size", single_blocks(1, 'a', 1, 509).bytes(), 100, true,
         Bytes(100, 'a')},
        // Once the input is used up, zero bits read as a block of 65536 symbols of one zero-bit
        // code for byte 0.
        {"stream_ending_early_continues_on_zero_bits", BitWriter().single_block(3, 'Q').bytes(), 8,
         true, concat(text_bytes("QQQ"), Bytes(5, 0))},
        {"empty_stream_gives_zeros", Bytes{}, 4, true, Bytes(4, 0)},
        // A block size field of 0 wraps the 16-bit counter: 65536 symbols.
        {"block_size_0_means_65536_symbols", single_blocks(0, 'B', 1, 'C').bytes(), 65537, true,
         concat(Bytes(65536, 'B'), text_bytes("C"))},
        // Position class 2 with extra bit 1 is distance 2 + 1 + 1 = 4: "abb" is repeated (with
        // extra bit 0 it would be "bbb").
        {"position_class_with_extra_bits",
         single_blocks(1, 'a', 3, 'b').single_block(1, 256, 2).bits("1").bytes(), 7, true,
         text_bytes("abbbabb")},
        // Code-length lengths 2, 2, 0, then the 2-bit field skips symbol 3, symbol 4 gets 1 bit:
        // codes 4 "0", 0 "10", 1 "11". Literal lengths 2, 0, 2, 2: bytes 0, 2, 3 are "00" "01"
        // "10".
        {"special_position_skips_code_lengths",
         block(3)
             .bits("00101 010 010 000 01 001  000000100 0 10 0 0")
             .single(4, 0)
             .bits("00 01 10")
             .bytes(),
         3, true, Bytes{0, 2, 3}},
        {"long_code_through_the_tree",
         long_code_block().bits("1000000000000 0 1000000000000").bytes(), 3, true, Bytes{1, 0, 1}},
        {"zero_run_up_to_the_literal_count",
         block(2)
             .bits(kZeroRunLengths)
             .put(9, 5)
             .bits("1 1 0 0000")
             .single(4, 0)
             .bits("0 1")
             .bytes(),
         2, true, Bytes{0, 1}},
        // An unusable single position symbol matters only when a match needs it.
        {"unused_position_symbol_outside_the_alphabet",
         BitWriter().single_block(2, 'k', 14).bytes(), 2, true, text_bytes("kk")},

        // --- data errors: false, and zeros from the first undecodable byte on ---
        {"tree_walk_reaching_an_empty_node",
         long_code_block().bits("1000000000000 0 1000000000001").bytes(), 5, false,
         Bytes{1, 0, 0, 0, 0}},
        {"over_subscribed_code_length_code", block(1).bits("00011 001 001 001 00").bytes(), 4,
         false, Bytes(4, 0)},
        // A zero-bit code-length code for symbol 3 (length 1) makes all three lengths 1.
        {"over_subscribed_literal_code", block(1).single(5, 3).put(9, 3).single(4, 0).bytes(), 4,
         false, Bytes(4, 0)},
        {"over_subscribed_position_code",
         block(1).single(5, 0).single(9, 'p').bits("0011 001 001 001").bytes(), 4, false,
         Bytes(4, 0)},
        {"match_before_the_start", BitWriter().single_block(1, 256).bytes(), 3, false, Bytes(3, 0)},
        {"match_reaching_before_the_start_later",
         BitWriter().single_block(2, 'a').single_block(1, 256, 2).bits("1").bytes(), 6, false,
         concat(text_bytes("aa"), Bytes(4, 0))},
        {"used_position_symbol_outside_the_alphabet", single_blocks(1, 'k', 1, 256, 15).bytes(), 4,
         false, concat(text_bytes("k"), Bytes(3, 0))},
        {"single_literal_symbol_outside_the_alphabet", BitWriter().single_block(1, 510).bytes(), 2,
         false, Bytes(2, 0)},
        {"code_length_count_beyond_19", block(1).put(5, 20).bytes(), 2, false, Bytes(2, 0)},
        {"literal_count_beyond_510", block(1).single(5, 0).put(9, 511).bytes(), 2, false,
         Bytes(2, 0)},
        {"position_count_beyond_14", block(1).single(5, 0).single(9, 'p').put(4, 15).bytes(), 2,
         false, Bytes(2, 0)},
        // "111" and ten more ones: length 17.
        {"code_length_over_16", block(1).bits("00001 111 1111111111 0").bytes(), 2, false,
         Bytes(2, 0)},
        // kZeroRunLengths, then a run of 3 zeros: 5 lengths fit it, 3 do not (only one is left).
        {"zero_run_past_the_literal_count",
         block(2)
             .bits(kZeroRunLengths)
             .put(9, 3)
             .bits("1 1 0 0000")
             .single(4, 0)
             .bits("0 1")
             .bytes(),
         2, false, Bytes(2, 0)},
    };
}

TEST(Lh5Decode, HandBuiltStreams) {
    for (const StreamCase& c : stream_cases()) {
        SCOPED_TRACE(c.name);
        const Decoded d = decode(c.stream, c.out_size);
        EXPECT_EQ(d.ok, c.ok);
        ASSERT_EQ(d.out.size(), c.expected.size());
        for (size_t i = 0; i < d.out.size(); ++i) {
            if (d.out[i] != c.expected[i]) {
                ADD_FAILURE() << "first difference at " << i << ": " << int{d.out[i]}
                              << " instead of " << int{c.expected[i]};
                break;
            }
        }
    }
}

TEST(Lh5Decode, EmptyOutputReadsNothing) {
    EXPECT_TRUE(lh5_decode(nullptr, 0, nullptr, 0));
    const Bytes garbage = random_bytes(10, 13);
    EXPECT_TRUE(lh5_decode(garbage.data(), garbage.size(), nullptr, 0));
}

// Random bytes as streams: whatever the result, nothing outside the output is touched (the guard
// here, every array under the sanitizers), and every output byte is decided by the stream alone:
// decoded, or zero after a data error, never what the buffer held before.
TEST(Lh5Decode, GarbageStreamsStayInBounds) {
    const size_t out_sizes[] = {1, 7, 300, 5000, 70000};
    int failures = 0;
    for (uint32_t seed = 0; seed < 400; ++seed) {
        const Bytes stream = random_bytes(seed % 97 * 5, seed);
        for (size_t out_size : out_sizes) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", size " + std::to_string(out_size));
            const Decoded d = decode(stream, out_size, kStaleByte);
            const Decoded again = decode(stream, out_size, kOtherStaleByte);
            EXPECT_EQ(d.ok, again.ok);
            EXPECT_TRUE(d.out == again.out) << "output depends on the buffer's old contents";
            if (!d.ok) ++failures;
        }
    }
    EXPECT_GT(failures, 0) << "garbage never detected: the checks are not reached";
}

// --- independent LHA programs
// ---------------------------------------------------------------------

bool have_program(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

Bytes read_file(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void write_file(const fs::path& path, const Bytes& data) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(data.data()),
               static_cast<std::streamsize>(data.size()));
}

// A fresh folder for one test's files, removed afterwards.
class TempFolder {
   public:
    explicit TempFolder(const std::string& name)
        : path_(fs::temp_directory_path() /
                ("vellumar_lh5_" + name + "_" + std::to_string(::getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

   private:
    fs::path path_;
};

int run_in(const fs::path& folder, const std::string& command) {
    return std::system(("cd '" + folder.string() + "' && " + command + " >/dev/null 2>&1").c_str());
}

// Data for the archiver check: compressible enough that it chooses -lh5-.
std::vector<DataCase> archive_cases() {
    std::vector<DataCase> cases;
    for (const DataCase& c : data_cases()) {
        if (c.compressible) cases.push_back(c);
    }
    return cases;
}

// Streams made by an independent LHA archiver, with each header level it writes, decode to the
// archived files.
TEST(Lh5Independent, DecodesStreamsOfAnotherArchiver) {
    ASSERT_TRUE(have_program("jlha"))
        << "jlha not found: install the Debian package jlha-utils to run this check";
    TempFolder folder("jlha");
    std::vector<std::string> names;
    std::string file_list;
    for (const DataCase& c : archive_cases()) {
        write_file(folder.path() / c.name, c.make());
        names.push_back(c.name);
        file_list += " " + c.name;
    }
    struct Level {
        const char* command;  // add with method 5 and this header level
        int level;
    };
    const Level levels[] = {{"a0o5", 0}, {"a1o5", 1}, {"ao5", 2}};
    for (const Level& level : levels) {
        SCOPED_TRACE(std::string("jlha ") + level.command);
        const std::string archive_name = "level" + std::to_string(level.level) + ".lzh";
        ASSERT_EQ(run_in(folder.path(),
                         std::string("jlha ") + level.command + " " + archive_name + file_list),
                  0);
        const Bytes archive = read_file(folder.path() / archive_name);
        std::vector<LhaMember> members;
        std::string error;
        ASSERT_TRUE(lha_parse(archive, &members, &error)) << error;
        ASSERT_EQ(members.size(), names.size());
        for (const LhaMember& m : members) {
            SCOPED_TRACE(m.name);
            EXPECT_EQ(m.level, level.level);
            ASSERT_EQ(m.method, "-lh5-");
            const Bytes original = read_file(folder.path() / m.name);
            ASSERT_EQ(m.original_size, original.size());
            const Bytes stream(archive.begin() + m.data_offset,
                               archive.begin() + m.data_offset + m.packed_size);
            const Decoded d = decode(stream, m.original_size);
            EXPECT_TRUE(d.ok);
            EXPECT_TRUE(d.out == original) << "decoded bytes differ";
            EXPECT_EQ(lha_crc16(d.out.data(), d.out.size()), m.crc);
        }
    }
}

// Streams of the fixture's encoder, wrapped into an archive, are extracted by an independent LHA
// extractor to the original data (it also checks each member's CRC).
TEST(Lh5Independent, AnotherExtractorUnpacksOurStreams) {
    ASSERT_TRUE(have_program("lhasa"))
        << "lhasa not found: install the Debian package lhasa to run this check";
    TempFolder folder("lhasa");
    Bytes archive;
    std::vector<DataCase> cases;
    for (const DataCase& c : data_cases()) {
        if (!c.make().empty()) cases.push_back(c);  // an empty member would not be -lh5-
    }
    for (const DataCase& c : cases) {
        const Bytes data = c.make();
        lha_append_lh5_member(archive, c.name, lh5_encode(data.data(), data.size()), data.data(),
                              data.size());
    }
    lha_finish(archive);
    write_file(folder.path() / "ours.lzh", archive);
    fs::create_directories(folder.path() / "out");
    EXPECT_EQ(run_in(folder.path() / "out", "lhasa xqf ../ours.lzh"), 0)
        << "lhasa reported an error (CRC or data)";
    for (const DataCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(read_file(folder.path() / "out" / c.name) == c.make())
            << "extracted bytes differ";
    }
}

// Every compressed object of the real hypertexts decodes without a data error and to the same
// bytes as the independent extractor produces from the same stream.
TEST(Lh5Independent, CorpusObjectsMatchAnotherExtractor) {
    const std::vector<std::string> files = hyp_files_in(VELLUMAR_CORPUS_DIR);
    if (files.empty()) GTEST_SKIP() << "no HYP files in " << VELLUMAR_CORPUS_DIR;
    ASSERT_TRUE(have_program("lhasa"))
        << "lhasa not found: install the Debian package lhasa to run this check";
    TempFolder folder("corpus");
    Bytes archive;
    Bytes ours;
    size_t objects = 0;
    for (const std::string& file : files) {
        std::vector<CompressedObject> found;
        std::string error;
        ASSERT_TRUE(read_compressed_objects(file, &found, &error)) << error;
        for (const CompressedObject& object : found) {
            SCOPED_TRACE(file + " object " + std::to_string(object.index));
            const Decoded d = decode(object.stream, object.unpacked_size);
            EXPECT_TRUE(d.ok);
            if (object.stream.empty()) {
                // Nothing stored: all zero bits, which decode to zero bytes. An archive member
                // without data is no test of the extractor.
                EXPECT_TRUE(
                    std::all_of(d.out.begin(), d.out.end(), [](uint8_t b) { return b == 0; }));
                continue;
            }
            lha_append_lh5_member(archive, std::to_string(objects++), object.stream, d.out.data(),
                                  d.out.size());
            ours.insert(ours.end(), d.out.begin(), d.out.end());
        }
    }
    lha_finish(archive);
    ASSERT_GT(objects, 1000u);
    write_file(folder.path() / "corpus.lzh", archive);
    const fs::path extracted = folder.path() / "extracted";
    EXPECT_EQ(std::system(("lhasa pq '" + (folder.path() / "corpus.lzh").string() + "' > '" +
                           extracted.string() + "'")
                              .c_str()),
              0)
        << "lhasa reported an error (CRC or data)";
    const Bytes theirs = read_file(extracted);
    ASSERT_EQ(theirs.size(), ours.size());
    EXPECT_TRUE(theirs == ours) << "decoded bytes differ from the other extractor's";
}

}  // namespace
