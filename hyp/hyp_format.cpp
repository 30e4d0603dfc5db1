// Names and labels of the HYP format's codes, the compile-system table and NUL-ended texts.
#include "hyp/hyp_format.h"

#include <cstring>

namespace {

const char* const ENTRY_TYPE_NAMES[ENTRY_TYPE_COUNT] = {
    "Interne Seite (@node)",
    "Popup-Node (@pnode)",
    "Externe Referenz (@{... link FILE [LINE]})",
    "Bild (@image)",
    "SYSTEM-Argument (@{... system ARG})",
    "REXX-Script (@{... rxs FILE})",
    "REXX-Kommando (@{... rx ARG})",
    "QUIT-Eintrag (@{... quit})",
};

// nullptr: the type is not shown by the file information.
const char* const EXT_HEADER_LABELS[EXT_HEADER_TYPE_COUNT] = {
    nullptr,        "@database   ", "@default    ", "@hostname   ", "@options    ", "@author     ",
    "@$VER       ", "@help       ", "@subject    ", nullptr,        nullptr,        "@width      ",
};

}  // namespace

const char* entry_type_name(unsigned type) {
    return type < ENTRY_TYPE_COUNT ? ENTRY_TYPE_NAMES[type] : nullptr;
}

const char* ext_header_label(unsigned type) {
    return type < EXT_HEADER_TYPE_COUNT ? EXT_HEADER_LABELS[type] : nullptr;
}

const char* os_name(uint8_t os) {
    switch (os) {
        case 1:
            return "Amiga";
        case 2:
            return "Atari";
        case 3:
            return "Macintosh";
        default:
            return "Unbekannt";
    }
}

uint8_t os_charset(uint8_t os) {
    // Only files compiled on a Macintosh carry Macintosh texts; compilers on other systems
    // (system bytes 4 and above included, as real files show) write the Atari set.
    return os == 3 ? CHARSET_MAC : CHARSET_TOS;
}

bool is_hyp_magic(const uint8_t* bytes4) {
    return std::memcmp(bytes4, "HDOC", 4) == 0;
}

std::string text_before_nul(const std::vector<uint8_t>& bytes) {
    const char* text = reinterpret_cast<const char*>(bytes.data());
    const void* nul = bytes.empty() ? nullptr : std::memchr(text, 0, bytes.size());
    return std::string(text, nul ? static_cast<const char*>(nul) - text : bytes.size());
}
