// Fuzz target of the data library reader: any bytes are opened as an
// archive, and the reader's answer is checked against an acceptance rule of
// its own, written from the archive layout and the reader's documented
// refusals. An accepted archive must list its index and serve every stored
// file's bytes, a refused one must leave the library opened before in place.
// A broken contract traps, so libFuzzer (clang, target fuzz_datalib) and the
// replay driver (g++, replay_datalib, run by CTest over the seed corpus) both
// report it as a crash.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "datalib/datalib.h"
#include "support/fuzz_io.h"

namespace {

using vx::fuzz::CaptureOutput;

using vx::fuzz::Check;
constexpr const char* HeaderText = vx::fuzz::ArchiveHeaderText;

struct Entry {
  std::string name;
  std::int32_t size;
  std::int32_t position;
};

enum class Verdict { Accepted, Refused, RefusedWithReason };

// What the reader must do with an archive: the verdict, the lines it prints
// before accepting or refusing (a reasoned refusal adds one line of its own
// after them), and the index.
struct Expected {
  Verdict verdict = Verdict::Refused;
  std::string lines;
  std::vector<Entry> entries;
};

std::int32_t Int32At(const std::uint8_t* bytes) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | bytes[i];
  return static_cast<std::int32_t>(v);
}

std::string EntryText(const Entry& e) {
  return e.name + "' (" + std::to_string(e.size) + " bytes @ position " +
         std::to_string(e.position) + ")";
}

