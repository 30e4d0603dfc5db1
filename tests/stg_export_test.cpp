// The ST-Guide source form: quoting, and the pages, links, symbols and graphics of synthetic
// hypertexts written in Stg mode.
#include <gtest/gtest.h>

#include <string>

#include "export/stg_quote.h"

namespace {

TEST(StgQuote, QuotesOnlyNamesWithBlanksOrQuotes) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"Main", "Main"},
        {"", ""},
        {"a\\b", "a\\b"},  // a backslash alone needs no quotes
        {"Zwei Worte", "\"Zwei Worte\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"\"", "\"\\\"\""},
        {"C:\\dir name", "\"C:\\\\dir name\""},
        {" ", "\" \""},
        {"@node x", "\"@node x\""},
    };
    for (const Case& c : cases) EXPECT_EQ(stg_quote(c.text), c.expected) << c.text;
    // Nothing is cut: 300 blanks give 302 characters.
    EXPECT_EQ(stg_quote(std::string(300, ' ')).size(), 302u);
}

}  // namespace
