// The process-wide failure text.
#include "hyp/message_text.h"

#include <cstring>
#include <utility>

std::string message_text;

void set_message_text(const char* format, const std::string& argument) {
    std::string text;
    const char* hole = std::strstr(format, "%s");
    if (hole == nullptr) {
        text = format;
    } else {
        text.assign(format, hole);
        text += argument;
        text += hole + 2;
    }
    message_text = std::move(text);
}
