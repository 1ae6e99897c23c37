#include "driver/process/process_support.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string_view>

namespace vx::test {

std::string Vx1Path() {
  return std::string(VX_BINARY_DIR) + "/vx1";
}
std::string ArchivePath() {
  return std::string(VX_BINARY_DIR) + "/vx-1.lib";
}

bool HaveArchive() {
  std::error_code ec;
  return std::filesystem::is_regular_file(ArchivePath(), ec);
}

bool InCi() {
  const char* ci = std::getenv("CI");
  return ci != nullptr && std::string_view(ci) == "true";
}

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::stringstream dirs(path);
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    if (dir.empty()) continue;
    std::error_code ec;
    const auto candidate = std::filesystem::path(dir) / name;
    if (std::filesystem::is_regular_file(candidate, ec)) return candidate.string();
  }
  return {};
}

bool HaveProgram(const std::string& name) {
  return !FindProgram(name).empty();
}

bool ReadPngWords(const std::string& path, std::uint32_t& width, std::uint32_t& height,
                  std::vector<std::uint32_t>& words) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_BGRA;  // bytes blue, green, red, alpha: a little-endian word
  words.assign(static_cast<std::size_t>(image.width) * image.height, 0u);
  if (!png_image_finish_read(&image, nullptr, words.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  for (std::uint32_t& w : words) w &= 0x00FFFFFFu;
  width = image.width;
  height = image.height;
  return true;
}

double LitFraction(const std::vector<std::uint32_t>& words) {
  if (words.empty()) return 0.0;
  const auto lit = std::count_if(words.begin(), words.end(), [](std::uint32_t w) {
    return std::max({w & 0xFFu, (w >> 8) & 0xFFu, (w >> 16) & 0xFFu}) > 8u;
  });
  return static_cast<double>(lit) / static_cast<double>(words.size());
}

}  // namespace vx::test
