// The rules for reading a changed hypertext again: sequences of looks at the file, each with
// the step it must give, and the messages.
#include "app/reload_watch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The states a watched file passes through, by letter.
FileIdentity file_as(char state) {
    switch (state) {
        case 'A':
            return {true, 4000, 1000};  // as it was read
        case 'B':
            return {true, 4400, 2000};  // rebuilt, longer
        case 'g':
            return {true, 2000, 2000};  // rebuilt, half written
        case 't':
            return {true, 1500, 3000};  // a truncated copy
        case 'x':
            return {false, 0, 0};  // deleted
        default:
            return {true, 1, 1};
    }
}

struct Look {
    char state;
    int64_t at_ms;
    bool whole;  // what reading the file would find
    ReloadStep expected;
    bool then_reloaded = false;  // the window read the file again after this look
};

struct Case {
    const char* name;
    std::vector<Look> looks;
    int reads;  // how often the file must have been read through (at most)
};

constexpr ReloadStep NOTHING = ReloadStep::Nothing;
constexpr ReloadStep WAIT = ReloadStep::Wait;
constexpr ReloadStep RELOAD = ReloadStep::Reload;
constexpr ReloadStep DAMAGED = ReloadStep::TellDamaged;
constexpr ReloadStep VANISHED = ReloadStep::TellVanished;

const char* step_name(ReloadStep step) {
    switch (step) {
        case NOTHING:
            return "Nothing";
        case WAIT:
            return "Wait";
        case RELOAD:
            return "Reload";
        case DAMAGED:
            return "TellDamaged";
        case VANISHED:
            return "TellVanished";
    }
    return "?";
}

TEST(ReloadWatch, SequencesOfLooks) {
    const Case cases[] = {
        {"unchanged", {{'A', 0, true, NOTHING}, {'A', 400, true, NOTHING}}, 0},
        {"rebuilt: seen, settled, read; then as shown",
         {{'B', 0, true, WAIT}, {'B', 400, true, RELOAD, true}, {'B', 800, true, NOTHING}},
         1},
        {"two looks a moment apart are not yet settled",
         {{'B', 0, true, WAIT},
          {'B', 10, true, WAIT},
          {'B', 299, true, WAIT},
          {'B', 300, true, RELOAD}},
         1},
        {"still being written: each new size starts over",
         {{'g', 0, false, WAIT}, {'B', 400, true, WAIT}, {'B', 800, true, RELOAD}},
         1},
        {"a settled incomplete file is read once, then waited for until it changes",
         {{'t', 0, false, WAIT},
          {'t', 400, false, WAIT},
          {'t', 800, false, WAIT},
          {'t', 1200, false, WAIT},
          {'B', 1600, true, WAIT},
          {'B', 2000, true, RELOAD}},
         2},
        {"truncated past the limit: told once, then the whole file is read",
         {{'t', 0, false, WAIT},
          {'t', 400, false, WAIT},
          {'t', 4999, false, WAIT},
          {'t', 5000, false, DAMAGED},
          {'t', 5400, false, WAIT},
          {'t', 20000, false, WAIT},
          {'B', 20400, true, WAIT},
          {'B', 20800, true, RELOAD, true},
          {'B', 21200, true, NOTHING}},
         2},
        {"gone for a moment while rebuilt: no message",
         {{'x', 0, false, WAIT},
          {'x', 400, false, WAIT},
          {'x', 4000, false, WAIT},
          {'B', 4400, true, WAIT},
          {'B', 4800, true, RELOAD}},
         1},
        {"gone past the limit: told once; back whole later: read",
         {{'x', 0, false, WAIT},
          {'x', 5000, false, VANISHED},
          {'x', 9000, false, WAIT},
          {'x', 60000, false, WAIT},
          {'B', 60400, true, WAIT},
          {'B', 60800, true, RELOAD}},
         1},
        {"gone, then back incomplete: still the one message",
         {{'x', 0, false, WAIT},
          {'x', 5000, false, VANISHED},
          {'t', 5400, false, WAIT},
          {'t', 5800, false, WAIT},
          {'t', 11000, false, WAIT}},
         1},
        {"back as it was read ends the trouble; new trouble is told again",
         {{'t', 0, false, WAIT},
          {'t', 5000, false, DAMAGED},
          {'A', 5400, true, NOTHING},
          {'t', 5800, false, WAIT},
          {'t', 10800, false, DAMAGED}},
         2},
        {"a reading that failed is tried again",
         {{'B', 0, true, WAIT}, {'B', 400, true, RELOAD}, {'B', 800, true, RELOAD}},
         2},
        {"after a reload the new file is the one watched",
         {{'B', 0, true, WAIT},
          {'B', 400, true, RELOAD, true},
          {'A', 800, true, WAIT},
          {'A', 1200, true, RELOAD}},
         2},
    };
    for (const Case& c : cases) {
        ReloadWatch watch;
        watch.start(file_as('A'));
        int reads = 0;
        for (std::size_t i = 0; i < c.looks.size(); ++i) {
            const Look& look = c.looks[i];
            const FileIdentity seen = file_as(look.state);
            const ReloadStep step = watch.observe(seen, look.at_ms, [&] {
                ++reads;
                return look.whole;
            });
            EXPECT_EQ(step, look.expected)
                << c.name << ", look " << i + 1 << " at " << look.at_ms
                << " ms: " << step_name(step) << " instead of " << step_name(look.expected);
            if (look.then_reloaded) watch.reloaded(seen);
        }
        EXPECT_EQ(reads, c.reads) << c.name << ": reads of the file";
    }
}

TEST(ReloadWatch, MessagesNameTheFileAndSayWhatIsShown) {
    struct Case {
        const char* name;
        Failure failure;
        std::string expected;
    };
    const Case cases[] = {
        {"damaged", reload_damaged_failure("C:\\HYP\\DOC.HYP"),
         "Die HYP-Datei wurde verändert und ist beschädigt:\n\nC:\\HYP\\DOC.HYP\n\n"
         "Angezeigt wird weiter der bisherige Stand."},
        {"vanished", reload_vanished_failure("C:\\HYP\\DOC.HYP"),
         "Die HYP-Datei ist nicht mehr vorhanden:\n\nC:\\HYP\\DOC.HYP\n\n"
         "Angezeigt wird weiter der bisherige Stand."},
    };
    for (const Case& c : cases) EXPECT_EQ(c.failure.message, c.expected) << c.name;
}

}  // namespace
