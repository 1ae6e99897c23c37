// Diagnostic dumps of one loaded scene on standard output. Frames and tree
// connectors are ASCII, one byte each as the layout below counts them, and
// the same in every console: "+-" boxes, "|" lines, "+-" and "`-" branches
// (a console that reads UTF-8, as Windows' does for these programs, would
// show single bytes of another code page as garbage).
// Numbers are decimal without padding unless a width is given; floats are
// fixed point with 3 decimals ("%3.3f").
#include <cstdio>
#include <string>

#include "base/console.h"
#include "engine/engine.h"

namespace vx {
namespace {

constexpr char Corner = '+';
constexpr char Horizontal = '-';
constexpr char Vertical = '|';
constexpr char LeftTee = '+';
constexpr char LastBranch = '`';

std::string Fixed3(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%3.3f", double{value});
  return text;
}

// An empty line, the title in a three-line box, an empty line.
void Banner(std::string_view title) {
  const std::string bar(title.size() + 2, Horizontal);
  ConsoleWriteLine();
  ConsoleWriteLine(Corner + bar + Corner);
  ConsoleWriteLine(std::string{Vertical} + " " + std::string{title} + " " + Vertical);
  ConsoleWriteLine(Corner + bar + Corner);
  ConsoleWriteLine();
}

void PrintNode(const Scene& scene, const HierarchyNode& node, std::string prefix,
               std::string_view branch) {
  const bool root = node.trackIndex == NoTrack;
  if (root) {
    ConsoleWriteLine(prefix + "o World ");
  } else {
    const Track& track = *scene.mesh->tracks[node.trackIndex];
    ConsoleWriteLine(prefix + "o '" + std::string{track.name.View()} + "' (track " +
                     std::to_string(node.trackIndex) + ")");
  }
  for (std::uint32_t i = 0; i < node.childCount; ++i) {
    // Below this node its own connector turns into a vertical line (more
    // siblings follow) or into two spaces (it was the last child).
    if (i == 0 && !root && prefix.size() >= 2) prefix.replace(prefix.size() - 2, 2, branch);
    if (i + 1 < node.childCount)
      PrintNode(scene, *node.children[i], prefix + LeftTee + Horizontal, "| ");
    else
      PrintNode(scene, *node.children[i], prefix + LastBranch + Horizontal, "  ");
  }
}

void MemoryLine(std::string_view label, std::uint32_t value) {
  char text[80];
  std::snprintf(text, sizeof text, "%-31.*s%8u bytes", static_cast<int>(label.size()), label.data(),
                static_cast<unsigned>(value));
  ConsoleWriteLine(text);
}

void CameraLine(std::string_view label, Vector v) {
  ConsoleWrite(label);
  WriteLnVector(v);
}

void CameraLine(std::string_view label, float value) {
  ConsoleWriteLine(std::string{label} + Fixed3(value));
}

}  // namespace

std::string_view TrackKindName(std::uint8_t kind) {
  switch (kind) {
    case TrackObject:
      return "object";
    case TrackCamera:
      return "camera";
    case TrackCameraTarget:
      return "camera target";
    case TrackLight:
      return "omni light";
    default:
      return "unknown";
  }
}

void DumpHierarchy(Scene*& scene) {
  Banner("Z3D_RNDR DEBUG - Hierarchy tree dump");
  if (scene->hierarchy == nullptr) {
    ConsoleWriteLine(" Tree not created or already destroyed\r\n");
    return;
  }
  PrintNode(*scene, *scene->hierarchy, " ", "");
  ConsoleWriteLine();
}

void DumpMemory(Scene*& scene) {
  Banner("Z3D_RNDR DEBUG - Memory allocated by scene");
  MemoryLine(" Scene structure", SceneRecordBytes);
  MemoryLine(" 3D mesh", scene->mesh->byteSize);
  MemoryLine(" 3D transformed mesh", scene->transformed->byteSize);
  MemoryLine(" 2D mesh", scene->screen->byteSize);
  MemoryLine(" Track hierarchy tree", scene->hierarchyBytes);
  MemoryLine(" Precalculated animation data", scene->precalcBytes);
  ConsoleWriteLine(" " + std::string(44, Horizontal));
  MemoryLine(" Total", scene->totalBytes);
  ConsoleWriteLine();
}

void DumpObjects(Scene*& scene) {
  Banner("Z3D_RNDR DEBUG - Object List");
  const Mesh3D& mesh = *scene->mesh;
  for (int i = 0; i < mesh.objectCount; ++i) {
    const MeshObject& o = *mesh.objects[i];
    ConsoleWriteLine(" Object #" + std::to_string(i) + " Name: '" + std::string{o.name.View()} +
                     "' Track: " + std::to_string(o.trackIndex));
  }
  ConsoleWriteLine();
}

void DumpTracks(Scene*& scene) {
  Banner("Z3D_RNDR DEBUG - Tracks List");
  const Mesh3D& mesh = *scene->mesh;
  for (int i = 0; i < mesh.trackCount; ++i) {
    const Track& t = *mesh.tracks[i];
    ConsoleWriteLine(" Track #" + std::to_string(i) + " Name: '" + std::string{t.name.View()} +
                     "' Type: " + std::string{TrackKindName(t.kind)});
  }
  ConsoleWriteLine();
}

void DumpCamera(Scene*& scene) {
  Banner("Z3D_RNDR DEBUG - Projection camera dump");
  const ProjectionCamera& c = *scene->camera;
  CameraLine("Position   : ", c.position);
  CameraLine("Target     : ", c.target);
  CameraLine("X axis     : ", c.xAxis);
  CameraLine("Y axis     : ", c.yAxis);
  CameraLine("Z axis     : ", c.zAxis);
  CameraLine("Roll       : ", c.roll);
  CameraLine("FOV        : ", c.fov);
  CameraLine("XMagnify   : ", c.xMagnify);
  CameraLine("YMagnify   : ", c.yMagnify);
  CameraLine("NearZPlane : ", c.nearZ);
  CameraLine("FarZPlane  : ", c.farZ);
  ConsoleWriteLine("Transformation matrix :");
  WriteMatrix(c.view);
  ConsoleWriteLine();
}

void DumpScene(Scene*& scene) {
  ConsoleWriteLine();
  Banner("Z3D_RNDR DEBUG - Scene dump");
  ConsoleWriteLine();
  ConsoleWriteLine("not fully implemented yet");
  DumpCamera(scene);
  DumpHierarchy(scene);
  DumpMemory(scene);
  DumpObjects(scene);
  DumpTracks(scene);
  ConsoleWriteLine();
}

}  // namespace vx
