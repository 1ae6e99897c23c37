// Fuzz target of the picture path: any bytes are stored as one file of an
// archive and loaded from it with LoadJpegPicture, the way the show loads its
// pictures, then decoded once more straight from memory. Both pictures must
// be in a state the picture interface documents, and the same one:
//   success: width x height > 0 as the frame header says, 4 bytes a pixel
//            for 3 components (fourth byte 0), 1 for one, every byte there;
//   failure: untouched, or no pixels and bytesPerPixel 0 with the sizes
//            either 0 or the frame header's.
// Which damaged files fail is the decoder's policy and not checked here; the
// frame header is found by a marker walk of its own below. A broken contract
// traps, so libFuzzer (clang, target fuzz_picture) and the replay driver
// (g++, replay_picture, run by CTest over the seed corpus) both report it as
// a crash.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "platform/picture.h"
#include "support/fuzz_io.h"

namespace {

using vx::fuzz::CaptureOutput;

using vx::fuzz::Check;
constexpr const char* HeaderText = vx::fuzz::ArchiveHeaderText;

const std::string PictureName = "DATA\\fuzz.jpg";

// An archive holding data as its only file.
std::vector<std::uint8_t> ArchiveOf(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> image(HeaderText, HeaderText + 103);
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) image.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  put32(1);
  put32(static_cast<std::uint32_t>(111 + size));
  image.insert(image.end(), data, data + size);
  image.push_back(static_cast<std::uint8_t>(PictureName.size()));
  image.insert(image.end(), PictureName.begin(), PictureName.end());
  put32(static_cast<std::uint32_t>(size));
  put32(111);
  return image;
}

// Width, height and component count of the first frame header (SOFn), found
// as libjpeg reads markers: SOI first, then markers that may be preceded by
// stray bytes and fill bytes 0xFF, each segment skipped by its length
// (lengths below 2 skip only themselves), RSTn and TEM without one. A second
// SOI, SOS or EOI before any frame header means there is none.
struct FrameHeader {
  bool found = false;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int components = 0;
};

FrameHeader FindFrameHeader(const std::uint8_t* data, std::size_t size) {
  FrameHeader frame;
  if (size < 2 || data[0] != 0xFF || data[1] != 0xD8) return frame;
  std::size_t at = 2;
  for (;;) {
    // Next marker: skip to 0xFF, over fill bytes; 0xFF 0x00 is no marker.
    while (at < size && data[at] != 0xFF) ++at;
    while (at < size && data[at] == 0xFF) ++at;
    if (at >= size) return frame;
    const std::uint8_t marker = data[at++];
    if (marker == 0x00) continue;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA) return frame;
    if (size - at < 2) return frame;
    const std::size_t length = std::size_t{data[at]} << 8 | data[at + 1];
    const bool isFrame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (isFrame) {
      if (size - at < 8) return frame;
      frame.found = true;
      frame.height = std::uint32_t{data[at + 3]} << 8 | data[at + 4];
      frame.width = std::uint32_t{data[at + 5]} << 8 | data[at + 6];
      frame.components = data[at + 7];
      return frame;
    }
    at += length < 2 ? 2 : length;
  }
}

// A picture no decoder would produce, to see whether it was touched.
vx::Picture Untouched() {
  static std::uint8_t marker;
  return vx::Picture{0xA5A5u, 0x5A5Au, 0x77, &marker};
}

bool IsUntouched(const vx::Picture& p) {
  const vx::Picture u = Untouched();
  return p.width == u.width && p.height == u.height && p.bytesPerPixel == u.bytesPerPixel &&
         p.pixels == u.pixels;
}

// Checks the documented state of a picture after a load or decode and
// returns a hash of its pixel bytes (reading every one of them).
std::uint64_t CheckState(const vx::Picture& p, bool loaded, const FrameHeader& frame) {
  std::uint64_t hash = 1469598103934665603u;
  if (!loaded) {
    if (IsUntouched(p)) return hash;
    Check(p.pixels == nullptr && p.bytesPerPixel == 0);
    const bool zero = p.width == 0 && p.height == 0;
    Check(zero || (frame.found && p.width == frame.width && p.height == frame.height));
    return hash;
  }
  Check(frame.found && p.width == frame.width && p.height == frame.height);
  Check(p.width > 0 && p.height > 0 && p.pixels != nullptr);
  Check((frame.components == 3 && p.bytesPerPixel == 4) ||
        (frame.components == 1 && p.bytesPerPixel == 1));
  const std::size_t count = std::size_t{p.width} * p.height;
  const auto* bytes = static_cast<const std::uint8_t*>(p.pixels);
  for (std::size_t i = 0; i < count * p.bytesPerPixel; ++i) {
    // Colour words are 0x00RRGGBB: the fourth byte in memory is 0.
    if (p.bytesPerPixel == 4 && i % 4 == 3) Check(bytes[i] == 0);
    hash = (hash ^ bytes[i]) * 1099511628211u;
  }
  return hash;
}

void Release(vx::Picture& p) {
  if (IsUntouched(p)) return;
  vx::ReleasePicture(p);
  Check(p.width == 0 && p.height == 0 && p.bytesPerPixel == 0 && p.pixels == nullptr);
  vx::ReleasePicture(p);
  Check(p.width == 0 && p.height == 0 && p.bytesPerPixel == 0 && p.pixels == nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static vx::fuzz::MemoryFile archive("archive");
  // An archive holds at most 2^31 - 1 bytes.
  if (size > 0x7FFF0000u) return 0;
  const std::vector<std::uint8_t> image = ArchiveOf(data, size);
  archive.Fill(image.data(), image.size());
  bool opened = false;
  CaptureOutput([&] { opened = vx::OpenLibrary(archive.Path()); });
  Check(opened);

  const FrameHeader frame = FindFrameHeader(data, size);

  // From the archive, as the show loads it. An empty file counts as absent.
  vx::Picture fromLibrary = Untouched();
  bool loaded = false;
  const std::string out =
      CaptureOutput([&] { loaded = vx::LoadJpegPicture(PictureName, fromLibrary); });
  const bool saysVan = out.find("\nvan " + PictureName + "\n") != std::string::npos;
  const bool saysNincs = out.find("nincs " + PictureName + "\n") != std::string::npos;
  Check(saysVan == (size > 0) && saysNincs == (size == 0));
  if (size == 0) Check(!loaded && IsUntouched(fromLibrary));
  const std::uint64_t libraryHash = CheckState(fromLibrary, loaded, frame);

  // Only one decoded picture held at a time: a damaged header may claim
  // hundreds of megabytes.
  const vx::Picture library = fromLibrary;
  const bool libraryUntouched = IsUntouched(fromLibrary);
  Release(fromLibrary);

  // From memory: the same outcome, the same picture.
  vx::Picture fromMemory = Untouched();
  const bool decoded = vx::DecodeJpegPicture(data, size, fromMemory);
  const std::uint64_t memoryHash = CheckState(fromMemory, decoded, frame);
  Check(decoded == loaded && IsUntouched(fromMemory) == libraryUntouched);
  Check(fromMemory.width == library.width && fromMemory.height == library.height &&
        fromMemory.bytesPerPixel == library.bytesPerPixel && memoryHash == libraryHash);
  Release(fromMemory);
  vx::CloseLibrary();
  return 0;
}
