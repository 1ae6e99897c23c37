// stb_image_resize2 with the vector path the compiler's target selects by
// itself (SSE2 on x86-64, NEON on 64-bit ARM): see stb_vector_paths.h.
#include <cstdint>
#include <vector>

#include "platform/stb_vector_paths.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#define STB_IMAGE_RESIZE_STATIC
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#include "stb_image_resize2.h"
#pragma GCC diagnostic pop

namespace vx::test {

#if !defined(STBIR_SSE2) && !defined(STBIR_NEON) && !defined(STBIR_WASM)
#error "this copy is meant to take the target's vector path"
#endif

bool ResampleWithDefaultVectorPath(const Picture& source, std::uint32_t width, std::uint32_t height,
                                   std::vector<std::uint8_t>& out) {
  out.assign(std::size_t{width} * height * PixelBytes, 0);
  const int sw = static_cast<int>(source.width), sh = static_cast<int>(source.height);
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  return stbir_resize(source.pixels, sw, sh, sw * 4, out.data(), w, h, w * 4, STBIR_4CHANNEL,
                      STBIR_TYPE_UINT8, STBIR_EDGE_CLAMP, STBIR_FILTER_CATMULLROM) != nullptr;
}

}  // namespace vx::test
