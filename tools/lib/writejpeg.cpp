#include "writejpeg.h"

#include <cstdlib>

#include "jpeg_error.h"

namespace vx {
namespace {

void ExitToEncoder(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegEncodeError*>(info->err);
  std::longjmp(error->jump, 1);
}

void IgnoreMessage(j_common_ptr) {}

constexpr std::uint32_t MaxJpegSide = 65500;

bool ValidSize(std::uint32_t width, std::uint32_t height) {
  return width != 0 && height != 0 && width <= MaxJpegSide && height <= MaxJpegSide;
}

// Encodes with rows supplied by fillRow(y, row), row holding width x
// components bytes. Nothing declared before setjmp is assigned between it
// and a possible jump, except through libjpeg (the output buffer).
template <typename FillRow>
std::vector<std::uint8_t> Encode(std::uint32_t width, std::uint32_t height, int components,
                                 const JpegEncodeOptions& options, FillRow fillRow) {
  std::vector<std::uint8_t> result;
  if (!ValidSize(width, height)) return result;

  jpeg_compress_struct info{};
  JpegEncodeError error;
  CatchJpegErrors(info, error);

  auto* row = static_cast<JSAMPLE*>(std::malloc(std::size_t{width} * components));
  if (row == nullptr) return result;

  if (setjmp(error.jump) == 0) {
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &error.output, &error.outputSize);
    info.image_width = width;
    info.image_height = height;
    info.input_components = components;
    info.in_color_space = components == 3 ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&info);
    if (components == 3 && options.rgbComponents) jpeg_set_colorspace(&info, JCS_RGB);
    int quality = options.quality < 1 ? 1 : (options.quality > 100 ? 100 : options.quality);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_ISLOW;
    if (components == 3 && options.fullChroma) {
      for (int c = 0; c < 3; ++c) {
        info.comp_info[c].h_samp_factor = 1;
        info.comp_info[c].v_samp_factor = 1;
      }
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
      fillRow(info.next_scanline, row);
      JSAMPROW rows[1] = {row};
      jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    result.assign(error.output, error.output + error.outputSize);
  }
  jpeg_destroy_compress(&info);
  std::free(error.output);
  std::free(row);
  return result;
}

}  // namespace

void CatchJpegErrors(jpeg_compress_struct& info, JpegEncodeError& error) {
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = ExitToEncoder;
  error.manager.output_message = IgnoreMessage;
}

std::vector<std::uint8_t> EncodeJpegColour(const std::uint32_t* pixels, std::uint32_t width,
                                           std::uint32_t height, const JpegEncodeOptions& options) {
  if (pixels == nullptr) return {};
  return Encode(width, height, 3, options, [&](std::uint32_t y, JSAMPLE* row) {
    const std::uint32_t* source = pixels + std::size_t{y} * width;
    for (std::uint32_t x = 0; x < width; ++x) {
      std::uint32_t word = source[x];
      row[3 * x + 0] = static_cast<JSAMPLE>((word >> 16) & 0xFF);
      row[3 * x + 1] = static_cast<JSAMPLE>((word >> 8) & 0xFF);
      row[3 * x + 2] = static_cast<JSAMPLE>(word & 0xFF);
    }
  });
}

std::vector<std::uint8_t> EncodeJpegGrey(const std::uint8_t* pixels, std::uint32_t width,
                                         std::uint32_t height, const JpegEncodeOptions& options) {
  if (pixels == nullptr) return {};
  return Encode(width, height, 1, options, [&](std::uint32_t y, JSAMPLE* row) {
    const std::uint8_t* source = pixels + std::size_t{y} * width;
    for (std::uint32_t x = 0; x < width; ++x) row[x] = source[x];
  });
}

}  // namespace vx
