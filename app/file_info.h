// The text of the file information box ("Vellumar - Info") for the open hypertext.
#pragma once

#include <string>

#include "hyp/document.h"

// Caption of the box that shows file_info_text.
constexpr const char* FILE_INFO_CAPTION = "Vellumar - Info";

// Path, header numbers, compile system and the shown extended headers of `doc`, in the Windows
// character set (the header texts converted from the document's own set), lines separated by
// "\n" and columns by "\t".
std::string file_info_text(const HypDocument& doc);
