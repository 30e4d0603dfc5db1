// BMP picture files of image entries, written beside an export's file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hyp/document.h"
#include "hyp/failure.h"

// Bytes of the file header and the information header of a BMP file.
constexpr uint32_t BMP_FILE_HEADER_SIZE = 14;
constexpr uint32_t BMP_INFO_HEADER_SIZE = 40;

// Bits per pixel of the BMP file of an image of `planes` planes: 1 for one plane, else 4. BMP
// readers know 1, 4, 8, 24 and 32 bits only, so 2- and 3-plane pictures are widened to 4 bits
// with the same colours.
unsigned bmp_bit_count(unsigned planes);

// The complete BMP file of a decoded image (bottom-up rows); empty when it has no pixels or a
// width or height of 0.
std::vector<uint8_t> bmp_file_bytes(const DecodedImage& image);

// The picture file of image entry `index` for an export whose files are named `base`:
// "<base>_Index<index>.bmp" (the name STG and HTML refer to; the file is written beside them).
std::string picture_file_name(std::string_view base, unsigned index);

// "%s%s_Index%d.bmp": directory and base name of the export's file, then the entry index.
std::string image_file_name(const std::string& export_path, unsigned index);

// Writes the BMP file of image entry `index` beside `export_path` (image_file_name). Uses the
// entry's decoded bitmap when it has one; otherwise decodes the rows one at a time from the
// object (loaded if needed) and releases the object afterwards. Images without pixels (more than
// four planes, a damaged size) and files that cannot be created are skipped; returns whether a
// file was written.
bool write_image_file(HypDocument& doc, unsigned index, const std::string& export_path);

// The picture files of one run that could not be written. The run writes everything else and
// reports them at its end, like a page file that could not be written, but naming the first
// that failed and how many did.
class PictureFailures {
   public:
    void note(int error_number, const std::string& file_name);
    // None: success. Else "Fehler %d beim Schreiben der Datei\n\n%s" of the first, and after
    // it "\n\nEine Bilddatei konnte nicht geschrieben werden." or "\n\n%u Bilddateien konnten
    // nicht geschrieben werden.".
    Outcome outcome() const;

   private:
    unsigned count_ = 0;
    int first_error_ = 0;
    std::string first_file_;
};

// write_image_file, noting a file that could not be created or written in `failures`.
void write_image_file(HypDocument& doc, unsigned index, const std::string& export_path,
                      PictureFailures& failures);
