#pragma once
// A tiny built-in bitmap font for the labels of the contact sheet, the
// status line and the pipeline views' legends, which need no font file.
#include <cstdint>
#include <string_view>

namespace vx {

// Draws text in the built-in 5 x 7 font (6 pixels a character) with its top
// left at x, y into an image width x height, clipped; lower-case letters are
// drawn as capitals, unknown characters as blanks. At scale k each font
// pixel is a k x k square (characters 6 k apart).
void DrawLabel(std::uint32_t* image, int width, int height, int x, int y, std::string_view text,
               std::uint32_t colour, int scale = 1);

}  // namespace vx
