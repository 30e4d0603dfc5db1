// The Atari and Macintosh sets as Unicode code points, for output in UTF-8.
#pragma once

#include <cstdint>

// The character the Atari set has at `byte`, including the glyphs of its system font at 0x01
// to 0x1F; 0 where Unicode has no equivalent (0x00, 0x0E, 0x0F, 0x1C to 0x1F).
char32_t atari_unicode(uint8_t byte);

// The character the Macintosh set has at `byte` (ASCII below 0x80).
char32_t mac_unicode(uint8_t byte);
