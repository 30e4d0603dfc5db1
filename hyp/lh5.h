// LH5 decompression of the stored objects of a hypertext (pages, popups, images).
#pragma once

#include <cstddef>
#include <cstdint>

// Unpacks one LH5 stream into exactly out_size bytes of out.
// Returns true when the stream decoded without a data error. Running out of input is not an
// error (zero bits are fed, as the format defines). On a data error (over-subscribed code
// lengths, a tree walk reaching an empty node, a match whose source lies before the start of
// the output, ...) it returns false and every byte of out from the first undecodable position
// to out_size is zero: never garbage, never a read or write outside in/out/its tables.
bool lh5_decode(const uint8_t* in, size_t in_size, uint8_t* out, size_t out_size);
