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

}  // namespace vx::content
