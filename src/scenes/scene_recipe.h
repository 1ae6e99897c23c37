#pragma once
// Private to the scene modules: the recipe the eight 3D modules share, the
// loading of a module's data, and the constants every module uses. Each
// module file holds its scene and pictures in variables of its own and
// passes them in here with its constants.
#include <cstdint>
#include <string_view>

#include "engine/scene.h"
#include "platform/picture.h"
#include "raster/raster.h"

namespace vx::scenes {

// Prefix of every file a module reads from the data library.
inline constexpr std::string_view DataDirectory = "DATA\\";

// Local ticks to animation frames: frame = t x first x second, formed in
// extended precision and stored as a single. Every module but libiko has
// second = 1 (an exact multiplication).
struct FrameFactors {
  long double first;
  long double second = 1.0L;
};

// The full-screen pass that runs over the finished 3D image.
enum class Smear : std::uint8_t {
  Glow,    // GlowLeft, GlowUp, GlowRight, GlowDown with (spread, gain)
  Radial,  // RadialBlur at (160, 100), (strength, gain 10)
};

// The picture blend that follows the smear.
enum class Blend : std::uint8_t {
  None,
  Add,       // AddSpriteKeyed, key black
  Subtract,  // SubSpriteKeyed, key black
  Lighten,   // SubSpriteKeyed then AddScreen: the larger byte of each
};

struct PostProcessing {
  Smear smear = Smear::Glow;
  std::uint16_t spread = 0;   // glow only, 0..256
  std::uint16_t gain = 0;     // glow only
  std::uint8_t strength = 0;  // radial only; strength + 10 <= 255
  Blend blend = Blend::None;
  const Picture* picture = nullptr;  // 320 x 200 x 4; used when blend is not None
};

// Load of a 3D module: the scene "DATA\" + sceneFile with its textures,
// prepared for drawing. Ends the program (fatal log) on a scene without a
// camera or whose camera 0 lacks a position or a target track.
void LoadScene3d(Scene*& scene, std::string_view sceneFile);
// FreeHierarchy, FreeSceneBuffers, FreeScene.
void FreeScene3d(Scene*& scene);

// Loads "DATA\" + file into picture; a picture that cannot be loaded or is
// not 320 x 200 at 4 bytes a pixel ends the program (ReportPictureLoadError).
void LoadScreenPicture(std::string_view file, Picture& picture);
void ReleaseScreenPictures(Picture* pictures, int count);

// One frame of a 3D module at local time t: clear, animate, pipeline, the
// fill into the scene's depth buffer, the black border, the post-processing.
// Allocates nothing.
void RenderScene3d(Scene*& scene, float t, FrameFactors factors, FillFunction fill,
                   const PostProcessing& post, std::uint32_t* fb);

}  // namespace vx::scenes
