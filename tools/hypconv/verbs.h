// The verbs of the command-line converter: one function per verb, dispatched by main.cpp.
#pragma once

#include <string>
#include <vector>

// Arguments after the verb itself, as given.
using VerbArgs = std::vector<std::string>;

// Exit codes: 0 success, 1 a failure with the system's message on stderr, 2 a usage error.
constexpr int EXIT_OK = 0;
constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

struct Verb {
    const char* name;   // "--list"
    const char* usage;  // "--list FILE"
    const char* help;   // one line for --help (UTF-8)
    int (*run)(const VerbArgs& args);
};

// The table of all verbs, in the order --help lists them.
const std::vector<Verb>& all_verbs();

// The verb named `name` ("--list"), or null.
const Verb* find_verb(const char* name);

// Prints the usage of one verb (or of all when `verb` is null) to stderr; returns EXIT_USAGE.
int usage_error(const Verb* verb);

int verb_list(const VerbArgs& args);
int verb_unpack(const VerbArgs& args);
int verb_check(const VerbArgs& args);
int verb_text(const VerbArgs&args), verb_page(const VerbArgs&args);
int verb_info(const VerbArgs& args);
int verb_settings(const VerbArgs& args);
int verb_stg(const VerbArgs&args), verb_html(const VerbArgs&args);
int verb_search(const VerbArgs& args);
int verb_lookup(const VerbArgs& args);
