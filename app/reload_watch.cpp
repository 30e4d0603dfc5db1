// The rules for reading the open hypertext again after it changed on disk.
#include "app/reload_watch.h"

namespace {

const char* const MSG_RELOAD_DAMAGED =
    "Die HYP-Datei wurde verändert und ist beschädigt:\n\n%s\n\nAngezeigt wird weiter der "
    "bisherige Stand.";
const char* const MSG_RELOAD_VANISHED =
    "Die HYP-Datei ist nicht mehr vorhanden:\n\n%s\n\nAngezeigt wird weiter der bisherige Stand.";

}  // namespace

Failure reload_damaged_failure(const std::string& path) {
    return make_failure(MSG_RELOAD_DAMAGED, path);
}

Failure reload_vanished_failure(const std::string& path) {
    return make_failure(MSG_RELOAD_VANISHED, path);
}

void ReloadWatch::start(const FileIdentity& shown) {
    shown_ = shown;
    candidate_ = FileIdentity{};
    candidate_since_ = 0;
    has_candidate_ = false;
    candidate_not_whole_ = false;
    told_ = false;
}

ReloadStep ReloadWatch::observe(const FileIdentity& now, int64_t now_ms,
                                const std::function<bool()>& whole) {
    if (now == shown_) {
        // Back as it was read (or never changed): whatever was pending is over.
        start(shown_);
        return ReloadStep::Nothing;
    }
    if (!has_candidate_ || now != candidate_) {
        // A new state of the file: a writer may be at work, so it has to settle first.
        candidate_ = now;
        candidate_since_ = now_ms;
        has_candidate_ = true;
        candidate_not_whole_ = false;
        return ReloadStep::Wait;
    }
    const int64_t unchanged_for = now_ms - candidate_since_;
    if (!now.exists) {
        if (unchanged_for < RELOAD_GIVE_UP_MS || told_) return ReloadStep::Wait;
        told_ = true;
        return ReloadStep::TellVanished;
    }
    if (unchanged_for < RELOAD_SETTLE_MS) return ReloadStep::Wait;
    // Bytes that were no whole hypertext do not become one without a new size or write time.
    if (!candidate_not_whole_) {
        if (whole()) return ReloadStep::Reload;
        candidate_not_whole_ = true;
    }
    if (unchanged_for < RELOAD_GIVE_UP_MS || told_) return ReloadStep::Wait;
    told_ = true;
    return ReloadStep::TellDamaged;
}
