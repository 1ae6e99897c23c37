// Replays files through a fuzz target (the 3DS loader's, the archive reader's,
// the picture path's: whichever it is linked with), one after another:
//   replay_NAME PATH...   (files, or folders whose files are all run)
// Prints one line per file. A broken contract or a sanitizer finding ends
// the program abnormally; finding no file at all is a failure too.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool Replay(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                        std::istreambuf_iterator<char>());
  std::printf("%s (%zu bytes)\n", path.filename().c_str(), bytes.size());
  std::fflush(stdout);
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path = argv[i];
    std::vector<std::filesystem::path> files;
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::directory_iterator(path))
        if (entry.is_regular_file()) files.push_back(entry.path());
    } else {
      files.push_back(path);
    }
    std::sort(files.begin(), files.end());
    for (const auto& f : files) {
      if (!Replay(f)) return 1;
      ++replayed;
    }
  }
  std::printf("%d files replayed\n", replayed);
  return replayed > 0 ? 0 : 1;
}
