// The hierarchy tree over the tracks' parent links, the per-frame composition
// of world matrices down that tree, and the one-time move of a mesh object's
// vertices into the pivot space of its track.
//
// Byte counts of the memory report: the root 18 + 64 + 64 (its record and
// two identity matrices), 18 per further node, 4 per child pointer.
#include <cstdint>
#include <vector>

#include "engine/engine.h"

namespace vx {
namespace {

constexpr std::uint32_t NodeBytes = 18;
constexpr std::uint32_t MatrixBytes = 64;
constexpr std::uint32_t ChildPointerBytes = 4;

// The tracks whose parent is p, in track order, for every p in 0..trackCount
// (slot trackCount stands for "no parent"): children of slot p are
// order[first[p] .. first[p + 1]).
struct ChildTable {
  std::vector<std::uint32_t> first;
  std::vector<std::uint16_t> order;
};

ChildTable MakeChildTable(const Mesh3D& mesh) {
  const std::uint32_t n = mesh.trackCount;
  ChildTable table;
  table.first.assign(n + 2, 0);
  auto slot = [&](std::uint16_t parent) -> std::int64_t {
    if (parent == NoTrack) return n;
    return parent < n ? parent : -1;  // a parent that names no track: never attached
  };
  for (std::uint32_t j = 0; j < n; ++j) {
    const std::int64_t s = slot(mesh.tracks[j]->parent);
    if (s >= 0) ++table.first[s + 1];
  }
  for (std::uint32_t p = 0; p <= n; ++p) table.first[p + 1] += table.first[p];
  table.order.resize(table.first[n + 1]);
  std::vector<std::uint32_t> fill(table.first.begin(), table.first.end() - 1);
  for (std::uint32_t j = 0; j < n; ++j) {
    const std::int64_t s = slot(mesh.tracks[j]->parent);
    if (s >= 0) table.order[fill[s]++] = static_cast<std::uint16_t>(j);
  }
  return table;
}

// Builds the children of node (depth first). Children are found through
// parent links from the root down, so a track in a parent cycle, its own
// parent, or under a parent that names no track, is never reached; the depth
// bound keeps a hostile chain of thousands of tracks from exhausting the
// stack of this and the other tree walks.
void BuildChildren(HierarchyNode& node, int depth, const ChildTable& table,
                   TrackState* const* states, std::uint32_t trackCount, std::uint32_t& bytes) {
  const std::uint32_t s = node.trackIndex == NoTrack ? trackCount : node.trackIndex;
  const std::uint32_t count = depth < MaxHierarchyDepth ? table.first[s + 1] - table.first[s] : 0;
  node.childCount = count;
  node.children = nullptr;
  if (count == 0) return;
  node.children = new HierarchyNode*[count];
  bytes += ChildPointerBytes * count;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint16_t j = table.order[table.first[s] + i];
    auto* child = new HierarchyNode{};
    bytes += NodeBytes;
    child->trackIndex = j;
    child->world = &states[j]->world;
    child->normalWorld = &states[j]->normalWorld;
    node.children[i] = child;
    BuildChildren(*child, depth + 1, table, states, trackCount, bytes);
  }
}

void ComposeChildren(const HierarchyNode& node) {
  for (std::uint32_t i = 0; i < node.childCount; ++i) {
    HierarchyNode& child = *node.children[i];
    *child.world = MatMul(*child.world, *node.world);
    *child.normalWorld = MatMul(*child.normalWorld, *node.normalWorld);
    ComposeChildren(child);
  }
}

void FreeChildren(HierarchyNode& node, std::uint32_t& bytes) {
  for (std::uint32_t i = 0; i < node.childCount; ++i) {
    FreeChildren(*node.children[i], bytes);
    delete node.children[i];
    node.children[i] = nullptr;
    bytes -= NodeBytes;
  }
  if (node.children != nullptr) {
    delete[] node.children;
    node.children = nullptr;
    bytes -= ChildPointerBytes * node.childCount;
  }
  node.childCount = 0;
}

}  // namespace

void BuildHierarchy(Scene*& scene) {
  const Mesh3D& mesh = *scene->mesh;
  auto* root = new HierarchyNode{};
  root->trackIndex = NoTrack;
  root->world = new Matrix(MatrixIdentity);
  root->normalWorld = new Matrix(MatrixIdentity);
  std::uint32_t bytes = NodeBytes + 2 * MatrixBytes;
  const ChildTable table = MakeChildTable(mesh);
  BuildChildren(*root, 0, table, scene->transformed->trackStates, mesh.trackCount, bytes);
  scene->hierarchy = root;
  scene->hierarchyBytes = bytes;
  scene->totalBytes += bytes;
}

void ComposeHierarchy(Scene*& scene) {
  if (scene->hierarchy != nullptr) ComposeChildren(*scene->hierarchy);
}

void FreeHierarchy(Scene*& scene) {
  HierarchyNode* root = scene->hierarchy;
  if (root == nullptr) return;
  scene->totalBytes -= scene->hierarchyBytes;
  std::uint32_t bytes = scene->hierarchyBytes;
  FreeChildren(*root, bytes);
  delete root->world;
  delete root->normalWorld;
  root->world = nullptr;
  root->normalWorld = nullptr;
  bytes -= 2 * MatrixBytes;
  delete root;
  bytes -= NodeBytes;
  scene->hierarchy = nullptr;
  scene->hierarchyBytes = bytes;
}

// Each vertex v becomes (v - O) x Axes^-1 - p, computed as the product
// Tneg x S x R x P: the rows of the transposed axes are normalised (S keeps
// their reciprocal lengths) before the 3 x 3 inverse.
void MoveMeshToPivot(MeshObject& object, Vector pivot) {
  const Vector* axes = object.axes;
  const Matrix tneg = TranslationMatrix(-1.0f * axes[3]);
  Vector rows[3] = {{axes[0].x, axes[1].x, axes[2].x},
                    {axes[0].y, axes[1].y, axes[2].y},
                    {axes[0].z, axes[1].z, axes[2].z}};
  float s[3];
  for (int i = 0; i < 3; ++i) {
    s[i] = static_cast<float>(1.0 / double{VecLength(rows[i])});
    rows[i] = rows[i] * s[i];
  }
  Matrix3 a = ColumnsMatrix3(rows[0], rows[1], rows[2]);
  Mat3Invert(a);
  const Matrix r = Mat3ToMatrix(a);
  const Matrix scale = ScaleMatrix({s[0], s[1], s[2]});
  const Matrix p = TranslationMatrix(-1.0f * pivot);
  const Matrix m0 = MatMul(MatMul(MatMul(tneg, scale), r), p);
  for (int j = 0; j < object.vertexCount; ++j) {
    MeshVertex& v = object.vertices[j];
    const Vector moved = TransformPoint({v.x, v.y, v.z}, m0);
    v.x = moved.x;
    v.y = moved.y;
    v.z = moved.z;
  }
}

}  // namespace vx
