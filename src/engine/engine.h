#pragma once
// The 3D engine: loading and preparing a scene, animating it at any frame,
// the camera and the per-frame pipeline up to projected polygons, the log and
// the diagnostic dumps. Every operation takes the scene variable (a pointer
// to a Scene, passed by reference). The records are in engine/scene.h.
//
// Per drawn frame, in this order: SetFrame, ComposeHierarchy, SetupCamera,
// CullObjects, TransformObjects, ClipPolygons, ProjectVertices; then the
// rasterizer (raster/raster.h) draws the ScreenMesh. RunFramePipeline runs
// the seven.
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/scene.h"

namespace vx {

// ---- log: one line "Z3D_<LEVEL>: message" on standard output; stop = true
// ends the program with exit code 1. Messages are cut to 255 characters.
void LogNote(std::string_view message, bool stop);
void LogHint(std::string_view message, bool stop);
void LogWarning(std::string_view message, bool stop);
void LogFatal(std::string_view message, bool stop);
void LogPanic(std::string_view message, bool stop);
void LogDebug(std::string_view message, bool stop);

// ---- scene loading and preparation (once, in this order) ----------------
// Loads the 3DS file stored in the data library under path. On failure the
// loader's message is logged as fatal (for a damaged file, code 6, followed
// by a line saying where the damage lies) and the program ends with exit
// code 1.
void LoadScene(Scene*& scene, std::string_view path);
// The same without ending the program: false with a one-line reason in
// error, scene left null and nothing held. For tools and tests.
bool TryLoadScene(Scene*& scene, std::string_view path, std::string& error);
// From the bytes of a 3DS file held in memory (a file read from disk).
bool TryLoadSceneMemory(Scene*& scene, const std::uint8_t* data, std::size_t size,
                        std::string& error);
void PrepareScene(Scene*& scene);

// Fetches the picture stored under name (directory prefix included); false
// when it cannot. The default reads the data library (LoadJpegPicture).
using TextureReader = std::function<bool(std::string_view name, Picture& picture)>;
// One 256 x 256 colour picture per material from directory + TextureFileName.
// A picture that cannot be read, or is not 256 x 256 at 4 bytes a pixel, ends
// the program through ReportPictureLoadError.
void LoadTextures(Scene*& scene, std::string_view directory);
void LoadTextures(Scene*& scene, std::string_view directory, const TextureReader& read);
// The material's texture file with the four characters from its first "."
// replaced by ".jpg" ("WOOD.GIF" -> "WOOD.jpg"); a name without "." gets
// ".jpg" appended.
std::string TextureFileName(std::string_view textureFile);

// The textures of frames larger than the classic one (raster.h): for each
// material the picture read as directory + TextureFileName, which must be
// square, 256, 512 or 1024 texels a side at 4 bytes a pixel, and where read
// finds none (returns false) the material's classic texture; each with its
// box-filtered levels (MakeTextureLevels). Materials naming one file share
// one copy. Polygons read them from the next TransformObjects on; frames no
// larger than the classic one never do. The first call does the work, later
// ones nothing (the scene keeps them until FreeSceneBuffers). A picture
// read in another shape ends the program through ReportPictureLoadError.
// Runs after LoadTextures. The default reader takes a name the data library
// holds (LibraryFileSize > 0) and reads it with LoadJpegPicture, ending the
// program when that fails.
void PrepareSharpTextures(Scene*& scene, std::string_view directory);
void PrepareSharpTextures(Scene*& scene, std::string_view directory, const TextureReader& read);

void BuildHierarchy(Scene*& scene);
void PrecalculateScene(Scene*& scene);
void ComputeBounds(Scene*& scene);
// ---- freeing (once, in this order) ---------------------------------------
void FreeHierarchy(Scene*& scene);
void FreeSceneBuffers(Scene*& scene);
void FreeScene(Scene*& scene);

// ---- keyframe tracks ------------------------------------------------------
// Frames beyond the scene's frameCount wrap when wrap is true (a frameCount
// of 0 never wraps).
void SetFrame(Scene*& scene, float frame, bool wrap);
// An empty key list that the evaluation reaches gives the neutral value:
// position 0, scale 1, identity rotation, roll 0, FOV 45 degrees.
void EvaluateTrack(const Track& track, TrackState& state, float frame);
void PrepareRotationKeys(Track& track);
bool IsStaticTrack(const Track& track);
Vector HermiteVector(Vector p0, Vector p1, Vector s, Vector e, float t);
float HermiteScalar(float p0, float p1, float s, float e, float t);
// Not normalised, no shortest-arc flip; t may lie outside 0..1.
Quaternion QuatSlerp(const Quaternion& a, const Quaternion& b, float t);
// The neutral state of a track that nothing has evaluated yet: position 0,
// identity rotation, scale 1, FOV 45, roll 0, all four matrices identity.
TrackState NeutralTrackState();

// ---- hierarchy ---------------------------------------------------------------
// Tracks nested deeper than this below the root are not attached to the tree
// (their world matrix stays their local one): it bounds the recursion of the
// build, the composition and the dump for hostile files.
inline constexpr int MaxHierarchyDepth = 256;
void ComposeHierarchy(Scene*& scene);
// Moves the object's world-space vertices into the pivot space of its track:
// v becomes (v - origin) x Axes^-1 - pivot.
void MoveMeshToPivot(MeshObject& object, Vector pivot);

// ---- camera and pipeline --------------------------------------------------
// True when camera cameraIndex exists and has both a position and a target
// track: only such a camera can be set up.
bool CameraHasTracks(const Scene& scene, std::int32_t cameraIndex);
// Any other camera gives the neutral camera: at the origin looking along
// +z, roll 0, FOV 45. The camera sees a frame of size (even width and
// height; its pitch is not read): centred in it, the scene's FOV spanning
// the width of the classic 320 x 200 view, a frame wider than 16:10 keeping
// that view's vertical angle and widening the horizontal one, any other
// frame keeping the horizontal angle and widening the vertical one.
void SetupCamera(Scene*& scene, std::int32_t cameraIndex, bool autoPlanes, float nearZ, float farZ,
                 const FrameSize& size);
// Projects one camera-space vertex when 0.95 nearZ < z < 1.01 farZ; returns
// false (and leaves out untouched) otherwise. Screen x (24.8) is
// trunc(256 xMagnify x x/z + 256 xCentre), y trunc(yMagnify x y/z + yCentre).
// Coordinates that do not fit in 32 bits saturate.
bool ProjectVertex(const ProjectionCamera& camera, const CameraVertex& in, ScreenVertex& out);

// A camera-space point v is inside a plane when VecDot(v, normal) >
// VecDot(point, normal).
struct ViewPlane {
  Vector normal;
  Vector point;
};
enum ViewPlaneIndex { PlaneNear, PlaneFar, PlaneLeft, PlaneRight, PlaneTop, PlaneBottom };
inline constexpr int ViewPlaneCount = 6;
// The six planes of the camera, in the order of ViewPlaneIndex; the side
// planes, at the angles of the frame the camera was set up for, are
// narrowed by 0.997 so that projected points stay in that frame.
void BuildViewPlanes(const ProjectionCamera& camera, ViewPlane (&planes)[ViewPlaneCount]);

void CullObjects(Scene*& scene);
void TransformObjects(Scene*& scene);
void ClipPolygons(Scene*& scene);
void ProjectVertices(Scene*& scene);
// The stages of drawing a 3D frame, as the status line's figures time
// them: the first four are RunFramePipeline's (SetFrame; ComposeHierarchy;
// SetupCamera, CullObjects and TransformObjects; ClipPolygons and
// ProjectVertices), then the fills and the 2D finish that follow it.
enum class FrameStage : std::uint8_t {
  Tracks,
  Hierarchy,
  CullTransform,
  ClipProject,
  Fills,
  Finish
};
inline constexpr int FrameStageCount = 6;
// Milliseconds per stage of one frame: Lap gives the time since the clock
// was made, or since its last lap, to stage. Made only where the figures
// are wanted, so that a frame without them reads no clock.
class StageClock {
 public:
  StageClock() : last_(std::chrono::steady_clock::now()) {}
  void Lap(FrameStage stage) {
    const auto now = std::chrono::steady_clock::now();
    spent_[static_cast<std::size_t>(stage)] +=
        std::chrono::duration<double, std::milli>(now - last_).count();
    last_ = now;
  }
  const std::array<double, FrameStageCount>& Milliseconds() const { return spent_; }

 private:
  std::chrono::steady_clock::time_point last_;
  std::array<double, FrameStageCount> spent_{};
};

// The whole per-frame pipeline above, SetFrame (wrapping) to ProjectVertices,
// seen through camera cameraIndex with the fixed planes nearZ and farZ in a
// frame of size; with a clock, a lap after each of its four stages.
void RunFramePipeline(Scene*& scene, float frame, std::int32_t cameraIndex, float nearZ, float farZ,
                      const FrameSize& size, StageClock* clock = nullptr);

// ---- diagnostic dumps (standard output; ASCII frames) -------------------
void DumpHierarchy(Scene*& scene);
void DumpMemory(Scene*& scene);
void DumpObjects(Scene*& scene);
void DumpTracks(Scene*& scene);
void DumpCamera(Scene*& scene);
void DumpScene(Scene*& scene);
std::string_view TrackKindName(std::uint8_t kind);

}  // namespace vx
