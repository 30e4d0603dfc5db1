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
std::string html_file_name(std::string_view name, unsigned source_charset);

// A file name as the target of a relative reference, for an attribute value (HREF, SRC): "%"
// written "%25" and "#" written "%23" (a page named "#" lives in "#.html", but a reference
// "#.html" would name an anchor of the page it stands in), and "&" as the attribute's "&amp;".
// Every other character of a file name means itself.
std::string html_reference(std::string_view file_name);
