// Colour pictures resampled to another size by stb_image_resize2
// (third_party/stb, public domain), the one translation unit that holds its
// implementation.
//
// The frames are compared by digest between the native build (x86-64, where
// the header would pick SSE2 always and AVX or AVX2 with -mavx / -mavx2), the
// browser's WebAssembly (wasm SIMD128 with -msimd128) and Windows, so the
// result must not depend on the processor's vector path. STBIR_NO_SIMD turns
// off every one of them (it undefines STBIR_SSE2, STBIR_AVX, STBIR_AVX2,
// STBIR_FP16C, STBIR_NEON and STBIR_WASM after the header's own detection),
// leaving its scalar single-precision code; STBIR_USE_FMA stays undefined,
// so no fused multiply-add is asked for, and the header turns contraction off
// for its code (a GCC optimize pragma, STDC FP_CONTRACT for clang) on top of
// the project's -ffp-contract=off. Scalar IEEE singles without contraction,
// on x86-64 SSE and on WebAssembly alike, give the same bytes everywhere.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/picture.h"

#define STBIR_NO_SIMD
#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include "stb_image_resize2.h"

// What the header chose, checked: no vector path and no fused multiply-add,
// whatever -m flags or target this file is compiled for.
#if defined(STBIR_SIMD) || defined(STBIR_SSE2) || defined(STBIR_AVX) || defined(STBIR_AVX2) || \
    defined(STBIR_FP16C) || defined(STBIR_NEON) || defined(STBIR_WASM) || defined(STBIR_USE_FMA)
#error "the picture resizer must take its scalar path"
#endif

namespace vx {
namespace {

// Larger sides are refused: 4 x 16384 bytes a row keeps every size and row
// stride well inside the resizer's int arithmetic.
constexpr std::uint32_t MaxResampledSide = 16384;

bool RefuseResample(const char* reason, Picture& out) {
  ReleasePicture(out);
  std::fprintf(stderr, "vx1: cannot resample the picture: %s\n", reason);
  std::fflush(stderr);
  return false;
}

}  // namespace

bool ResamplePicture(const Picture& source, std::uint32_t width, std::uint32_t height,
                     Picture& out) {
  if (source.bytesPerPixel != PixelBytes || source.pixels == nullptr || source.width == 0 ||
      source.height == 0)
    return RefuseResample("the source is not a colour picture", out);
  if (source.width > MaxResampledSide || source.height > MaxResampledSide)
    return RefuseResample("the source is larger than 16384 pixels a side", out);
  if (width == 0 || height == 0) return RefuseResample("the size asked for is 0", out);
  if (width > MaxResampledSide || height > MaxResampledSide)
    return RefuseResample("the size asked for is larger than 16384 pixels a side", out);

  const std::size_t bytes = std::size_t{width} * height * PixelBytes;
  void* pixels = std::malloc(bytes);
  if (pixels == nullptr) return RefuseResample("out of memory", out);
  // The four bytes of a pixel are four independent channels (no alpha
  // weighting): blue, green and red are filtered alike, and the fourth byte
  // is filtered as a channel of its own, so a constant one (0 in the show)
  // stays exactly that constant. Catmull-Rom is the interpolating cubic:
  // enlarged, the picture passes through the source's values at its
  // pixels' centres, edges of photographs and of lettering stay crisp, with
  // a slight overshoot beside hard edges. Pixels beyond the border repeat
  // the border's. Pixel centres map onto pixel centres, (x + 0.5) x
  // source.width / width - 0.5.
  const int sw = static_cast<int>(source.width), sh = static_cast<int>(source.height);
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  const void* done = stbir_resize(source.pixels, sw, sh, sw * static_cast<int>(PixelBytes), pixels,
                                  w, h, w * static_cast<int>(PixelBytes), STBIR_4CHANNEL,
                                  STBIR_TYPE_UINT8, STBIR_EDGE_CLAMP, STBIR_FILTER_CATMULLROM);
  if (done == nullptr) {
    std::free(pixels);
    return RefuseResample("the resizer failed (out of memory)", out);
  }
  // out may be the source itself: it is replaced only now.
  ReleasePicture(out);
  out = {.width = width,
         .height = height,
         .bytesPerPixel = static_cast<std::uint8_t>(PixelBytes),
         .pixels = pixels};
  return true;
}

}  // namespace vx