// The acceptance rule. The archive is refused quietly when it is shorter
// than a field it must hold, its header differs or it holds no file; with a
// reason when it claims a negative count or more than 1024 files, a negative
// index position, a name longer than 128 bytes or a file whose bytes are not
// all inside the archive. Nothing else is checked: the index may lie
// anywhere, files may overlap each other, the header or the index.
Expected Judge(const std::uint8_t* data, std::size_t size) {
  Expected e;
  auto line = [&](const std::string& text) { e.lines += text + "\n"; };
  line("");
  line("Checking header");
  if (size < 103 || std::memcmp(data, HeaderText, 103) != 0) return e;
  line("Header match.");
  line("Reading number of files");
  if (size < 107) return e;
  const std::int32_t count = Int32At(data + 103);
  if (count == 0) return e;
  line("Number of files: " + std::to_string(count));
  if (count < 0 || count > 1024) {
    e.verdict = Verdict::RefusedWithReason;
    return e;
  }
  line("Reading index position");
  if (size < 111) return e;
  const std::int32_t index = Int32At(data + 107);
  line("Index position: " + std::to_string(index));
  line("");
  if (index < 0) {
    e.verdict = Verdict::RefusedWithReason;
    return e;
  }
  std::size_t at = static_cast<std::size_t>(index);
  for (std::int32_t i = 0; i < count; ++i) {
    if (at >= size) return e;
    const std::size_t length = data[at++];
    if (length > 128) {
      e.verdict = Verdict::RefusedWithReason;
      return e;
    }
    if (size - at < length + 8) return e;
    Entry entry{std::string(reinterpret_cast<const char*>(data + at), length),
                Int32At(data + at + length), Int32At(data + at + length + 4)};
    at += length + 8;
    if (entry.size < 0 || entry.position < 0 ||
        std::uint64_t(entry.position) + std::uint64_t(entry.size) > size) {
      e.verdict = Verdict::RefusedWithReason;
      return e;
    }
    line("Found file '" + EntryText(entry));
    e.entries.push_back(entry);
  }
  line("");
  line("Closing library file");
  e.verdict = Verdict::Accepted;
  return e;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool IsReasonLine(std::string_view text) {
  return StartsWith(text, "Refused") && text.back() == '\n';
}

// Size and bytes of name as a client reads them: LibraryFileSize, a buffer of
// exactly that size, ReadLibraryFile.
struct Served {
  std::int32_t size = 0;
  bool read = false;
  std::vector<std::uint8_t> bytes;
};

Served Serve(const std::string& name) {
  Served s;
  s.size = vx::LibraryFileSize(name);
  Check(s.size >= 0);
  s.bytes.resize(static_cast<std::size_t>(s.size));
  s.read = vx::ReadLibraryFile(name, s.bytes.data());
  return s;
}

// A library opened once at start-up that every refused archive must leave
// open: two files, so that the first one is not the only one checked.
struct Baseline {
  vx::fuzz::MemoryFile file{"baseline"};
  std::vector<std::uint8_t> image;
  const std::string keptName = "DATA\\kept.bin";
  const std::string kept = "kept across refusals";

  Baseline() {
    const std::string other = "other";
    image.assign(HeaderText, HeaderText + 103);
    auto put32 = [&](std::uint32_t v) {
      for (int i = 0; i < 4; ++i) image.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto putName = [&](const std::string& name) {
      image.push_back(static_cast<std::uint8_t>(name.size()));
      image.insert(image.end(), name.begin(), name.end());
    };
    put32(2);
    put32(111 + other.size() + kept.size());
    image.insert(image.end(), other.begin(), other.end());
    image.insert(image.end(), kept.begin(), kept.end());
    putName("DATA\\other.bin");
    put32(other.size());
    put32(111);
    putName(keptName);
    put32(kept.size());
    put32(111 + other.size());
    file.Fill(image.data(), image.size());
  }

  void Open() {
    bool opened = false;
    CaptureOutput([&] { opened = vx::OpenLibrary(file.Path()); });
    Check(opened);
  }

  void CheckStillOpen() {
    CaptureOutput([&] {
      const Served s = Serve(keptName);
      Check(s.size == static_cast<std::int32_t>(kept.size()) && s.read);
      Check(std::string(s.bytes.begin(), s.bytes.end()) == kept);
    });
  }
};

void CheckAccepted(const Expected& expected, const std::uint8_t* data) {
  // Every name is served from its first entry; a position of 0 marks the
  // name as absent for reading, whatever its size.
  for (std::size_t i = 0; i < expected.entries.size(); ++i) {
    const Entry& entry = expected.entries[i];
    bool first = true;
    for (std::size_t j = 0; j < i && first; ++j) first = expected.entries[j].name != entry.name;
    if (!first) continue;
    Served s;
    const std::string out = CaptureOutput([&] { s = Serve(entry.name); });
    const std::string searching = "Searching for file '" + entry.name + "'\n";
    Check(out == searching + searching);
    Check(s.size == entry.size);
    Check(s.read == (entry.position != 0));
    if (s.read)
      Check(s.bytes.empty() ||
            std::memcmp(s.bytes.data(), data + entry.position, s.bytes.size()) == 0);
  }
  // No stored name is longer than 128 bytes.
  CaptureOutput([&] {
    const Served absent = Serve(std::string(129, 'A'));
    Check(absent.size == 0 && !absent.read);
  });

  bool listed = false;
  const std::string out = CaptureOutput([&] { listed = vx::ListLibrary(); });
  std::string listing = "\nListing library\nLibrary contains " +
                        std::to_string(expected.entries.size()) + " files:\n\n";
  for (const Entry& entry : expected.entries) listing += entry.name + "\n";
  listing += "\n";
  Check(listed && out == listing);

  // Closed, the module answers as if no library had ever been opened.
  vx::CloseLibrary();
  std::vector<std::uint8_t> buffer(1);
  const std::string name = expected.entries.front().name;
  const std::string quiet = CaptureOutput([&] {
    Check(vx::LibraryFileSize(name) == 0);
    Check(!vx::ReadLibraryFile(name, buffer.data()));
  });
  Check(quiet.empty());
  bool listedClosed = true;
  CaptureOutput([&] { listedClosed = vx::ListLibrary(); });
  Check(!listedClosed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Baseline baseline;
  static vx::fuzz::MemoryFile archive("archive");
  static bool baselineOpen = false;
  if (!baselineOpen) {
    baseline.Open();
    baselineOpen = true;
  }

  archive.Fill(data, size);
  const Expected expected = Judge(data, size);
  bool opened = false;
  const std::string out = CaptureOutput([&] { opened = vx::OpenLibrary(archive.Path()); });
  Check(opened == (expected.verdict == Verdict::Accepted));
  Check(StartsWith(out, expected.lines));
  const std::string_view rest = std::string_view(out).substr(expected.lines.size());
  switch (expected.verdict) {
    case Verdict::Accepted:
      Check(rest.empty());
      CheckAccepted(expected, data);
      baselineOpen = false;
      break;
    case Verdict::RefusedWithReason:
      // A line of its own saying why (a stored name in it may hold line ends).
      Check(IsReasonLine(rest));
      baseline.CheckStillOpen();
      break;
    case Verdict::Refused:
      // A reason is welcome here too.
      Check(rest.empty() || IsReasonLine(rest));
      baseline.CheckStillOpen();
      break;
  }
  return 0;
}
