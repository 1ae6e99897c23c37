#pragma once
// The 3D engine: loading and preparing a scene, animating it at any frame,
// the camera and the per-frame pipeline up to projected polygons, the log and
// the diagnostic dumps. Every operation takes the scene variable (a pointer
// to a Scene, passed by reference). The records are in engine/scene.h.
//
// Per drawn frame, in this order: SetFrame, ComposeHierarchy, SetupCamera,
// CullObjects, TransformObjects, ClipPolygons, ProjectVertices; then the
// rasterizer (raster/raster.h) draws the ScreenMesh.
#include <cstdint>
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
void LoadScene(Scene*& scene, std::string_view path);
void PrepareScene(Scene*& scene);
void LoadTextures(Scene*& scene, std::string_view directory);
void BuildHierarchy(Scene*& scene);
void PrecalculateScene(Scene*& scene);
void ComputeBounds(Scene*& scene);
// ---- freeing (once, in this order) ---------------------------------------
void FreeHierarchy(Scene*& scene);
void FreeSceneBuffers(Scene*& scene);
void FreeScene(Scene*& scene);

// ---- keyframe tracks ------------------------------------------------------
void SetFrame(Scene*& scene, float frame, bool wrap);
void EvaluateTrack(const Track& track, TrackState& state, float frame);
void PrepareRotationKeys(Track& track);
bool IsStaticTrack(const Track& track);
Vector HermiteVector(Vector p0, Vector p1, Vector s, Vector e, float t);
float HermiteScalar(float p0, float p1, float s, float e, float t);
// Not normalised, no shortest-arc flip; t may lie outside 0..1.
Quaternion QuatSlerp(const Quaternion& a, const Quaternion& b, float t);
Matrix TranslationMatrix(Vector v);
Matrix ScaleMatrix(Vector v);
Matrix QuaternionMatrix(const Quaternion& q);
Matrix AxesMatrix(Vector x, Vector y, Vector z);
Matrix3 ColumnsMatrix3(Vector c0, Vector c1, Vector c2);

// ---- hierarchy ---------------------------------------------------------------
void ComposeHierarchy(Scene*& scene);

// ---- camera and pipeline --------------------------------------------------
void SetupCamera(Scene*& scene, std::int32_t cameraIndex, bool autoPlanes, float nearZ,
                 float farZ);
// Projects one camera-space vertex when 0.95 nearZ < z < 1.01 farZ; returns
// false (and leaves out untouched) otherwise.
bool ProjectVertex(const ProjectionCamera& camera, const CameraVertex& in, ScreenVertex& out);
void CullObjects(Scene*& scene);
void TransformObjects(Scene*& scene);
void ClipPolygons(Scene*& scene);
void ProjectVertices(Scene*& scene);

// ---- diagnostic dumps (standard output; code page 437 frames) ----------
void DumpHierarchy(Scene*& scene);
void DumpMemory(Scene*& scene);
void DumpObjects(Scene*& scene);
void DumpTracks(Scene*& scene);
void DumpCamera(Scene*& scene);
void DumpScene(Scene*& scene);
std::string_view TrackKindName(std::uint8_t kind);

}  // namespace vx
