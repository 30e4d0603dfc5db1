// The text of the file information box ("Vellumar - Info") for the open hypertext.
#pragma once

#include <string>

#include "hyp/document.h"

// Caption of the box that shows file_info_text.
constexpr const char* FILE_INFO_CAPTION = "Vellumar - Info";

// Path, header numbers, compile system and the shown extended headers of `doc`, in the Windows
// character set (the header texts converted from the document's own set), lines separated by
// "\n" and columns by "\t". With `utf8` the same text in UTF-8, the header texts converted
// straight from the document's own set (every character kept that the Windows set lacks).
std::string file_info_text(const HypDocument& doc, bool utf8 = false);
