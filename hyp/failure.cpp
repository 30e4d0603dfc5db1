// One failure the user must hear about: building it and its one-line form.
#include "hyp/failure.h"

#include <cstring>

Failure make_failure(const char* format, const std::string& argument, int error_number) {
    Failure failure;
    failure.error_number = error_number;
    const char* hole = std::strstr(format, "%s");
    if (hole == nullptr) {
        failure.message = format;
        return failure;
    }
    failure.message.assign(format, hole);
    failure.message += argument;
    failure.message += hole + 2;
    return failure;
}

std::string failure_line(const Failure& failure) {
    std::string line;
    const std::string& text = failure.message;
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '\n' && text[i] != '\r') {
            line.push_back(text[i++]);
            continue;
        }
        while (i < text.size() && (text[i] == '\n' || text[i] == '\r')) ++i;
        // A break at either end of the message folds to nothing; one after a colon or the end
        // of a sentence to a blank, any other to ": ".
        if (line.empty() || i == text.size()) continue;
        const char last = line.back();
        line += last == ':' || last == '!' || last == '.' || last == '?' ? " " : ": ";
    }
    if (failure.error_number != 0) {
        if (!line.empty()) line.push_back(' ');
        line.append("(").append(std::strerror(failure.error_number)).append(")");
    }
    return line;
}
