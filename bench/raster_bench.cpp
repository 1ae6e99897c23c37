// The polygon fills, reference against optimised, on a synthetic frame of
// about 3000 textured triangles covering the view about three times over
// (three jittered, slanted grid layers that cut through one another, drawn
// layer by layer in mesh order: the middle layer, then the far one, whose
// pixels mostly fail the depth test, then the near one, which mostly
// passes), and on single full-screen quads. Each iteration clears the depth buffer
// and draws, as a scene module does per frame. The same frame is drawn at the
// classic size and at 1920 x 1080 (the same triangles, each larger), in one
// call and in eight bands of rows one after the other (what eight threads
// would share out): the counter pixel_time, seconds per pixel test, compares
// the sizes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "raster/raster.h"
#include "raster/raster_fixture.h"

namespace vx {
namespace {

constexpr int GridColumns = 25;
constexpr int GridRows = 20;
constexpr int Layers = 3;
constexpr FrameSize FullHd{1920, 1080, 1920};

// One object over the whole view, drawn through a one-object screen mesh. Built
// in place (the records point into it), by the function given.
struct BenchScene {
  template <typename Build>
  BenchScene(FrameSize frame, Build build) : size(frame), target(frame) {
    build(*this);
    mesh.Link();
    screen.objectCount = 1;
    screen.objects = objects;
  }
  BenchScene(const BenchScene&) = delete;
  BenchScene& operator=(const BenchScene&) = delete;

  std::uint32_t AddVertex(std::int32_t x, std::int32_t y, float z, std::int32_t u, std::int32_t v) {
    mesh.vertices.push_back({x, y, z, u, v});
    return static_cast<std::uint32_t>(mesh.vertices.size() - 1);
  }

