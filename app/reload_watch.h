// When the open hypertext is read again after it changed on disk: rules fed with observations.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "hyp/failure.h"
#include "hyp/file_identity.h"

// How often the window looks at the file while it is shown, in milliseconds. A change is seen
// at the first look after it and acted on at the next one that finds it settled, so a rebuilt
// file is shown within two looks (under a second).
constexpr int64_t RELOAD_POLL_MS = 400;
// An identity counts as settled once it has been seen unchanged for this long (milliseconds):
// two looks a moment apart found the same size and write time, so no writer is at work.
constexpr int64_t RELOAD_SETTLE_MS = 300;
// A file that is settled but no whole hypertext, or gone, for this long (milliseconds) is
// reported. Shorter gaps are how rebuilding looks: a compiler removes or empties the file and
// writes it anew.
constexpr int64_t RELOAD_GIVE_UP_MS = 5000;

// What the window does after an observation.
enum class ReloadStep {
    Nothing,       // the file is as shown
    Wait,          // changed, but still being written, incomplete or gone: keep the page shown
    Reload,        // changed and whole: read it again (then reloaded() when that succeeded)
    TellDamaged,   // settled but no whole hypertext past the limit: show the message, once
    TellVanished,  // gone past the limit: show the message, once
};

// The messages of the two Tell steps, naming the file.
Failure reload_damaged_failure(const std::string& path);
Failure reload_vanished_failure(const std::string& path);

// The rules for one open file. The caller looks at the file (read_file_identity) on a timer and
// when the window is activated, and passes what it saw with the time it looked; this class has
// no clock of its own.
class ReloadWatch {
   public:
    // Starts over for a file just read, with the identity it had BEFORE it was read: a change
    // made while it was being read then still differs from it and is seen.
    void start(const FileIdentity& shown);

    // One observation at `now_ms` (any monotonic milliseconds). `whole` is asked only when the
    // file changed and settled (it reads the file: probe_hypertext), and, once it said no, not
    // again until the file's identity changes.
    ReloadStep observe(const FileIdentity& now, int64_t now_ms, const std::function<bool()>& whole);

    // After Reload: the file was read again with the identity of that observation, which is
    // now the one shown. A reading that failed (the file changed between the look and the
    // reading) needs no call: the next observation asks again, and a file that stays unreadable
    // is reported like one that is not whole.
    void reloaded(const FileIdentity& identity) { start(identity); }

    const FileIdentity& shown() const { return shown_; }

   private:
    FileIdentity shown_;           // what the document was read from
    FileIdentity candidate_;       // the changed identity seen last; valid with has_candidate_
    int64_t candidate_since_ = 0;  // when candidate_ was first seen, unchanged since
    bool has_candidate_ = false;
    bool candidate_not_whole_ = false;  // candidate_ was read and found no whole hypertext
    // The message of this change was shown. It is shown once until the change ends: the file is
    // read again, or is back as it was shown.
    bool told_ = false;
};
