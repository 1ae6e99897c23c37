// The sharp show's archive joins the classic one when it lies beside it:
// found in the classic archive's folder whichever candidate was opened, a
// missing one said nowhere, an unusable one named on standard error and
// left out, and never looked for when the classic archive was refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "driver/driver.h"
#include "driver/driver_io.h"
#include "support/testlib.h"

namespace vx {
namespace {

std::vector<std::string> gAdded;
bool gAddAccepts = true;

class SharpLibraryBeside : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = CurrentDriverIo();
    DriverIo io = saved_;
    io.openLibrary = [](std::string_view) { return true; };
    io.addLibrary = [](std::string_view path) {
      gAdded.emplace_back(path);
      return gAddAccepts;
    };
    SetDriverIo(io);
    gAdded.clear();
    gAddAccepts = true;
    std::filesystem::create_directory(dir_.File("show"));
  }
  void TearDown() override { SetDriverIo(saved_); }

  std::string InShow(std::string_view name) const { return dir_.File("show/" + std::string(name)); }
  // Opens the classic archive at classic (by name when named), returning
  // what was said on standard error.
  static std::string Open(const std::string& classic, LibraryOpen expected) {
    testing::internal::CaptureStderr();
    const LibraryOpen result = OpenShowLibrary(LibrarySearch{{classic}, true});
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, expected) << err;
    return err;
  }

  test::TempDir dir_;
  DriverIo saved_{};
};

TEST_F(SharpLibraryBeside, AnArchiveBesideTheClassicOneIsAdded) {
  test::WriteTextFile(InShow("vx-1.lib"), "classic");
  test::WriteTextFile(InShow(SharpLibraryFile), "sharp");
  EXPECT_EQ(Open(InShow("vx-1.lib"), LibraryOpen::Opened), "");
  ASSERT_EQ(gAdded.size(), 1u);
  EXPECT_TRUE(std::filesystem::equivalent(gAdded[0], InShow(SharpLibraryFile))) << gAdded[0];
}

TEST_F(SharpLibraryBeside, NoneBesideIsSilentAndOneElsewhereIsNotUsed) {
  test::WriteTextFile(InShow("vx-1.lib"), "classic");
  test::WriteTextFile(dir_.File(std::string(SharpLibraryFile)), "sharp, but not beside");
  EXPECT_EQ(Open(InShow("vx-1.lib"), LibraryOpen::Opened), "");
  EXPECT_TRUE(gAdded.empty());
}

TEST_F(SharpLibraryBeside, AnUnusableOneIsNamedAndLeftOut) {
  test::WriteTextFile(InShow("vx-1.lib"), "classic");
  std::filesystem::create_directory(InShow(SharpLibraryFile));
  std::string err = Open(InShow("vx-1.lib"), LibraryOpen::Opened);
  EXPECT_NE(err.find("sharp data library"), std::string::npos) << err;
  EXPECT_NE(err.find("not a regular file"), std::string::npos) << err;
  EXPECT_TRUE(gAdded.empty());

  std::filesystem::remove(InShow(SharpLibraryFile));
  test::WriteTextFile(InShow(SharpLibraryFile), "no archive");
  gAddAccepts = false;
  err = Open(InShow("vx-1.lib"), LibraryOpen::Opened);
  EXPECT_NE(err.find("not a valid data library"), std::string::npos) << err;
  EXPECT_EQ(gAdded.size(), 1u);
}

TEST_F(SharpLibraryBeside, ARefusedClassicArchiveAddsNothing) {
  test::WriteTextFile(InShow(SharpLibraryFile), "sharp");
  std::filesystem::create_directory(InShow("vx-1.lib"));
  Open(InShow("vx-1.lib"), LibraryOpen::Refused);
  EXPECT_TRUE(gAdded.empty());
}

}  // namespace
}  // namespace vx
