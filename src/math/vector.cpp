// The out-of-line vector operations (normalising, length, printing); the
// small ones are inline in math.h. Every result is computed in double and
// each stored component rounded to single once.
#include <cmath>
#include <cstdio>

#include "base/console.h"
#include "math/math.h"

namespace vx {
using math_detail::Dot;

void VecNormalize(Vector& v) {
  const double s = Dot(v, v);
  if (s == 0.0) {
    v = UnitZ;
    return;
  }
  // One reciprocal (passed on as a single, like any scale factor), three
  // multiplications. s is a double, so a tiny vector whose squared length
  // would underflow a single is still divided.
  v = v * static_cast<float>(1.0 / std::sqrt(s));
}

float VecLength(Vector v) {
  return static_cast<float>(std::sqrt(Dot(v, v)));
}

void WriteVector(Vector v) {
  char text[256];
  std::snprintf(text, sizeof text, "x: %3.3f y: %3.3f z: %3.3f", double{v.x}, double{v.y},
                double{v.z});
  ConsoleWrite(text);
}

void WriteLnVector(Vector v) {
  WriteVector(v);
  ConsoleWriteLine();
}

}  // namespace vx
