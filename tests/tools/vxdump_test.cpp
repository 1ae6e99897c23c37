// vxdump run as a program: a valid scene on disk and in a data
// library, scenes that lack what some dumps need, and files it must refuse.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/scene_files.h"
#include "support/testlib.h"

namespace vx {
namespace {

using test::RunProgram;

const std::string Tool = std::string(VX_BINARY_DIR) + "/vxdump";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Lines of standard error: a refusal is exactly one.
std::size_t LineCount(const std::string& text) {
  return test::SplitLines(text).size();
}

class VxDump : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = dir_.File(name);
    test::WriteFileBytes(path, bytes);
    return path;
  }
  test::TempDir dir_;
};

TEST_F(VxDump, PrintsTheSceneDumpOfAValidFile) {
  const std::string scene = Write("cube.3ds", Write3ds(test::CubeScene()));
  Write("crate.jpg", test::TextureJpeg(256, 0x884422));  // found whatever its case
  const auto r = RunProgram({Tool, scene});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(r.err.empty()) << r.err;
  EXPECT_TRUE(Contains(r.out, "Z3D_RNDR DEBUG - Scene dump"));
  EXPECT_TRUE(Contains(r.out, "Position   : x: 4.000 y: 5.000 z: -6.000\n"));  // y and z exchanged
  EXPECT_TRUE(Contains(r.out, "FOV        : 60.000\n"));
  EXPECT_TRUE(Contains(r.out, " Object #0 Name: 'Cube' Track: 0\n"));
  EXPECT_TRUE(Contains(r.out, " Track #2 Name: 'Cam' Type: camera target\n"));
  EXPECT_FALSE(Contains(r.out, "checker")) << r.out;
}

TEST_F(VxDump, MissingTextureIsReplacedAndSaidOnce) {
  const std::string scene = Write("cube.3ds", Write3ds(test::CubeScene()));
  Write("CRATE.jpg", test::TextureJpeg(64, 0x884422));  // wrong size
  const auto r = RunProgram({Tool, scene});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(
      r.out, "CRATE.jpg not a 256 x 256 colour picture (64 x 64): a checker picture stands in\n"))
      << r.out;
  // Larger than any picture of the show: refused after its header, still
  // named with its size.
  Write("CRATE.jpg", test::TextureJpeg(512, 0x884422));
  const auto large = RunProgram({Tool, scene});
  EXPECT_EQ(large.exitCode, 0) << large.err;
  EXPECT_TRUE(Contains(large.out,
                       "CRATE.jpg not a 256 x 256 colour picture (512 x 512): a checker picture "
                       "stands in\n"))
      << large.out;
  EXPECT_TRUE(Contains(r.out, "Z3D_RNDR DEBUG - Scene dump"));

  std::filesystem::create_directory(dir_.File("sub"));
  const std::string moved = Write("sub/cube.3ds", Write3ds(test::CubeScene()));
  const auto m = RunProgram({Tool, moved});
  EXPECT_EQ(m.exitCode, 0);
  EXPECT_TRUE(Contains(m.out, "sub/CRATE.jpg not found: a checker picture stands in\n")) << m.out;
}

TEST_F(VxDump, ReadsFromADataLibraryAtAFrame) {
  Scene3ds s = test::CubeScene();
  s.tracks.resize(1);
  s.cameras.clear();
  test::AddFileCamera(s, {test::Key(0, {0, -10, 0}), test::Key(100, {10, -10, 0})}, {0, 0, 0},
                      90.0f);
  const std::string lib = test::WriteTestLibrary(
      dir_.File("scenes.lib"),
      {{"DATA\\path.3ds", Write3ds(s)}, {"DATA\\CRATE.jpg", test::TextureJpeg(256, 0x000000)}});
  const auto r = RunProgram({Tool, "--frame", "50", "--library", lib, "DATA\\path.3ds"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "Position   : x: 5.000 y: 0.000 z: -10.000\n")) << r.out;
  EXPECT_TRUE(Contains(r.out, "XMagnify   : 160.000\n"));
  EXPECT_FALSE(Contains(r.out, "checker"));
  // Frames wrap as in the demo: 150 is 50 in a scene of 100 frames.
  const auto w = RunProgram({Tool, "--library", lib, "--frame", "150", "DATA\\path.3ds"});
  EXPECT_TRUE(Contains(w.out, "Position   : x: 5.000 y: 0.000 z: -10.000\n"));
  const auto missing = RunProgram({Tool, "--library", lib, "DATA\\other.3ds"});
  EXPECT_NE(missing.exitCode, 0);
  EXPECT_EQ(LineCount(missing.err), 1u) << missing.err;
}

