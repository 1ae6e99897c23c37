// picture_digests run as a program on archives written here: one line per
// JPEG whose digest is that of the pixels the loader gives in this process,
// nothing for other files, and a clear failure for a damaged picture; and
// both listing programs on a bad command line.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/picture.h"
#include "sha256.h"
#include "support/testlib.h"
#include "writejpeg.h"

namespace vx {
namespace {

using test::Bytes;

const std::string PictureTool = std::string(VX_BINARY_DIR) + "/tests/picture_digests";
const std::string FrameTool = std::string(VX_BINARY_DIR) + "/tests/frame_digests";

Bytes ColourJpeg() {
  std::vector<std::uint32_t> pixels(24 * 16);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = static_cast<std::uint32_t>(i * 0x030507u) & 0xffffffu;
  return EncodeJpegColour(pixels.data(), 24, 16);
}

Bytes GreyJpeg() {
  std::vector<std::uint8_t> pixels(8 * 8);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 4);
  return EncodeJpegGrey(pixels.data(), 8, 8);
}

// The line the program must print for a picture: its size and the digest
// of the pixels decoded here.
std::string ExpectedLine(const std::string& name, const Bytes& jpeg) {
  Picture picture{};
  EXPECT_TRUE(DecodeJpegPicture(jpeg.data(), jpeg.size(), picture));
  const std::string line =
      "picture " + name + " " + std::to_string(picture.width) + "x" +
      std::to_string(picture.height) + "x" + std::to_string(picture.bytesPerPixel) + " " +
      test::Sha256Hex(picture.pixels,
                      std::size_t{picture.width} * picture.height * picture.bytesPerPixel);
  ReleasePicture(picture);
  return line;
}

std::vector<std::string> PictureLines(const std::string& out) {
  std::vector<std::string> lines;
  for (const std::string& line : test::SplitLines(out))
    if (line.rfind("picture ", 0) == 0) lines.push_back(line);
  return lines;
}

TEST(PictureDigests, ListsEveryJpegWithTheDigestOfItsDecodedPixels) {
  test::TempDir dir;
  const Bytes colour = ColourJpeg();
  const Bytes grey = GreyJpeg();
  const std::string library = test::WriteTestLibrary(
      dir.File("a.lib"), {{"DATA\\colour.jpg", colour},
                          {"DATA\\scene.3ds", test::ToBytes("not a picture")},
                          {"DATA\\GREY.JPG", grey}});
  const test::ProgramResult result = test::RunProgram({PictureTool, library});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const std::vector<std::string> expected = {ExpectedLine("DATA\\colour.jpg", colour),
                                             ExpectedLine("DATA\\GREY.JPG", grey)};
  EXPECT_EQ(PictureLines(result.out), expected);
}

TEST(PictureDigests, ADamagedPictureIsListedAsFailedAndFailsTheRun) {
  test::TempDir dir;
  const Bytes colour = ColourJpeg();
  const Bytes truncated(colour.begin(), colour.begin() + colour.size() / 2);
  const std::string library = test::WriteTestLibrary(
      dir.File("a.lib"), {{"DATA\\half.jpg", truncated}, {"DATA\\whole.jpg", colour}});
  const test::ProgramResult result = test::RunProgram({PictureTool, library});
  EXPECT_EQ(result.exitCode, 1);
  const std::vector<std::string> expected = {"picture DATA\\half.jpg failed",
                                             ExpectedLine("DATA\\whole.jpg", colour)};
  EXPECT_EQ(PictureLines(result.out), expected);
  EXPECT_EQ(result.err, "picture_digests: 1 pictures failed to decode\n");
}

// Both listing programs refuse alike.
TEST(DigestTools, RefuseABadCommandLineOrLibraryInOneLine) {
  test::TempDir dir;
  struct Case {
    std::vector<std::string> args;
    int exitCode;
  };
  const Case cases[] = {
      {{}, 2}, {{"a.lib", "b.lib"}, 2}, {{"--frame"}, 2}, {{dir.File("missing.lib")}, 1}};
  for (const std::string& tool : {PictureTool, FrameTool}) {
    for (const Case& c : cases) {
      std::vector<std::string> args = {tool};
      args.insert(args.end(), c.args.begin(), c.args.end());
      const test::ProgramResult result = test::RunProgram(args);
      const std::string what = tool + " " + testing::PrintToString(c.args);
      EXPECT_EQ(result.exitCode, c.exitCode) << what;
      EXPECT_EQ(test::SplitLines(result.err).size(), 1u) << what << ": " << result.err;
      EXPECT_EQ(result.out.find("picture "), std::string::npos) << what;
      EXPECT_EQ(result.out.find("frame "), std::string::npos) << what;
    }
  }
}

}  // namespace
}  // namespace vx
