// The settings store of platforms without a registry: one human-readable text file.
#include "settings/file_settings_store.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "hyp/ascii_case.h"  // names of keys and values compare as the registry compares them
#include "hyp/charset.h"

#ifdef _WIN32
#include <process.h>
#define current_process_id _getpid
#else
#include <fcntl.h>
#include <unistd.h>
#define current_process_id getpid
#endif

namespace {

// --- small text helpers ---------------------------------------------------------------------

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && is_space(s.front())) s.remove_prefix(1);
    while (!s.empty() && is_space(s.back())) s.remove_suffix(1);
    return s;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

const char HEX[] = "0123456789ABCDEF";

void append_hex(std::string& out, unsigned char byte) {
    out += HEX[byte >> 4];
    out += HEX[byte & 0x0F];
}

// --- the file as lines ----------------------------------------------------------------------

// Lines without their "\n" (a "\r" before it stays, so lines are kept exactly when rewritten).
std::vector<std::string_view> split_lines(std::string_view content) {
    std::vector<std::string_view> lines;
    while (!content.empty()) {
        std::size_t end = content.find('\n');
        if (end == std::string_view::npos) {
            lines.push_back(content);
            break;
        }
        lines.push_back(content.substr(0, end));
        content.remove_prefix(end + 1);
    }
    return lines;
}

// The key named by a section header line ("[OptionsDiv]"), or false for any other line.
bool section_header(std::string_view line, std::string_view& key) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
    key = trim(line.substr(1, line.size() - 2));
    return true;
}

struct ValueLine {
    std::string_view name;
    std::string_view type;
    std::string_view payload;
};

// "name = type payload"; false for blank lines, comments and anything malformed.
bool parse_value_line(std::string_view line, ValueLine& value) {
    line = trim(line);
    if (line.empty() || line.front() == '#' || line.front() == ';') return false;
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return false;
    value.name = trim(line.substr(0, eq));
    std::string_view rest = trim(line.substr(eq + 1));
    std::size_t blank = rest.find_first_of(" \t");
    value.type = rest.substr(0, blank);
    value.payload = blank == std::string_view::npos ? std::string_view() : trim(rest.substr(blank));
    return !value.name.empty();
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult read_file(const std::string& path, std::string& content) {
    content.clear();
    if (path.empty()) return ReadResult::Failed;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        std::error_code ec;
        bool exists = std::filesystem::exists(path, ec);
        return !ec && !exists ? ReadResult::Missing : ReadResult::Failed;
    }
    char buffer[8192];
    bool ok = true;
    for (;;) {
        std::size_t n = std::fread(buffer, 1, sizeof(buffer), file);
        content.append(buffer, n);
        if (content.size() > SETTINGS_FILE_LIMIT) {
            ok = false;
            break;
        }
        if (n < sizeof(buffer)) {
            ok = !std::ferror(file);
            break;
        }
    }
    std::fclose(file);
    return ok ? ReadResult::Ok : ReadResult::Failed;
}

// --- values ---------------------------------------------------------------------------------

// Each stored value type: the word the settings file writes for it (read without regard to
// case) and the platform's name for it.
struct ValueTypeNames {
    ValueType type;
    const char* word;
    const char* name;
};
constexpr ValueTypeNames VALUE_TYPES[] = {
    {ValueType::Sz, "sz", "REG_SZ"},
    {ValueType::Binary, "binary", "REG_BINARY"},
    {ValueType::Dword, "dword", "REG_DWORD"},
};

// None for a value that is no type (a damaged record).
const ValueTypeNames* names_of(ValueType type) {
    for (const ValueTypeNames& names : VALUE_TYPES) {
        if (names.type == type) return &names;
    }
    return nullptr;
}

const char* type_word(ValueType type) {
    const ValueTypeNames* names = names_of(type);
    return names ? names->word : nullptr;
}

bool parse_type(std::string_view word, ValueType& type) {
    for (const ValueTypeNames& names : VALUE_TYPES) {
        if (equal_ignoring_case(word, names.word)) {
            type = names.type;
            return true;
        }
    }
    return false;
}

