// PNG files of 32-bit pixels (0x00RRGGBB) as 8-bit RGB, through libpng.
// libpng reports errors by longjmp to the set-up point below. The file is
// written as an output file (base/output_file.h): a failed write leaves
// the path as it was.
#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "base/output_file.h"
#include "platform/picture.h"

namespace vx {
namespace {

// Everything the error path needs, kept in memory that outlives the jump.
struct PngTarget {
  const char* path = nullptr;  // as the user named it, for messages
  std::FILE* file = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  png_bytep row = nullptr;
};

void SilentWarning(png_structp, png_const_charp) {}

// libpng's own words for a failed fwrite ("Write Error") say neither the
// file nor why: the system's reason is still in errno.
void ReportError(png_structp png, png_const_charp message) {
  const auto* target = static_cast<const PngTarget*>(png_get_error_ptr(png));
  if (std::string_view(message) == "Write Error")
    std::fprintf(stderr, "PNG error: cannot write %s: %s\n", target->path,
                 std::strerror(errno != 0 ? errno : EIO));
  else
    std::fprintf(stderr, "PNG error: %s: %s\n", target->path, message);
  png_longjmp(png, 1);
}

bool WriteRows(PngTarget& target, const std::uint32_t* pixels, std::uint32_t width,
               std::uint32_t height) {
  if (setjmp(png_jmpbuf(target.png)) != 0) return false;
  errno = 0;
  png_init_io(target.png, target.file);
  png_set_IHDR(target.png, target.info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(target.png, target.info);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint32_t* source = pixels + std::size_t{y} * width;
    for (std::uint32_t x = 0; x < width; ++x) {
      target.row[3 * x + 0] = static_cast<png_byte>(source[x] >> 16);
      target.row[3 * x + 1] = static_cast<png_byte>(source[x] >> 8);
      target.row[3 * x + 2] = static_cast<png_byte>(source[x]);
    }
    png_write_row(target.png, target.row);
  }
  png_write_end(target.png, nullptr);
  return true;
}

}  // namespace

bool WritePngPending(OutputFile& output, const char* path, const std::uint32_t* pixels,
                     std::uint32_t width, std::uint32_t height) {
  if (path == nullptr || pixels == nullptr || width == 0 || height == 0 ||
      width > PNG_USER_WIDTH_MAX || height > PNG_USER_HEIGHT_MAX) {
    std::fprintf(stderr, "PNG error: no picture to write to %s\n", path ? path : "(no path)");
    return false;
  }
  if (!output.Open(path)) {
    std::fprintf(stderr, "PNG error: %s\n", output.Error().c_str());
    return false;
  }
  PngTarget target;
  target.path = path;
  target.file = output.File();
  target.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &target, ReportError, SilentWarning);
  if (target.png != nullptr) target.info = png_create_info_struct(target.png);
  target.row = static_cast<png_bytep>(std::malloc(std::size_t{width} * 3));

  bool ok = target.png != nullptr && target.info != nullptr && target.row != nullptr &&
            WriteRows(target, pixels, width, height);
  png_destroy_write_struct(target.png != nullptr ? &target.png : nullptr,
                           target.info != nullptr ? &target.info : nullptr);
  std::free(target.row);
  if (!ok) {
    output.Abandon();
    return false;
  }
  if (!output.Finish()) {
    std::fprintf(stderr, "PNG error: %s\n", output.Error().c_str());
    return false;
  }
  return true;
}

bool WritePng(const char* path, const std::uint32_t* pixels, std::uint32_t width,
              std::uint32_t height) {
  OutputFile output;
  if (!WritePngPending(output, path, pixels, width, height)) return false;
  if (!output.Commit()) {
    std::fprintf(stderr, "PNG error: %s\n", output.Error().c_str());
    return false;
  }
  return true;
}

}  // namespace vx