TEST_F(VxDump, SaysWhatItSkipsForIncompleteScenes) {
  Scene3ds bare;
  bare.objects = {test::Cube("")};
  const auto r = RunProgram({Tool, Write("bare.3ds", Write3ds(bare))});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "vxdump: the scene has no camera: DumpCamera skipped\n")) << r.out;
  EXPECT_TRUE(Contains(r.out, "vxdump: the scene has no keyframer tracks"));
  EXPECT_TRUE(Contains(r.out, "vxdump: the scene has no materials"));
  EXPECT_FALSE(Contains(r.out, "Projection camera dump"));
  EXPECT_TRUE(Contains(r.out, "Hierarchy tree dump"));
  EXPECT_TRUE(Contains(r.out, " o World \n"));
  EXPECT_TRUE(Contains(r.out, " Object #0 Name: 'Cube' Track: 0\n"));

  Scene3ds half = test::CubeScene();
  half.tracks.pop_back();  // camera target
  half.objects.push_back(test::Cube("Crate"));
  half.objects.back().name = "Spare";  // no track of its name
  Write("CRATE.jpg", test::TextureJpeg(256, 0));
  const auto h = RunProgram({Tool, Write("half.3ds", Write3ds(half))});
  EXPECT_EQ(h.exitCode, 0) << h.err;
  EXPECT_TRUE(Contains(h.out, "vxdump: camera 0 'Cam' lacks a target track: DumpCamera skipped\n"))
      << h.out;
  EXPECT_TRUE(Contains(
      h.out, "vxdump: object 'Spare' has no track of its name: placed by track 0 'Cube'\n"));
  EXPECT_TRUE(Contains(h.out, "Memory allocated by scene"));
}

TEST_F(VxDump, RefusesDamagedFilesInOneLine) {
  std::vector<std::uint8_t> cut = Write3ds(test::CubeScene());
  cut.resize(cut.size() - 30);
  std::vector<std::uint8_t> bogus(200, 0x41);
  const std::vector<std::string> files = {Write("cut.3ds", cut), Write("bogus.3ds", bogus),
                                          dir_.File("absent.3ds")};
  for (const std::string& file : files) {
    const auto r = RunProgram({Tool, file});
    EXPECT_NE(r.exitCode, 0) << file;
    EXPECT_EQ(LineCount(r.err), 1u) << file << ": " << r.err;
    EXPECT_EQ(r.err.rfind("vxdump: " + file + ": ", 0), 0u) << r.err;
    EXPECT_FALSE(Contains(r.out, "Scene dump"));
  }
  EXPECT_TRUE(Contains(RunProgram({Tool, files[0]}).err, "Fatal error in .3DS file!"));
}

TEST_F(VxDump, RefusesAFolderOrFifoAsTheSceneInOneLineWithoutWaiting) {
  const std::string folder = dir_.File("folder.3ds");
  const std::string fifo = dir_.File("fifo.3ds");
  std::filesystem::create_directory(folder);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  // A texture folder is no texture: the checker stands in.
  const std::string scene = Write("cube.3ds", Write3ds(test::CubeScene()));
  std::filesystem::create_directory(dir_.File("crate.jpg"));
  for (const std::string& file : {folder, fifo}) {
    // timeout ends a vxdump that waits for a writer on the FIFO (code 124).
    const auto r = RunProgram({"/usr/bin/timeout", "10", Tool, file});
    EXPECT_EQ(r.exitCode, 1) << file << ": " << r.err;
    EXPECT_EQ(r.err, "vxdump: " + file + ": cannot read the file: not a regular file\n");
  }
  const auto r = RunProgram({"/usr/bin/timeout", "10", Tool, scene});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "CRATE.jpg not found: a checker picture stands in\n")) << r.out;
}

TEST_F(VxDump, CommandLine) {
  const auto help = RunProgram({Tool, "--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(Contains(help.out, "usage: vxdump [--frame F] [--library LIB] FILE"));
  for (const std::vector<std::string>& args : {std::vector<std::string>{Tool},
                                               {Tool, "--frame", "x", "a.3ds"},
                                               {Tool, "--frame"},
                                               {Tool, "--bogus", "a.3ds"},
                                               {Tool, "a.3ds", "b.3ds"},
                                               {Tool, "--frame", "inf", "a.3ds"}}) {
    const auto r = RunProgram(args);
    EXPECT_EQ(r.exitCode, 2) << args.size();
    EXPECT_EQ(LineCount(r.err), 1u) << r.err;
  }
}

}  // namespace
}  // namespace vx
