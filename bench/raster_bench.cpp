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
#include <vector>

#include "engine/scene.h"
#include "raster/raster.h"

namespace vx {
namespace {

constexpr int GridColumns = 25;
constexpr int GridRows = 20;
constexpr int Layers = 3;

struct BenchScene {
  std::vector<std::vector<std::uint32_t>> textures;
  std::vector<ScreenVertex> vertices;
  std::vector<Polygon> polygons;
  std::vector<Polygon*> polygonPointers;
  ScreenObject object{};
  ScreenObject* objects[1] = {&object};
  ScreenMesh screen{};
  Scene scene{};
  std::vector<float> depth = std::vector<float>(ViewPixels);
  float* depthField = depth.data();
  std::vector<std::uint32_t> image = std::vector<std::uint32_t>(ViewPixels);

  void Link() {
    for (Polygon& p : polygons) {
      polygonPointers.push_back(&p);
    }
    object.vertices = vertices.data();
    object.vertexSlots = static_cast<std::uint32_t>(vertices.size());
    object.polygons = polygonPointers.data();
    object.polygonCount = static_cast<std::uint32_t>(polygons.size());
    object.visible = 1;
    screen.objectCount = 1;
    screen.objects = objects;
    scene.screen = &screen;
    scene.depthBuffer = depthField;
  }
};

std::uint32_t AddVertex(BenchScene& s, std::int32_t x, std::int32_t y, float z, std::int32_t u,
                        std::int32_t v) {
  s.vertices.push_back({x, y, z, u, v});
  return static_cast<std::uint32_t>(s.vertices.size() - 1);
}

void AddPolygon(BenchScene& s, std::initializer_list<std::uint32_t> indices,
                const std::uint32_t* texture) {
  Polygon p{};
  for (std::uint32_t i : indices) {
    p.indices[p.count++] = i;
  }
  p.texture = texture;
  p.drawFlag = 1;
  s.polygons.push_back(p);
}

BenchScene& SyntheticFrame() {
  static BenchScene s = [] {
    BenchScene s;
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
          std::int32_t x = gx * (ViewWidth - 1) * 256 / GridColumns;
          std::int32_t y = gy * (ViewHeight - 1) / GridRows;
          if (gx > 0 && gx < GridColumns) x += jitterX(random);
          if (gy > 0 && gy < GridRows) y += jitterY(random);
          // A slanted plane per layer: 1/z between 0.05 and 0.5.
          const float z = 0.1f + 0.1f * static_cast<float>(layer) +
                          0.0004f * static_cast<float>(x >> 8) - 0.0003f * static_cast<float>(y);
          grid.push_back(AddVertex(s, x, y, z, gx * 5000 + layer * 777, gy * 6000));
        }
      }
      for (int gy = 0; gy < GridRows; ++gy) {
        for (int gx = 0; gx < GridColumns; ++gx) {
          const std::uint32_t a = grid[gy * (GridColumns + 1) + gx], b = a + 1,
                              c = a + GridColumns + 1, d = c + 1;
          const std::uint32_t* texture = s.textures[(gx + gy + layer) % 4].data();
          // Down the left side first: (top, bottom-left, bottom-right) order.
          AddPolygon(s, {a, c, d}, texture);
          AddPolygon(s, {a, d, b}, texture);
        }
      }
    }
    s.Link();
    return s;
  }();
  return s;
}

enum class Path { Reference, Sse2, Avx2 };

bool Choose(benchmark::State& state, Path path) {
  UseReferenceRaster(path == Path::Reference);
  if (!UseRasterInstructions(path == Path::Avx2 ? RasterInstructions::Avx2
                                                : RasterInstructions::Sse2)) {
    state.SkipWithError("the processor lacks AVX2");
    return false;
  }
  return true;
}

