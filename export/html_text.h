// Escaping of texts and the file names of pages in the HTML output.
#pragma once

#include <string>
#include <string_view>

// `text` with "&", the double quote, "<" and ">" written as entities, and every run of two or
// more blanks as "<TT>", one "&nbsp;" per blank, "</TT>" (a single blank stays). Returned as its
// own string: an escaped text may grow to six times its length, and nothing of it is cut.
std::string html_escape(std::string_view text);
// The same, appended to `out` (for writers that reuse one buffer).
void html_escape_append(std::string& out, std::string_view text);

// The file of page `name` (raw, in the hypertext's set `source_charset`): the name converted to
// the Windows set, whatever set the export writes its texts in, then ".html"; each of
// "\"\\/?*:' <>|" is replaced by "_". The name ends at its first NUL, as every stored name does.
// With `utf8` (the web form) the name is converted to UTF-8 instead, every character of the
// hypertext's set as the character it is.
std::string html_file_name(std::string_view name, unsigned source_charset, bool utf8 = false);

// The web form's text of a page (already UTF-8): "&", the double quote, "<" and ">" written as
// entities, blanks kept as blanks (the page's block keeps them, in a monospaced font), and each
// character the Windows set lacks in <SPAN CLASS="w">...</SPAN>, which the style sheet makes
// exactly one column wide whatever font draws it.
void html_web_escape_append(std::string& out, std::string_view utf8);

// A file name (a page or picture file, or a folder and such a file joined by "/") as the target
// of a relative reference, for an attribute value (HREF, SRC): every byte but the letters, the
// digits and "-._~/!$()*+,;=@" written "%XX". The hex digits are the bytes of the name on disk,
// whatever set they are in, so a name with national letters resolves in a browser however the
// page itself is encoded; "#" cannot start an anchor, "%" no escape, "&" no entity.
std::string html_reference(std::string_view file_name);

// `text` as the value of an attribute: "&", the double quote, "<" and ">" written as entities,
// every other byte as it is (a URL keeps what it is written with; blanks stay blanks).
std::string html_attribute(std::string_view text);
