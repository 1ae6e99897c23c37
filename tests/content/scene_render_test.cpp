// Every scene drawn through the engine and the rasterizer, as its scene
// module draws it before post-processing, at eight moments spread over the
// slot it plays in (over its whole loop for labda).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "platform/picture.h"
#include "show_content.h"

namespace vx::test {
namespace {

constexpr int Samples = 8;

// A pixel counts as lit when one of its colour bytes is at least 16.
bool Lit(std::uint32_t p) {
  return ((p >> 16) & 255) >= 16 || ((p >> 8) & 255) >= 16 || (p & 255) >= 16;
}

// Share of the inner pixels (without the one-pixel border the modules
// blacken) that are lit.
double LitShare(const std::vector<std::uint32_t>& image) {
  int lit = 0, total = 0;
  for (int y = 1; y < ScreenHeight - 1; ++y)
    for (int x = 1; x < ScreenWidth - 1; ++x) {
      ++total;
      lit += Lit(image[y * ScreenWidth + x]) ? 1 : 0;
    }
  return static_cast<double>(lit) / total;
}

double DifferentShare(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
  int different = 0;
  for (std::size_t i = 0; i < a.size(); ++i) different += a[i] != b[i] ? 1 : 0;
  return static_cast<double>(different) / a.size();
}

std::vector<float> SampleFrames(const SceneSlot& slot, const Scene* scene) {
  std::vector<float> frames;
  for (int i = 0; i < Samples; ++i) {
    const double share = (i + 0.5) / Samples;
    const double frame = slot.slotTicks > 0 ? share * slot.slotTicks * slot.frameFactor
                                            : share * scene->mesh->frameCount;
    frames.push_back(static_cast<float>(frame));
  }
  return frames;
}

// The materials whose texels cover at least 1% of the inner pixels: the
// frame is drawn again with every texture replaced by a flat colour that
// names its material.
std::set<int> VisibleMaterials(LoadedScene& loaded, float frame) {
  Scene* scene = loaded.scene();
  const int materials = scene->mesh->materialCount;
  std::vector<std::vector<std::uint32_t>> saved(materials);
  for (int m = 0; m < materials; ++m) {
    auto* texels = static_cast<std::uint32_t*>(scene->pictures[m].pixels);
    saved[m].assign(texels, texels + 256 * 256);
    std::fill(texels, texels + 256 * 256, static_cast<std::uint32_t>(m + 1));
  }
  std::vector<std::uint32_t> image;
  loaded.Render(frame, image);
  for (int m = 0; m < materials; ++m)
    std::copy(saved[m].begin(), saved[m].end(),
              static_cast<std::uint32_t*>(scene->pictures[m].pixels));
  std::vector<int> counts(materials + 1, 0);
  for (int y = 1; y < ScreenHeight - 1; ++y)
    for (int x = 1; x < ScreenWidth - 1; ++x) {
      const std::uint32_t id = image[y * ScreenWidth + x];
      if (id >= 1 && id <= static_cast<std::uint32_t>(materials)) ++counts[id];
    }
  std::set<int> visible;
  for (int m = 1; m <= materials; ++m)
    if (counts[m] >= (ScreenWidth - 2) * (ScreenHeight - 2) / 100) visible.insert(m - 1);
  return visible;
}

class SceneRender : public ::testing::TestWithParam<SceneSlot> {
 protected:
  void SetUp() override { VX_REQUIRE_SHOW_LIBRARY(); }
};

TEST_P(SceneRender, EverySampleIsLitTexturedAndMoving) {
  const SceneSlot& slot = GetParam();
  LoadedScene loaded(slot.name);
  ASSERT_NE(loaded.scene(), nullptr);
  // With VX_CONTENT_PREVIEW=DIR set, the samples are also written as PNGs.
  const char* preview = std::getenv("VX_CONTENT_PREVIEW");
  std::vector<std::uint32_t> previous, image;
  int index = 0;
  for (float frame : SampleFrames(slot, loaded.scene())) {
    SCOPED_TRACE(slot.name + " at frame " + std::to_string(frame));
    loaded.Render(frame, image);
    if (preview) {
      const std::string path =
          std::string(preview) + "/" + slot.name + "_" + std::to_string(index) + ".png";
      WritePng(path.c_str(), image.data(), ScreenWidth, ScreenHeight);
    }
    EXPECT_GE(LitShare(image), 0.25);
    if (!previous.empty()) {
      EXPECT_GE(DifferentShare(previous, image), 0.05);
    }
    EXPECT_GE(VisibleMaterials(loaded, frame).size(), 2u);
    previous = image;
    ++index;
  }
}

// Between the eight samples too: the camera never looks into emptiness.
TEST_P(SceneRender, CameraShowsGeometryThroughoutTheSlot) {
  const SceneSlot& slot = GetParam();
  LoadedScene loaded(slot.name);
  ASSERT_NE(loaded.scene(), nullptr);
#ifdef VX_SANITIZE
  constexpr int Steps = 12;
#else
  constexpr int Steps = 60;
#endif
  const double last =
      slot.slotTicks > 0 ? slot.slotTicks * slot.frameFactor : loaded.scene()->mesh->frameCount;
  std::vector<std::uint32_t> image;
  for (int i = 0; i <= Steps; ++i) {
    const float frame = static_cast<float>(last * i / Steps);
    loaded.Render(frame, image);
    EXPECT_GE(LitShare(image), 0.25) << slot.name << " at frame " << frame;
  }
}

// Camera work: at 60 frames a second over the whole slot (over its whole
// loop for labda), the camera's position or target moves from every frame
// to the next.
TEST_P(SceneRender, CameraMovesFromFrameToFrameThroughoutTheSlot) {
  const SceneSlot& slot = GetParam();
  LoadedScene loaded(slot.name);
  ASSERT_NE(loaded.scene(), nullptr);
  Scene* scene = loaded.scene();
  const double spanTicks =
      slot.slotTicks > 0 ? slot.slotTicks : scene->mesh->frameCount / slot.frameFactor;
  constexpr double TicksPerFrame = 2.0;  // 120 ticks a second
  Vector lastPosition{}, lastTarget{};
  int still = 0, frames = 0;
  double travelled = 0;
  for (double t = 0; t < spanTicks; t += TicksPerFrame, ++frames) {
    SetFrame(scene, static_cast<float>(t * slot.frameFactor), true);
    ComposeHierarchy(scene);
    SetupCamera(scene, 0, false, 0.5f, 100000.0f, ClassicFrame);
    const Vector p = scene->camera->position, q = scene->camera->target;
    auto same = [](Vector a, Vector b) {
      return std::abs(a.x - b.x) + std::abs(a.y - b.y) + std::abs(a.z - b.z) < 1e-3f;
    };
    if (frames > 0 && same(p, lastPosition) && same(q, lastTarget)) {
      ++still;
      ADD_FAILURE() << slot.name << ": the camera stands still at local tick " << t;
    }
    if (frames > 0)
      travelled += std::sqrt((p.x - lastPosition.x) * (p.x - lastPosition.x) +
                             (p.y - lastPosition.y) * (p.y - lastPosition.y) +
                             (p.z - lastPosition.z) * (p.z - lastPosition.z));
    lastPosition = p;
    lastTarget = q;
    if (still > 5) break;
  }
  std::printf("%s: camera still in %d of %d frame steps, travels %.0f units\n", slot.name.c_str(),
              still, frames - 1, travelled);
}

INSTANTIATE_TEST_SUITE_P(Scenes, SceneRender, ::testing::ValuesIn(SceneSlots()),
                         [](const ::testing::TestParamInfo<SceneSlot>& info) {
                           return info.param.name;
                         });

}  // namespace
}  // namespace vx::test
