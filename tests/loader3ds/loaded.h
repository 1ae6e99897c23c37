#pragma once
// One load from bytes in memory, with its outcome taken at once (so the
// loader's sticky error never leaks into the next test) and the data freed
// when the object goes out of scope.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "loader3ds/loader3ds.h"

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

}  // namespace vx::test
