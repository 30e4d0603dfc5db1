// Which hypertext the viewer opens first and where it shows it.
#include "app/start_choice.h"

#include <algorithm>

namespace {

// Stored positions are 32-bit unsigned; pages and lines of a hypertext fit in 16 bits, and a
// larger stored value must not turn negative on the way in.
constexpr uint32_t LARGEST_STORED_POSITION = 65535;

int32_t stored_position(uint32_t value) {
    return static_cast<int32_t>(std::min(value, LARGEST_STORED_POSITION));
}

}  // namespace

StartChoice choose_start(const StartArguments& arguments, const StartSettings& settings) {
    StartChoice choice;
    if (arguments.path) {
        choice.source = StartSource::CommandLine;
        choice.path = *arguments.path;
        choice.node_name = arguments.node_name;
    } else if (!settings.def_hyp.empty() && settings.startup == 1) {
        choice.source = StartSource::DefaultHypertext;
        choice.path = settings.def_hyp;
    } else if (!settings.last_load_path.empty() && settings.startup == 2) {
        choice.source = StartSource::LastHypertext;
        choice.path = settings.last_load_path;
        choice.page = stored_position(settings.last_load_index);
        choice.line = stored_position(settings.last_load_line);
    }
    return choice;
}

StartPosition start_position(const StartChoice& choice, int32_t opened_page, int32_t opened_line,
                             std::size_t entry_count, int32_t last_node_index) {
    const int32_t last = std::max<int32_t>(
        0, std::min<int64_t>(last_node_index, static_cast<int64_t>(entry_count) - 1));
    if (choice.source == StartSource::LastHypertext && choice.page >= 0) {
        if (choice.page > last) return {last, -1};
        return {choice.page, choice.line};
    }
    return {std::clamp(opened_page, 0, last), opened_line};
}