  FrameSize size;
  std::vector<std::vector<std::uint32_t>> textures;
  rastertest::TestObject mesh;
  ScreenObject* objects[1] = {mesh.entry};
  ScreenMesh screen{};
  rastertest::Target target;
};

// The synthetic frame at a size: grid points and jitter scale with it, so
// that every size shows the same picture.
void BuildSyntheticFrame(BenchScene& s) {
  const FrameSize& size = s.size;
  std::mt19937 random(7);
  for (int t = 0; t < 4; ++t) {
    s.textures.emplace_back(256 * 256);
    for (std::uint32_t& texel : s.textures.back()) {
      texel = random() & 0xFFFFFFu;
    }
  }
  const int jitterColumns = 80 * size.width / ClassicFrame.width;
  const int jitterRows = 3 * size.height / ClassicFrame.height;
  std::uniform_int_distribution<int> jitterX(-jitterColumns, jitterColumns),
      jitterY(-jitterRows, jitterRows);
  for (int layer : {1, 0, 2}) {  // 1/z grows with the layer: 2 is nearest
    // Grid points (columns + 1) x (rows + 1) over the whole view; inner
    // points jittered, border points on the view's edges.
    std::vector<std::uint32_t> grid;
    for (int gy = 0; gy <= GridRows; ++gy) {
      for (int gx = 0; gx <= GridColumns; ++gx) {
        std::int32_t x = gx * (size.width - 1) * 256 / GridColumns;
        std::int32_t y = gy * (size.height - 1) / GridRows;
        if (gx > 0 && gx < GridColumns) x += jitterX(random);
        if (gy > 0 && gy < GridRows) y += jitterY(random);
        // A slanted plane per layer: 1/z between 0.05 and 0.5.
        const float column = static_cast<float>(x >> 8) * ClassicFrame.width / size.width;
        const float row = static_cast<float>(y) * ClassicFrame.height / size.height;
        const float z = 0.1f + 0.1f * static_cast<float>(layer) + 0.0004f * column - 0.0003f * row;
        grid.push_back(s.AddVertex(x, y, z, gx * 5000 + layer * 777, gy * 6000));
      }
    }
    for (int gy = 0; gy < GridRows; ++gy) {
      for (int gx = 0; gx < GridColumns; ++gx) {
        const std::uint32_t a = grid[gy * (GridColumns + 1) + gx], b = a + 1,
                            c = a + GridColumns + 1, d = c + 1;
        const std::uint32_t* texture = s.textures[(gx + gy + layer) % 4].data();
        // Down the left side first: (top, bottom-left, bottom-right) order.
        s.mesh.AddIndexedPolygon({a, c, d}, texture);
        s.mesh.AddIndexedPolygon({a, d, b}, texture);
      }
    }
  }
}

BenchScene& SyntheticFrame(const FrameSize& size) {
  if (size == ClassicFrame) {
    static BenchScene classic(ClassicFrame, BuildSyntheticFrame);
    return classic;
  }
  static BenchScene large(FullHd, BuildSyntheticFrame);
  return large;
}

// The fill of one variant and mode; nullptr (and the benchmark skipped)
// when the processor lacks the variant.
FillFunction Choose(benchmark::State& state, RasterVariant variant, bool perspective) {
  const RasterFills* fills = RasterFillsOf(variant);
  if (fills == nullptr) {
    state.SkipWithError("the processor lacks AVX2");
    return nullptr;
  }
  return perspective ? fills->perspective : fills->affine;
}

// The synthetic frame at a size, in one call (bands 1) or band by band.
void BM_SyntheticFrame(benchmark::State& state, FrameSize size, int bands, RasterVariant variant,
                       bool perspective) {
  BenchScene& s = SyntheticFrame(size);
  const FillFunction fill = Choose(state, variant, perspective);
  if (fill == nullptr) return;
  for (auto _ : state) {
    for (int b = 0; b < bands; ++b) {
      const RasterTarget band =
          s.target.Rows({size.height * b / bands, size.height * (b + 1) / bands});
      ClearDepthBuffer(band);
      DrawScenePolygons(&s.screen, band, fill);
    }
    benchmark::ClobberMemory();
  }
  const double pixels = static_cast<double>(size.width) * size.height;
  state.counters["faces"] = static_cast<double>(s.mesh.polygons.size());
  // Share of the view drawn: shows that the frame really covers it.
  int covered = 0;
  for (int y = 0; y < size.height; ++y) {
    covered +=
        static_cast<int>(std::count_if(s.target.depth.Row(y), s.target.depth.Row(y) + size.width,
                                       [](float d) { return d > 1e-6f; }));
  }
  state.counters["covered"] = covered / pixels;
  // Seconds per pixel test, comparable across sizes.
  state.counters["pixel_time"] = benchmark::Counter(
      Layers * pixels, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(state.iterations() * Layers * static_cast<std::int64_t>(pixels));
}

// One quad over the whole view, nearer at the right, 1 texel per pixel.
void BM_FullScreenQuad(benchmark::State& state, RasterVariant variant, bool perspective) {
  static BenchScene s(ClassicFrame, [](BenchScene& s) {
    s.textures.emplace_back(256 * 256, 0x00336699u);
    const std::int32_t right = (ScreenWidth - 1) * 256, bottom = ScreenHeight - 1;
    const std::uint32_t a = s.AddVertex(0, 0, 0.2f, 0, 0);
    const std::uint32_t b = s.AddVertex(0, bottom, 0.2f, 0, bottom * 256);
    const std::uint32_t c = s.AddVertex(right, bottom, 0.6f, right, bottom * 256);
    const std::uint32_t d = s.AddVertex(right, 0, 0.6f, right, 0);
    s.mesh.AddIndexedPolygon({a, b, c, d}, s.textures[0].data());
  });
  const FillFunction fill = Choose(state, variant, perspective);
  if (fill == nullptr) return;
  for (auto _ : state) {
    s.target.ClearDepth();
    fill(s.target.All(), s.mesh.entry, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * ScreenPixels);
}

void BM_ClearDepthBuffer(benchmark::State& state) {
  BenchScene& s = SyntheticFrame(ClassicFrame);
  for (auto _ : state) {
    s.target.ClearDepth();
    benchmark::ClobberMemory();
  }
}

// Every fill of every variant, on the synthetic frame and the full-screen
// quad: "SyntheticFrame/Perspective/Avx2" and so on; the synthetic frame
// also at 1920 x 1080, in one call and in eight bands, with the optimised
// fills: "SyntheticFrame1920x1080/Perspective/Avx2/Bands8".
void RegisterFillBenchmarks() {
  benchmark::RegisterBenchmark("BM_ClearDepthBuffer", BM_ClearDepthBuffer);
  const std::pair<RasterVariant, const char*> variants[] = {
      {RasterVariant::Reference, "Reference"},
      {RasterVariant::Sse2, "Sse2"},
      {RasterVariant::Avx2, "Avx2"},
  };
  for (bool perspective : {false, true}) {
    const std::string mode = perspective ? "/Perspective/" : "/Affine/";
    for (const auto& [variant, variantName] : variants) {
      benchmark::RegisterBenchmark(("SyntheticFrame" + mode + variantName).c_str(),
                                   BM_SyntheticFrame, ClassicFrame, 1, variant, perspective);
    }
    for (const auto& [variant, variantName] : variants) {
      benchmark::RegisterBenchmark(("FullScreenQuad" + mode + variantName).c_str(),
                                   BM_FullScreenQuad, variant, perspective);
    }
    for (const auto& [variant, variantName] : variants) {
      if (variant == RasterVariant::Reference) continue;
      for (int bands : {1, 8}) {
        const std::string name = "SyntheticFrame1920x1080" + mode + variantName +
                                 (bands == 1 ? "" : "/Bands" + std::to_string(bands));
        benchmark::RegisterBenchmark(name.c_str(), BM_SyntheticFrame, FullHd, bands, variant,
                                     perspective);
      }
    }
  }
}

}  // namespace
}  // namespace vx

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  vx::RegisterFillBenchmarks();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
