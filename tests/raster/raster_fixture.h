#pragma once
// Hand-built screen records for the rasterizer tests and benchmarks: one
// object holding one polygon (or several), an image and a depth buffer of any
// frame size between guard bands that catch any write past them, a
// coordinate texture whose texel (column, row) is 0x00TTRRCC: tag, row,
// column.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
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

// A frame-sized buffer (pitch x height entries) between two bands of
// sentinel entries, four rows each; the entries between width and pitch of
// every row hold the sentinel too. A fill that writes outside the frame's
// pixels changes a sentinel, which the owner's check reports in every build
// (not only under the sanitizers, which cannot see a write into memory that
// is allocated).
template <typename T>
class Guarded {
 public:
  Guarded(FrameSize size, T fill, T sentinel)
      : size_(size),
        band_(4 * static_cast<std::size_t>(size.pitch)),
        sentinel_(sentinel),
        all_(FrameWords(size) + 2 * band_, sentinel) {
    for (int y = 0; y < size.height; ++y) {
      std::fill_n(Row(y), size.width, fill);
    }
  }
  T* data() { return all_.data() + band_; }
  const T* data() const { return all_.data() + band_; }
  T* Row(int y) { return data() + static_cast<std::size_t>(y) * size_.pitch; }
  const T* Row(int y) const { return data() + static_cast<std::size_t>(y) * size_.pitch; }
  T& At(int x, int y) { return Row(y)[x]; }
  const T& At(int x, int y) const { return Row(y)[x]; }
  // The frame's pixels, width x height, row by row.
  std::vector<T> Pixels() const {
    std::vector<T> pixels;
    pixels.reserve(static_cast<std::size_t>(size_.width) * size_.height);
    for (int y = 0; y < size_.height; ++y) {
      pixels.insert(pixels.end(), Row(y), Row(y) + size_.width);
    }
    return pixels;
  }
  // Compares the bytes (a float's bits, not its value: NaN equals NaN).
  friend bool operator==(const Guarded& a, const Guarded& b) {
    const std::vector<T> pa = a.Pixels(), pb = b.Pixels();
    return pa.size() == pb.size() && std::memcmp(pa.data(), pb.data(), pa.size() * sizeof(T)) == 0;
  }
  // Entries of the bands and of the gaps between width and pitch that no
  // longer hold the sentinel.
  int Overwritten() const {
    int n = 0;
    for (std::size_t i = 0; i < band_; ++i) {
      n += all_[i] != sentinel_;
      n += all_[band_ + FrameWords(size_) + i] != sentinel_;
    }
    for (int y = 0; y < size_.height; ++y) {
      for (int x = size_.width; x < size_.pitch; ++x) {
        n += Row(y)[x] != sentinel_;
      }
    }
    return n;
  }

 private:
  FrameSize size_;
  std::size_t band_;
  T sentinel_;
  std::vector<T> all_;
};

inline constexpr std::uint32_t ImageSentinel = 0x5EA1ED00;  // no texel has a top byte
inline constexpr float DepthSentinel = -7.0f;               // no depth is negative

// An image of the given size filled with Background and a cleared depth
// buffer; on destruction, a failure for any write outside the frame's pixels
// of either of them.
struct Target {
  explicit Target(FrameSize frame = ClassicFrame)
      : size(frame), image(frame, Background, ImageSentinel), depth(frame, 0.0f, DepthSentinel) {
    ClearDepth();
  }
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;
  ~Target() {
    EXPECT_EQ(image.Overwritten(), 0) << "image entries written outside the frame";
    EXPECT_EQ(depth.Overwritten(), 0) << "depth entries written outside the frame";
  }
  // The whole frame, or the rows of one band.
  RasterTarget All() { return Rows(AllRows(size)); }
  RasterTarget Rows(RowBand rows) { return {image.data(), depth.data(), size, rows}; }
  void ClearDepth() { ClearDepthBuffer(All()); }
  std::uint32_t Pixel(int x, int y) const { return image.At(x, y); }
  float Depth(int x, int y) const { return depth.At(x, y); }
  int DrawnCount() const {
    int n = 0;
    for (int y = 0; y < size.height; ++y) {
      n += static_cast<int>(size.width -
                            std::count(image.Row(y), image.Row(y) + size.width, Background));
    }
    return n;
  }

  FrameSize size;
  Guarded<std::uint32_t> image;
  Guarded<float> depth;
};

// Column and row of a coordinate-texture texel.
inline int TexelColumn(std::uint32_t texel) {
  return static_cast<int>(texel & 0xFF);
}
inline int TexelRow(std::uint32_t texel) {
  return static_cast<int>((texel >> 8) & 0xFF);
}

}  // namespace vx::rastertest
