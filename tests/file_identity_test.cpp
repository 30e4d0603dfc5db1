// A file's identity from its directory entry, and whether a file is a whole hypertext: written,
// cut at every length, damaged, gone; real hypertexts whole and cut short.
#include "hyp/file_identity.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "fixture/hyp_builder.h"
#include "fixture/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using fixture::text_page;

// Three pages, the last one compressed, and a popup between them.
Bytes three_pages(fixture::HypLayout* layout = nullptr) {
    fixture::HypBuilder b;
    b.ext_text(fixture::ext::kDatabase, "Watch");
    b.node("Main", text_page({"first page", "with two lines"}));
    b.popup("Pop", text_page({"popup"}));
    std::vector<std::string> long_text;
    for (int i = 0; i < 60; ++i) long_text.push_back("the last page, line " + std::to_string(i));
    b.node("Last", text_page(long_text));
    Bytes file = b.build(layout);
    EXPECT_FALSE(file.empty()) << b.error();
    return file;
}

// Sets the file's modification time to `seconds` + `nanoseconds` since 1970.
void set_write_time(const std::string& path, time_t seconds, long nanoseconds) {
    const struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

TEST(FileIdentity, SizeAndWriteTimeFromTheDirectoryEntry) {
    fixture::TempDir dir("identity");
    const std::string file = dir.write("a.hyp", Bytes(1234, 'x'));
    set_write_time(file, 1700000000, 250000000);
    fs::create_directory(dir.file("folder.hyp"));

    struct Case {
        const char* name;
        std::string path;
        FileIdentity expected;
    };
    const Case cases[] = {
        {"a file", file, {true, 1234, 1700000000LL * 1000000000LL + 250000000LL}},
        {"no such file", dir.file("missing.hyp"), {false, 0, 0}},
        {"a folder is no file", dir.file("folder.hyp"), {false, 0, 0}},
    };
    for (const Case& c : cases) {
        const FileIdentity got = read_file_identity(c.path);
        EXPECT_EQ(std::make_tuple(got.exists, got.size, got.write_time),
                  std::make_tuple(c.expected.exists, c.expected.size, c.expected.write_time))
            << c.name;
    }
}

TEST(FileIdentity, EachKindOfChangeMakesAnotherIdentity) {
    fixture::TempDir dir("identity-change");
    const std::string file = dir.write("a.hyp", Bytes(100, 'x'));
    set_write_time(file, 1600000000, 0);
    const FileIdentity original = read_file_identity(file);

    struct Case {
        const char* name;
        Bytes bytes;
        time_t seconds;
        long nanoseconds;
        bool same;
    };
    const Case cases[] = {
        {"rewritten alike, same time", Bytes(100, 'y'), 1600000000, 0, true},
        {"same size, a second later", Bytes(100, 'x'), 1600000001, 0, false},
        {"same size, a millisecond later", Bytes(100, 'x'), 1600000000, 1000000, false},
        {"longer, same time", Bytes(101, 'x'), 1600000000, 0, false},
        {"emptied, same time", Bytes(), 1600000000, 0, false},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(fixture::write_file(file, c.bytes)) << c.name;
        set_write_time(file, c.seconds, c.nanoseconds);
        EXPECT_EQ(read_file_identity(file) == original, c.same) << c.name;
    }
    fs::remove(file);
    EXPECT_NE(read_file_identity(file), original) << "removed";
}

TEST(ProbeHypertext, WholeDamagedCutAtEveryLengthAndMissingFiles) {
    fixture::TempDir dir("probe");
    fixture::HypLayout layout;
    const Bytes whole = three_pages(&layout);
    ASSERT_TRUE(layout.compressed[2]) << "the last page must be stored compressed";

    Bytes bad_magic = whole;
    fixture::put_u8(bad_magic, fixture::hdr::kMagic, 'h');
    Bytes middle_past_end = whole;  // the popup's object said to start beyond the file
    fixture::put_be32(middle_past_end, layout.record_field(1, fixture::rec::kSeekOffset),
                      static_cast<uint32_t>(whole.size() + 10));
    Bytes raw_last_cut;  // a raw last object cut short cannot be told from a shorter one
    {
        fixture::HypBuilder b;
        b.node("Main", text_page({"one"}));
        b.node("Raw", text_page({"stored as is"}), fixture::Storage::Raw);
        raw_last_cut = fixture::truncated(b.build(), b.build().size() - 3);
    }

    constexpr HypertextState WHOLE = HypertextState::Complete, CUT = HypertextState::Incomplete;
    struct Case {
        const char* name;
        Bytes bytes;
        HypertextState expected;
    };
    const Case cases[] = {
        {"whole", whole, WHOLE},
        {"empty", Bytes(), CUT},
        {"the header alone", fixture::truncated(whole, fixture::hdr::kSize), CUT},
        {"cut inside the index", fixture::truncated(whole, layout.record_offset[1] + 3), CUT},
        {"cut inside the extended headers", fixture::truncated(whole, layout.ext_offset[0] + 5),
         CUT},
        {"cut inside the first object", fixture::truncated(whole, layout.object_offset[0] + 1),
         CUT},
        {"cut inside the last object",
         fixture::truncated(whole, layout.object_offset[2] + layout.object_size[2] / 2), CUT},
        {"not a hypertext", bad_magic, CUT},
        {"an object starting past the end", middle_past_end, CUT},
        {"a raw last object cut short", raw_last_cut, WHOLE},
    };
    for (const Case& c : cases) {
        const std::string path = dir.write("case.hyp", c.bytes);
        EXPECT_EQ(probe_hypertext(path), c.expected) << c.name;
    }
    EXPECT_EQ(probe_hypertext(dir.file("missing.hyp")), HypertextState::Missing) << "missing";

    // A file being written shows every length from empty to whole; none may pass as whole that
    // lost more than the last byte or two of its last object. (The unpacked size is the stored
    // size plus a stated difference, so a stream one byte shorter is asked for one byte less,
    // and the last bits of a stream may not be needed for that.)
    for (size_t size = 0; size + 2 < whole.size(); ++size) {
        const std::string path = dir.write("growing.hyp", fixture::truncated(whole, size));
        EXPECT_NE(probe_hypertext(path), WHOLE) << "cut to " << size << " of " << whole.size();
    }
}

const std::string CORPUS = VELLUMAR_CORPUS_DIR;

// Real files are whole as they are, and cut by a few bytes they are not (when their last
// object is compressed, which is the case for every file of the corpus whose last object is a
// page or picture: the compiler compresses what gets shorter by it).
TEST(ProbeHypertext, RealFilesWholeAndCutShort) {
    if (!fs::is_directory(CORPUS)) GTEST_SKIP() << "no corpus at " << CORPUS;
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(CORPUS)) {
        if (e.path().extension() == ".hyp") files.push_back(e.path().string());
    }
    ASSERT_FALSE(files.empty());
    fixture::TempDir dir("probe-corpus");
    for (const std::string& file : files) {
        EXPECT_EQ(probe_hypertext(file), HypertextState::Complete) << file;
        const Bytes bytes = fixture::read_file(file);
        for (size_t cut : {1, 2, 7, 64}) {
            const std::string copy =
                dir.write("cut.hyp", fixture::truncated(bytes, bytes.size() - cut));
            EXPECT_NE(probe_hypertext(copy), HypertextState::Complete)
                << file << " cut by " << cut << " bytes passes as whole";
        }
    }
}

}  // namespace
