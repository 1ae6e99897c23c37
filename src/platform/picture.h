#pragma once
// JPEG pictures from the data library, decoded into the show's pixel format
// (base/pixels.h, which also holds the Picture record), and PNG files written
// from it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/output_file.h"
#include "base/pixels.h"

namespace vx {

// Loads the JPEG stored in the data library under name. Prints "nincs NAME"
// when the file is absent, "van NAME" before decoding a present one. A
// damaged or truncated file gives false (libjpeg's warnings that pixels are
// missing or guessed count as failure; a JFIF version other than 1 and stray
// bytes between header segments do not), never a crash or an exit from
// inside the decoder.
//
// The picture afterwards: untouched when the file is absent, unreadable or
// its header cannot be read; width and height set, bytesPerPixel 0 and no
// pixels for a channel count other than 1 or 3 or a size larger than any the
// show uses (wider than 320 or taller than 256: refused before decoding);
// all fields 0 when decoding failed; the decoded picture on success.
bool LoadJpegPicture(std::string_view name, Picture& picture);
// Decodes a JPEG held in memory, as LoadJpegPicture does after reading it.
// Never reads outside data[0, size).
bool DecodeJpegPicture(const std::uint8_t* data, std::size_t size, Picture& picture);
// Frees the pixels and sets width, height and bytesPerPixel to 0 (pixels to
// nullptr). Releasing a released picture does nothing.
void ReleasePicture(Picture& picture);
// Turns count pixels of 3 bytes (red, green, blue), packed at the start of a
// block of count x 4 bytes, into count words 0x00RRGGBB in that block. Walks
// from the last pixel to the first, so no pixel is overwritten before it has
// been read.
void ExpandRgbToPixels(void* pixels, std::size_t count);
// "Load Error" on standard error (and in a message box captioned
// "KVS_JPEG message" while a display is up); ends the program with code 1.
[[noreturn]] void ReportPictureLoadError();

// Writes 32-bit 0x00RRGGBB pixels as an RGB PNG file; false with a line on
// standard error naming the file and the reason when it cannot be written.
bool WritePng(const char* path, const std::uint32_t* pixels, std::uint32_t width,
              std::uint32_t height);
// The same, but the file is only opened, written and finished in output:
// its Commit puts it in place, so that many files can be put in place
// together once all of them are written.
bool WritePngPending(OutputFile& output, const char* path, const std::uint32_t* pixels,
                     std::uint32_t width, std::uint32_t height);

}  // namespace vx
