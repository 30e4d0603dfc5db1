// For tests: the visible text of each node of an ST-Guide source file, its commands removed.
#pragma once

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace stgsource {

// One "@node" or "@pnode" block: its name and its text lines as a reader sees them.
struct SourceNode {
    std::string name;
    bool popup = false;
    std::vector<std::string> lines;
};

// Reads a quoted ("...", with \" and \\) or blank-delimited word at `at`; moves `at` past it.
inline std::string read_word(std::string_view text, size_t& at) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    std::string word;
    if (at < text.size() && text[at] == '"') {
        ++at;
        while (at < text.size() && text[at] != '"') {
            if (text[at] == '\\' && at + 1 < text.size()) ++at;
            word.push_back(text[at++]);
        }
        if (at < text.size()) ++at;  // the closing quote
        return word;
    }
    while (at < text.size() && text[at] != ' ' && text[at] != '\t') word.push_back(text[at++]);
    return word;
}

// True for "@{...}" contents that only switch attributes ("B", "bU", "0").
inline bool is_attribute_command(std::string_view content) {
    if (content.empty()) return false;
    for (char c : content) {
        if (std::string_view("BGIUOSXbgiuosx0").find(c) == std::string_view::npos) return false;
    }
    return true;
}

// The visible text of one source text line: "@{...}" commands become their text (links and
// other commands) or nothing (attributes), "@@" becomes "@".
inline std::string visible_text(std::string_view line) {
    std::string out;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '@' || i + 1 >= line.size()) {
            out.push_back(line[i]);
            continue;
        }
        if (line[i + 1] == '@') {
            out.push_back('@');
            ++i;
            continue;
        }
        if (line[i + 1] != '{') {
            out.push_back('@');
            continue;
        }
        // Find the closing brace, stepping over quoted parts.
        size_t end = i + 2;
        bool quoted = false;
        for (; end < line.size(); ++end) {
            if (quoted && line[end] == '\\') {
                ++end;
            } else if (line[end] == '"') {
                quoted = !quoted;
            } else if (!quoted && line[end] == '}') {
                break;
            }
        }
        const std::string_view content = line.substr(i + 2, end - (i + 2));
        if (!is_attribute_command(content)) {
            size_t at = 0;
            out += read_word(content, at);
        }
        i = end;  // the closing brace (or the end of the line)
    }
    return out;
}

// True for a line that is a command (or a comment) rather than text: "@word..." or "##...".
inline bool is_command_line(std::string_view line) {
    if (line.size() >= 2 && line[0] == '#' && line[1] == '#') return true;
    if (line.size() < 2 || line[0] != '@') return false;
    const unsigned char c = static_cast<unsigned char>(line[1]);
    return std::isalpha(c) || c == '$' || c == ':';
}

// True when `line` starts with the command `name` ("@node"), in any letter case, followed by
// its end or a blank.
inline bool starts_with_command(std::string_view line, std::string_view name) {
    if (line.size() < name.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(line[i])) != name[i]) return false;
    }
    return line.size() == name.size() || line[name.size()] == ' ' || line[name.size()] == '\t';
}

// Splits a source file into its nodes. Lines outside nodes (the database commands) are left
// out; inside a node, command and comment lines are left out and the others reduced to their
// visible text. Commands are recognised in any letter case; "@if 0" leaves out everything up to
// its "@else" or "@endif" (other conditions are taken as true). Line ends may be LF or CR LF.
inline std::vector<SourceNode> read_stg_source(std::string_view source) {
    std::vector<SourceNode> nodes;
    SourceNode* node = nullptr;
    std::vector<bool> skipping;  // one entry per open "@if": true while its lines are left out
    size_t at = 0;
    while (at <= source.size()) {
        size_t end = source.find('\n', at);
        if (end == std::string_view::npos) end = source.size();
        std::string_view line = source.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        at = end + 1;

        if (starts_with_command(line, "@if")) {
            size_t pos = 3;
            const bool parent_skips = !skipping.empty() && skipping.back();
            skipping.push_back(parent_skips || read_word(line, pos) == "0");
            continue;
        }
        if (starts_with_command(line, "@else") && !skipping.empty()) {
            const bool parent_skips = skipping.size() > 1 && skipping[skipping.size() - 2];
            skipping.back() = parent_skips || !skipping.back();
            continue;
        }
        if (starts_with_command(line, "@endif")) {
            if (!skipping.empty()) skipping.pop_back();
            continue;
        }
        if (!skipping.empty() && skipping.back()) continue;

        const bool popup = starts_with_command(line, "@pnode");
        if (popup || starts_with_command(line, "@node")) {
            size_t pos = popup ? 6 : 5;
            nodes.push_back({read_word(line, pos), popup, {}});
            node = &nodes.back();
            continue;
        }
        if (!node) continue;
        if (starts_with_command(line, "@endnode")) {
            node = nullptr;
            continue;
        }
        if (is_command_line(line)) continue;
        node->lines.push_back(visible_text(line));
    }
    return nodes;
}

// A line with every run of blanks and tabs made one blank, trimmed at both ends: tabs in a
// source expand to blanks by the compiler's own tab width.
inline std::string normalised(std::string_view line) {
    std::string out;
    bool blank = false;
    for (char c : line) {
        if (c == ' ' || c == '\t') {
            blank = !out.empty();
            continue;
        }
        if (blank) out.push_back(' ');
        blank = false;
        out.push_back(c);
    }
    return out;
}

// Length of the longest common subsequence of two line lists: the lines that agree in order.
inline size_t agreeing_lines(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::vector<size_t> previous(b.size() + 1, 0), current(b.size() + 1, 0);
    for (size_t i = 1; i <= a.size(); ++i) {
        for (size_t j = 1; j <= b.size(); ++j) {
            current[j] =
                a[i - 1] == b[j - 1] ? previous[j - 1] + 1 : std::max(previous[j], current[j - 1]);
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

}  // namespace stgsource
