#include "scenes/scene_content.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <iterator>

#include "fx2d/fx2d.h"
#include "platform/picture.h"
#include "scenes/scenes.h"
#include "writejpeg.h"

namespace vx::test {
namespace {

constexpr int W = 320;
constexpr int H = 200;

VectorKey3ds Key(std::uint32_t frame, Vector v) {
  VectorKey3ds k;
  k.frame = frame;
  k.value = v;
  return k;
}

// A box of half sizes (hx, hy, hz) around centre (file space), faces wound
// counter-clockwise seen from outside.
Object3ds Box(const std::string& name, Vector centre, Vector half, const std::string& material) {
  Object3ds o;
  o.name = name;
  for (int i = 0; i < 8; ++i) {
    o.vertices.push_back({centre.x + (i & 1 ? half.x : -half.x),
                          centre.y + (i & 2 ? half.y : -half.y),
                          centre.z + (i & 4 ? half.z : -half.z)});
    // Skewed by z so that no face maps to a single texel row or column.
    const float bx = i & 1 ? 1.0f : 0.0f, by = i & 2 ? 1.0f : 0.0f, bz = i & 4 ? 1.0f : 0.0f;
    o.mapping.push_back({bx + 0.6f * bz, by + 0.3f * bz});
  }
  const std::uint16_t f[12][3] = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                                  {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
  for (auto& face : f) o.faces.push_back({face[0], face[1], face[2], 0x0007, material});
  o.matrix[9] = centre.x;
  o.matrix[10] = centre.y;
  o.matrix[11] = centre.z;
  return o;
}

// A 40 x 40 floor at z = -1 facing up, the texture repeated every 5 units.
Object3ds Ground(const std::string& material) {
  Object3ds o;
  o.name = "Ground";
  const float e = 20.0f;
  o.vertices = {{-e, -e, -1}, {e, -e, -1}, {e, e, -1}, {-e, e, -1}};
  for (const Vector& v : o.vertices) o.mapping.push_back({v.x / 5.0f, v.y / 5.0f});
  o.faces = {{0, 1, 2, 0x0007, material}, {0, 2, 3, 0x0007, material}};
  return o;
}

Track3ds ObjectTrack(const std::string& name, std::uint16_t parent, Vector position,
                     std::vector<RotationKey3ds> rotation) {
  Track3ds t;
  t.name = name;
  t.parent = parent;
  t.position = {Key(0, position)};
  t.rotation = std::move(rotation);
  t.scale = {Key(0, {1, 1, 1})};
  return t;
}

RotationKey3ds Turn(std::uint32_t frame, float angle) {
  RotationKey3ds r;
  r.frame = frame;
  r.angle = angle;
  r.axis = {0, 0, 1};
  return r;
}

// 256 x 256 texels: coloured squares of 32 with a dark grid, so that the
// mapping shows in every pixel.
Bytes TexturePicture(std::uint32_t seed) {
  Image texels(256 * 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      const std::uint32_t cell = static_cast<std::uint32_t>((x / 32) + 8 * (y / 32)) * 37 + seed;
      const bool grid = x % 32 < 3 || y % 32 < 3;
      const std::uint32_t r = grid ? 20 : 60 + (cell * 53) % 190;
      const std::uint32_t g = grid ? 20 : 60 + (cell * 97) % 190;
      const std::uint32_t b = grid ? 20 : 60 + ((x + y) / 2) % 190;
      texels[y * 256 + x] = r << 16 | g << 8 | b;
    }
  return EncodeJpegColour(texels.data(), 256, 256);
}

}  // namespace

const std::vector<ShowModule>& ShowModules() {
  // The pictures each module reads, in load order; a 3D module's scene
  // file and texture are its own. A module of the show missing here is a
  // 3D one that reads no picture, so a new scene needs a row only when it
  // reads pictures.
  static const ShowModule known[] = {
      {.name = "logo", .threeD = false, .pictures = {"ventrix.jpg", "vx1.jpg"}},
      {.name = "kinyit", .threeD = true, .pictures = {"kinyit.jpg", "becsuk.jpg"}},
      {.name = "libiko", .threeD = true, .pictures = {"spiel.jpg"}},
      {.name = "blau",
       .threeD = true,
       .pictures = {"oompa.jpg", "doompa.jpg", "doopady.jpg", "doo.jpg"}},
      {.name = "box", .threeD = true, .pictures = {"destiny.jpg"}},
      {.name = "kommun", .threeD = true, .pictures = {"bkkom.jpg"}},
      {.name = "evil", .threeD = true, .pictures = {"evil.jpg"}},
      {.name = "danke", .threeD = false, .pictures = {"danke.jpg"}},
  };
  static const std::vector<ShowModule> modules = [] {
    std::vector<ShowModule> inOrder;
    for (const SceneModule* m : SceneModulesInLoadOrder()) {
      const auto row = std::find_if(std::begin(known), std::end(known),
                                    [&](const ShowModule& k) { return k.name == m->name; });
      inOrder.push_back(row != std::end(known)
                            ? *row
                            : ShowModule{.name = m->name, .threeD = true, .pictures = {}});
    }
    return inOrder;
  }();
  return modules;
}

std::string TextureOf(const ShowModule& module) {
  std::string upper = module.name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return "TX" + upper + ".GIF";
}

std::vector<std::string> FilesInLoadOrder() {
  std::vector<std::string> files;
  for (const ShowModule& m : ShowModules()) {
    if (m.threeD) {
      files.push_back(m.name + ".3ds");
      files.push_back(TextureFileName(TextureOf(m)));
    }
    files.insert(files.end(), m.pictures.begin(), m.pictures.end());
  }
  return files;
}

std::string DataName(const std::string& file) {
  return "DATA\\" + file;
}

Scene3ds ModuleScene(const std::string& texture, View view) {
  Scene3ds s;
  Material3ds m;
  m.name = "Skin";
  m.texture = texture;
  s.materials = {m};
  s.objects = {Box("Cube", {0, 0, 0}, {1, 1, 1}, "Skin"),
               Box("Child", {0, 0, 2.5f}, {0.5f, 0.5f, 0.5f}, "Skin")};
  // Node 0 turns about z; node 1 rides on it, offset upward.
  s.tracks = {ObjectTrack("Cube", 0xFFFF, {0, 0, 0}, {Turn(0, 0), Turn(50, 1.5f), Turn(100, 1.0f)}),
              ObjectTrack("Child", 0, {0, 0, 2.5f}, {Turn(0, 0), Turn(100, -3.0f)})};
  if (view == View::Scene) {
    s.objects.push_back(Ground("Skin"));
    s.tracks.push_back(ObjectTrack("Ground", 0xFFFF, {0, 0, 0}, {Turn(0, 0)}));
  }

  // The camera moves along a path; "Nothing" looks away from the cubes.
  const Vector target = view == View::Scene ? Vector{0, 0, 0.5f} : Vector{0, -40, 2};
  std::vector<VectorKey3ds> path =
      view == View::Scene ? std::vector<VectorKey3ds>{Key(0, {6, -7, 3}), Key(50, {-5, -6, 2}),
                                                      Key(100, {6, -7, 3})}
                          : std::vector<VectorKey3ds>{Key(0, {0, -9, 2}), Key(100, {1, -10, 2.5f})};
  Camera3ds camera;
  camera.name = "Cam";
  camera.position = path[0].value;
  camera.target = target;
  s.cameras = {camera};
  Track3ds position;
  position.node = Node3ds::Camera;
  position.name = "Cam";
  position.position = path;
  ScalarKey3ds fov;
  fov.value = 60.0f;
  position.fov = {fov};
  position.roll = {ScalarKey3ds{}};
  Track3ds aim;
  aim.node = Node3ds::CameraTarget;
  aim.name = "Cam";
  aim.position = {Key(0, target)};
  s.tracks.push_back(position);
  s.tracks.push_back(aim);
  return s;
}

Image ScreenPattern(int seed) {
  Image p(W * H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      // Black bands: the keyed blends leave these pixels alone.
      if ((x / 40 + y / 25 + seed) % 4 == 0) {
        p[y * W + x] = 0;
        continue;
      }
      const std::uint32_t r = static_cast<std::uint32_t>(x * (seed + 1) / 2 + y) % 256;
      const std::uint32_t g = static_cast<std::uint32_t>(y * 5 / 4 + 30 * seed) % 256;
      const std::uint32_t b = static_cast<std::uint32_t>(255 - x * 3 / 4) % 256;
      p[y * W + x] = r << 16 | g << 8 | b;
    }
  return p;
}

Bytes EncodePicture(const Image& pixels, std::uint32_t width, std::uint32_t height) {
  return EncodeJpegColour(pixels.data(), width, height);
}

std::vector<LibraryFile> ShowFiles(View view) {
  std::vector<LibraryFile> files;
  int seed = 0;
  auto picture = [&](const std::string& file) {
    files.emplace_back(DataName(file), EncodePicture(ScreenPattern(seed++), W, H));
  };
  std::uint32_t textureSeed = 1;
  for (const ShowModule& m : ShowModules()) {
    if (m.threeD) {
      files.emplace_back(DataName(m.name + ".3ds"), Write3ds(ModuleScene(TextureOf(m), view)));
      files.emplace_back(DataName(TextureFileName(TextureOf(m))), TexturePicture(textureSeed++));
    }
    for (const std::string& p : m.pictures) picture(p);
  }
  return files;
}

bool OpenQuietly(const TempDir& dir, const std::vector<LibraryFile>& files) {
  bool opened = false;
  CaptureStdout([&] { opened = OpenTestLibrary(dir, files); });
  return opened;
}

void ReplaceFile(std::vector<LibraryFile>& files, const std::string& name, Bytes bytes) {
  for (LibraryFile& f : files) {
    if (f.first == name) {
      f.second = std::move(bytes);
      return;
    }
  }
  ADD_FAILURE() << "no file " << name << " to replace";
}

Image DecodedPicture(const std::vector<LibraryFile>& files, const std::string& file) {
  for (const LibraryFile& f : files) {
    if (f.first != DataName(file)) continue;
    Picture p{};
    if (!DecodeJpegPicture(f.second.data(), f.second.size(), p) || p.bytesPerPixel != 4) {
      ADD_FAILURE() << "cannot decode " << file;
      return Black();
    }
    const std::uint32_t* words = PictureWords(p);
    Image image(words, words + std::size_t{p.width} * p.height);
    ReleasePicture(p);
    return image;
  }
  ADD_FAILURE() << "no file " << file;
  return Black();
}

PreparedScene::PreparedScene(const std::string& sceneFile) {
  CaptureStdout([&] {
    LoadScene(scene_, DataName(sceneFile));
    PrepareScene(scene_);
    LoadTextures(scene_, "DATA\\");
    BuildHierarchy(scene_);
    PrecalculateScene(scene_);
    ComputeBounds(scene_);
  });
}

PreparedScene::~PreparedScene() {
  FreeHierarchy(scene_);
  FreeSceneBuffers(scene_);
  FreeScene(scene_);
}

Image ComposeFrame(Scene*& scene, float frame, FillFunction fill, const ReferencePost& post) {
  Image fb(W * H, 0);
  RunFramePipeline(scene, frame, 0, 0.5f, 100000.0f, ClassicFrame);
  const RasterTarget target{fb.data(), scene->depthBuffer, ClassicFrame, AllRows(ClassicFrame)};
  ClearDepthBuffer(target);
  DrawScenePolygons(scene->screen, target, fill);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (x == 0 || y == 0 || x == W - 1 || y == H - 1) fb[y * W + x] = 0;

  std::uint32_t* p = fb.data();
  if (post.smear == ReferencePost::Smear::Glow) {
    const GlowParameters glow{.spread = post.spread, .gain = post.gain};
    PlainFx2d.glowLeft(glow, ClassicFrame, 0, H, p);
    PlainFx2d.glowUp(glow, ClassicFrame, 0, W, p);
    PlainFx2d.glowRight(glow, ClassicFrame, 0, H, p);
    PlainFx2d.glowDown(glow, ClassicFrame, 0, W, p);
  } else if (post.smear == ReferencePost::Smear::Radial) {
    RadialBlur(PlainFx2d, 160, 100, post.strength, 10, ClassicFrame, p);
  }
  if (post.blend != ReferencePost::Blend::None) {
    const std::uint32_t* picture = post.picture->data();
    switch (post.blend) {
      case ReferencePost::Blend::Add:
        PlainFx2d.addSpriteKeyed(0, 0, W, H, picture, p, ClassicFrame, AllRows(ClassicFrame), 0);
        break;
      case ReferencePost::Blend::Subtract:
        PlainFx2d.subSpriteKeyed(0, 0, W, H, picture, p, ClassicFrame, AllRows(ClassicFrame), 0);
        break;
      case ReferencePost::Blend::Lighten:
        PlainFx2d.subSpriteKeyed(0, 0, W, H, picture, p, ClassicFrame, AllRows(ClassicFrame), 0);
        PlainFx2d.addScreen(picture, p, ScreenPixels);
        break;
      case ReferencePost::Blend::None:
        break;
    }
  }
  return fb;
}

namespace {

template <typename ByteRule>
Image PerByte(const Image& src, ByteRule rule) {
  Image out(src.size());
  for (std::size_t i = 0; i < src.size(); ++i) {
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      result |= (rule((src[i] >> shift) & 255, shift) & 255) << shift;
    }
    out[i] = result;
  }
  return out;
}

}  // namespace

Image Darkened(const Image& src, std::uint32_t k) {
  return PerByte(src, [k](std::uint32_t b, int) { return (b * (255 - k)) >> 8; });
}

Image Lightened(const Image& src, std::uint32_t k) {
  // The fourth byte is copied.
  return PerByte(src, [k](std::uint32_t b, int shift) {
    return shift == 24 ? b : b + (((255 - b) * k) >> 8);
  });
}

Image CrossFaded(const Image& a, const Image& b, std::uint32_t k) {
  Image out(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const std::uint32_t x = (a[i] >> shift) & 255;
      const std::uint32_t y = (b[i] >> shift) & 255;
      result |= ((x * (255 - k) + y * k) >> 8) << shift;
    }
    out[i] = result;
  }
  return out;
}

int DifferentPixels(const Image& a, const Image& b) {
  EXPECT_EQ(a.size(), b.size());
  int different = 0;
  for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) different += a[i] != b[i];
  return different;
}

::testing::AssertionResult SameImage(const Image& actual, const Image& expected) {
  if (actual.size() != expected.size()) {
    return ::testing::AssertionFailure()
           << actual.size() << " pixels where " << expected.size() << " were expected";
  }
  for (std::size_t i = 0; i < actual.size(); ++i) {
    if (actual[i] == expected[i]) continue;
    return ::testing::AssertionFailure()
           << DifferentPixels(actual, expected) << " pixels differ; first at (" << i % W << ", "
           << i / W << "): " << std::hex << actual[i] << " instead of " << expected[i];
  }
  return ::testing::AssertionSuccess();
}

}  // namespace vx::test
