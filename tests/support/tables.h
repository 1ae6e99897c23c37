#pragma once
// Routine tables checked whole: every routine table (the fx2d and raster
// variants, the video and music backends) is a struct of pointers and
// nothing else, so it can be read as the pointers it is made of. A member
// added later is then checked without the test naming it.
//
//   EXPECT_EQ(vx::test::NullMembers(PlainFx2d), std::vector<std::size_t>{});
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

namespace vx::test {

// The positions (from 0, in declaration order) of the table's null members.
template <typename Table>
std::vector<std::size_t> NullMembers(const Table& table) {
  static_assert(std::is_trivially_copyable_v<Table> && sizeof(Table) % sizeof(void*) == 0,
                "a routine table holds pointers only");
  std::array<std::uintptr_t, sizeof(Table) / sizeof(void*)> slots{};
  std::memcpy(slots.data(), &table, sizeof table);
  std::vector<std::size_t> nulls;
  for (std::size_t i = 0; i < slots.size(); ++i)
    if (slots[i] == 0) nulls.push_back(i);
  return nulls;
}

}  // namespace vx::test
