// picture_digests: decodes every JPEG file stored in a data library with the
// show's own picture loader and prints one line per picture,
//
//   picture NAME WIDTHxHEIGHTxBYTES SHA256
//
// the digest taken over the decoded pixels exactly as the show keeps them
// (32-bit little-endian words 0x00RRGGBB, or one grey byte a pixel). The
// program is built natively and for WebAssembly, whose builds decode with
// different copies of libjpeg-turbo (the system's, with its x86 SIMD code,
// and one compiled from source without it): equal listings of one archive
// show that both see the same pixels. The loader's own progress lines are
// printed as in the show, so they are compared too.
//
//   picture_digests LIBRARY
//
// Exit code 0 when every JPEG decoded; 1 when the library cannot be opened
// or a picture fails to decode (its line says "failed"); 2 for a wrong
// command line.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "base/console.h"
#include "digest_command_line.h"
#include "platform/picture.h"
#include "sha256.h"

namespace {

constexpr const char* Usage =
    "usage: picture_digests LIBRARY\n"
    "  Decodes every JPEG file stored in the data library LIBRARY with the\n"
    "  show's picture loader and prints \"picture NAME WxHxBYTES SHA256\" for\n"
    "  each, the digest taken over its decoded pixels.\n";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

bool ReadInt32At(std::FILE* file, long position, std::int32_t& value) {
  std::uint8_t bytes[4];
  if (std::fseek(file, position, SEEK_SET) != 0 || std::fread(bytes, 1, 4, file) != 4) return false;
  value = static_cast<std::int32_t>(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                    std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24);
  return true;
}

// The stored names in index order. The reader has already checked the
// archive (OpenLibrary), so this walk only has to stop at a short read.
bool ReadStoredNames(const std::string& path, std::vector<std::string>& names) {
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  std::int32_t count = 0;
  std::int32_t indexPosition = 0;
  if (!file || !ReadInt32At(file.get(), vx::LibraryHeaderSize, count) ||
      !ReadInt32At(file.get(), vx::LibraryHeaderSize + 4, indexPosition) ||
      std::fseek(file.get(), indexPosition, SEEK_SET) != 0)
    return false;
  for (std::int32_t i = 0; i < count; ++i) {
    const int length = std::fgetc(file.get());
    if (length == EOF) return false;
    std::string name(static_cast<std::size_t>(length), '\0');
    std::uint8_t sizeAndPosition[8];
    if (std::fread(name.data(), 1, name.size(), file.get()) != name.size() ||
        std::fread(sizeAndPosition, 1, sizeof sizeAndPosition, file.get()) !=
            sizeof sizeAndPosition)
      return false;
    names.push_back(std::move(name));
  }
  return true;
}

bool IsJpegName(const std::string& name) {
  const auto endsWith = [&name](std::string_view ending) {
    if (name.size() < ending.size()) return false;
    for (std::size_t i = 0; i < ending.size(); ++i) {
      const char c = name[name.size() - ending.size() + i];
      if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != ending[i]) return false;
    }
    return true;
  };
  return endsWith(".jpg") || endsWith(".jpeg");
}

}  // namespace

int main(int argc, char** argv) {
  std::string library;
  int exitCode = 0;
  if (!vx::test::ReadLibraryArgument(argc, argv, "picture_digests", Usage, library, exitCode))
    return exitCode;
  std::vector<std::string> names;
  if (!vx::OpenLibrary(library) || !ReadStoredNames(library, names)) {
    std::cerr << "picture_digests: cannot read the data library " << library << std::endl;
    return 1;
  }

  int failures = 0;
  for (const std::string& name : names) {
    if (!IsJpegName(name)) continue;
    vx::Picture picture{};
    if (!vx::LoadJpegPicture(name, picture)) {
      vx::ConsoleWriteLine("picture " + name + " failed");
      ++failures;
      continue;
    }
    const std::size_t bytes = std::size_t{picture.width} * picture.height * picture.bytesPerPixel;
    vx::ConsoleWriteLine("picture " + name + " " + std::to_string(picture.width) + "x" +
                         std::to_string(picture.height) + "x" +
                         std::to_string(picture.bytesPerPixel) + " " +
                         vx::test::Sha256Hex(picture.pixels, bytes));
    vx::ReleasePicture(picture);
  }
  vx::CloseLibrary();
  if (failures != 0) {
    std::cerr << "picture_digests: " << failures << " pictures failed to decode" << std::endl;
    return 1;
  }
  return 0;
}
