#pragma once
// Shared by the loader's tests: one load from bytes in memory, with its
// outcome taken at once (so the loader's sticky error never leaks into the
// next test) and the data freed when the object goes out of scope; and the
// frames of hand-assembled files around the chunks a test writes itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "loader3ds/loader3ds.h"
#include "write3ds.h"

namespace vx::test {

struct Loaded {
  explicit Loaded(const std::vector<std::uint8_t>& bytes) {
    ok = Load3DSMemory(mesh, bytes.data(), bytes.size());
    detail = LoadErrorDetail();
    code = TakeLoadError();
  }
  ~Loaded() {
    if (mesh != nullptr) {
      EXPECT_TRUE(Free3DSData(mesh));
    }
  }
  Loaded(const Loaded&) = delete;
  Loaded& operator=(const Loaded&) = delete;

  bool ok = false;
  std::uint32_t code = 0;
  std::string detail;
  Mesh3D* mesh = nullptr;
};

// 0x4D4D { 0x3D3D { 0x4000 name { 0x4100 { the chunks body writes } } } }
template <typename Body>
std::vector<std::uint8_t> ObjectMeshFile(std::string_view name, Body body) {
  ChunkWriter w;
  w.Begin(0x4D4D);
  w.Begin(0x3D3D);
  w.Begin(0x4000);
  w.String(name);
  w.Begin(0x4100);
  body(w);
  w.EndAll();
  return w.Bytes();
}

// 0x4D4D { 0xB000 { 0xB002 { 0xB010 "T" (no parent), the chunks body writes } } }
template <typename Body>
std::vector<std::uint8_t> ObjectTrackFile(Body body) {
  ChunkWriter w;
  w.Begin(0x4D4D);
  w.Begin(0xB000);
  w.Begin(0xB002);
  w.Begin(0xB010);
  w.String("T");
  w.U16(0);
  w.U16(0);
  w.U16(0xFFFF);
  w.End();
  body(w);
  w.EndAll();
  return w.Bytes();
}

// A key chunk's 10-byte header and its u32 key count.
inline void KeyHeader(ChunkWriter& w, std::uint32_t count) {
  for (int i = 0; i < 5; ++i) w.U16(0);
  w.U32(count);
}

}  // namespace vx::test
