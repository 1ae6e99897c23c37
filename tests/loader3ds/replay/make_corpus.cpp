// Writes the seed corpus of the 3DS loader's fuzz target into a folder:
//   make_loader3ds_corpus FOLDER
// Sound files of every chunk kind made with our 3DS writer, and damaged
// copies of them: truncations, wrong lengths, huge counts, bad indices,
// missing string ends, deep nesting, stray chunks.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "write3ds.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

vx::Scene3ds FullScene() {
  using namespace vx;
  Scene3ds s;
  s.materials = {{"Gold", {200, 160, 20}, false, "gold.png", 100},
                 {"Smoke", {90, 90, 90}, true, "smoke-texture.png", 30}};
  Object3ds o;
  o.name = "Cube";
  o.vertices = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
  o.mapping = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}, {1, 0}, {1, 1}, {0, 1}};
  o.faces = {
      {0, 1, 2, 7, "Gold"}, {0, 2, 3, 7, "Gold"}, {4, 5, 6, 0x1F, "Smoke"}, {4, 6, 7, 0x03, ""}};
  o.matrix = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0.5f, 0, 2};
  s.objects = {o};
  s.cameras = {{"View", {0, -8, 3}, {0, 0, 0}, 5, 40}};
  s.lights = {{"Key", {4, 4, 8}}};
  s.startFrame = 0;
  s.endFrame = 60;
  Track3ds cube;
  cube.nodeId = 0;
  cube.name = "Cube";
  cube.pivot = {0.5f, 0, 0};
  Spline3ds tcb;
  tcb.flags = 0x0027;
  tcb.params = {0.3f, -0.2f, 0.1f, 0, 0, 7.0f};
  cube.position = {{0, {0, 0, 0}, {}}, {30, {2, 0, 1}, tcb}, {60, {0, 0, 0}, {}}};
  cube.rotation = {{0, 0, {0, 0, 1}, {}}, {60, 3.1f, {0, 1, 1}, tcb}};
  cube.scale = {{0, {1, 1, 1}, {}}};
  cube.morph = {{10, "Cube", {}}};
  Track3ds cam;
  cam.node = Node3ds::Camera;
  cam.nodeId = 1;
  cam.name = "View";
  cam.position = {{0, {0, -8, 3}, {}}};
  cam.fov = {{0, 50, {}}, {60, 30, tcb}};
  cam.roll = {{0, 0, {}}};
  Track3ds target;
  target.node = Node3ds::CameraTarget;
  target.nodeId = 2;
  target.name = "View";
  target.parent = 0;
  target.position = {{0, {0, 0, 0}, {}}};
  Track3ds key;
  key.node = Node3ds::Light;
  key.nodeId = 3;
  key.name = "Key";
  key.position = {{0, {4, 4, 8}, {}}};
  s.tracks = {cube, cam, target, key};
  return s;
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// First offset after the file header where the id's two bytes appear. In our
// small sound file that is the chunk's header; a match inside some value
// would only make a differently damaged seed.
std::size_t FindChunk(const Bytes& b, std::uint16_t id) {
  for (std::size_t at = 6; at + 6 <= b.size(); ++at)
    if ((b[at] | b[at + 1] << 8) == id) return at;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_loader3ds_corpus FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  int written = 0;
  bool ok = true;
  auto save = [&](const std::string& name, const Bytes& bytes) {
    std::ofstream out(folder / (name + ".3ds"), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    ok = ok && static_cast<bool>(out);
    ++written;
  };

  const Bytes full = vx::Write3ds(FullScene());
  save("sound_full", full);
  save("sound_empty_scene", vx::Write3ds(vx::Scene3ds{}));
  save("empty_file", {});
  save("three_bytes", {0x4D, 0x4D, 0x09});

  for (std::size_t cut : {7u, 20u, 50u, 100u, 200u, 333u, 500u, 700u}) {
    if (cut < full.size())
      save("truncated_" + std::to_string(cut), Bytes(full.begin(), full.begin() + cut));
  }
  save("trailing_two_bytes", [&] {
    Bytes b = full;
    b.push_back(1);
    b.push_back(2);
    return b;
  }());

  const std::uint16_t ids[] = {0x3D3D, 0x4000, 0x4110, 0x4120, 0x4130, 0x4140, 0x4700,
                               0xAFFF, 0xA010, 0xB002, 0xB020, 0xB021, 0xB026};
  for (std::uint16_t id : ids) {
    const std::size_t at = FindChunk(full, id);
    if (at == 0) continue;
    char hex[8];
    std::snprintf(hex, sizeof hex, "%04x", id);
    for (std::uint32_t length : {0u, 3u, 6u, 0x7FFFFFFFu}) {
      Bytes b = full;
      Put32(b, at + 2, length);
      save("length_" + std::string(hex) + "_" + std::to_string(length), b);
    }
    // A huge count in the first data word.
    Bytes b = full;
    b[at + 6] = 0xFF;
    b[at + 7] = 0xFF;
    save("count_" + std::string(hex), b);
  }

  {
    vx::Scene3ds s = FullScene();
    s.objects[0].faces.push_back({0, 8, 1, 7, "Gold"});
    save("face_index_past_vertices", vx::Write3ds(s));
  }
  {
    vx::Scene3ds s = FullScene();
    s.objects[0].mapping.resize(12, {0.5f, 0.5f});
    save("mapping_longer_than_vertices", vx::Write3ds(s));
  }
  {
    vx::Scene3ds s = FullScene();
    s.tracks[0].parent = 0;  // its own parent
    s.tracks[1].parent = 77;
    save("parents_cycle_and_dangling", vx::Write3ds(s));
  }
  {
    vx::ChunkWriter w;
    w.Begin(0x3D3D);
    vx::Write3dsObject(w, FullScene().objects[0]);
    w.End();
    save("editor_at_top_level", w.Bytes());
  }
  {
    vx::ChunkWriter w;
    w.Begin(0x4D4D);
    for (int i = 0; i < 200; ++i) w.Begin(0xB000);
    for (int i = 0; i < 200; ++i) w.End();
    w.End();
    save("deep_nesting", w.Bytes());
  }
  {
    Bytes b = full;
    const std::size_t at = FindChunk(b, 0x4000);
    for (std::size_t i = at + 6; i < b.size(); ++i) b[i] = 'x';
    save("string_without_end", b);
  }
  {
    vx::ChunkWriter w;
    w.Begin(0x4D4D);
    w.Begin(0x4110);  // data chunks outside their records
    w.U16(1);
    w.Vec({1, 2, 3});
    w.End();
    w.Begin(0xB020);
    w.Raw(Bytes(14, 0));
    w.End();
    w.Begin(0xA000);
    w.String("stray");
    w.End();
    w.End();
    save("records_missing", w.Bytes());
  }

  std::printf("%d seed files written to %s\n", written, folder.c_str());
  return ok ? 0 : 1;
}
