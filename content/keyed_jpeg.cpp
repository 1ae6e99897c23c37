#include "keyed_jpeg.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <csetjmp>
#include <cstdlib>

#include "jpeg_error.h"

namespace vx::content {

namespace {

// Baseline limits: AC coefficients within 10 bits, DC within 11 bits.
constexpr int MaxAc = 1023;
constexpr int MaxDc = 2047;

// basis[u][x] = C(u) / 2 x cos((2x + 1) u pi / 16), C(0) = 1 / sqrt 2, so
// that F(u, v) = sum over x, y of basis[u][x] basis[v][y] s(x, y): the
// forward DCT of the JPEG standard, whose F(0, 0) is 8 times the mean.
std::array<std::array<double, 8>, 8> DctBasis() {
  std::array<std::array<double, 8>, 8> basis{};
  const double pi = 3.14159265358979323846;
  for (int u = 0; u < 8; ++u)
    for (int x = 0; x < 8; ++x)
      basis[u][x] = (u == 0 ? std::sqrt(0.5) : 1.0) / 2.0 * std::cos((2 * x + 1) * u * pi / 16.0);
  return basis;
}

// The level-shifted sample of one channel (shift 16, 8 or 0) at x, y; the
// edge is repeated beyond the canvas, as libjpeg pads partial blocks.
double Sample(const Canvas& canvas, int x, int y, int shift) {
  x = std::min(x, canvas.width - 1);
  y = std::min(y, canvas.height - 1);
  const int byte = static_cast<int>((canvas.At(x, y) >> shift) & 255u);
  return (byte == 0 ? BelowBlack : byte) - 128.0;
}

// Quantised coefficients of the block at bx, by (in blocks) of one channel,
// in libjpeg's natural order (row v, column u at v x 8 + u).
void QuantiseBlock(const Canvas& canvas, int bx, int by, int shift, const JQUANT_TBL& table,
                   JCOEF* block) {
  static const std::array<std::array<double, 8>, 8> basis = DctBasis();
  double s[8][8];
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) s[y][x] = Sample(canvas, bx * 8 + x, by * 8 + y, shift);
  // Rows first, then columns: F(u, v) = sum_y basis[v][y] sum_x basis[u][x] s.
  double rows[8][8];
  for (int y = 0; y < 8; ++y)
    for (int u = 0; u < 8; ++u) {
      double sum = 0.0;
      for (int x = 0; x < 8; ++x) sum += basis[u][x] * s[y][x];
      rows[y][u] = sum;
    }
  for (int v = 0; v < 8; ++v)
    for (int u = 0; u < 8; ++u) {
      double sum = 0.0;
      for (int y = 0; y < 8; ++y) sum += basis[v][y] * rows[y][u];
      const int k = v * 8 + u;
      const long q = std::lround(sum / table.quantval[k]);
      const long limit = k == 0 ? MaxDc : MaxAc;
      block[k] = static_cast<JCOEF>(std::clamp(q, -limit, limit));
    }
}

}  // namespace

std::vector<std::uint8_t> EncodeKeyedJpeg(const Canvas& canvas, int quality) {
  std::vector<std::uint8_t> result;
  if (canvas.width <= 0 || canvas.height <= 0 || canvas.width > 65500 || canvas.height > 65500)
    return result;
  const auto blocksWide = static_cast<JDIMENSION>((canvas.width + 7) / 8);
  const auto blocksHigh = static_cast<JDIMENSION>((canvas.height + 7) / 8);

  jpeg_compress_struct info{};
  JpegEncodeError error;
  CatchJpegErrors(info, error);
  // Nothing declared before setjmp is assigned after it except through
  // libjpeg, so every variable is still valid after a jump.
  if (setjmp(error.jump) == 0) {
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &error.output, &error.outputSize);
    info.image_width = static_cast<JDIMENSION>(canvas.width);
    info.image_height = static_cast<JDIMENSION>(canvas.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, JCS_RGB);  // one quantisation table, 1 x 1 sampling
    jpeg_set_quality(&info, std::clamp(quality, 1, 100), TRUE);
    info.optimize_coding = TRUE;
    // A DC step of 2 keeps the largest difference between neighbouring
    // blocks, BelowBlack against 255, within the 11 bits baseline allows.
    JQUANT_TBL& table = *info.quant_tbl_ptrs[0];
    table.quantval[0] = std::max<UINT16>(table.quantval[0], 2);

    jvirt_barray_ptr channels[3];
    for (jvirt_barray_ptr& channel : channels)
      channel = (*info.mem->request_virt_barray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                 TRUE, blocksWide, blocksHigh, 1);
    (*info.mem->realize_virt_arrays)(reinterpret_cast<j_common_ptr>(&info));
    const int shifts[3] = {16, 8, 0};  // red, green, blue
    for (int c = 0; c < 3; ++c) {
      const JQUANT_TBL& channelTable = *info.quant_tbl_ptrs[info.comp_info[c].quant_tbl_no];
      for (JDIMENSION by = 0; by < blocksHigh; ++by) {
        JBLOCKARRAY row = (*info.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&info),
                                                          channels[c], by, 1, TRUE);
        for (JDIMENSION bx = 0; bx < blocksWide; ++bx)
          QuantiseBlock(canvas, static_cast<int>(bx), static_cast<int>(by), shifts[c], channelTable,
                        row[0][bx]);
      }
    }
    jpeg_write_coefficients(&info, channels);
    jpeg_finish_compress(&info);
    result.assign(error.output, error.output + error.outputSize);
  }
  jpeg_destroy_compress(&info);
  std::free(error.output);
  return result;
}

}  // namespace vx::content
