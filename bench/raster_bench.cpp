// The polygon fills, reference against optimised, on a synthetic frame of
// about 3000 textured triangles covering the view about three times over
// (three jittered, slanted grid layers that cut through one another, drawn
// layer by layer in mesh order: the middle layer, then the far one, whose
// pixels mostly fail the depth test, then the near one, which mostly
// passes), and on single full-screen quads. Each iteration clears the depth buffer
// and draws, as a scene module does per frame.
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

// One object over the whole view, drawn through a one-object screen mesh. Built
// in place (the records point into it), by the function given.
struct BenchScene {
  template <typename Build>
  explicit BenchScene(Build build) {
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

  std::vector<std::vector<std::uint32_t>> textures;
  rastertest::TestObject mesh;
  ScreenObject* objects[1] = {mesh.entry};
  ScreenMesh screen{};
  rastertest::Target target;
};

BenchScene& SyntheticFrame() {
  static BenchScene frame([](BenchScene& s) {
    std::mt19937 random(7);
    for (int t = 0; t < 4; ++t) {
      s.textures.emplace_back(256 * 256);
      for (std::uint32_t& texel : s.textures.back()) {
        texel = random() & 0xFFFFFFu;
      }
    }
    std::uniform_int_distribution<int> jitterX(-80, 80), jitterY(-3, 3);
    for (int layer : {1, 0, 2}) {  // 1/z grows with the layer: 2 is nearest
      // Grid points (columns + 1) x (rows + 1) over the whole view; inner
      // points jittered, border points on the view's edges.
      std::vector<std::uint32_t> grid;
      for (int gy = 0; gy <= GridRows; ++gy) {
        for (int gx = 0; gx <= GridColumns; ++gx) {
          std::int32_t x = gx * (ScreenWidth - 1) * 256 / GridColumns;
          std::int32_t y = gy * (ScreenHeight - 1) / GridRows;
          if (gx > 0 && gx < GridColumns) x += jitterX(random);
          if (gy > 0 && gy < GridRows) y += jitterY(random);
          // A slanted plane per layer: 1/z between 0.05 and 0.5.
          const float z = 0.1f + 0.1f * static_cast<float>(layer) +
                          0.0004f * static_cast<float>(x >> 8) - 0.0003f * static_cast<float>(y);
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
  });
  return frame;
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

void BM_SyntheticFrame(benchmark::State& state, RasterVariant variant, bool perspective) {
  BenchScene& s = SyntheticFrame();
  const FillFunction fill = Choose(state, variant, perspective);
  if (fill == nullptr) return;
  for (auto _ : state) {
    s.target.MakeCurrent();
    DrawScenePolygons(&s.screen, s.target.image.data(), fill);
    benchmark::ClobberMemory();
  }
  state.counters["faces"] = static_cast<double>(s.mesh.polygons.size());
  // Share of the view drawn: shows that the frame really covers it.
  state.counters["covered"] =
      static_cast<double>(std::count_if(s.target.depth.begin(), s.target.depth.end(),
                                        [](float d) { return d > 1e-6f; })) /
      ScreenPixels;
  state.SetItemsProcessed(state.iterations() * Layers * ScreenPixels);  // pixel tests
}

// One quad over the whole view, nearer at the right, 1 texel per pixel.
void BM_FullScreenQuad(benchmark::State& state, RasterVariant variant, bool perspective) {
  static BenchScene s([](BenchScene& s) {
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
    s.target.MakeCurrent();
    fill(s.mesh.entry, 0, s.target.image.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * ScreenPixels);
}

void BM_ClearDepthBuffer(benchmark::State& state) {
  BenchScene& s = SyntheticFrame();
  for (auto _ : state) {
    s.target.MakeCurrent();
    benchmark::ClobberMemory();
  }
}

// Every fill of every variant, on the synthetic frame and the full-screen
// quad: "SyntheticFrame/Perspective/Avx2" and so on.
void RegisterFillBenchmarks() {
  benchmark::RegisterBenchmark("BM_ClearDepthBuffer", BM_ClearDepthBuffer);
  const std::pair<RasterVariant, const char*> variants[] = {
      {RasterVariant::Reference, "Reference"},
      {RasterVariant::Sse2, "Sse2"},
      {RasterVariant::Avx2, "Avx2"},
  };
  for (const auto& [bench, benchName] : {std::pair{&BM_SyntheticFrame, "SyntheticFrame"},
                                         std::pair{&BM_FullScreenQuad, "FullScreenQuad"}}) {
    for (bool perspective : {false, true}) {
      for (const auto& [variant, variantName] : variants) {
        const std::string name =
            std::string(benchName) + (perspective ? "/Perspective/" : "/Affine/") + variantName;
        benchmark::RegisterBenchmark(name.c_str(), bench, variant, perspective);
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
