#pragma once
// The fills of every variant as test parameters, named after the variant
// and mode; a variant the processor lacks is skipped.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "raster/raster.h"

namespace vx::rastertest {

// One fill of one variant.
struct FillCase {
  const char* name;
  RasterVariant variant;
  bool perspective;

  // nullptr when this build or processor lacks the variant.
  FillFunction Fill() const { return Of(variant); }
  FillFunction ReferenceFill() const { return Of(RasterVariant::Reference); }
  FillFunction Of(RasterVariant v) const {
    const RasterFills* fills = RasterFillsOf(v);
    return fills == nullptr ? nullptr : perspective ? fills->perspective : fills->affine;
  }
  friend void PrintTo(const FillCase& c, std::ostream* out) { *out << c.name; }
};

inline constexpr FillCase AllFills[] = {
    {"ReferenceAffine", RasterVariant::Reference, false},
    {"ReferencePerspective", RasterVariant::Reference, true},
    {"Sse2Affine", RasterVariant::Sse2, false},
    {"Sse2Perspective", RasterVariant::Sse2, true},
    {"Avx2Affine", RasterVariant::Avx2, false},
    {"Avx2Perspective", RasterVariant::Avx2, true},
};

// The cases for which keep(c) holds.
template <typename Keep>
std::vector<FillCase> FillsWhere(Keep keep) {
  std::vector<FillCase> cases;
  for (const FillCase& c : AllFills) {
    if (keep(c)) cases.push_back(c);
  }
  return cases;
}

// Names parameterised tests after their case (INSTANTIATE_TEST_SUITE_P).
inline std::string CaseName(const ::testing::TestParamInfo<FillCase>& info) {
  return info.param.name;
}

// A test of one fill, skipped where the processor lacks its variant.
class EachFill : public ::testing::TestWithParam<FillCase> {
 protected:
  void SetUp() override {
    if (fill == nullptr) {
      GTEST_SKIP() << "the processor lacks " << GetParam().name;
    }
  }
  const FillFunction fill = GetParam().Fill();
};

}  // namespace vx::rastertest