template <bool Perspective, Path P>
void BM_SyntheticFrame(benchmark::State& state) {
  BenchScene& s = SyntheticFrame();
  if (!Choose(state, P)) return;
  const FillFunction fill = Perspective ? FillPolygonPerspective : FillPolygonAffine;
  for (auto _ : state) {
    SetDepthBuffer(s.depthField);
    ClearDepthBuffer();
    DrawScenePolygons(&s.scene, s.image.data(), fill);
    benchmark::ClobberMemory();
  }
  state.counters["faces"] = static_cast<double>(s.polygons.size());
  // Share of the view drawn: shows that the frame really covers it.
  state.counters["covered"] =
      static_cast<double>(
          std::count_if(s.depth.begin(), s.depth.end(), [](float d) { return d > 1e-6f; })) /
      ViewPixels;
  state.SetItemsProcessed(state.iterations() * Layers * ViewPixels);  // pixel tests
}

// One quad over the whole view, nearer at the right, 1 texel per pixel.
template <bool Perspective, Path P>
void BM_FullScreenQuad(benchmark::State& state) {
  static BenchScene s = [] {
    BenchScene s;
    s.textures.emplace_back(256 * 256, 0x00336699u);
    const std::int32_t right = (ViewWidth - 1) * 256, bottom = ViewHeight - 1;
    const std::uint32_t a = AddVertex(s, 0, 0, 0.2f, 0, 0);
    const std::uint32_t b = AddVertex(s, 0, bottom, 0.2f, 0, bottom * 256);
    const std::uint32_t c = AddVertex(s, right, bottom, 0.6f, right, bottom * 256);
    const std::uint32_t d = AddVertex(s, right, 0, 0.6f, right, 0);
    AddPolygon(s, {a, b, c, d}, s.textures[0].data());
    s.Link();
    return s;
  }();
  if (!Choose(state, P)) return;
  const FillFunction fill = Perspective ? FillPolygonPerspective : FillPolygonAffine;
  for (auto _ : state) {
    SetDepthBuffer(s.depthField);
    ClearDepthBuffer();
    fill(s.objects[0], 0, s.image.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * ViewPixels);
}

void BM_ClearDepthBuffer(benchmark::State& state) {
  BenchScene& s = SyntheticFrame();
  for (auto _ : state) {
    SetDepthBuffer(s.depthField);
    ClearDepthBuffer();
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_ClearDepthBuffer);
BENCHMARK(BM_SyntheticFrame<false, Path::Reference>)->Name("SyntheticFrame/Affine/Reference");
BENCHMARK(BM_SyntheticFrame<false, Path::Sse2>)->Name("SyntheticFrame/Affine/Sse2");
BENCHMARK(BM_SyntheticFrame<false, Path::Avx2>)->Name("SyntheticFrame/Affine/Avx2");
BENCHMARK(BM_SyntheticFrame<true, Path::Reference>)->Name("SyntheticFrame/Perspective/Reference");
BENCHMARK(BM_SyntheticFrame<true, Path::Sse2>)->Name("SyntheticFrame/Perspective/Sse2");
BENCHMARK(BM_SyntheticFrame<true, Path::Avx2>)->Name("SyntheticFrame/Perspective/Avx2");
BENCHMARK(BM_FullScreenQuad<false, Path::Reference>)->Name("FullScreenQuad/Affine/Reference");
BENCHMARK(BM_FullScreenQuad<false, Path::Sse2>)->Name("FullScreenQuad/Affine/Sse2");
BENCHMARK(BM_FullScreenQuad<false, Path::Avx2>)->Name("FullScreenQuad/Affine/Avx2");
BENCHMARK(BM_FullScreenQuad<true, Path::Reference>)->Name("FullScreenQuad/Perspective/Reference");
BENCHMARK(BM_FullScreenQuad<true, Path::Sse2>)->Name("FullScreenQuad/Perspective/Sse2");
BENCHMARK(BM_FullScreenQuad<true, Path::Avx2>)->Name("FullScreenQuad/Perspective/Avx2");

}  // namespace
}  // namespace vx

BENCHMARK_MAIN();
