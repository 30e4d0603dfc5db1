// One failure the user must hear about, and what an operation that can fail returns.
#pragma once

#include <string>
#include <utility>

// Why an operation failed: the German message the user reads and the system's error number.
struct Failure {
    // In the Windows character set; a blank line may separate it from the file it concerns
    // ("HYP-Datei konnte nicht geöffnet werden:\n\nNAME").
    std::string message;
    int error_number = 0;  // errno behind the failure; 0 when none applies
};

// Nothing on success, else the Failure. Converts to true when the operation succeeded, so a
// caller reads `if (!open(...))`; the failure is handed on, shown or printed, never dropped.
class [[nodiscard]] Outcome {
   public:
    Outcome() = default;
    Outcome(Failure failure) : failure_(std::move(failure)), failed_(true) {}  // NOLINT: implicit
    explicit operator bool() const { return !failed_; }
    // Valid only when the operation failed.
    const Failure& failure() const { return failure_; }

   private:
    Failure failure_;
    bool failed_ = false;
};

// A failure whose message is `format` with its one "%s" replaced by `argument` (e.g. a path).
Failure make_failure(const char* format, const std::string& argument, int error_number = 0);

// The failure as one line, as command-line tools print it: every run of line breaks folded to
// ": " (to " " after a colon or a sentence's end) and the system's reason appended in parentheses
// when there is one: "HYP-Datei konnte nicht geöffnet werden: a.hyp (No such file or directory)".
std::string failure_line(const Failure& failure);
