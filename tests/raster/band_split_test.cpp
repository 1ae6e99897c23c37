// A frame drawn as bands of rows, one call per band (as the threads of a
// large frame draw it), gives exactly the bytes of one call with every row,
// image and depth buffer, for every fill: the bands' edges leave no gap, no
// crack and no seam of other values. Also with the bands drawn by threads at
// the same time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "fill_cases.h"
#include "random_levels.h"
#include "random_polygons.h"
#include "raster/raster.h"
#include "raster_fixture.h"

namespace vx::rastertest {
namespace {

// Random convex and hostile polygons over one frame, drawn through a
// one-object screen mesh, most with texture levels (which the frames
// larger than the classic one read, and split rows by).
struct BandScene {
  BandScene(const FrameSize& size, unsigned seed, int polygons) : random(seed), levels(random) {
    texture = RandomTexture(random);
    for (int i = 0; i < polygons; ++i) {
      AddRandomConvexPolygon(random, object, texture.data(), size);
      if (i % 3 == 0) AddHostilePolygon(random, object, texture.data(), size);
    }
    levels.Give(random, object);
    object.Link();
    screen.objectCount = 1;
    screen.objects = objects;
  }
  BandScene(const BandScene&) = delete;
  BandScene& operator=(const BandScene&) = delete;

  std::mt19937 random;
  RandomLevels levels;
  std::vector<std::uint32_t> texture;
  TestObject object;
  ScreenObject* objects[1] = {object.entry};
  ScreenMesh screen{};
};

// Band bounds 0 = b0 <= b1 <= ... <= bn = height: bands [b0, b1), [b1, b2)...
using Bounds = std::vector<std::int32_t>;

// 1, 2, 3 and 8 bands with uneven bounds, one-row bands and an empty one.
std::vector<Bounds> Splits(std::int32_t height) {
  Bounds eight;
  for (std::int32_t i = 0; i <= 8; ++i) {
    eight.push_back(height * i * i / 64);  // from 0, 1/64 .. to 15/64 of the height
  }
  return {{0, height},
          {0, height / 2 + 1, height},
          {0, 1, height / 3 + 7, height},
          eight,
          {0, 5, 5, 6, height - 1, height}};
}

std::string Describe(const Bounds& bounds) {
  std::string text;
  for (std::int32_t b : bounds) text += std::to_string(b) + " ";
  return text;
}

constexpr FrameSize BandSizes[] = {ClassicFrame, {1920, 1080, 1924}, {1080, 1920, 1080}};

class Bands : public EachFill {};

TEST_P(Bands, BandsGiveTheBytesOfOneCallSoNoGapOrCrackAlongBandEdges) {
  for (const FrameSize& size : BandSizes) {
    SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
    const BandScene scene(size, 77 + static_cast<unsigned>(size.width), 250);
    Target whole(size);
    DrawScenePolygons(&scene.screen, whole.All(), fill);
    ASSERT_GT(whole.DrawnCount(), size.width * size.height / 2);
    for (const Bounds& bounds : Splits(size.height)) {
      SCOPED_TRACE("bounds " + Describe(bounds));
      Target banded(size);
      for (int y = 0; y < size.height; ++y) {
        std::fill_n(banded.depth.Row(y), size.width, 0.5f);  // the bands clear their own rows
      }
      for (std::size_t b = 0; b + 1 < bounds.size(); ++b) {
        const RasterTarget band = banded.Rows({bounds[b], bounds[b + 1]});
        ClearDepthBuffer(band);
        DrawScenePolygons(&scene.screen, band, fill);
      }
      ASSERT_TRUE(banded.image == whole.image);
      ASSERT_TRUE(banded.depth == whole.depth);
    }
  }
}

// A band draws its own rows only: the rows above and below keep what they
// held, whatever the polygons (the target's guards check the rest).
TEST_P(Bands, ABandWritesNoRowOutsideItself) {
  const FrameSize size{640, 400, 644};
  const BandScene scene(size, 5, 500);
  Target target(size);
  const RowBand rows{130, 171};
  DrawScenePolygons(&scene.screen, target.Rows(rows), fill);
  int drawn = 0;
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) {
      const bool inBand = y >= rows.begin && y < rows.end;
      if (!inBand) {
        ASSERT_EQ(target.Pixel(x, y), Background) << x << ", " << y;
        ASSERT_EQ(target.Depth(x, y), 1e-6f) << x << ", " << y;
      }
      drawn += inBand && target.Pixel(x, y) != Background;
    }
  }
  EXPECT_GT(drawn, size.width * (rows.end - rows.begin) / 2);
}

INSTANTIATE_TEST_SUITE_P(AllFills, Bands, ::testing::ValuesIn(AllFills), CaseName);

// Four threads drawing two bands each of one 1920 x 1080 frame at once,
// with the fills in use: the bytes of one thread drawing it all. Fills
// sharing their working storage across threads would spoil this.
TEST(BandThreads, ThreadsDrawingBandsAtOnceGiveTheBytesOfOneThread) {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
  GTEST_SKIP() << "the browser's build has no threads (the page draws on one)";
#endif
  const FrameSize size{1920, 1080, 1920};
  const BandScene scene(size, 4242, 400);
  for (const FillFunction fill : {FillPolygonAffine, FillPolygonPerspective}) {
    Target whole(size), threaded(size);
    DrawScenePolygons(&scene.screen, whole.All(), fill);
    const Bounds bounds = Splits(size.height)[3];  // eight uneven bands
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < 4; ++t) {
      threads.emplace_back([&, t] {
        for (std::size_t b = t; b + 1 < bounds.size(); b += 4) {
          DrawScenePolygons(&scene.screen, threaded.Rows({bounds[b], bounds[b + 1]}), fill);
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_GT(whole.DrawnCount(), size.width * size.height / 2);
    EXPECT_TRUE(threaded.image == whole.image);
    EXPECT_TRUE(threaded.depth == whole.depth);
  }
}

}  // namespace
}  // namespace vx::rastertest
