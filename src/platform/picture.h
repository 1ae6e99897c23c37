#pragma once
// JPEG pictures from the data library, decoded into the show's pixel format
// (base/pixels.h, which also holds the Picture record), resampled to the
// frame's size, and PNG files written from it.
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
// show uses (wider or taller than the largest of SharpPictureSizes: refused
// before decoding);
// all fields 0 when decoding failed; the decoded picture on success.
bool LoadJpegPicture(std::string_view name, Picture& picture);
// Decodes a JPEG held in memory, as LoadJpegPicture does after reading it.
// Never reads outside data[0, size).
bool DecodeJpegPicture(const std::uint8_t* data, std::size_t size, Picture& picture);
// Frees the pixels and sets width, height and bytesPerPixel to 0 (pixels to
// nullptr). Releasing a released picture does nothing.
void ReleasePicture(Picture& picture);
// Picture source (4 bytes a pixel) resampled to width x height into out
// (allocated here, released with ReleasePicture); false, out released and a
// line on standard error saying why, when the source is not a colour
// picture or the size is 0 (or either size is above 16384). out must be a
// valid or a released picture (Picture{} is one) and may be the source: its
// former pixels are released. For a full-screen picture drawn at the
// frame's size, once when the size is chosen, never per frame.
//
// The picture is stretched to the size, whatever its aspect. The filter is
// Catmull-Rom (interpolating, crisp at 2x to 12x for photographs and
// lettering alike), the edges clamped. The fourth byte of each pixel is
// resampled as a channel of its own, so a source whose fourth bytes are all
// one value (0 in the show) gives that value everywhere. The bytes are the
// same on every platform and processor (stb_image_resize2's scalar code
// only; see picture_resample.cpp).
bool ResamplePicture(const Picture& source, std::uint32_t width, std::uint32_t height,
                     Picture& out);
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
