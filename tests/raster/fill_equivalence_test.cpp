// The optimised fills equal the reference fills byte for byte, image and
// depth buffer, on random polygons: convex hulls of 3 to 9 points drawn over
// one another (so the depth test decides), random textures, and hostile
// records that break every promise of the pipeline.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "fill_cases.h"
#include "random_levels.h"
#include "random_polygons.h"
#include "raster/raster.h"
#include "raster_fixture.h"
#include "support/tables.h"

namespace vx::rastertest {
namespace {

#if defined(VX_SANITIZE)
constexpr int Rounds = 2;
#else
constexpr int Rounds = 6;
#endif
constexpr int PolygonsPerRound = 600;

struct Targets {
  explicit Targets(FrameSize size = ClassicFrame) : reference(size), optimised(size) {}
  Target reference, optimised;
};

// Draws every polygon of the object with the reference and the optimised
// fill of one mode into separate targets and compares them.
void DrawBothAndCompare(TestObject& object, Targets& targets, FillFunction referenceFill,
                        FillFunction optimisedFill) {
  object.Link();
  for (std::uint32_t k = 0; k < object.object.polygonCount; ++k) {
    referenceFill(targets.reference.All(), object.entry, k);
    optimisedFill(targets.optimised.All(), object.entry, k);
  }
  ASSERT_EQ(targets.reference.image, targets.optimised.image);
  ASSERT_TRUE(targets.reference.depth == targets.optimised.depth);
}

class FillEquivalence : public EachFill {
 protected:
  const FillFunction referenceFill = GetParam().ReferenceFill();
};

// Every variant this build and processor have fills with both routines.
TEST(RasterVariants, EveryTableHasBothFills) {
  for (const RasterVariant variant :
       {RasterVariant::Reference, RasterVariant::Sse2, RasterVariant::Avx2}) {
    const RasterFills* fills = RasterFillsOf(variant);
    if (fills == nullptr) continue;
    EXPECT_EQ(vx::test::NullMembers(*fills), std::vector<std::size_t>{})
        << static_cast<int>(variant);
  }
  ASSERT_NE(RasterFillsOf(RasterVariant::Reference), nullptr);
}

TEST_P(FillEquivalence, RandomConvexPolygonsDrawIdentically) {
  std::mt19937 random(1234 + static_cast<unsigned>(GetParam().perspective));
  int drawnPixels = 0;
  for (int round = 0; round < Rounds; ++round) {
    const std::vector<std::uint32_t> texture = RandomTexture(random);
    TestObject object;
    for (int i = 0; i < PolygonsPerRound; ++i) {
      AddRandomConvexPolygon(random, object, texture.data(), ClassicFrame);
    }
    Targets targets;
    DrawBothAndCompare(object, targets, referenceFill, fill);
    drawnPixels += targets.reference.DrawnCount();
  }
  // The comparison means something only if the polygons covered the image.
  EXPECT_GT(drawnPixels, Rounds * ScreenPixels * 3 / 4);
}

TEST_P(FillEquivalence, HostileRecordsDrawIdenticallyAndStayInBounds) {
  std::mt19937 random(99 + static_cast<unsigned>(GetParam().perspective));
  int drawnPixels = 0;
  for (int round = 0; round < Rounds; ++round) {
    const std::vector<std::uint32_t> texture = RandomTexture(random);
    TestObject object;
    for (int i = 0; i < PolygonsPerRound; ++i) {
      AddHostilePolygon(random, object, texture.data(), ClassicFrame);
    }
    Targets targets;
    DrawBothAndCompare(object, targets, referenceFill, fill);
    drawnPixels += targets.reference.DrawnCount();
  }
  EXPECT_GT(drawnPixels, 0);
}

// The sizes the sharp show draws at, landscape and portrait, two of them
// with a pitch beyond the width: the targets' guards check that neither the
// rows above and below nor the pixels between width and pitch are written.
struct SizeCase {
  FrameSize size;
  int polygons;  // convex ones; as many hostile ones
};
constexpr SizeCase LargeSizes[] = {
    {{3840, 2160, 3840}, 120}, {{2560, 1080, 2568}, 200}, {{1080, 1920, 1080}, 200},
    {{1920, 1080, 1920}, 200}, {{640, 400, 643}, 600},
};

TEST_P(FillEquivalence, RandomAndHostilePolygonsDrawIdenticallyAtEveryFrameSize) {
  std::mt19937 random(555 + static_cast<unsigned>(GetParam().perspective));
  for (const SizeCase& c : LargeSizes) {
    SCOPED_TRACE(testing::Message()
                 << c.size.width << " x " << c.size.height << " pitch " << c.size.pitch);
    const std::vector<std::uint32_t> texture = RandomTexture(random);
    TestObject object;
    for (int i = 0; i < c.polygons; ++i) {
      AddRandomConvexPolygon(random, object, texture.data(), c.size);
      AddHostilePolygon(random, object, texture.data(), c.size);
    }
    Targets targets(c.size);
    DrawBothAndCompare(object, targets, referenceFill, fill);
    // Most of the frame drawn, so that the comparison means something.
    EXPECT_GT(targets.reference.DrawnCount(), c.size.width * c.size.height / 2);
  }
}

// Textures of 256, 512 and 1024 texels with their levels (and records
// that break the levels' promises) at the larger sizes: the levels and the
// runs of a row that read different ones are the reference's too.
TEST_P(FillEquivalence, LevelledTexturesDrawIdenticallyAtEveryFrameSize) {
  std::mt19937 random(808 + static_cast<unsigned>(GetParam().perspective));
  const RandomLevels levels(random);
  for (const SizeCase& c : LargeSizes) {
    SCOPED_TRACE(testing::Message()
                 << c.size.width << " x " << c.size.height << " pitch " << c.size.pitch);
    TestObject object;
    for (int i = 0; i < c.polygons; ++i) {
      AddRandomConvexPolygon(random, object, levels.small.base.data(), c.size);
      AddHostilePolygon(random, object, levels.small.base.data(), c.size);
    }
    levels.Give(random, object);
    Targets targets(c.size);
    DrawBothAndCompare(object, targets, referenceFill, fill);
    EXPECT_GT(targets.reference.DrawnCount(), c.size.width * c.size.height / 2);
  }
}

INSTANTIATE_TEST_SUITE_P(Instructions, FillEquivalence,
                         ::testing::ValuesIn(FillsWhere([](const FillCase& c) {
                           return c.variant != RasterVariant::Reference;
                         })),
                         CaseName);

}  // namespace
}  // namespace vx::rastertest
