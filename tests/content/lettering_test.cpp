// Lettering shaped for the keyed pictures: outline ring and bevel.
#include "lettering.h"

#include <gtest/gtest.h>

namespace vx::test {
namespace {

using content::Font;
using content::LetterShape;

// A capital I is one upright bar: its left and top rims face the light at
// the top left, its right and bottom rims face away, its middle is flat, and
// the outline is a ring of the given width just outside it.
TEST(ShapeLetters, BevelsTheRimsTowardTheLightAndRingsTheLetters) {
  const LetterShape s = content::ShapeLetters("I", Font::SansBold, 80, 50, 90, 2, 3, 100, 100);
  ASSERT_EQ(s.face.values.size(), 10000u);
  const int row = 60;  // half way up the bar
  int left = -1, right = -1;
  for (int x = 0; x < 100; ++x)
    if (s.face.At(x, row) > 0.99f) {
      if (left < 0) left = x;
      right = x;
    }
  ASSERT_GE(right - left, 8) << "the bar is too thin to have a flat middle";
  EXPECT_GT(s.bevel.At(left, row), 0.3f);
  EXPECT_LT(s.bevel.At(right, row), -0.3f);
  EXPECT_NEAR(s.bevel.At((left + right) / 2, row), 0.0f, 0.05f);

  int top = -1, bottom = -1;
  const int column = (left + right) / 2;
  for (int y = 0; y < 100; ++y)
    if (s.face.At(column, y) > 0.99f) {
      if (top < 0) top = y;
      bottom = y;
    }
  EXPECT_GT(s.bevel.At(column, top), 0.3f);
  EXPECT_LT(s.bevel.At(column, bottom), -0.3f);

  // The ring: full one and two pixels out, nothing three out or inside.
  EXPECT_GT(s.outline.At(left - 2, row), 0.99f);
  EXPECT_GT(s.outline.At(right + 2, row), 0.99f);
  EXPECT_EQ(s.outline.At(left - 4, row), 0.0f);
  EXPECT_EQ(s.outline.At(column, row), 0.0f);
  EXPECT_EQ(s.bevel.At(left - 2, row), 0.0f);
}

}  // namespace
}  // namespace vx::test
