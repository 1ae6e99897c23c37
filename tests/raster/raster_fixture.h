#pragma once
// Hand-built screen records for the rasterizer tests and benchmarks: one
// object holding one polygon (or several), an image and a depth buffer of
// 64000 entries between guard bands that catch any write past them, a
// coordinate texture whose texel (column, row) is 0x00TTRRCC: tag, row,
// column.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "raster/raster.h"

namespace vx::rastertest {

// A vertex at whole column and row (x given in columns, stored 24.8).
inline ScreenVertex At(int column, int row, float z, std::int32_t u, std::int32_t v) {
  return ScreenVertex{column * 256, row, z, u, v};
}

inline std::vector<std::uint32_t> CoordinateTexture(std::uint32_t tag) {
  std::vector<std::uint32_t> texture(256 * 256);
  for (std::uint32_t row = 0; row < 256; ++row) {
    for (std::uint32_t column = 0; column < 256; ++column) {
      texture[row * 256 + column] = (tag << 16) | (row << 8) | column;
    }
  }
  return texture;
}

inline constexpr std::uint32_t Background = 0xDEADBEEF;  // no texel has a top byte

// One ScreenObject with its own vertex array and polygons, built by hand.
struct TestObject {
  std::vector<ScreenVertex> vertices;
  std::vector<Polygon> polygons;
  std::vector<Polygon*> polygonPointers;
  ScreenObject object{};
  ScreenObject* entry = &object;

  // Adds a polygon over the given vertices (appended to the vertex array).
  void AddPolygon(std::initializer_list<ScreenVertex> corners, const std::uint32_t* texture) {
    Polygon polygon{};
    polygon.count = static_cast<std::uint32_t>(corners.size());
    std::uint32_t i = 0;
    for (const ScreenVertex& corner : corners) {
      polygon.indices[i++] = static_cast<std::uint32_t>(vertices.size());
      vertices.push_back(corner);
    }
    polygon.texture = texture;
    polygon.drawFlag = 1;
    polygons.push_back(polygon);
    Link();
  }

  // Adds a polygon over vertices already in the array, by index.
  void AddIndexedPolygon(std::initializer_list<std::uint32_t> indices,
                         const std::uint32_t* texture) {
    Polygon polygon{};
    for (std::uint32_t i : indices) {
      polygon.indices[polygon.count++] = i;
    }
    polygon.texture = texture;
    polygon.drawFlag = 1;
    polygons.push_back(polygon);
  }

  // Points the object at the current arrays (after any change to them).
  void Link() {
    polygonPointers.clear();
    for (Polygon& p : polygons) {
      polygonPointers.push_back(&p);
    }
    object.vertices = vertices.data();
    object.vertexSlots = static_cast<std::uint32_t>(vertices.size());
    object.polygons = polygonPointers.data();
    object.polygonCount = static_cast<std::uint32_t>(polygons.size());
    object.visible = 1;
  }
};

// A buffer of ScreenPixels entries between two bands of sentinel entries:
// a fill that writes outside the image changes a band, which the owner's
// check reports in every build (not only under the sanitizers, which cannot
// see a write into memory that is allocated).
template <typename T>
class Guarded {
 public:
  static constexpr std::size_t Band = 4 * ScreenWidth;  // four rows on each side

  Guarded(T fill, T sentinel) : sentinel_(sentinel), all_(ScreenPixels + 2 * Band, sentinel) {
    std::fill(begin(), end(), fill);
  }
  T* data() { return all_.data() + Band; }
  const T* data() const { return all_.data() + Band; }
  T* begin() { return data(); }
  T* end() { return data() + ScreenPixels; }
  const T* begin() const { return data(); }
  const T* end() const { return data() + ScreenPixels; }
  T& operator[](std::size_t i) { return data()[i]; }
  const T& operator[](std::size_t i) const { return data()[i]; }
  std::vector<T> Pixels() const { return std::vector<T>(begin(), end()); }
  friend bool operator==(const Guarded& a, const Guarded& b) { return a.Pixels() == b.Pixels(); }
  // Entries of the bands that no longer hold the sentinel.
  int Overwritten() const {
    int n = 0;
    for (std::size_t i = 0; i < Band; ++i) {
      n += all_[i] != sentinel_;
      n += all_[Band + ScreenPixels + i] != sentinel_;
    }
    return n;
  }

 private:
  T sentinel_;
  std::vector<T> all_;
};

inline constexpr std::uint32_t ImageSentinel = 0x5EA1ED00;  // no texel has a top byte
inline constexpr float DepthSentinel = -7.0f;                // no depth is negative

// An image filled with Background and a cleared depth buffer made current;
// on destruction, a failure for any write outside either of them.
struct Target {
  Guarded<std::uint32_t> image{Background, ImageSentinel};
  Guarded<float> depth{0.0f, DepthSentinel};
  float* depthField = nullptr;

  Target() { MakeCurrent(); }
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;
  ~Target() {
    EXPECT_EQ(image.Overwritten(), 0) << "image entries written outside the image";
    EXPECT_EQ(depth.Overwritten(), 0) << "depth entries written outside the depth buffer";
  }
  void MakeCurrent() {
    MakeCurrentWithoutClear();
    ClearDepthBuffer();
  }
  void MakeCurrentWithoutClear() {
    depthField = depth.data();
    SetDepthBuffer(depthField);
  }
  std::uint32_t Pixel(int x, int y) const { return image[y * ScreenWidth + x]; }
  float Depth(int x, int y) const { return depth[y * ScreenWidth + x]; }
  int DrawnCount() const {
    int n = 0;
    for (std::uint32_t p : image) {
      n += p != Background;
    }
    return n;
  }
};

// Column and row of a coordinate-texture texel.
inline int TexelColumn(std::uint32_t texel) {
  return static_cast<int>(texel & 0xFF);
}
inline int TexelRow(std::uint32_t texel) {
  return static_cast<int>((texel >> 8) & 0xFF);
}

}  // namespace vx::rastertest
