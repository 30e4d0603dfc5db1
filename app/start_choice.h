// Which hypertext the viewer opens first and where it shows it: the command line, else the
// stored start-up choice, else the file dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "app/command_line.h"

// The settings the first choice reads.
struct StartSettings {
    uint32_t startup = 0;  // StartUp: 1 default hypertext, 2 last hypertext, else file dialog
    std::string def_hyp;
    std::string last_load_path;
    uint32_t last_load_index = 0;
    uint32_t last_load_line = 0;
};

enum class StartSource { CommandLine, DefaultHypertext, LastHypertext, FileDialog };

struct StartChoice {
    StartSource source = StartSource::FileDialog;
    std::string path;  // empty for FileDialog
    std::optional<std::string> node_name;
    // The entry and top line the last run ended on (LastHypertext only); -1 = not given.
    int32_t page = -1;
    int32_t line = -1;
};

// The first rule that applies: a path on the command line (with its node name); a non-empty
// DefHyp with StartUp 1; a non-empty LastLoadPath with StartUp 2 (with the stored page and
// line); otherwise the file dialog.
StartChoice choose_start(const StartArguments& arguments, const StartSettings& settings);

struct StartPosition {
    int32_t page;
    int32_t line;  // -1 = top
};

// Where the opened file is shown. `opened_page` and `opened_line` are what opening chose (the
// requested node, or the first entry); a remembered page and line override them. Every page is
// kept within 0 .. last_node_index. A remembered page beyond the file's last node (the file has
// changed or is another one now) shows the last node from the top, since the remembered line
// belonged to another page.
StartPosition start_position(const StartChoice& choice, int32_t opened_page, int32_t opened_line,
                             std::size_t entry_count, int32_t last_node_index);
