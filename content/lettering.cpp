#include "lettering.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vx::content {

namespace {

const char* FontPath(Font font) {
  switch (font) {
    case Font::SansBold:
      return "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    case Font::SansCondensedBold:
      return "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";
    case Font::SerifBold:
      return "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf";
    case Font::Sans:
      return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    case Font::MonoBold:
      return "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";
  }
  return "";
}

// One FreeType library and face for the duration of a call.
class FontFace {
 public:
  FontFace(Font font, int pixelSize) {
    if (FT_Init_FreeType(&library_) != 0) {
      library_ = nullptr;
      std::fprintf(stderr, "vxcontent: FreeType cannot start\n");
      return;
    }
    if (FT_New_Face(library_, FontPath(font), 0, &face_) != 0) {
      face_ = nullptr;
      std::fprintf(stderr, "vxcontent: cannot read the font %s (package fonts-dejavu-core)\n",
                   FontPath(font));
      return;
    }
    FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixelSize));
  }
  ~FontFace() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  FT_Face face() const { return face_; }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// Walks the glyphs of text, calling visit(glyph slot, pen x in pixels).
// Returns the advance width, or -1 when a glyph cannot be rendered.
template <typename Visit>
int WalkText(FT_Face face, const std::string& text, Visit visit) {
  int pen = 0;
  FT_UInt previous = 0;
  for (unsigned char ch : text) {
    const FT_UInt index = FT_Get_Char_Index(face, ch);
    if (previous && index && FT_HAS_KERNING(face)) {
      FT_Vector kern;
      FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &kern);
      pen += static_cast<int>(kern.x >> 6);
    }
    if (FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0) return -1;
    visit(face->glyph, pen);
    pen += static_cast<int>(face->glyph->advance.x >> 6);
    previous = index;
  }
  return pen;
}

}  // namespace

int TextWidth(const std::string& text, Font font, int pixelSize) {
  FontFace face(font, pixelSize);
  if (!face.face()) return -1;
  return WalkText(face.face(), text, [](FT_GlyphSlot, int) {});
}

bool DrawText(Mask& mask, const std::string& text, Font font, int pixelSize, int centreX,
              int baseline) {
  FontFace face(font, pixelSize);
  if (!face.face()) return false;
  const int width = WalkText(face.face(), text, [](FT_GlyphSlot, int) {});
  if (width < 0) return false;
  const int left = centreX - width / 2;
  const int drawn = WalkText(face.face(), text, [&](FT_GlyphSlot glyph, int pen) {
    const FT_Bitmap& bitmap = glyph->bitmap;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned col = 0; col < bitmap.width; ++col) {
        const int x = left + pen + glyph->bitmap_left + static_cast<int>(col);
        const int y = baseline - glyph->bitmap_top + static_cast<int>(row);
        if (x < 0 || y < 0 || x >= mask.width || y >= mask.height) continue;
        const float coverage = bitmap.buffer[row * bitmap.pitch + col] / 255.0f;
        mask.At(x, y) = std::max(mask.At(x, y), coverage);
      }
    }
  });
  if (drawn < 0) {
    std::fprintf(stderr, "vxcontent: cannot render the text \"%s\"\n", text.c_str());
    return false;
  }
  return true;
}

int FitText(const std::string& text, Font font, int maxSize, int width) {
  int size = maxSize;
  while (size > 6) {
    const int w = TextWidth(text, font, size);
    if (w >= 0 && w <= width) break;
    --size;
  }
  return size;
}

LetterShape ShapeLetters(const std::string& text, Font font, int pixelSize, int centreX,
                         int baseline, int outlineWidth, int bevelWidth, int width, int height) {
  LetterShape shape{Mask(width, height), Mask(width, height), Mask(width, height)};
  if (!DrawText(shape.face, text, font, pixelSize, centreX, baseline)) return shape;
  const Mask wide = DilateMask(shape.face, outlineWidth);
  // The bevel: the letters blurred into a rounded height field whose slope,
  // toward the light at the top left, shades the rims. The slope of a box
  // blur of radius r across a hard edge is 1 / (2r + 1) per pixel in each
  // of the two differences; the gain brings a straight rim to about 1.
  const int radius = std::max(1, bevelWidth / 2);
  const Mask relief = BlurMask(shape.face, radius, 2);
  const float gain = static_cast<float>(2 * radius + 1) / 2.0f;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const float f = shape.face.At(x, y);
      shape.outline.At(x, y) = std::max(0.0f, wide.At(x, y) - f);
      if (f <= 0.0f) continue;
      const float slopeX = relief.Sample(x + 1, y) - relief.Sample(x - 1, y);
      const float slopeY = relief.Sample(x, y + 1) - relief.Sample(x, y - 1);
      // Height rises away from a left or top rim: those face the light.
      shape.bevel.At(x, y) = std::clamp((slopeX + slopeY) * gain, -1.0f, 1.0f);
    }
  return shape;
}

}  // namespace vx::content
