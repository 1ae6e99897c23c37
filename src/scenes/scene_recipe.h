#pragma once
// Private to the scene modules: the recipe the eight 3D modules share, the
// loading of a module's data, and the constants every module uses. Each
// module file holds its scene and pictures in variables of its own and
// passes them in here with its constants.
//
// Every render draws a frame of the size it is given (fb holds FrameWords
// words, packed: pitch == width). At ClassicFrame the whole frame is drawn on
// the calling thread in the classic order; at any other size the work is cut
// into bands of rows (and, for the effects, into columns or the blur's
// quadrants) that the draw threads share. Each part writes pixels no other
// part of its step touches, so the bytes never depend on the thread count.
#include <cstdint>
#include <string_view>

#include "base/parallel.h"
#include "base/pixels.h"
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
  Radial,  // RadialBlur at the frame's centre ((160, 100) classic), (strength, gain 10)
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
  const Picture* picture = nullptr;  // a loaded screen picture; used when blend is not None
  // The module's own last step over the frame (kinyit's fades), given the
  // local time; nullptr: none.
  void (*fade)(float t, std::uint32_t* fb, const FrameSize& size) = nullptr;
};

// Load of a 3D module: the scene "DATA\" + sceneFile with its textures,
// prepared for drawing. Ends the program (fatal log) on a scene without a
// camera or whose camera 0 lacks a position or a target track.
void LoadScene3d(Scene*& scene, std::string_view sceneFile);
// FreeHierarchy, FreeSceneBuffers, FreeScene.
void FreeScene3d(Scene*& scene);

// How a screen picture is drawn: whole (a card, PictureForFrame) or keyed
// onto the frame by the post-processing (PostProcessing::picture), where
// only its lit pixels count.
enum class PictureUse : std::uint8_t { Card, Blended };

// Loads "DATA\" + file into picture; a picture that cannot be loaded or is
// not 320 x 200 at 4 bytes a pixel ends the program (ReportPictureLoadError).
// The picture is then also drawn at other frame sizes (PictureForFrame for
// a card, the blend of a 3D module for a blended one) until
// ReleaseScreenPictures releases it.
void LoadScreenPicture(std::string_view file, Picture& picture, PictureUse use = PictureUse::Card);
void ReleaseScreenPictures(Picture* pictures, int count);

// Makes what a frame of this size needs that its last size did not: every
// loaded screen picture resampled to it, the radial blur's table, a depth
// buffer. Free when the size is the one prepared; allocates only when the
// size changes. Every render calls it first, on the drawing thread.
void PrepareFrameSize(const FrameSize& size);
// Back to the classic size with nothing held for another: after every
// module is freed (FreeAllScenes), so that the next load starts classic.
void ForgetFrameSize();
// The words of a loaded screen picture at the prepared frame size: the
// picture itself at the classic size, else a copy resampled to the frame
// (packed) from the picture's sharp version of the nearest aspect
// (NearestSharpPictureSize of datalib) when the data library holds it, from the
// classic picture when not. The sharp versions are read when a size is
// prepared and dropped once the copies are made.
// Only for a card: a blended picture's copy holds just the box of its lit
// pixels.
const std::uint32_t* PictureForFrame(const Picture& picture, const FrameSize& size);

// fn(offset, count) over consecutive runs of the frame's words that together
// cover it once: one run of the whole frame at the classic size, else one a
// band, shared among the draw threads.
template <typename Fn>
void ForEachFrameSpan(const FrameSize& size, const Fn& fn);

// One frame of a 3D module at local time t: clear, animate, pipeline, the
// fill into the depth buffer (the scene's own at the classic size), the
// black border, the post-processing (smear, blend, fade). Allocates nothing
// once the size is prepared. A pipeline view in use (views/views.h) takes
// the place of the post-processing or is drawn after it.
void RenderScene3d(Scene*& scene, float t, FrameFactors factors, FillFunction fill,
                   const PostProcessing& post, std::uint32_t* fb, const FrameSize& size);

// ---- bands ------------------------------------------------------------------
// Rows a band holds above the classic size: small enough that two threads
// share a frame evenly, large enough that each polygon is set up only a few
// times.
inline constexpr std::int32_t BandRows = 64;

inline int BandCount(const FrameSize& size) {
  return size == ClassicFrame ? 1 : (size.height + BandRows - 1) / BandRows;
}

inline RowBand BandAt(const FrameSize& size, int index) {
  if (size == ClassicFrame) return AllRows(size);
  const std::int32_t begin = index * BandRows;
  return {begin, begin + BandRows < size.height ? begin + BandRows : size.height};
}

// fn(band) for every band of the frame: on this thread at the classic size,
// shared among the draw threads otherwise.
template <typename Fn>
void ForEachBand(const FrameSize& size, const Fn& fn) {
  if (size == ClassicFrame) {
    fn(AllRows(size));
    return;
  }
  ForEachTask(BandCount(size), [&](int index) { fn(BandAt(size, index)); });
}

template <typename Fn>
void ForEachFrameSpan(const FrameSize& size, const Fn& fn) {
  ForEachBand(size, [&](RowBand band) {
    const auto at = static_cast<std::uint32_t>(band.begin * size.pitch);
    const auto count = static_cast<std::uint32_t>((band.end - band.begin) * size.pitch);
    fn(at, count);
  });
}

}  // namespace vx::scenes
