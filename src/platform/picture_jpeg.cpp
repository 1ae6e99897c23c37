// JPEG pictures through libjpeg-turbo. libjpeg reports errors by calling
// error_exit, which by default ends the process; here it jumps back to the
// loader. Its warnings about damaged or incomplete pixel data count as errors
// too, so a damaged file always gives a clean false; the few warnings about
// harmless oddities are let pass (see TolerableWarning). The source is
// libjpeg's memory source: it never reads outside the buffer it is given.

// jpeglib.h uses FILE and size_t without including their headers.
// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/console.h"
#include "datalib/datalib.h"
#include "platform/picture.h"
#include "platform/video.h"

namespace vx {
namespace {

// The largest pictures the show has are the sharp show's full-screen ones
// (SharpPictureSizes); its textures, up to 1024 texels square, fit inside
// them. A picture wider or taller can never be used, so its header alone
// refuses it, before any memory or time goes into decoding what a damaged
// or foreign file claims (an 8192 x 8192 progressive file takes seconds and
// hundreds of megabytes).
constexpr SharpPictureSize LargestPicture() {
  SharpPictureSize largest{.width = ScreenWidth, .height = 256};
  for (const SharpPictureSize& size : SharpPictureSizes) {
    largest.width = size.width > largest.width ? size.width : largest.width;
    largest.height = size.height > largest.height ? size.height : largest.height;
  }
  return largest;
}
constexpr auto MaxPictureWidth = static_cast<std::uint32_t>(LargestPicture().width);
constexpr auto MaxPictureHeight = static_cast<std::uint32_t>(LargestPicture().height);

struct DecodeError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  bool decoding = false;  // past the header: the scans are being read
};

struct Decoder {
  jpeg_decompress_struct info{};
  DecodeError error;
};

void ExitToLoader(j_common_ptr info) {
  auto* error = reinterpret_cast<DecodeError*>(info->err);
  std::longjmp(error->jump, 1);
}

// Warnings while reading the header after which every sample is still the
// one the file encodes, as other decoders (ffmpeg) read it too:
//   JWRN_JFIF_MAJOR       a JFIF version other than 1.x; the segment is only
//                         read for its pixel density, which the show ignores.
//   JWRN_EXTRANEOUS_DATA  bytes between two header segments, skipped to find
//                         the next marker.
// Every other warning means samples are missing or guessed: the file ended
// early (JWRN_JPEG_EOF), a scan stopped at a marker (JWRN_HIT_MARKER), a bad
// Huffman or arithmetic code (JWRN_HUFF_BAD_CODE, JWRN_ARITH_BAD_CODE), a
// lost restart marker (JWRN_MUST_RESYNC), progressive scans that do not fit
// together (JWRN_BOGUS_PROGRESSION), a sequential scan whose header claims
// only part of the coefficients (JWRN_NOT_SEQUENTIAL), an unknown Adobe
// colour transform whose colours would be assumed (JWRN_ADOBE_XFORM); and so
// is any warning a later libjpeg adds. Once decoding has begun even stray
// bytes fail: libjpeg-turbo's fast Huffman path reads an invalid code as 0
// without a warning, and such damage then shows only as scan bytes left
// unread before the next marker.
bool TolerableWarning(int code, bool decoding) {
  return !decoding && (code == JWRN_JFIF_MAJOR || code == JWRN_EXTRANEOUS_DATA);
}

// level < 0 is a warning: a failure unless tolerable. Levels >= 0 are trace
// messages: ignored.
void EmitMessage(j_common_ptr info, int level) {
  const auto* error = reinterpret_cast<const DecodeError*>(info->err);
  if (level < 0 && !TolerableWarning(info->err->msg_code, error->decoding)) ExitToLoader(info);
}

void OutputNothing(j_common_ptr) {}

// Decodes the scanlines of a decoder whose header is read and whose output
// colour space is set, into rows of width x components bytes back to back at
// pixels. False on any error or warning; the jump set here is the one in
// force while it runs.
bool DecodeRows(Decoder& decoder, std::uint8_t* pixels, int components) {
  jpeg_decompress_struct& info = decoder.info;
  if (setjmp(decoder.error.jump) != 0) return false;
  decoder.error.decoding = true;
  jpeg_start_decompress(&info);
  if (info.output_width != info.image_width || info.output_height != info.image_height ||
      info.output_components != components) {
    jpeg_abort_decompress(&info);
    return false;
  }
  const std::size_t rowBytes = std::size_t{info.output_width} * components;
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels + std::size_t{info.output_scanline} * rowBytes;
    if (jpeg_read_scanlines(&info, &row, 1) != 1) {
      jpeg_abort_decompress(&info);
      return false;
    }
  }
  jpeg_finish_decompress(&info);
  return true;
}

}  // namespace

