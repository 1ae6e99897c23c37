#pragma once
// 3DS scenes for the engine's file-level tests and the vxdump runs, written
// with the project's 3DS writer (file space: z up).
#include <cstdint>
#include <string>
#include <vector>

#include "write3ds.h"

namespace vx::test {

// A size x size JPEG of one colour.
std::vector<std::uint8_t> TextureJpeg(std::uint32_t size, std::uint32_t colour);
VectorKey3ds Key(std::uint32_t frame, Vector v);
ScalarKey3ds Scalar(std::uint32_t frame, float value);
// An object track with the given position keys, one rotation and one scale key.
Track3ds ObjectTrack(const std::string& name, std::uint16_t parent,
                     std::vector<VectorKey3ds> position);
// Adds camera "Cam" with a position track (these keys, FOV fov, roll 0) and
// a target track at to.
void AddFileCamera(Scene3ds& s, std::vector<VectorKey3ds> from, Vector to, float fov = 60.0f);
// A cube of side 2 around the origin, faces wound counter-clockwise seen
// from outside: -z, +z, -y, +y, -x, +x, two each; mapping 0/1 by corner.
Object3ds Cube(const std::string& material);
// The cube with material "Crate" (texture CRATE.GIF), its static track, and
// camera "Cam" at (4, -6, 5) looking at the origin with FOV 60.
Scene3ds CubeScene();

}  // namespace vx::test
