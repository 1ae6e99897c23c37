// frame_digests: loads every scene of the show from a data library and
// prints, for a spread of local times in each scene, the SHA-256 of the
// 320 x 200 image it draws (64000 little-endian words, as drawn):
//
//   frame SCENE LOCALTIME SHA256
//   frame@WxH SCENE LOCALTIME SHA256   (the same scene drawn at W x H)
//
// Like picture_digests it is built natively and for WebAssembly, so that the
// two listings show whether both builds draw the same frames from the same
// archive (their maths libraries and vector units differ).
//
//   frame_digests LIBRARY
//
// Exit code 0 after the listing; 1 when the library cannot be opened (a
// scene whose data is unusable ends the program as in the show); 2 for a
// wrong command line.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "datalib/datalib.h"
#include "base/console.h"
#include "digest_command_line.h"
#include "scenes/scenes.h"
#include "sha256.h"

namespace {

constexpr const char* Usage =
    "usage: frame_digests LIBRARY\n"
    "  Loads the show's scenes from the data library LIBRARY and prints\n"
    "  \"frame SCENE LOCALTIME SHA256\" for a spread of local times in each,\n"
    "  the digest taken over the 320 x 200 image it draws, and\n"
    "  \"frame@WxH ...\" for some of them drawn at 1280x720 and 1920x1080.\n";

// The classic frames at every time; the sharp show's at two sizes and a
// few times a scene (the 4th and 8th of the eleven), each line named by its
// size so that the classic lines read as they always have.
struct Listing {
  std::string prefix;
  vx::FrameSize size;
  std::size_t everyNth;
  std::size_t first;
};
const Listing Listings[] = {
    {"frame ", vx::ClassicFrame, 1, 0},
    {"frame@1280x720 ", vx::PackedFrame(1280, 720), 4, 3},
    {"frame@1920x1080 ", vx::PackedFrame(1920, 1080), 4, 3},
};

struct Scene {
  const char* name;
  float length;  // ticks of 1/120 s the show gives it (the longest use)
  void (*render)(float t, std::uint32_t* fb, const vx::FrameSize& size);
};

const Scene Scenes[] = {
    {"logo", 1314.36f, vx::RenderLogo},
    {"kinyit", 1044.36f, [](float t, std::uint32_t* fb, const vx::FrameSize& size) { vx::RenderKinyit(t, fb, size, true); }},
    {"becsuk", 1042.2f, [](float t, std::uint32_t* fb, const vx::FrameSize& size) { vx::RenderKinyit(t, fb, size, false); }},
    {"libiko", 1673.28f, vx::RenderLibiko},
    {"blau0", 1677.0f, [](float t, std::uint32_t* fb, const vx::FrameSize& size) { vx::RenderBlau(t, fb, size, 0); }},
    {"blau3", 1677.0f, [](float t, std::uint32_t* fb, const vx::FrameSize& size) { vx::RenderBlau(t, fb, size, 3); }},
    {"box", 847.92f, vx::RenderBox},
    {"labda", 1200.0f, vx::RenderLabda},
    {"evil", 1662.0f, vx::RenderEvil},
    {"kommun", 1270.8f, vx::RenderKommun},
    {"effekt", 995.4f, vx::RenderEffekt},
    {"danke", 1221.6f, vx::RenderDanke},
};

// Eleven times a scene: its start, nine points inside at uneven fractions
// (so that no two scenes are seen at the same phase) and just before its end.
std::vector<float> LocalTimes(float length) {
  std::vector<float> times = {0.0f};
  for (int i = 1; i <= 9; ++i) times.push_back(length * (static_cast<float>(i) - 0.37f) / 9.0f);
  times.push_back(length - 0.5f);
  return times;
}

}  // namespace

int main(int argc, char** argv) {
  std::string library;
  int exitCode = 0;
  if (!vx::test::ReadLibraryArgument(argc, argv, "frame_digests", Usage, library, exitCode))
    return exitCode;
  if (!vx::OpenLibrary(library)) {
    std::cerr << "frame_digests: cannot read the data library " << library << std::endl;
    return 1;
  }
  vx::LoadAllScenes();
  for (const Listing& listing : Listings) {
    std::vector<std::uint32_t> image(vx::FrameWords(listing.size));
    for (const Scene& scene : Scenes) {
      const std::vector<float> times = LocalTimes(scene.length);
      for (std::size_t i = listing.first; i < times.size(); i += listing.everyNth) {
        const float t = times[i];
        std::fill(image.begin(), image.end(), 0u);
        scene.render(t, image.data(), listing.size);
        char time[32];
        std::snprintf(time, sizeof time, "%.9g", static_cast<double>(t));
        vx::ConsoleWriteLine(listing.prefix + scene.name + " " + time + " " +
                             vx::test::Sha256Hex(image.data(), image.size() * 4));
      }
    }
  }
  vx::FreeAllScenes();
  vx::CloseLibrary();
  return 0;
}
