// JPEG pictures: decoding into the show's pixel formats, the library loader's
// lines, the failure states, the in-place expansion, and PNG writing.
#include "platform/picture.h"

#include <gtest/gtest.h>
#include <png.h>

// jpeglib.h uses FILE and size_t without including their headers.
// clang-format off
#include <cstddef>
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "support/testlib.h"
#include "writejpeg.h"

namespace vx {
namespace {

using test::Bytes;

// A picture whose every field says it was never written.
Picture Untouched() {
  static int marker;
  return Picture{12345, 678, 9, &marker};
}

void ExpectUntouched(const Picture& p) {
  Picture u = Untouched();
  EXPECT_EQ(p.width, u.width);
  EXPECT_EQ(p.height, u.height);
  EXPECT_EQ(p.bytesPerPixel, u.bytesPerPixel);
  EXPECT_EQ(p.pixels, u.pixels);
}

void ExpectReleased(const Picture& p) {
  EXPECT_EQ(p.width, 0u);
  EXPECT_EQ(p.height, 0u);
  EXPECT_EQ(p.bytesPerPixel, 0u);
  EXPECT_EQ(p.pixels, nullptr);
}

// Four flat 16 x 16 quadrants (aligned to the encoder's blocks), distinct in
// every channel, so a swapped red and blue or a wrong row order shows.
constexpr std::uint32_t QuadrantColours[4] = {0x00C81E3Cu, 0x0028B45Au, 0x00326EDCu, 0x00F0F0F0u};

std::vector<std::uint32_t> QuadrantPicture() {
  std::vector<std::uint32_t> pixels(32 * 32);
  for (std::uint32_t y = 0; y < 32; ++y) {
    for (std::uint32_t x = 0; x < 32; ++x)
      pixels[y * 32 + x] = QuadrantColours[(y / 16) * 2 + x / 16];
  }
  return pixels;
}

Bytes QuadrantJpeg() {
  auto pixels = QuadrantPicture();
  return EncodeJpegColour(pixels.data(), 32, 32, {100, true});
}

Bytes Decodable(const Bytes& jpeg) {
  Picture p{};
  EXPECT_TRUE(DecodeJpegPicture(jpeg.data(), jpeg.size(), p));
  ReleasePicture(p);
  return jpeg;
}

int Channel(std::uint32_t word, int shift) {
  return static_cast<int>((word >> shift) & 0xFF);
}

TEST(JpegDecode, ColourPictureGivesOneWord0x00RRGGBBPerPixel) {
  Bytes jpeg = QuadrantJpeg();
  ASSERT_FALSE(jpeg.empty());
  Picture p{};
  ASSERT_TRUE(DecodeJpegPicture(jpeg.data(), jpeg.size(), p));
  EXPECT_EQ(p.width, 32u);
  EXPECT_EQ(p.height, 32u);
  EXPECT_EQ(p.bytesPerPixel, 4u);
  ASSERT_NE(p.pixels, nullptr);
  const std::uint32_t* words = PictureWords(p);
  for (std::uint32_t y = 0; y < 32; ++y) {
    for (std::uint32_t x = 0; x < 32; ++x) {
      const std::uint32_t want = QuadrantColours[(y / 16) * 2 + x / 16];
      const std::uint32_t got = words[y * 32 + x];
      ASSERT_EQ(got >> 24, 0u) << "fourth byte at " << x << "," << y;
      for (int shift : {16, 8, 0}) {
        ASSERT_NEAR(Channel(got, shift), Channel(want, shift), 3)
            << "channel " << shift << " at " << x << "," << y;
      }
    }
  }
  ReleasePicture(p);
  ExpectReleased(p);
  ReleasePicture(p);  // releasing a released picture is harmless
  ExpectReleased(p);
}

TEST(JpegDecode, PureRedPixelIsTheWord0x00FF0000WithBytes00_00_FF_00) {
  std::vector<std::uint32_t> red(8 * 8, 0x00FF0000u);
  Bytes jpeg = EncodeJpegColour(red.data(), 8, 8, {100, false, true});
  Picture p{};
  ASSERT_TRUE(DecodeJpegPicture(jpeg.data(), jpeg.size(), p));
  ASSERT_EQ(p.bytesPerPixel, 4u);
  const auto* bytes = static_cast<const std::uint8_t*>(p.pixels);
  const std::uint8_t expected[4] = {0x00, 0x00, 0xFF, 0x00};
  for (int i = 0; i < 64; ++i) {
    ASSERT_EQ(PictureWords(p)[i], 0x00FF0000u) << i;
    ASSERT_EQ(std::memcmp(bytes + 4 * i, expected, 4), 0) << i;
  }
  ReleasePicture(p);
}

TEST(JpegDecode, GreyPictureKeepsOneBytePerPixelWithoutExpansion) {
  // Width 20 is not a multiple of the block size: rows must still be packed
  // back to back, 20 bytes apart.
  std::vector<std::uint8_t> grey(20 * 16);
  for (std::uint32_t y = 0; y < 16; ++y) {
    for (std::uint32_t x = 0; x < 20; ++x) grey[y * 20 + x] = (y < 8) ? 40 : 210;
  }
  Bytes jpeg = EncodeJpegGrey(grey.data(), 20, 16, {100});
  Picture p{};
  ASSERT_TRUE(DecodeJpegPicture(jpeg.data(), jpeg.size(), p));
  EXPECT_EQ(p.width, 20u);
  EXPECT_EQ(p.height, 16u);
  EXPECT_EQ(p.bytesPerPixel, 1u);
  const auto* bytes = static_cast<const std::uint8_t*>(p.pixels);
  for (std::size_t i = 0; i < grey.size(); ++i) ASSERT_NEAR(bytes[i], grey[i], 2) << i;
  ReleasePicture(p);
  ExpectReleased(p);
}

TEST(JpegDecode, MissingEndOfImageIsAFailureNotAWarning) {
  // libjpeg only warns about a file that ends early; that must fail here.
  Bytes jpeg = Decodable(QuadrantJpeg());
  jpeg.resize(jpeg.size() - 2);
  Picture p = Untouched();
  EXPECT_FALSE(DecodeJpegPicture(jpeg.data(), jpeg.size(), p));
  ExpectReleased(p);
}

TEST(JpegDecode, EveryTruncationFailsWithinItsBuffer) {
  // Each prefix sits in a heap block of exactly its size, so a read past the
  // end is caught by the address sanitizer builds.
  const Bytes jpeg = Decodable(QuadrantJpeg());
  for (std::size_t length = 0; length < jpeg.size(); ++length) {
    Bytes prefix(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(length));
    Picture p = Untouched();
    ASSERT_FALSE(DecodeJpegPicture(prefix.data(), prefix.size(), p)) << "length " << length;
    // Either the header was incomplete (untouched) or decoding stopped
    // (released); never a half-filled picture.
    if (p.pixels == Untouched().pixels) {
      ExpectUntouched(p);
    } else {
      ExpectReleased(p);
    }
  }
}

TEST(JpegDecode, DamagedHeaderLeavesThePictureUntouched) {
  Bytes jpeg = Decodable(QuadrantJpeg());
  jpeg[1] = 0x00;  // start-of-image marker gone
  Picture p = Untouched();
  EXPECT_FALSE(DecodeJpegPicture(jpeg.data(), jpeg.size(), p));
  ExpectUntouched(p);
}

// Offset of the first segment with this marker, walking the segments from
// the start of the file (so bytes inside tables are never mistaken for one);
// 0 when there is none before the scan.
std::size_t FindSegment(const Bytes& jpeg, std::uint8_t marker) {
  std::size_t i = 2;
  while (i + 3 < jpeg.size() && jpeg[i] == 0xFF) {
    if (jpeg[i + 1] == marker) return i;
    if (jpeg[i + 1] == 0xDA) return 0;
    i += 2 + ((std::size_t{jpeg[i + 2]} << 8) | jpeg[i + 3]);
  }
  return 0;
}

Bytes NoiseJpeg() {
  std::mt19937 random(3);
  std::vector<std::uint32_t> pixels(64 * 64);
  for (auto& p : pixels) p = random() & 0xFFFFFF;
  return EncodeJpegColour(pixels.data(), 64, 64, {90});
}

TEST(JpegDecode, DamagedScanDataFailsAndReleases) {
  Bytes jpeg = Decodable(NoiseJpeg());
  const std::size_t sos = FindSegment(jpeg, 0xDA);
  ASSERT_NE(sos, 0u);
  const std::size_t scanStart = sos + 2 + ((std::size_t{jpeg[sos + 2]} << 8) | jpeg[sos + 3]);
  // An unexpected restart marker in the middle of the entropy-coded data:
  // libjpeg warns and resynchronises; here that is a failure.
  const std::size_t middle = (scanStart + jpeg.size()) / 2;
  ASSERT_GT(middle, scanStart + 100);
  jpeg[middle] = 0xFF;
  jpeg[middle + 1] = 0xD5;
  Picture p = Untouched();
  EXPECT_FALSE(DecodeJpegPicture(jpeg.data(), jpeg.size(), p));
  ExpectReleased(p);
}

TEST(JpegDecode, GarbageAndEmptyInputFailCleanly) {
  std::mt19937 random(7);
  for (std::size_t size : {1u, 2u, 3u, 100u, 4096u}) {
    Bytes garbage(size);
    for (auto& b : garbage) b = static_cast<std::uint8_t>(random());
    Picture p = Untouched();
    EXPECT_FALSE(DecodeJpegPicture(garbage.data(), garbage.size(), p)) << size;
    ExpectUntouched(p);
  }
  Picture p = Untouched();
  EXPECT_FALSE(DecodeJpegPicture(nullptr, 0, p));
  ExpectUntouched(p);
}

TEST(JpegDecode, HugeDeclaredSizeIsRefusedWithoutDecoding) {
  // A valid 8 x 8 file whose frame header claims 60000 x 60000.
  std::vector<std::uint8_t> grey(64, 128);
  Bytes jpeg = EncodeJpegGrey(grey.data(), 8, 8);
  const std::size_t sof = FindSegment(jpeg, 0xC0);
  ASSERT_NE(sof, 0u);
  // Marker, length (2), precision (1), height (2), width (2).
  jpeg[sof + 5] = 0xEA;
  jpeg[sof + 6] = 0x60;
  jpeg[sof + 7] = 0xEA;
  jpeg[sof + 8] = 0x60;
  Picture p = Untouched();
  EXPECT_FALSE(DecodeJpegPicture(jpeg.data(), jpeg.size(), p));
  // Refused after the header, before any decoding: the sizes stay.
  EXPECT_EQ(p.width, 60000u);
  EXPECT_EQ(p.height, 60000u);
  EXPECT_EQ(p.pixels, nullptr);
  EXPECT_EQ(p.bytesPerPixel, 0u);
}

TEST(JpegDecode, PicturesLargerThanTheShowCanUseAreRefusedAfterTheHeader) {
  // The largest pictures are the sharp show's full-screen ones; nothing
  // wider or taller than the largest of them can ever be used. Whole, valid
  // files.
  std::uint32_t widest = 0, tallest = 0;
  for (const SharpPictureSize& size : SharpPictureSizes) {
    widest = std::max(widest, static_cast<std::uint32_t>(size.width));
    tallest = std::max(tallest, static_cast<std::uint32_t>(size.height));
  }
  struct Case {
    const char* name;
    std::uint32_t width, height;
    bool decoded;
  };
  for (const Case& c :
       {Case{"full-screen picture", 320, 200, true}, Case{"texture", 256, 256, true},
        Case{"sharp texture", 1024, 1024, true},
        Case{"widest and tallest usable", widest, tallest, true},
        Case{"one column too wide", widest + 1, 200, false},
        Case{"one row too tall", 256, tallest + 1, false}, Case{"poster", 4096, 2304, false}}) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint32_t> pixels(std::size_t{c.width} * c.height, 0x00336699u);
    for (const Bytes& jpeg :
         {EncodeJpegColour(pixels.data(), c.width, c.height),
          EncodeJpegGrey(std::vector<std::uint8_t>(pixels.size(), 77).data(), c.width, c.height)}) {
      Picture p = Untouched();
      EXPECT_EQ(DecodeJpegPicture(jpeg.data(), jpeg.size(), p), c.decoded);
      EXPECT_EQ(p.width, c.width);
      EXPECT_EQ(p.height, c.height);
      EXPECT_EQ(p.pixels != nullptr, c.decoded);
      EXPECT_EQ(p.bytesPerPixel != 0, c.decoded);
      ReleasePicture(p);
    }
  }
}

// The first bytes of the first scan's entropy-coded data.
std::size_t ScanDataStart(const Bytes& jpeg) {
  const std::size_t sos = FindSegment(jpeg, 0xDA);
  return sos == 0 ? 0 : sos + 2 + ((std::size_t{jpeg[sos + 2]} << 8) | jpeg[sos + 3]);
}

// Scan data bytes [begin, end) become stuffed 0xFF bytes (FF 00): all one
// bits.
void FillWithStuffedOnes(Bytes& jpeg, std::size_t begin, std::size_t end) {
  for (std::size_t i = begin; i + 1 < end; i += 2) {
    jpeg[i] = 0xFF;
    jpeg[i + 1] = 0x00;
  }
}

// A picture's pixels as bytes, for exact comparison.
Bytes PixelBytes(const Picture& p) {
  const auto* bytes = static_cast<const std::uint8_t*>(p.pixels);
  return Bytes(bytes, bytes + std::size_t{p.width} * p.height * p.bytesPerPixel);
}

// Damage of one kind to a whole, valid file, and whether libjpeg's warning
// about it means the pixels cannot be trusted.
struct Patch {
  const char* name;
  void (*apply)(Bytes& jpeg);
  bool harmless;
};

const Patch Patches[] = {
    // libjpeg warns about a JFIF major version other than 1, and reads the
    // file exactly as before.
    {"JFIF 2.01 header",
     [](Bytes& jpeg) {
       const std::size_t app0 = FindSegment(jpeg, 0xE0);
       ASSERT_NE(app0, 0u);
       ASSERT_EQ(std::memcmp(&jpeg[app0 + 4], "JFIF", 5), 0);
       jpeg[app0 + 9] = 2;
       jpeg[app0 + 10] = 1;
     },
     true},
    // Bytes between two header segments are skipped with a warning.
    {"three stray bytes before a marker",
     [](Bytes& jpeg) {
       const std::size_t dqt = FindSegment(jpeg, 0xDB);
       ASSERT_NE(dqt, 0u);
       jpeg.insert(jpeg.begin() + static_cast<std::ptrdiff_t>(dqt), {0x00, 0x12, 0x34});
     },
     true},
    // All one bits are no Huffman code. Early in the scan libjpeg-turbo's
    // fast path reads such a code as 0 without a word, and the damage shows
    // only as bytes left over before the end marker; near the end its
    // careful path says "bad Huffman code".
    {"invalid Huffman codes early in the scan",
     [](Bytes& jpeg) {
       const std::size_t scan = ScanDataStart(jpeg);
       ASSERT_NE(scan, 0u);
       FillWithStuffedOnes(jpeg, scan + 8, scan + 40);
     },
     false},
    {"invalid Huffman codes late in the scan",
     [](Bytes& jpeg) { FillWithStuffedOnes(jpeg, jpeg.size() - 60, jpeg.size() - 20); }, false},
    // The scan data stops at a marker long before the picture is complete.
    {"premature end of the data segment",
     [](Bytes& jpeg) {
       const std::size_t scan = ScanDataStart(jpeg);
       ASSERT_NE(scan, 0u);
       jpeg.erase(jpeg.begin() + static_cast<std::ptrdiff_t>(scan + 16), jpeg.end() - 2);
     },
     false},
    // The file ends inside the scan: "premature end of JPEG file".
    {"file cut inside the scan", [](Bytes& jpeg) { jpeg.resize(ScanDataStart(jpeg) + 100); },
     false},
    // A baseline scan whose header says it holds only part of the
    // coefficients: decoded as a whole scan, the pixels would be guessed.
    {"scan header not sequential",
     [](Bytes& jpeg) {
       const std::size_t sos = FindSegment(jpeg, 0xDA);
       ASSERT_NE(sos, 0u);
       const std::size_t length = (std::size_t{jpeg[sos + 2]} << 8) | jpeg[sos + 3];
       jpeg[sos + 2 + length - 2] = 0x3E;  // spectral end 62 instead of 63
     },
     false},
};

TEST(JpegDecode, HarmlessWarningsDecodeAsTheWholeFileWarningsOfDamageFail) {
  const Bytes original = Decodable(NoiseJpeg());
  Picture reference{};
  ASSERT_TRUE(DecodeJpegPicture(original.data(), original.size(), reference));
  for (const Patch& patch : Patches) {
    SCOPED_TRACE(patch.name);
    Bytes jpeg = original;
    patch.apply(jpeg);
    ASSERT_NE(jpeg, original);
    Picture p = Untouched();
    const bool decoded = DecodeJpegPicture(jpeg.data(), jpeg.size(), p);
    EXPECT_EQ(decoded, patch.harmless);
    if (decoded) {
      EXPECT_EQ(PixelBytes(p), PixelBytes(reference));
      ReleasePicture(p);
    } else {
      ExpectReleased(p);
    }
  }
  ReleasePicture(reference);
}

// The program's full path when it is on PATH, else empty.
std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "";
  for (std::size_t start = 0; start <= folders.size();) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string candidate = folders.substr(start, end - start) + "/" + program;
    if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// ffmpeg's decode of a JPEG file as 0x00RRGGBB words; empty when it fails.
std::vector<std::uint32_t> FfmpegDecode(const std::string& ffmpeg, const std::string& path) {
  const test::ProgramResult r = test::RunProgram(
      {ffmpeg, "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "bgra", "pipe:1"});
  if (r.exitCode != 0 || r.out.size() % 4 != 0) return {};
  std::vector<std::uint32_t> words(r.out.size() / 4);
  for (std::size_t i = 0; i < words.size(); ++i) {
    const auto* bgra = reinterpret_cast<const std::uint8_t*>(r.out.data()) + 4 * i;
    words[i] = (std::uint32_t{bgra[2]} << 16) | (std::uint32_t{bgra[1]} << 8) | bgra[0];
  }
  return words;
}

TEST(JpegDecode, HarmlessOdditiesDecodeAsFfmpegDecodesThem) {
  if (!test::HasPosixProcesses()) GTEST_SKIP() << "needs fork and exec to run ffmpeg";
  const std::string ffmpeg = FindOnPath("ffmpeg");
  if (ffmpeg.empty()) {
    const char* ci = std::getenv("CI");
    if (ci != nullptr && std::string(ci) == "true") FAIL() << "ffmpeg is missing (Debian: ffmpeg)";
    GTEST_SKIP() << "ffmpeg is not installed; this check is skipped";
  }
  test::TempDir dir;
  const Bytes original = Decodable(QuadrantJpeg());
  test::WriteFileBytes(dir.File("original.jpg"), original);
  const std::vector<std::uint32_t> expected = FfmpegDecode(ffmpeg, dir.File("original.jpg"));
  ASSERT_EQ(expected.size(), 32u * 32u);
  for (const Patch& patch : Patches) {
    if (!patch.harmless) continue;
    SCOPED_TRACE(patch.name);
    Bytes jpeg = original;
    patch.apply(jpeg);
    test::WriteFileBytes(dir.File("patched.jpg"), jpeg);
    EXPECT_EQ(FfmpegDecode(ffmpeg, dir.File("patched.jpg")), expected);
    Picture p{};
    ASSERT_TRUE(DecodeJpegPicture(jpeg.data(), jpeg.size(), p));
    ASSERT_EQ(p.width * p.height, expected.size());
    // Two decoders: the same picture, give or take their rounding.
    for (std::size_t i = 0; i < expected.size(); ++i) {
      for (int shift : {16, 8, 0})
        ASSERT_NEAR(Channel(PictureWords(p)[i], shift), Channel(expected[i], shift), 3) << i;
    }
    ReleasePicture(p);
  }
}

// A four-component (CMYK) JPEG, written directly with libjpeg.
Bytes CmykJpeg(std::uint32_t width, std::uint32_t height) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = 4;
  info.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(width * 4, 100);
  while (info.next_scanline < height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  Bytes result(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return result;
}

TEST(JpegDecode, FourChannelPictureKeepsItsSizeButGetsNoPixels) {
  Bytes jpeg = CmykJpeg(24, 8);
  Picture p = Untouched();
  EXPECT_FALSE(DecodeJpegPicture(jpeg.data(), jpeg.size(), p));
  EXPECT_EQ(p.width, 24u);
  EXPECT_EQ(p.height, 8u);
  EXPECT_EQ(p.bytesPerPixel, 0u);
  EXPECT_EQ(p.pixels, nullptr);
}

TEST(JpegExpand, InPlaceExpansionEqualsACopyIntoASeparateBuffer) {
  std::mt19937 random(11);
  for (std::size_t count : {1u, 2u, 3u, 4u, 5u, 17u, 64000u}) {
    std::vector<std::uint8_t> rgb(count * 3);
    for (auto& b : rgb) b = static_cast<std::uint8_t>(random());
    std::vector<std::uint32_t> reference(count);
    for (std::size_t i = 0; i < count; ++i) {
      reference[i] =
          (std::uint32_t{rgb[3 * i]} << 16) | (std::uint32_t{rgb[3 * i + 1]} << 8) | rgb[3 * i + 2];
    }
    // Exactly count x 4 bytes, the RGB triples at its start, the rest stale.
    auto* block = static_cast<std::uint8_t*>(std::malloc(count * 4));
    std::memset(block, 0xEE, count * 4);
    std::memcpy(block, rgb.data(), rgb.size());
    ExpandRgbToPixels(block, count);
    for (std::size_t i = 0; i < count; ++i) {
      std::uint32_t word;
      std::memcpy(&word, block + 4 * i, 4);
      ASSERT_EQ(word, reference[i]) << "pixel " << i << " of " << count;
    }
    std::free(block);
  }
}

// The loader's own lines among the output (the data library prints its
// search steps in between).
std::vector<std::string> LoaderLines(const std::string& out) {
  std::vector<std::string> lines;
  for (const std::string& line : test::SplitLines(out)) {
    if (line.rfind("Searching for file", 0) != 0) lines.push_back(line);
  }
  return lines;
}

using Lines = std::vector<std::string>;

class JpegLibraryTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseLibrary(); }
  test::TempDir dir;
};

TEST_F(JpegLibraryTest, PresentFilePrintsVanThenDecodes) {
  ASSERT_TRUE(test::OpenTestLibrary(dir, {{"DATA\\quad.jpg", QuadrantJpeg()}}));
  Picture p{};
  bool loaded = false;
  std::string out = test::CaptureStdout([&] { loaded = LoadJpegPicture("DATA\\quad.jpg", p); });
  EXPECT_TRUE(loaded);
  EXPECT_EQ(LoaderLines(out), Lines{"van DATA\\quad.jpg"});
  EXPECT_EQ(p.width, 32u);
  EXPECT_EQ(p.bytesPerPixel, 4u);
  ReleasePicture(p);
}

TEST_F(JpegLibraryTest, MissingNamePrintsNincsAndLeavesThePictureUntouched) {
  ASSERT_TRUE(test::OpenTestLibrary(dir, {{"DATA\\quad.jpg", QuadrantJpeg()}}));
  Picture p = Untouched();
  bool loaded = true;
  // Names match byte for byte: a different case is a different name.
  std::string out = test::CaptureStdout([&] { loaded = LoadJpegPicture("DATA\\QUAD.jpg", p); });
  EXPECT_FALSE(loaded);
  EXPECT_EQ(LoaderLines(out), Lines{"nincs DATA\\QUAD.jpg"});
  ExpectUntouched(p);
}

TEST_F(JpegLibraryTest, NoLibraryOpenPrintsNincs) {
  CloseLibrary();
  Picture p = Untouched();
  bool loaded = true;
  std::string out = test::CaptureStdout([&] { loaded = LoadJpegPicture("DATA\\loader.jpg", p); });
  EXPECT_FALSE(loaded);
  EXPECT_EQ(LoaderLines(out), Lines{"nincs DATA\\loader.jpg"});
  ExpectUntouched(p);
}

TEST_F(JpegLibraryTest, DamagedFilePrintsVanBeforeFailingAndReleases) {
  // Cut in the middle of the scan data: the header reads, decoding fails.
  Bytes jpeg = NoiseJpeg();
  jpeg.resize(jpeg.size() - jpeg.size() / 4);
  ASSERT_TRUE(test::OpenTestLibrary(dir, {{"DATA\\cut.jpg", jpeg}}));
  Picture p = Untouched();
  bool loaded = true;
  std::string out = test::CaptureStdout([&] { loaded = LoadJpegPicture("DATA\\cut.jpg", p); });
  EXPECT_FALSE(loaded);
  EXPECT_EQ(LoaderLines(out), Lines{"van DATA\\cut.jpg"});
  ExpectReleased(p);
}

TEST(JpegReport, LoadErrorGoesToStandardErrorAndExitsWithCode1) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ReportPictureLoadError(), ::testing::ExitedWithCode(1),
              "KVS_JPEG message: Load Error");
}