bool needs_escape(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F || byte == '%' || byte == 0x81 || byte == 0x8D ||
           byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

std::string encode_text(const unsigned char* data, std::size_t size) {
    while (size > 0 && data[size - 1] == 0) --size;  // the padding is implied
    std::string out = "\"";
    for (std::size_t i = 0; i < size; ++i) {
        if (needs_escape(data[i])) {
            out += '%';
            append_hex(out, data[i]);
        } else {
            out += ansi_to_utf8(std::string_view(reinterpret_cast<const char*>(data + i), 1));
        }
    }
    return out + "\"";
}

bool decode_text(std::string_view payload, std::string& bytes) {
    if (payload.size() < 2 || payload.front() != '"' || payload.back() != '"') return false;
    payload = payload.substr(1, payload.size() - 2);
    bytes.clear();
    std::string piece;
    while (!payload.empty()) {
        std::size_t percent = payload.find('%');
        if (!utf8_to_ansi(payload.substr(0, percent), piece)) return false;
        bytes += piece;
        if (percent == std::string_view::npos) break;
        if (payload.size() - percent < 3) return false;
        int high = hex_digit(payload[percent + 1]);
        int low = hex_digit(payload[percent + 2]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
        payload.remove_prefix(percent + 3);
    }
    return true;
}

bool decode_hex(std::string_view payload, std::string& bytes) {
    if (payload.size() % 2 != 0) return false;
    bytes.clear();
    for (std::size_t i = 0; i < payload.size(); i += 2) {
        int high = hex_digit(payload[i]);
        int low = hex_digit(payload[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

bool decode_dword(std::string_view payload, std::string& bytes) {
    if (payload.empty() || payload.size() > 10) return false;
    uint64_t number = 0;
    for (char c : payload) {
        if (c < '0' || c > '9') return false;
        number = number * 10 + static_cast<unsigned>(c - '0');
    }
    if (number > 0xFFFFFFFFu) return false;
    bytes.clear();
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((number >> (8 * i)) & 0xFF);
    return true;
}

// "name = type payload" for one value, or an empty text when it cannot be written.
std::string encode_value(const char* name, ValueType type, const void* data, uint32_t size) {
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    std::string line = std::string(name) + " = " + type_word(type) + " ";
    switch (type) {
        case ValueType::Sz:
            line += encode_text(bytes, size);
            break;
        case ValueType::Binary:
            for (uint32_t i = 0; i < size; ++i) append_hex(line, bytes[i]);
            break;
        case ValueType::Dword: {
            if (size != 4) return std::string();
            uint32_t number = bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                              (static_cast<uint32_t>(bytes[3]) << 24);
            line += std::to_string(number);
            break;
        }
    }
    return line + "\n";
}

bool valid_name(const char* name) {
    std::string_view n(name);
    return !n.empty() && trim(n) == n && n.find_first_of("=\n\r[#;") == std::string_view::npos;
}

// --- handles --------------------------------------------------------------------------------

class FileKeyReader : public SettingsKey {
   public:
    explicit FileKeyReader(std::vector<std::pair<std::string, std::string>> lines)
        : lines_(std::move(lines)) {}

    bool query_value(const char* name, ValueType& type, void* buffer, uint32_t size,
                     uint32_t& length) override {
        // A value written twice counts with its last line.
        for (auto it = lines_.rbegin(); it != lines_.rend(); ++it) {
            if (!equal_ignoring_case(it->first, name)) continue;
            ValueLine value;
            if (!parse_value_line(it->second, value)) return false;
            ValueType stored;
            if (!parse_type(value.type, stored)) return false;
            std::string bytes;
            bool ok = stored == ValueType::Sz       ? decode_text(value.payload, bytes)
                      : stored == ValueType::Binary ? decode_hex(value.payload, bytes)
                                                    : decode_dword(value.payload, bytes);
            if (!ok || bytes.size() > size) return false;
            std::memcpy(buffer, bytes.data(), bytes.size());
            type = stored;
            length = static_cast<uint32_t>(bytes.size());
            return true;
        }
        return false;
    }

    bool set_value(const char*, ValueType, const void*, uint32_t) override { return false; }
    bool close() override { return true; }

   private:
    std::vector<std::pair<std::string, std::string>> lines_;  // value name, whole line
};

class FileKeyWriter : public SettingsKey {
   public:
    FileKeyWriter(FileSettingsStore& store, std::string key)
        : store_(store), key_(std::move(key)), section_("[" + key_ + "]\n") {}
    ~FileKeyWriter() override { close(); }

    bool query_value(const char*, ValueType&, void*, uint32_t, uint32_t&) override { return false; }

    bool set_value(const char* name, ValueType type, const void* data, uint32_t size) override {
        if (closed_ || !valid_name(name) || type_word(type) == nullptr) return false;
        std::string line = encode_value(name, type, data, size);
        if (line.empty()) return false;
        section_ += line;
        return true;
    }

    bool close() override {
        if (closed_) return result_;
        closed_ = true;
        result_ = store_.replace_section(key_, section_);
        return result_;
    }

   private:
    FileSettingsStore& store_;
    std::string key_;
    std::string section_;
    bool closed_ = false;
    bool result_ = false;
};

// Writes `content` to a new file beside `path` and renames it over `path`.
bool write_replacing(const std::string& path, const std::string& content) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target(path);
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    std::string temp = path + ".tmp-" + std::to_string(current_process_id());
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    ok = ok && std::fflush(file) == 0;
#ifndef _WIN32
    ok = ok && fsync(fileno(file)) == 0;
#endif
    ok = std::fclose(file) == 0 && ok;
    if (ok) {
        fs::rename(temp, target, ec);
        ok = !ec;
    }
    if (!ok) {
        fs::remove(temp, ec);
        return false;
    }
#ifndef _WIN32
    // Make the rename itself durable.
    std::string directory = target.has_parent_path() ? target.parent_path().string() : ".";
    int fd = open(directory.c_str(), O_RDONLY);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
#endif
    return true;
}

}  // namespace

const char* value_type_name(ValueType type) {
    const ValueTypeNames* names = names_of(type);
    return names ? names->name : "?";
}

FileSettingsStore::FileSettingsStore(std::string path) : path_(std::move(path)) {}

std::unique_ptr<SettingsKey> FileSettingsStore::open_key_for_reading(const char* key) {
    std::string content;
    if (read_file(path_, content) != ReadResult::Ok) return nullptr;
    bool found = false;
    bool inside = false;
    std::vector<std::pair<std::string, std::string>> values;
    for (std::string_view line : split_lines(content)) {
        std::string_view section;
        if (section_header(line, section)) {
            inside = equal_ignoring_case(section, key);
            found = found || inside;
            continue;
        }
        ValueLine value;
        if (inside && parse_value_line(line, value)) {
            values.emplace_back(std::string(value.name), std::string(line));
        }
    }
    if (!found) return nullptr;
    return std::make_unique<FileKeyReader>(std::move(values));
}

std::unique_ptr<SettingsKey> FileSettingsStore::create_key_for_writing(const char* key) {
    if (path_.empty() || !valid_name(key) || std::strchr(key, ']') != nullptr) return nullptr;
    return std::make_unique<FileKeyWriter>(*this, key);
}

bool FileSettingsStore::replace_section(const std::string& key, const std::string& section) {
    std::string old_content;
    ReadResult read = read_file(path_, old_content);
    // A file that exists but cannot be read (or is no settings file) is left alone rather than
    // replaced by one that would lose its contents.
    if (read == ReadResult::Failed) return false;

    std::string content;
    if (read == ReadResult::Missing) {
        content =
            "# Vellumar settings: one section per key, one value per line.\n"
            "# dword: decimal; sz: text, %XX for other bytes; binary: hex.\n";
    }
    bool inside = false;
    bool written = false;
    for (std::string_view line : split_lines(old_content)) {
        std::string_view name;
        if (section_header(line, name)) {
            inside = equal_ignoring_case(name, key);
            if (inside && !written) {
                content += section;
                content += '\n';
                written = true;
            }
        }
        if (inside) continue;
        content.append(line.data(), line.size());
        content += '\n';
    }
    if (!written) {
        // Sections are set apart by one blank line.
        if (!content.empty() && content.back() != '\n') content += '\n';
        bool blank_before = content.size() >= 2 && content[content.size() - 2] == '\n';
        if (!content.empty() && !blank_before) content += '\n';
        content += section;
        content += '\n';
    }
    return write_replacing(path_, content);
}

std::string default_settings_file_path() {
    const char* explicit_path = std::getenv("VELLUMAR_SETTINGS");
    if (explicit_path != nullptr && *explicit_path != '\0') return explicit_path;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    // Relative paths in XDG_CONFIG_HOME are to be ignored.
    if (config != nullptr && config[0] == '/')
        return std::string(config) + "/vellumar/settings.ini";
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0')
        return std::string(home) + "/.config/vellumar/settings.ini";
    return std::string();
}
