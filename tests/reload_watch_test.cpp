// The rules for reading a changed hypertext again: sequences of looks at the file, each with
// the step it must give, and the messages.
#include "app/reload_watch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The states a watched file passes through, by letter, and whether reading it finds it whole.
struct FileState {
    char letter;
    FileIdentity identity;
    bool whole;
};
const FileState STATES[] = {
    {'A', {true, 4000, 1000}, true},   // as it was read
    {'B', {true, 4400, 2000}, true},   // rebuilt, longer
    {'g', {true, 2000, 2000}, false},  // rebuilt, half written
    {'t', {true, 1500, 3000}, false},  // a truncated copy
    {'x', {false, 0, 0}, false},       // deleted
};
const FileState& file_as(char letter) {
    for (const FileState& s : STATES) {
        if (s.letter == letter) return s;
    }
    ADD_FAILURE() << "no file state " << letter;
    return STATES[0];
}

constexpr ReloadStep NOTHING = ReloadStep::Nothing, WAIT = ReloadStep::Wait,
                     RELOAD = ReloadStep::Reload, DAMAGED = ReloadStep::TellDamaged,
                     VANISHED = ReloadStep::TellVanished;
// In the order of ReloadStep, for failure messages.
const char* const STEP_NAMES[] = {"Nothing", "Wait", "Reload", "TellDamaged", "TellVanished"};

TEST(ReloadWatch, SequencesOfLooks) {
    struct Look {
        char state;
        int64_t at_ms;
        ReloadStep expected;
        bool then_reloaded = false;  // the window read the file again after this look
    };
    struct Case {
        const char* name;
        std::vector<Look> looks;
        int reads;  // how often the file must have been read through
    };
    // clang-format off
    const Case cases[] = {
        {"unchanged", {{'A', 0, NOTHING}, {'A', 400, NOTHING}}, 0},
        {"rebuilt: seen, settled, read; then as shown",
         {{'B', 0, WAIT}, {'B', 400, RELOAD, true}, {'B', 800, NOTHING}}, 1},
        {"two looks a moment apart are not yet settled",
         {{'B', 0, WAIT}, {'B', 10, WAIT}, {'B', 299, WAIT}, {'B', 300, RELOAD}}, 1},
        {"still being written: each new size starts over",
         {{'g', 0, WAIT}, {'B', 400, WAIT}, {'B', 800, RELOAD}}, 1},
        {"a settled incomplete file is read once, then waited for until it changes",
         {{'t', 0, WAIT}, {'t', 400, WAIT}, {'t', 800, WAIT}, {'t', 1200, WAIT}, {'B', 1600, WAIT},
          {'B', 2000, RELOAD}}, 2},
        {"truncated past the limit: told once, then the whole file is read",
         {{'t', 0, WAIT}, {'t', 400, WAIT}, {'t', 4999, WAIT}, {'t', 5000, DAMAGED},
          {'t', 5400, WAIT}, {'t', 20000, WAIT}, {'B', 20400, WAIT}, {'B', 20800, RELOAD, true},
          {'B', 21200, NOTHING}}, 2},
        {"gone for a moment while rebuilt: no message",
         {{'x', 0, WAIT}, {'x', 400, WAIT}, {'x', 4000, WAIT}, {'B', 4400, WAIT},
          {'B', 4800, RELOAD}}, 1},
        {"gone past the limit: told once; back whole later: read",
         {{'x', 0, WAIT}, {'x', 5000, VANISHED}, {'x', 9000, WAIT}, {'x', 60000, WAIT},
          {'B', 60400, WAIT}, {'B', 60800, RELOAD}}, 1},
        {"gone, then back incomplete: still the one message",
         {{'x', 0, WAIT}, {'x', 5000, VANISHED}, {'t', 5400, WAIT}, {'t', 5800, WAIT},
          {'t', 11000, WAIT}}, 1},
        {"back as it was read ends the trouble; new trouble is told again",
         {{'t', 0, WAIT}, {'t', 5000, DAMAGED}, {'A', 5400, NOTHING}, {'t', 5800, WAIT},
          {'t', 10800, DAMAGED}}, 2},
        {"a reading that failed is tried again",
         {{'B', 0, WAIT}, {'B', 400, RELOAD}, {'B', 800, RELOAD}}, 2},
        {"after a reload the new file is the one watched",
         {{'B', 0, WAIT}, {'B', 400, RELOAD, true}, {'A', 800, WAIT}, {'A', 1200, RELOAD}}, 2},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReloadWatch watch;
        watch.start(file_as('A').identity);
        int reads = 0;
        for (const Look& look : c.looks) {
            const FileState& seen = file_as(look.state);
            const ReloadStep step = watch.observe(seen.identity, look.at_ms, [&] {
                ++reads;
                return seen.whole;
            });
            EXPECT_EQ(step, look.expected)
                << "look at " << look.at_ms << " ms: " << STEP_NAMES[static_cast<int>(step)]
                << " instead of " << STEP_NAMES[static_cast<int>(look.expected)];
            if (look.then_reloaded) watch.reloaded(seen.identity);
        }
        EXPECT_EQ(reads, c.reads) << "reads of the file";
    }
}

TEST(ReloadWatch, MessagesNameTheFileAndSayWhatIsShown) {
    const std::string path = "C:\\HYP\\DOC.HYP",
                      shown = "\n\nAngezeigt wird weiter der bisherige Stand.";
    EXPECT_EQ(reload_damaged_failure(path).message,
              "Die HYP-Datei wurde verändert und ist beschädigt:\n\n" + path + shown);
    EXPECT_EQ(reload_vanished_failure(path).message,
              "Die HYP-Datei ist nicht mehr vorhanden:\n\n" + path + shown);
}

}  // namespace
