// The drawing recipe of the eight 3D scene modules and the loading they
// share. A frame depends on the local time alone: the scene's animation
// state is recomputed from the frame each call, nothing carries over.
#include "scenes/scene_recipe.h"

#include <cassert>
#include <cmath>
#include <string>

#include "base/pixels.h"
#include "engine/engine.h"
#include "fx2d/fx2d.h"
#include "scenes/scenes.h"

namespace vx {
namespace scenes {
namespace {

// Every module views its scene through its first camera.
constexpr std::int32_t ViewCamera = 0;
constexpr float NearZ = 0.5f;
constexpr float FarZ = 100000.0f;

constexpr std::int32_t BlurCentreX = 160;
constexpr std::int32_t BlurCentreY = 100;
constexpr std::uint8_t BlurGain = 10;

constexpr std::uint32_t BlackKey = 0;

std::string DataPath(std::string_view file) {
  std::string path{DataDirectory};
  path += file;
  return path;
}

void RunSmear(const PostProcessing& post, std::uint32_t* fb) {
  switch (post.smear) {
    case Smear::Glow:
      Fx2d().glowLeft(post.spread, post.gain, ScreenWidth, ScreenHeight, fb);
      Fx2d().glowUp(post.spread, post.gain, ScreenWidth, ScreenHeight, fb);
      Fx2d().glowRight(post.spread, post.gain, ScreenWidth, ScreenHeight, fb);
      Fx2d().glowDown(post.spread, post.gain, ScreenWidth, ScreenHeight, fb);
      break;
    case Smear::Radial:
      Fx2d().radialBlur(BlurCentreX, BlurCentreY, post.strength, BlurGain, fb);
      break;
  }
}

void BlendPicture(const PostProcessing& post, std::uint32_t* fb) {
  if (post.blend == Blend::None) return;
  assert(post.picture != nullptr && post.picture->pixels != nullptr);
  const std::uint32_t* p = PictureWords(*post.picture);
  switch (post.blend) {
    case Blend::None:
      break;
    case Blend::Add:
      Fx2d().addSpriteKeyed(0, 0, ScreenWidth, ScreenHeight, p, fb, BlackKey);
      break;
    case Blend::Subtract:
      Fx2d().subSpriteKeyed(0, 0, ScreenWidth, ScreenHeight, p, fb, BlackKey);
      break;
    case Blend::Lighten:
      // Subtracting and then adding the same picture with saturation leaves
      // the larger of the two bytes.
      Fx2d().subSpriteKeyed(0, 0, ScreenWidth, ScreenHeight, p, fb, BlackKey);
      Fx2d().addScreen(p, fb);
      break;
  }
}

}  // namespace

void LoadScene3d(Scene*& scene, std::string_view sceneFile) {
  LoadScene(scene, DataPath(sceneFile));
  if (scene->mesh->cameraCount == 0) LogFatal("no cameras in mesh", true);
  // SetupCamera would quietly fall back to a neutral view for such a camera;
  // a scene that cannot be viewed as authored is refused here instead.
  if (!CameraHasTracks(*scene, ViewCamera)) {
    LogFatal("camera 0 needs both a position track and a target track", true);
  }
  PrepareScene(scene);
  LoadTextures(scene, DataDirectory);
  BuildHierarchy(scene);
  PrecalculateScene(scene);
  ComputeBounds(scene);
}

void FreeScene3d(Scene*& scene) {
  FreeHierarchy(scene);
  FreeSceneBuffers(scene);
  FreeScene(scene);
}

void LoadScreenPicture(std::string_view file, Picture& picture) {
  if (!LoadJpegPicture(DataPath(file), picture)) ReportPictureLoadError();
  // The 2D routines read 64000 pixels of 4 bytes from every picture they
  // get: anything else would be read past its end.
  if (picture.width != ScreenWidth || picture.height != ScreenHeight ||
      picture.bytesPerPixel != PixelBytes || picture.pixels == nullptr) {
    ReleasePicture(picture);
    ReportPictureLoadError();
  }
}

void ReleaseScreenPictures(Picture* pictures, int count) {
  for (int i = 0; i < count; ++i) ReleasePicture(pictures[i]);
}

void RenderScene3d(Scene*& scene, float t, FrameFactors factors, FillFunction fill,
                   const PostProcessing& post, std::uint32_t* fb) {
  assert(scene != nullptr && "render of a scene module that is not loaded");
  const float frame =
      static_cast<float>(static_cast<long double>(t) * factors.first * factors.second);
  ClearScreen(fb);
  RunFramePipeline(scene, frame, ViewCamera, NearZ, FarZ);
  SetDepthBuffer(scene->depthBuffer);
  ClearDepthBuffer();
  DrawScenePolygons(scene->screen, fb, fill);
  // Hides the rasterizer's edge pixels; the post-processing runs over it.
  DrawBlackBorder(fb);
  RunSmear(post, fb);
  BlendPicture(post, fb);
}

}  // namespace scenes

void DrawBlackBorder(std::uint32_t* fb) {
  constexpr int w = ScreenWidth;
  constexpr int h = ScreenHeight;
  for (int x = 0; x < w; ++x) {
    fb[x] = 0;
    fb[(h - 1) * w + x] = 0;
  }
  for (int y = 0; y < h; ++y) {
    fb[y * w] = 0;
    fb[y * w + w - 1] = 0;
  }
}

std::uint32_t LocalTickCount(float t) {
  // Default rounding mode: to nearest, ties to even. A float converts to
  // double exactly.
  const double rounded = std::nearbyint(static_cast<double>(t));
  // 2^63: every double in [-2^63, 2^63) converts to int64
  // without overflow; NaN fails both tests.
  constexpr double Limit = 9223372036854775808.0;
  if (!(rounded >= -Limit && rounded < Limit)) return 0;
  return static_cast<std::uint32_t>(static_cast<std::uint64_t>(static_cast<std::int64_t>(rounded)));
}

}  // namespace vx
