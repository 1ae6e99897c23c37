// The backends' routine tables, filled by name: a music backend gives every
// routine; a video backend gives the four every output needs, and leaves
// empty only the ones its header calls optional (a surface it keeps, a box,
// a resize, a native size).
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "platform/music_backends.h"
#include "platform/video_backends.h"
#include "support/tables.h"

namespace vx {
namespace {

TEST(BackendTables, MusicBackendsGiveEveryRoutine) {
  struct Case {
    const char* name;
    const MusicRoutines* table;
  };
  for (const Case& c :
       {Case{.name = "silent", .table = &SilentMusic}, Case{.name = "SDL", .table = &SdlMusic}})
    EXPECT_EQ(test::NullMembers(*c.table), std::vector<std::size_t>{}) << c.name;
}

TEST(BackendTables, VideoBackendsGiveTheRoutinesEveryOutputNeeds) {
  struct Case {
    const char* name;
    const VideoRoutines* table;
  };
  for (const Case& c : {Case{.name = "headless", .table = &HeadlessVideo},
                        Case{.name = "SDL", .table = &SdlVideo}}) {
    EXPECT_NE(c.table->start, nullptr) << c.name;
    EXPECT_NE(c.table->present, nullptr) << c.name;
    EXPECT_NE(c.table->pump, nullptr) << c.name;
    EXPECT_NE(c.table->stop, nullptr) << c.name;
  }
  // The headless output is the one that keeps its surface for screenshots.
  EXPECT_NE(HeadlessVideo.surface, nullptr);
}

}  // namespace
}  // namespace vx