// Reads a PNG back as 8-bit RGB with libpng's simplified interface.
std::vector<std::uint8_t> ReadPngRgb(const std::string& path, std::uint32_t& width,
                                     std::uint32_t& height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  width = image.width;
  height = image.height;
  return rgb;
}

TEST(PngWriter, WritesEveryPixelAsRedGreenBlue) {
  test::TempDir dir;
  const std::uint32_t width = 5;
  const std::uint32_t height = 3;
  std::vector<std::uint32_t> pixels(width * height);
  for (std::uint32_t i = 0; i < pixels.size(); ++i)
    pixels[i] = 0xAB000000u | (i * 0x00112233u & 0xFFFFFF);
  const std::string path = dir.File("frame.png");
  ASSERT_TRUE(WritePng(path.c_str(), pixels.data(), width, height));
  std::uint32_t w = 0;
  std::uint32_t h = 0;
  auto rgb = ReadPngRgb(path, w, h);
  ASSERT_EQ(w, width);
  ASSERT_EQ(h, height);
  ASSERT_EQ(rgb.size(), std::size_t{width} * height * 3);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    EXPECT_EQ(rgb[3 * i + 0], (pixels[i] >> 16) & 0xFF) << i;
    EXPECT_EQ(rgb[3 * i + 1], (pixels[i] >> 8) & 0xFF) << i;
    EXPECT_EQ(rgb[3 * i + 2], pixels[i] & 0xFF) << i;
  }
}

TEST(PngWriter, UnwritablePathFailsAndLeavesNoFile) {
  test::TempDir dir;
  std::vector<std::uint32_t> pixels(4, 0);
  const std::string path = dir.File("missing-folder/frame.png");
  EXPECT_FALSE(WritePng(path.c_str(), pixels.data(), 2, 2));
  EXPECT_FALSE(test::FileExists(path));
  EXPECT_FALSE(WritePng(dir.File("empty.png").c_str(), pixels.data(), 0, 2));
  EXPECT_FALSE(test::FileExists(dir.File("empty.png")));
}

}  // namespace
}  // namespace vx
