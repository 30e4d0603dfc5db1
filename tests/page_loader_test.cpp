// Loading single objects: raw, LH5-compressed and scrambled storage, empty objects, objects
// that cannot be read back, corrupt streams, and the file position during an export.
#include "hyp/page_loader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/lh5_encoder.h"
#include "fixture/temp_dir.h"
#include "hyp/lh5.h"

namespace {

using Bytes = std::vector<uint8_t>;
using fixture::HypBuilder;
using fixture::HypLayout;
using fixture::Storage;

// Each test's scratch folder, named after this suite.
class TempDir : public fixture::TempDir {
   public:
    TempDir() : fixture::TempDir("page") {}
};

bool open(HypDocument& doc, const std::string& path) {
    int32_t page = -1;
    return static_cast<bool>(open_hypertext(doc, path, std::nullopt, -1, page));
}

// Text that compresses well and holds every byte value, the key byte and NULs included.
Bytes sample_object(size_t size) {
    Bytes data(size);
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>((i * 7) % 256 ^ (i / 300));
    return data;
}

Bytes with_nul(Bytes data) {
    data.push_back(0);
    return data;
}

TEST(LoadPage, StorageVariants) {
    TempDir dir;
    struct Case {
        const char* name;
        Bytes data;
        Storage storage;
        bool scrambled;
        bool expect_compressed;
    };
    const Bytes page = fixture::text_page({"Hello, world", "Second line", "Second line", ""});
    const std::vector<Case> cases = {
        {"raw", page, Storage::Raw, false, false},
        {"lh5", sample_object(5000), Storage::Lh5, false, true},
        {"raw scrambled", page, Storage::Raw, true, false},
        {"lh5 scrambled", sample_object(5000), Storage::Lh5, true, true},
        {"empty raw", {}, Storage::Raw, false, false},
        {"empty scrambled", {}, Storage::Raw, true, false},
        {"large image (size difference above 16 bits)", Bytes(200000, 0x55), Storage::Lh5, false,
         true},
    };
    for (const Case& c : cases) {
        HypBuilder b;
        b.scrambled(c.scrambled);
        b.node("Before", fixture::text_page({"x"}));
        if (c.data.size() > 100000) {
            b.image(c.data, std::nullopt, c.storage);
        } else {
            b.node("Target", c.data, c.storage);
        }
        b.node("After", fixture::text_page({"y"}));
        HypLayout layout;
        HypDocument doc;
        ASSERT_TRUE(open(doc, dir.write("s.hyp", b.build(&layout)))) << c.name;
        ASSERT_EQ(layout.compressed[1], c.expect_compressed) << c.name;
        EXPECT_EQ(doc.pages_scrambled, c.scrambled) << c.name;
        EXPECT_EQ(load_page_checked(doc, 1), PageLoadResult::Complete) << c.name;
        EXPECT_EQ(doc.index[1].page_data, with_nul(c.data)) << c.name;
        EXPECT_EQ(load_page_checked(doc, 1), PageLoadResult::Complete) << c.name << ": again";
        EXPECT_EQ(page_length(doc.index[1]), c.data.size()) << c.name;
        EXPECT_TRUE(doc.index[0].page_data.empty()) << c.name << ": only the entry asked for";
    }
}

// Scrambling XORs every byte of the object with one key, and never the appended NUL.
TEST(LoadPage, ScramblingKeyAppliesToEveryByte) {
    TempDir dir;
    const Bytes stored = {0x00, 0x7F, 0x80, 0xFF, 'A', 0x00};
    HypBuilder b;
    b.ext_word(fixture::ext::kFlags, 2);
    b.node("Main", stored, Storage::Raw);  // stored as given: the reader unscrambles it
    HypDocument doc;
    ASSERT_TRUE(open(doc, dir.write("k.hyp", b.build())));
    load_page(doc, 0);
    Bytes expected;
    for (uint8_t byte : stored) expected.push_back(byte ^ 0x7F);
    expected.push_back(0);
    EXPECT_EQ(doc.index[0].page_data, expected);
}

TEST(LoadPage, SecondLoadReadsNothing) {
    TempDir dir;
    HypBuilder b;
    b.node("Main", fixture::text_page({"first version"}), Storage::Raw);
    HypLayout layout;
    const std::string path = dir.write("t.hyp", b.build(&layout));
    HypDocument doc;
    ASSERT_TRUE(open(doc, path));
    load_page(doc, 0);
    const Bytes first = doc.index[0].page_data;
    // Same length, other content: a reread would show it.
    Bytes changed = fixture::read_file(path);
    changed[layout.object_offset[0]] = 'F';
    fixture::write_file(path, changed);
    load_page(doc, 0);
    EXPECT_EQ(doc.index[0].page_data, first);
    doc.index[0].page_data.clear();
    load_page(doc, 0);
    EXPECT_EQ(doc.index[0].page_data[0], 'F') << "a dropped page is read again";
}

TEST(LoadPage, KeepsTheExportFilePosition) {
    TempDir dir;
    HypBuilder b;
    b.node("Main", sample_object(3000));
    b.node("Other", fixture::text_page({"x"}), Storage::Raw);
    HypDocument doc;
    ASSERT_TRUE(open(doc, dir.write("p.hyp", b.build())));
    ASSERT_TRUE(reopen_for_export(doc, ExportMode::Text));
    ASSERT_NE(doc.file, nullptr);
    ASSERT_EQ(std::fseek(doc.file, 123, SEEK_SET), 0);
    load_page(doc, 0);
    load_page(doc, 1);
    EXPECT_EQ(std::ftell(doc.file), 123);
    EXPECT_EQ(doc.index[0].page_data, with_nul(sample_object(3000)));
    close_hypertext_file(doc);
}

// Through the export's open file objects come from read-ahead windows; in every order the walks
// use (index order, the symbol scan's reverse order, jumps) and across window edges (objects
// larger than a window among them) each must equal the object read on its own.
TEST(LoadPage, ReadAheadGivesTheSameObjectsInEveryOrder) {
    TempDir dir;
    HypBuilder b;
    std::vector<Bytes> objects;
    for (size_t i = 0; i < 40; ++i) {
        // Sizes around and above the window, stored raw and compressed.
        const size_t size = i == 17 ? READ_AHEAD_SIZE + 5000 : 700 + (i * 2711) % 9000;
        objects.push_back(sample_object(size));
        for (size_t k = 0; k < objects.back().size(); k += 97) objects.back()[k] ^= uint8_t(i);
        b.node("N" + std::to_string(i), objects.back(), i % 3 == 0 ? Storage::Raw : Storage::Lh5);
    }
    const std::string path = dir.write("r.hyp", b.build());
    std::vector<unsigned> forward(objects.size()), backward, jumps;
    for (unsigned i = 0; i < forward.size(); ++i) forward[i] = i;
    backward.assign(forward.rbegin(), forward.rend());
    for (unsigned i = 0; i < forward.size(); ++i) jumps.push_back((i * 17) % forward.size());
    const struct {
        const char* name;
        const std::vector<unsigned>& order;
    } cases[] = {{"index order", forward}, {"reverse order", backward}, {"jumps", jumps}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HypDocument doc;
        ASSERT_TRUE(open(doc, path));
        ASSERT_TRUE(reopen_for_export(doc, ExportMode::Text));
        for (unsigned i : c.order) {
            doc.index[i].page_data.clear();
            EXPECT_EQ(load_page_checked(doc, i), PageLoadResult::Complete) << i;
            EXPECT_EQ(doc.index[i].page_data, with_nul(objects[i])) << i;
            EXPECT_LE(doc.read_ahead.bytes.size(), READ_AHEAD_SIZE);
        }
        close_hypertext_file(doc);
        EXPECT_TRUE(doc.read_ahead.bytes.empty());
    }
}

// Objects that cannot be produced become one NUL byte: callers always get page_data.
TEST(LoadPage, ObjectsThatCannotBeReadBack) {
    TempDir dir;
    HypBuilder b;
    b.node("Main", sample_object(2000));
    b.node("Raw", Bytes(300, 'r'), Storage::Raw);
    HypLayout layout;
    const Bytes file = b.build(&layout);
    struct Case {
        const char* name;
        std::function<void(const std::string& path)> damage;  // after opening
        unsigned entry;
    };
    const std::vector<Case> cases = {
        {"file removed", [](const std::string& p) { std::remove(p.c_str()); }, 0},
        {"file cut inside the object",
         [&](const std::string& p) {
             fixture::write_file(p, fixture::truncated(file, layout.object_offset[1] + 10));
         },
         1},
    };
    for (const Case& c : cases) {
        const std::string path = dir.write("gone.hyp", file);
        HypDocument doc;
        ASSERT_TRUE(open(doc, path)) << c.name;
        c.damage(path);
        EXPECT_EQ(load_page_checked(doc, c.entry), PageLoadResult::Unreadable) << c.name;
        EXPECT_EQ(doc.index[c.entry].page_data, Bytes{0}) << c.name;
        EXPECT_EQ(page_length(doc.index[c.entry]), 0u) << c.name;
    }
}

TEST(LoadPage, ImplausibleUnpackedSizes) {
    TempDir dir;
    struct Case {
        const char* name;
        uint16_t next;       // high half of an image's size difference
        uint16_t comp_diff;  // low half
        size_t stored;
        bool plausible;
    };
    const std::vector<Case> cases = {
        {"4 GB from 10 bytes", 0xFFFF, 0xFFFF, 10, false},
        {"17 MB from 1 MB", 0x0110, 0, 1 << 20, false},
        {"64 KiB from nothing", 0, 0xFFFF, 0, true},
        {"ratio 4096 plus slack", 0x0001, 0xFFF0, 16, true},
        {"ratio above 4096 plus slack", 0x0001, 0xFFF0, 15, false},
    };
    for (const Case& c : cases) {
        HypBuilder b;
        b.node("Main", fixture::text_page({"x"}));
        fixture::HypEntry image;
        image.type = fixture::type::kImage;
        image.data = Bytes(c.stored, 0);
        image.storage = Storage::Raw;
        image.next_field = c.next;
        image.comp_diff_field = c.comp_diff;
        b.add(image);
        HypDocument doc;
        ASSERT_TRUE(open(doc, dir.write("big.hyp", b.build()))) << c.name;
        EXPECT_EQ(plausible_unpacked_size(doc.index[1]), c.plausible) << c.name;
        load_page(doc, 1);
        if (c.plausible) {
            EXPECT_EQ(page_length(doc.index[1]), unpacked_size(doc.index[1])) << c.name;
        } else {
            EXPECT_EQ(doc.index[1].page_data, Bytes{0}) << c.name;
        }
    }
}

// A corrupt stream leaves zeros from the error on, also in a scrambled file, where the zeros
// must not turn into key bytes.
TEST(LoadPage, CorruptStreamEndsCleanly) {
    TempDir dir;
    const Bytes data = sample_object(4000);
    for (bool scrambled : {false, true}) {
        HypBuilder b;
        b.scrambled(scrambled);
        b.node("Main", data);
        HypLayout layout;
        Bytes file = b.build(&layout);
        ASSERT_TRUE(layout.compressed[0]);
        // Wreck the stream after its first block header.
        const size_t start = layout.object_offset[0] + 40;
        for (size_t i = start; i < start + 60; ++i) file[i] = 0xFF;
        const Bytes stream(file.begin() + layout.object_offset[0],
                           file.begin() + layout.object_offset[0] + layout.object_size[0]);
        Bytes direct(data.size());
        ASSERT_FALSE(lh5_decode(stream.data(), stream.size(), direct.data(), direct.size()))
            << "the damaged stream must be a data error for this test";
        size_t good = direct.size();
        while (good > 0 && direct[good - 1] == 0) --good;

        HypDocument doc;
        ASSERT_TRUE(open(doc, dir.write("c.hyp", file)));
        EXPECT_EQ(load_page_checked(doc, 0), PageLoadResult::Corrupt);
        const Bytes& page = doc.index[0].page_data;
        ASSERT_EQ(page.size(), data.size() + 1) << scrambled;
        for (size_t i = 0; i < page.size(); ++i) {
            const uint8_t expected = i < good ? (scrambled ? direct[i] ^ 0x7F : direct[i]) : 0;
            ASSERT_EQ(page[i], expected) << "scrambled " << scrambled << " byte " << i;
        }
    }
}

TEST(LoadPage, OutOfRangeIndexDoesNothing) {
    TempDir dir;
    HypBuilder b;
    b.node("Main", fixture::text_page({"x"}));
    HypDocument doc;
    ASSERT_TRUE(open(doc, dir.write("r.hyp", b.build())));
    load_page(doc, 1);
    EXPECT_EQ(load_page_checked(doc, 65535), PageLoadResult::Unreadable);
    EXPECT_TRUE(doc.index[0].page_data.empty());
}

}  // namespace
