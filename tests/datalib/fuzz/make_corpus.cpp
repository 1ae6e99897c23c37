// Writes the seed corpus of the data library's fuzz target into a folder:
//   make_datalib_corpus FOLDER
// Archives made by the data library's builder, and copies of them damaged at
// each field the reader checks: header, file count, index position, name
// length, entry size and position, truncation. The builder prints its steps
// on standard output; a failed step ends the program with code 1.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "datalib/datalib.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "make_datalib_corpus: %s\n", what.c_str());
  std::exit(1);
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  if (!(file << text) || !file.flush()) Fail("cannot write " + path.string());
}

Bytes ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) Fail("cannot read " + path.string());
  return Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file.flush()) Fail("cannot write " + path.string());
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Builds an archive from a description in the working directory.
Bytes Build(const std::string& description) {
  WriteText("desc.txt", description);
  if (!vx::BuildLibrary("desc.txt", "out.lib")) Fail("the builder failed");
  return ReadBytes("out.lib");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_datalib_corpus FOLDER\n");
    return 2;
  }
  const fs::path out = fs::absolute(argv[1]);
  fs::create_directories(out);
  char work[] = "/tmp/vx-datalib-corpus-XXXXXX";
  if (mkdtemp(work) == nullptr) Fail("cannot make a working folder");
  const fs::path previous = fs::current_path();
  fs::current_path(work);
  fs::create_directories("DATA/SUB");
  WriteText("DATA/a.bin", "0123456789");
  WriteText("DATA/B.jpg", "abcdefghijklmnopqrst");
  WriteText("DATA/SUB/deep.3ds", "deep data");
  // Stored as "DATA\" and 123 letters: the longest name an archive may hold.
  const std::string longName(123, 'n');
  WriteText("DATA/" + longName, "long");

  // Two files: data at 111 and 121, index at 141, entries of 19 bytes.
  const Bytes two = Build("[dir]\nDATA\\\n[file]\na.bin\nB.jpg\n[end_of_dir]\n[eof]\n");
  // Two folders and a name stored twice (the first entry wins).
  const Bytes nested = Build(
      "[dir]\nDATA\\\n[file]\na.bin\nB.jpg\na.bin\n[end_of_dir]\n"
      "[dir]\nDATA\\SUB\\\n[file]\ndeep.3ds\n[end_of_dir]\n[eof]\n");
  const Bytes longest = Build("[dir]\nDATA\\\n[file]\n" + longName + "\n[end_of_dir]\n[eof]\n");
  fs::current_path(previous);
  fs::remove_all(work);

  std::vector<std::pair<std::string, Bytes>> seeds = {
      {"two.lib", two}, {"nested.lib", nested}, {"name-128.lib", longest}};
  auto variant = [&](const std::string& name, auto change) {
    Bytes b = two;
    change(b);
    seeds.emplace_back(name, b);
  };
  const std::size_t index = 141;
  variant("header-last-byte.lib", [](Bytes& b) { b[102] = 0x1C; });
  variant("count-zero.lib", [](Bytes& b) { Put32(b, 103, 0); });
  variant("count-negative.lib", [](Bytes& b) { Put32(b, 103, 0xFFFFFFFF); });
  variant("count-1025.lib", [](Bytes& b) { Put32(b, 103, 1025); });
  variant("count-three.lib", [](Bytes& b) { Put32(b, 103, 3); });
  variant("index-negative.lib", [](Bytes& b) { Put32(b, 107, 0x80000000); });
  variant("index-past-end.lib", [](Bytes& b) { Put32(b, 107, 4096); });
  variant("index-in-data.lib", [](Bytes& b) { Put32(b, 107, 111); });
  variant("name-129.lib", [&](Bytes& b) { b[index] = 129; });
  variant("size-past-end.lib", [&](Bytes& b) { Put32(b, index + 11, 1000); });
  variant("size-to-end.lib",
          [&](Bytes& b) { Put32(b, index + 11, std::uint32_t(b.size() - 111)); });
  variant("size-negative.lib", [&](Bytes& b) { Put32(b, index + 11, 0xFFFFFFF0); });
  variant("position-zero.lib", [&](Bytes& b) { Put32(b, index + 15, 0); });
  variant("position-in-index.lib", [&](Bytes& b) { Put32(b, index + 15, index); });
  // The second entry renamed as the first: same name, other size and bytes.
  variant("name-twice.lib", [&](Bytes& b) {
    const std::string first = "DATA\\a.bin";
    std::copy(first.begin(), first.end(), b.begin() + index + 20);
  });
  variant("size-zero.lib", [&](Bytes& b) { Put32(b, index + 11, 0); });
  variant("truncated-index.lib", [&](Bytes& b) { b.resize(index + 25); });
  variant("truncated-count.lib", [](Bytes& b) { b.resize(105); });

  for (const auto& [name, bytes] : seeds) WriteBytes(out / name, bytes);
  std::printf("%zu seeds written to %s\n", seeds.size(), out.c_str());
  return 0;
}
