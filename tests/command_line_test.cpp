// Splitting the command line and reading the viewer's arguments from it.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, Cases) {
    struct Case {
        const char* name;
        std::string line;
        Args expected;  // without argument 0
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"only blanks", "    ", {}},
        {"one word", "a.hyp", {"a.hyp"}},
        {"leading and trailing blanks", "   a.hyp   Main  ", {"a.hyp", "Main"}},
        {"runs of blanks are one separator", "a    b", {"a", "b"}},
        {"tabs are ordinary", "a\tb c", {"a\tb", "c"}},
        {"quoted path with blank", "\"C:\\My Files\\a.hyp\" Main", {"C:\\My Files\\a.hyp", "Main"}},
        {"quotes split inside a word", "x\"y z\"w", {"x", "y z", "w"}},
        {"lone quote is a character", "a\"b c", {"a\"b", "c"}},
        {"two pairs", "\"a b\" \"c d\"", {"a b", "c d"}},
        {"pair then lone quote", "\"a b\" c\"d", {"a b", "c\"d"}},
        {"empty quotes give nothing", "a \"\" b", {"a", "b"}},
        {"quoted blanks only", "\"   \"", {"   "}},
        {"runs of blanks inside quotes kept", "\"a  b\"", {"a  b"}},
        {"option word stays an argument", "-x a.hyp", {"-x", "a.hyp"}},
    };
    for (const Case& c : cases) {
        Args expected = c.expected;
        expected.insert(expected.begin(), "C:\\vellumar.exe");
        EXPECT_EQ(split_command_line(c.line, "C:\\vellumar.exe"), expected) << c.name;
    }
}

TEST(SplitCommandLine, ModulePathIsCutTo511Characters) {
    const std::string long_path(600, 'p');
    const Args args = split_command_line("", long_path);
    ASSERT_EQ(args.size(), 1u);
    EXPECT_EQ(args[0], std::string(511, 'p'));
}

TEST(StartArguments, Cases) {
    struct Case {
        const char* name;
        std::string line;
        const char* path;  // nullptr = none
        const char* node;
    };
    const Case cases[] = {
        {"nothing", "", nullptr, nullptr},
        {"blanks", "   ", nullptr, nullptr},
        {"path", "a.hyp", "a.hyp", nullptr},
        {"path and node", "\"C:\\My Files\\a.hyp\" Main", "C:\\My Files\\a.hyp", "Main"},
        {"further words ignored", "a.hyp Main extra", "a.hyp", "Main"},
        {"option skipped", "-x a.hyp", "a.hyp", nullptr},
        {"lone dash skipped", "- a.hyp", "a.hyp", nullptr},
        {"double dash skipped", "--x a.hyp N", "a.hyp", "N"},
        {"only one option skipped", "-x -y a.hyp", "-y", "a.hyp"},
        {"option alone", "-x", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const StartArguments a = start_arguments(split_command_line(c.line, "m"));
        EXPECT_EQ(a.path.has_value(), c.path != nullptr) << c.name;
        if (a.path && c.path) {
            EXPECT_EQ(*a.path, c.path) << c.name;
        }
        EXPECT_EQ(a.node_name.has_value(), c.node != nullptr) << c.name;
        if (a.node_name && c.node) {
            EXPECT_EQ(*a.node_name, c.node) << c.name;
        }
    }
}

}  // namespace
