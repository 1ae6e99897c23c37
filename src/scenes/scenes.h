#pragma once
// The ten scene modules of the show. Each loads its data once, draws its
// whole frame for any local time (ticks of 1/120 s) into the frame buffer,
// and frees its data at the end. Render depends on its arguments alone.
//
// Every file is read from the data library under "DATA\" + its name. A
// module's load ends the program when its data is unusable: a scene file
// that does not load, has no camera, or whose camera 0 lacks a position or
// a target track (the engine's fatal log, exit code 1); a picture or
// texture that is missing, undecodable or not of the size the drawing reads
// (ReportPictureLoadError, exit code 1). Full-screen pictures are 320 x 200
// and textures 256 x 256, both at 4 bytes a pixel.
//
// A render draws a frame of the size it is given: fb holds FrameWords(size)
// pixels, packed (pitch == width), and ClassicFrame draws the classic
// 320 x 200 show byte for byte. At other sizes the full-screen pictures are
// resampled to the frame, the camera keeps the classic vertical field of
// view (or the horizontal one, for a frame narrower than 16:10), and the
// effects' distances scale with FrameScale. Render must only be called
// between the module's Load and Free, from one thread at a time.
#include <cstdint>
#include <span>

#include "base/pixels.h"

namespace vx {

// Builds the radial-blur table, then loads logo, kinyit, libiko, blau, box,
// labda, effekt, kommun, evil, danke in that order.
void LoadAllScenes();
// Frees the table, then the modules in the same order.
void FreeAllScenes();

// ---- the modules one by one (LoadAllScenes and FreeAllScenes call these;
// the effect test loads and frees labda alone). Evil, kommun and effekt draw
// the radial blur, whose table BuildRadialTable must have built. ----------
void LoadLogo();
void LoadKinyit();
void LoadLibiko();
void LoadBlau();
void LoadBox();
void LoadLabda();
void LoadEffekt();
void LoadKommun();
void LoadEvil();
void LoadDanke();

void FreeLogo();
void FreeKinyit();
void FreeLibiko();
void FreeBlau();
void FreeBox();
void FreeLabda();
void FreeEffekt();
void FreeKommun();
void FreeEvil();
void FreeDanke();

void RenderLogo(float t, std::uint32_t* fb, const FrameSize& size);
// pictureChoice true subtracts "kinyit.jpg", false "becsuk.jpg".
void RenderKinyit(float t, std::uint32_t* fb, const FrameSize& size, bool pictureChoice);
void RenderLibiko(float t, std::uint32_t* fb, const FrameSize& size);
// pictureIndex 0..3 lighten-blends "oompa.jpg", "doompa.jpg", "doopady.jpg",
// "doo.jpg"; any other value blends nothing.
void RenderBlau(float t, std::uint32_t* fb, const FrameSize& size, std::int16_t pictureIndex);
void RenderBox(float t, std::uint32_t* fb, const FrameSize& size);
void RenderLabda(float t, std::uint32_t* fb, const FrameSize& size);
void RenderEffekt(float t, std::uint32_t* fb, const FrameSize& size);
void RenderKommun(float t, std::uint32_t* fb, const FrameSize& size);
void RenderEvil(float t, std::uint32_t* fb, const FrameSize& size);
void RenderDanke(float t, std::uint32_t* fb, const FrameSize& size);

// ---- the modules as records --------------------------------------------------
// One scene module as the show's script uses it: its name, its load and
// free, and its render with the one argument two modules take (kinyit: 1
// subtracts "kinyit.jpg", 0 "becsuk.jpg"; blau: the picture index, its low
// 16 bits signed); the others ignore it. A new scene is one file defining
// its record, its line here and its row in the loading order.
struct SceneModule {
  const char* name;
  void (*load)();
  void (*free)();
  void (*render)(float t, std::uint32_t* fb, const FrameSize& size, std::int32_t argument);
};

extern const SceneModule LogoScene;
extern const SceneModule KinyitScene;
extern const SceneModule LibikoScene;
extern const SceneModule BlauScene;
extern const SceneModule BoxScene;
extern const SceneModule LabdaScene;
extern const SceneModule EffektScene;
extern const SceneModule KommunScene;
extern const SceneModule EvilScene;
extern const SceneModule DankeScene;

// Every module in the order LoadAllScenes loads them.
std::span<const SceneModule* const> SceneModulesInLoadOrder();

// ---- shared pieces --------------------------------------------------------
// Sets the frame's outermost rows and columns to 0: row 0, row 199, column
// 0 and column 319 of the classic frame. One pixel at every size: it hides
// the rasterizer's edge pixels, which are one pixel wide at any size, and a
// thicker frame reads as a dark rim round a large picture.
void DrawBlackBorder(std::uint32_t* fb, const FrameSize& size);
// The whole tick c by which the picture scenes and kinyit time their fades:
// t rounded to the nearest integer, ties to even, taken as an unsigned
// 32-bit number (its low 32 bits, so -1 gives 4294967295). A t that is not
// a number or whose rounding lies outside the signed 64-bit range gives 0.
std::uint32_t LocalTickCount(float t);

}  // namespace vx
