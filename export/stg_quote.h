// Quoting of names and texts inside the commands of ST-Guide source.
#pragma once

#include <string>
#include <string_view>

// `text` unchanged when it holds neither a blank nor a double quote; otherwise in double quotes,
// with every backslash written as two backslashes and every double quote as backslash and
// double quote. Returned as its own string: a quoted name may grow to twice its length plus two,
// and nothing of it is cut.
std::string stg_quote(std::string_view text);
