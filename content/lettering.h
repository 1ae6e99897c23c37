#pragma once
// Lettering with FreeType from the DejaVu fonts of the Debian package
// fonts-dejavu-core: text rendered as anti-aliased coverage into a Mask.
#include <string>

#include "canvas.h"

namespace vx::content {

enum class Font { SansBold, SansCondensedBold, SerifBold, Sans, MonoBold };

// Width in pixels of text set at pixelSize; -1 when the font cannot be read.
int TextWidth(const std::string& text, Font font, int pixelSize);
// Draws text with its baseline at row baseline, horizontally centred on
// column centreX, into mask (coverage combined with max, clipped to the
// mask). False with a reason on standard error when the font cannot be read.
bool DrawText(Mask& mask, const std::string& text, Font font, int pixelSize, int centreX,
              int baseline);
// Largest pixel size (at most maxSize) at which text fits into width.
int FitText(const std::string& text, Font font, int maxSize, int width);

// Lettering ready to be painted: the letters' coverage, a ring around them
// for an outline, and a bevel term for shading the letters as if lit from
// the top left.
struct LetterShape {
  Mask face;     // coverage of the letters, 0..1
  Mask outline;  // coverage of the ring of outlineWidth pixels outside them
  Mask bevel;    // on the letters' rims: 1 facing the light, -1 facing away;
                 // 0 on their flat middle and outside
};
// The text drawn as DrawText does into width x height masks; the bevel is
// about bevelWidth pixels wide. Empty masks when the font cannot be read.
LetterShape ShapeLetters(const std::string& text, Font font, int pixelSize, int centreX,
                         int baseline, int outlineWidth, int bevelWidth, int width, int height);

}  // namespace vx::content
