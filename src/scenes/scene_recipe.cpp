// The drawing recipe of the eight 3D scene modules and the loading they
// share. A frame depends on the local time alone: the scene's animation
// state is recomputed from the frame each call, nothing carries over.
#include "scenes/scene_recipe.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "base/pixels.h"
#include "datalib/datalib.h"
#include "engine/engine.h"
#include "fx2d/fx2d.h"
#include "scenes/scenes.h"
#include "views/views.h"

namespace vx {
namespace scenes {
namespace {

// Every module views its scene through its first camera.
constexpr std::int32_t ViewCamera = 0;
constexpr float NearZ = 0.5f;
constexpr float FarZ = 100000.0f;

// The blur's centre on the classic frame; ScaledBlur places it on others.
constexpr std::int32_t BlurCentreX = 160;
constexpr std::int32_t BlurCentreY = 100;
constexpr std::uint8_t BlurGain = 10;

constexpr std::uint32_t BlackKey = 0;

// Columns one task of a glow's vertical pass walks above the classic size.
constexpr std::int32_t BandColumns = 64;

// ---- what a frame size needs ---------------------------------------------------
// The smallest box of a blended copy that holds all of its lit pixels; no
// pixel when the copy is black.
struct LitBox {
  std::int32_t x = 0, y = 0;
  std::uint32_t width = 0, height = 0;
};

// A loaded screen picture, the name it was loaded by and its copy at the
// prepared size (released at the classic size, where the picture itself is
// drawn). A blended picture's copy keeps only its lit box, in lit: outside
// it the copy is black, which a keyed blend leaves alone, and a caption
// covers a small part of the frame (a whole copy at 3840 x 2160 is 33 MB).
struct ScreenPicture {
  Picture* picture;
  std::string file;  // "kinyit.jpg"
  PictureUse use;
  Picture sized;
  std::vector<std::uint32_t> lit;
  LitBox box;
};

FrameSize preparedSize = ClassicFrame;
std::vector<ScreenPicture> screenPictures;
std::vector<float> frameDepth;  // the depth buffer above the classic size

// The sharp version of a screen picture for frames of this size: the one
// of the nearest aspect, when the sharp archive holds it as a colour
// picture of its stated size; else source stays empty and the classic
// picture is resampled instead. Reads the data library, so it runs on the
// calling thread only.
void LoadSharpSource(const ScreenPicture& entry, const FrameSize& size, Picture& source) {
  const SharpPictureSize sharp =
      SharpPictureSizes[NearestSharpPictureSize(size.width, size.height)];
  if (!LoadJpegPicture(SharpPictureName(entry.file, sharp), source)) return;
  if (source.width != static_cast<std::uint32_t>(sharp.width) ||
      source.height != static_cast<std::uint32_t>(sharp.height) ||
      source.bytesPerPixel != PixelBytes || source.pixels == nullptr)
    ReleasePicture(source);
}

// Makes the copy at the prepared size from source, the picture's sharp
// version, or from the picture itself when source is empty. False when the
// copy cannot be made (only memory can fail here: the pictures were checked
// when they loaded).
// Moves the lit box of a blended picture's copy into entry.lit and releases
// the whole copy.
void KeepLitBox(ScreenPicture& entry) {
  const std::uint32_t* p = PictureWords(entry.sized);
  const auto w = static_cast<std::int32_t>(entry.sized.width);
  const auto h = static_cast<std::int32_t>(entry.sized.height);
  std::int32_t left = w, right = -1, top = h, bottom = -1;
  for (std::int32_t y = 0; y < h; ++y)
    for (std::int32_t x = 0; x < w; ++x) {
      if ((p[static_cast<std::ptrdiff_t>(y) * w + x] & 0x00FFFFFF) == BlackKey) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  entry.box = {};
  if (right >= left) {
    entry.box = {.x = left,
                 .y = top,
                 .width = static_cast<std::uint32_t>(right - left + 1),
                 .height = static_cast<std::uint32_t>(bottom - top + 1)};
  }
  entry.lit.resize(std::size_t{entry.box.width} * entry.box.height);
  for (std::uint32_t row = 0; row < entry.box.height; ++row)
    std::copy_n(p + static_cast<std::ptrdiff_t>(entry.box.y + static_cast<std::int32_t>(row)) * w +
                    entry.box.x,
                entry.box.width, entry.lit.data() + std::size_t{row} * entry.box.width);
  ReleasePicture(entry.sized);
}

void ReleaseCopy(ScreenPicture& entry) {
  ReleasePicture(entry.sized);
  std::vector<std::uint32_t>().swap(entry.lit);
  entry.box = {};
}

bool ResampleForPreparedSize(ScreenPicture& entry, const Picture& source) {
  ReleaseCopy(entry);
  if (preparedSize == ClassicFrame) return true;
  const auto width = static_cast<std::uint32_t>(preparedSize.width);
  const auto height = static_cast<std::uint32_t>(preparedSize.height);
  const Picture& from = source.pixels != nullptr ? source : *entry.picture;
  if (!ResamplePicture(from, width, height, entry.sized)) return false;
  if (entry.use == PictureUse::Blended) KeepLitBox(entry);
  return true;
}

const ScreenPicture& LoadedEntry(const Picture& picture) {
  for (const ScreenPicture& entry : screenPictures) {
    if (entry.picture == &picture) return entry;
  }
  assert(false && "a picture that LoadScreenPicture did not load");
  return screenPictures.front();
}

std::string DataPath(std::string_view file) {
  std::string path{DataDirectory};
  path += file;
  return path;
}

// fn(first, end) over the frame's columns: all at the classic size, else in
// runs of BandColumns shared among the draw threads.
template <typename Fn>
void ForEachColumnBand(const FrameSize& size, const Fn& fn) {
  if (size == ClassicFrame) {
    fn(0, size.width);
    return;
  }
  const int count = (size.width + BandColumns - 1) / BandColumns;
  ForEachTask(count, [&](int i) {
    const std::int32_t first = i * BandColumns;
    fn(first, std::min(size.width, first + BandColumns));
  });
}

void RunGlow(const PostProcessing& post, std::uint32_t* fb, const FrameSize& size) {
  const GlowParameters glow = ScaledGlow(post.spread, post.gain, size);
  const Fx2dRoutines& fx = Fx2d();
  ForEachBand(size, [&](RowBand rows) { fx.glowLeft(glow, size, rows.begin, rows.end, fb); });
  ForEachColumnBand(
      size, [&](std::int32_t first, std::int32_t end) { fx.glowUp(glow, size, first, end, fb); });
  ForEachBand(size, [&](RowBand rows) { fx.glowRight(glow, size, rows.begin, rows.end, fb); });
  ForEachColumnBand(
      size, [&](std::int32_t first, std::int32_t end) { fx.glowDown(glow, size, first, end, fb); });
}

// The blur's cross of lines around the centre first, then its four
// quadrants, which read nothing of each other but the cross.
void RunRadialBlur(const PostProcessing& post, std::uint32_t* fb, const FrameSize& size) {
  const BlurParameters blur = ScaledBlur(BlurCentreX, BlurCentreY, post.strength, BlurGain, size);
  const Fx2dRoutines& fx = Fx2d();
  if (size == ClassicFrame) {
    RadialBlur(fx, blur.cx, blur.cy, blur.strength, blur.gain, size, fb);
    return;
  }
  fx.radialBlur(blur.cx, blur.cy, blur.strength, blur.gain, size, RadialPart::Cross, fb);
  ForEachTask(4, [&](int i) {
    fx.radialBlur(blur.cx, blur.cy, blur.strength, blur.gain, size, RadialInteriors[i], fb);
  });
}

void RunSmear(const PostProcessing& post, std::uint32_t* fb, const FrameSize& size) {
  switch (post.smear) {
    case Smear::Glow:
      RunGlow(post, fb, size);
      break;
    case Smear::Radial:
      RunRadialBlur(post, fb, size);
      break;
  }
}

// The keyed blends of a picture (its words, w x h from x, y) over the rows.
void BlendRows(Blend blend, std::int32_t x, std::int32_t y, std::uint32_t w, std::uint32_t h,
               const std::uint32_t* p, std::uint32_t* fb, const FrameSize& size, RowBand rows) {
  const Fx2dRoutines& fx = Fx2d();
  switch (blend) {
    case Blend::None:
      break;
    case Blend::Add:
      fx.addSpriteKeyed(x, y, w, h, p, fb, size, rows, BlackKey);
      break;
    case Blend::Subtract:
      fx.subSpriteKeyed(x, y, w, h, p, fb, size, rows, BlackKey);
      break;
    case Blend::Lighten:
      // Subtracting and then adding the same picture with saturation
      // leaves the larger of the two bytes.
      fx.subSpriteKeyed(x, y, w, h, p, fb, size, rows, BlackKey);
      if (size == ClassicFrame) {
        const auto at = static_cast<std::uint32_t>(rows.begin * size.pitch);
        const auto count = static_cast<std::uint32_t>((rows.end - rows.begin) * size.pitch);
        fx.addScreen(p + at, fb + at, count);
      } else {
        // The same bytes: outside the lit box and at its black pixels the
        // picture adds nothing, and its fourth byte is 0 throughout.
        fx.addSpriteKeyed(x, y, w, h, p, fb, size, rows, BlackKey);
      }
      break;
  }
}

void BlendPicture(const PostProcessing& post, std::uint32_t* fb, const FrameSize& size) {
  if (post.blend == Blend::None) return;
  assert(post.picture != nullptr && post.picture->pixels != nullptr);
  if (size == ClassicFrame) {
    const std::uint32_t* p = PictureWords(*post.picture);
    ForEachBand(size, [&](RowBand rows) {
      BlendRows(post.blend, 0, 0, ScreenWidth, ScreenHeight, p, fb, size, rows);
    });
    return;
  }
  assert(size == preparedSize && "PrepareFrameSize must run first");
  const ScreenPicture& entry = LoadedEntry(*post.picture);
  assert(entry.use == PictureUse::Blended && "a card blended onto a 3D frame");
  if (entry.box.width == 0) return;
  ForEachBand(size, [&](RowBand rows) {
    BlendRows(post.blend, entry.box.x, entry.box.y, entry.box.width, entry.box.height,
              entry.lit.data(), fb, size, rows);
  });
}

// The border's pixels in the rows of band (DrawBlackBorder).
void DrawBorderRows(std::uint32_t* fb, const FrameSize& size, RowBand band) {
  for (std::int32_t y = band.begin; y < band.end; ++y) {
    std::uint32_t* row = fb + static_cast<std::ptrdiff_t>(y) * size.pitch;
    if (y == 0 || y == size.height - 1) {
      std::fill_n(row, size.width, 0u);
      continue;
    }
    row[0] = 0;
    row[size.width - 1] = 0;
  }
}

// Above the classic size the finish reads no black border: the glow would
// pull it (and its first unglowed step, EffectStep pixels) inward as a dark
// rim several pixels wide, where the classic frame darkens one pixel beside
// its border. The edge pixels take the colour of the pixels inside them
// instead, and the border is drawn once the frame is finished.
void CopyInnerPixelsOntoBorder(std::uint32_t* fb, const FrameSize& size) {
  const std::ptrdiff_t pitch = size.pitch;
  const std::int32_t w = size.width, h = size.height;
  for (std::int32_t y = 1; y < h - 1; ++y) {
    std::uint32_t* row = fb + y * pitch;
    row[0] = row[1];
    row[w - 1] = row[w - 2];
  }
  std::copy_n(fb + pitch, w, fb);
  std::copy_n(fb + (h - 2) * pitch, w, fb + (h - 1) * pitch);
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

void LoadScreenPicture(std::string_view file, Picture& picture, PictureUse use) {
  if (!LoadJpegPicture(DataPath(file), picture)) ReportPictureLoadError();
  // The 2D routines read 64000 pixels of 4 bytes from every picture they
  // get at the classic size: anything else would be read past its end.
  if (picture.width != ScreenWidth || picture.height != ScreenHeight ||
      picture.bytesPerPixel != PixelBytes || picture.pixels == nullptr) {
    ReleasePicture(picture);
    ReportPictureLoadError();
  }
  screenPictures.push_back({.picture = &picture,
                            .file = std::string(file),
                            .use = use,
                            .sized = {},
                            .lit = {},
                            .box = {}});
  Picture sharp{};
  if (preparedSize != ClassicFrame) LoadSharpSource(screenPictures.back(), preparedSize, sharp);
  const bool made = ResampleForPreparedSize(screenPictures.back(), sharp);
  ReleasePicture(sharp);
  if (!made) ReportPictureLoadError();
}

void ReleaseScreenPictures(Picture* pictures, int count) {
  for (int i = 0; i < count; ++i) {
    Picture* picture = &pictures[i];
    std::erase_if(screenPictures, [&](ScreenPicture& entry) {
      if (entry.picture != picture) return false;
      ReleaseCopy(entry);
      return true;
    });
    ReleasePicture(*picture);
  }
}

void PrepareFrameSize(const FrameSize& size) {
  if (size == preparedSize) return;
  assert(DrawableFrameSize(size) && size.pitch == size.width);
  preparedSize = size;
  // The sharp versions are read here, one by one (the data library is not
  // shared among threads), and dropped once the copies are made: a size
  // change is rare, and nothing is held for it. Resampling takes a while at
  // the largest sizes: the pictures share the draw threads. A failure ends
  // the program from this thread, not a worker's.
  std::vector<Picture> sharp(screenPictures.size());
  if (size != ClassicFrame)
    for (std::size_t i = 0; i < sharp.size(); ++i)
      LoadSharpSource(screenPictures[i], size, sharp[i]);
  std::atomic<bool> failed{false};
  ForEachTask(static_cast<int>(screenPictures.size()), [&](int i) {
    const auto at = static_cast<std::size_t>(i);
    if (!ResampleForPreparedSize(screenPictures[at], sharp[at])) failed = true;
  });
  for (Picture& picture : sharp) ReleasePicture(picture);
  if (failed) ReportPictureLoadError();
  if (RadialTableBuilt()) BuildRadialTable(size);
  if (size == ClassicFrame) {
    std::vector<float>().swap(frameDepth);
  } else {
    frameDepth.assign(FrameWords(size), 0.0f);
  }
}

void ForgetFrameSize() {
  for (ScreenPicture& entry : screenPictures) ReleaseCopy(entry);
  preparedSize = ClassicFrame;
  std::vector<float>().swap(frameDepth);
}

const std::uint32_t* PictureForFrame(const Picture& picture, const FrameSize& size) {
  assert(size == preparedSize && "PrepareFrameSize must run first");
  if (size == ClassicFrame) return PictureWords(picture);
  const ScreenPicture& entry = LoadedEntry(picture);
  assert(entry.use == PictureUse::Card && "a blended picture holds only its lit box");
  return PictureWords(entry.sized);
}

void RenderScene3d(Scene*& scene, float t, FrameFactors factors, FillFunction fill,
                   const PostProcessing& post, std::uint32_t* fb, const FrameSize& size) {
  assert(scene != nullptr && "render of a scene module that is not loaded");
  PrepareFrameSize(size);
  // The sharp textures and their levels, once, at the first frame that
  // reads them: the classic show never loads them.
  if (size != ClassicFrame) {
    static const std::string sharpDirectory = std::string{SharpFolder} + "\\";
    PrepareSharpTextures(scene, sharpDirectory);
  }
  const float frame =
      static_cast<float>(static_cast<long double>(t) * factors.first * factors.second);
  // The figures' clock, only while they are counted: off, no clock is read.
  std::optional<StageClock> clock;
  if (PipelineFiguresCounted()) clock.emplace();
  StageClock* const timed = clock ? &*clock : nullptr;
  RunFramePipeline(scene, frame, ViewCamera, NearZ, FarZ, size, timed);
  float* depth = size == ClassicFrame ? scene->depthBuffer : frameDepth.data();
  const bool bordered = size == ClassicFrame;  // before the finish (see CopyInnerPixelsOntoBorder)
  ForEachBand(size, [&](RowBand rows) {
    const RasterTarget target{.image = fb, .depth = depth, .size = size, .rows = rows};
    ClearScreen(fb + static_cast<std::ptrdiff_t>(rows.begin) * size.pitch,
                static_cast<std::uint32_t>((rows.end - rows.begin) * size.pitch));
    ClearDepthBuffer(target);
    DrawScenePolygons(scene->screen, target, fill);
    // Hides the rasterizer's edge pixels; the post-processing runs over it
    // at the classic size.
    if (bordered) DrawBorderRows(fb, size, rows);
  });
  if (!bordered) CopyInnerPixelsOntoBorder(fb, size);
  if (timed != nullptr) timed->Lap(FrameStage::Fills);
  // A view of the pipeline's inside: one test a frame, nothing in the fills
  // or the effects. A view drawn in place of the fills' image keeps the
  // border over it and skips the finish.
  const PipelineView view = PipelineViewInUse();
  if (!PipelineViewOf(view).overFinish) {
    DrawPipelineView(view, *scene, depth, fb, size);
    DrawBorderRows(fb, size, AllRows(size));
  } else {
    RunSmear(post, fb, size);
    BlendPicture(post, fb, size);
    if (post.fade != nullptr) post.fade(t, fb, size);
    if (!bordered) DrawBorderRows(fb, size, AllRows(size));
    if (view != PipelineView::Frame) DrawPipelineView(view, *scene, depth, fb, size);
  }
  // The finish's time holds the view's drawing; the counting pass after it
  // is nobody's.
  if (timed == nullptr) return;
  timed->Lap(FrameStage::Finish);
  RecordPipelineFigures(*scene, depth, size, *timed);
}

}  // namespace scenes

void DrawBlackBorder(std::uint32_t* fb, const FrameSize& size) {
  scenes::DrawBorderRows(fb, size, AllRows(size));
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