void ExpandRgbToPixels(void* pixels, std::size_t count) {
  auto* bytes = static_cast<std::uint8_t*>(pixels);
  for (std::size_t i = count; i-- > 0;) {
    const std::uint8_t r = bytes[3 * i + 0];
    const std::uint8_t g = bytes[3 * i + 1];
    const std::uint8_t b = bytes[3 * i + 2];
    bytes[4 * i + 0] = b;
    bytes[4 * i + 1] = g;
    bytes[4 * i + 2] = r;
    bytes[4 * i + 3] = 0;
  }
}

bool DecodeJpegPicture(const std::uint8_t* data, std::size_t size, Picture& picture) {
  if (data == nullptr || size == 0) return false;

  Decoder decoder;
  decoder.info.err = jpeg_std_error(&decoder.error.manager);
  decoder.error.manager.error_exit = ExitToLoader;
  decoder.error.manager.emit_message = EmitMessage;
  decoder.error.manager.output_message = OutputNothing;

  // Header stage: a failure leaves the picture untouched.
  if (setjmp(decoder.error.jump) != 0) {
    jpeg_destroy_decompress(&decoder.info);
    return false;
  }
  jpeg_create_decompress(&decoder.info);
  jpeg_mem_src(&decoder.info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&decoder.info, TRUE);

  jpeg_decompress_struct& info = decoder.info;
  picture.width = info.image_width;
  picture.height = info.image_height;

  int components = info.num_components;
  if (components == 3) {
    info.out_color_space = JCS_RGB;
  } else if (components == 1) {
    info.out_color_space = JCS_GRAYSCALE;
  }
  const std::uint64_t count = std::uint64_t{picture.width} * picture.height;
  const bool usableSize = picture.width <= MaxPictureWidth && picture.height <= MaxPictureHeight;
  void* pixels = nullptr;
  if ((components == 3 || components == 1) && count != 0 && usableSize) {
    const std::size_t bytesPerPixel = components == 3 ? 4 : 1;
    pixels = std::malloc(static_cast<std::size_t>(count) * bytesPerPixel);
  }
  if (pixels == nullptr) {
    // Other channel counts (CMYK), a size the show cannot use or no memory:
    // the sizes stay, no pixels.
    picture.bytesPerPixel = 0;
    picture.pixels = nullptr;
    jpeg_destroy_decompress(&info);
    return false;
  }
  picture.bytesPerPixel = components == 3 ? 4 : 1;
  picture.pixels = pixels;

  // Decoding stage: a failure releases the picture.
  const bool decoded = DecodeRows(decoder, static_cast<std::uint8_t*>(pixels), components);
  jpeg_destroy_decompress(&info);
  if (!decoded) {
    ReleasePicture(picture);
    return false;
  }
  if (components == 3) ExpandRgbToPixels(pixels, static_cast<std::size_t>(count));
  return true;
}

namespace {

// The last picture LoadJpegPicture was asked for and how it went, for the
// line ReportPictureLoadError adds to the box: its callers end the program
// on a failed load or on a picture of the wrong size.
struct LastPicture {
  std::string name;
  std::string problem;  // empty when it loaded
  std::uint32_t width = 0, height = 0, bytesPerPixel = 0;
};
LastPicture lastPicture;

}  // namespace

bool LoadJpegPicture(std::string_view name, Picture& picture) {
  lastPicture = {std::string(name), {}, 0, 0, 0};
  const std::int32_t size = LibraryFileSize(name);
  if (size <= 0) {
    ConsoleWriteLine(std::string("nincs ").append(name));
    lastPicture.problem = "not in the data library";
    return false;
  }
  auto* source = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(size)));
  if (source == nullptr) {
    lastPicture.problem = "out of memory";
    return false;
  }
  ConsoleWriteLine(std::string("van ").append(name));
  // A file that cannot be read is a failure, not a buffer of garbage to
  // decode.
  bool loaded = ReadLibraryFile(name, source);
  if (!loaded) lastPicture.problem = "cannot be read from the data library";
  loaded = loaded && DecodeJpegPicture(source, static_cast<std::size_t>(size), picture);
  if (!loaded && lastPicture.problem.empty()) lastPicture.problem = "not a readable JPEG picture";
  std::free(source);
  lastPicture.width = picture.width;
  lastPicture.height = picture.height;
  lastPicture.bytesPerPixel = picture.bytesPerPixel;
  return loaded;
}

void ReleasePicture(Picture& picture) {
  std::free(picture.pixels);
  picture.pixels = nullptr;
  picture.width = 0;
  picture.height = 0;
  picture.bytesPerPixel = 0;
}

void ReportPictureLoadError() {
  ShowErrorBox("KVS_JPEG message", "Load Error");
  // The box says only "Load Error": this line says which picture and why.
  const LastPicture& last = lastPicture;
  const std::string problem =
      !last.problem.empty()
          ? last.problem
          : std::to_string(last.width) + " x " + std::to_string(last.height) + " at " +
                std::to_string(last.bytesPerPixel) + " bytes a pixel is not what the show needs";
  std::fprintf(stderr, "vx1: cannot load the picture %s: %s\n",
               last.name.empty() ? "(none named)" : last.name.c_str(), problem.c_str());
  std::fflush(stderr);
  std::exit(1);
}

}  // namespace vx
