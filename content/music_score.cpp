#include "music_score.h"

#include <cmath>
#include <string>

namespace vx::content::music {

int NearestGridBeat(double seconds) {
  return static_cast<int>(std::lround((seconds - GridStart) / GridBeat));
}

double GridBeatTime(int beat) {
  return GridStart + beat * GridBeat;
}

std::array<MusicSection, SectionCount> MusicSections() {
  std::array<MusicSection, SectionCount> sections{};
  double start = 0.0;
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const double end = SlotEnds[i];
    if (end <= GridStart) {
      // Before the grid: a whole number of beats as close to GridBeat as
      // the slot allows.
      const int beats = static_cast<int>(std::lround((end - start) / GridBeat));
      sections[i] = {start, start, (end - start) / beats, beats, end};
    } else {
      // Beat 1 is the first grid line at least half a beat after the cut.
      const int first =
          static_cast<int>(std::ceil((start + 0.5 * GridBeat - GridStart) / GridBeat - 1e-9));
      const double origin = GridBeatTime(first - 1);
      const int last =
          static_cast<int>(std::floor((end - 0.5 * GridBeat - origin) / GridBeat + 1e-9));
      sections[i] = {start, origin, GridBeat, last + 1, end};
    }
    start = end;
  }
  return sections;
}

std::vector<LineNote> ParseLine(std::string_view line) {
  std::vector<LineNote> notes;
  double beat = 0.0;
  bool holding = false;
  std::size_t at = 0;
  while (at < line.size()) {
    if (line[at] == ' ') {
      ++at;
      continue;
    }
    std::size_t end = line.find(' ', at);
    if (end == std::string_view::npos) end = line.size();
    const std::string_view token = line.substr(at, end - at);
    at = end;
    if (token == "-") {
      if (holding) notes.back().beats += 0.5;
    } else if (token == ".") {
      holding = false;
    } else {
      const int midi = ParseNote(token);
      if (midi < 0) return {};
      notes.push_back({beat, 0.5, midi});
      holding = true;
    }
    beat += 0.5;
  }
  return notes;
}

std::array<int, 3> ParseChord(std::string_view name) {
  const std::array<int, 3> invalid = {-1, -1, -1};
  if (name.empty() || name[0] < 'A' || name[0] > 'G') return invalid;
  // Pitch class of the root from the note parser, in octave 4.
  std::size_t rootLength = name.size() > 1 && (name[1] == '#' || name[1] == 'b') ? 2 : 1;
  const int midi = ParseNote(std::string(name.substr(0, rootLength)) + "4");
  if (midi < 0) return invalid;
  const std::string_view quality = name.substr(rootLength);
  int third = 4, fifth = 7;
  if (quality == "m") {
    third = 3;
  } else if (quality == "dim") {
    third = 3;
    fifth = 6;
  } else if (!quality.empty()) {
    return invalid;
  }
  const int root = midi % 12;
  return {root, (root + third) % 12, (root + fifth) % 12};
}

int PlaceInOctave(int pitchClass, int low) {
  return low + (((pitchClass - low) % 12) + 12) % 12;
}

Buses::Buses() {
  const auto frames = static_cast<std::size_t>(FrameAt(PieceSeconds));
  for (Stereo* bus : {&drums, &bass, &chords, &lead, &effects}) *bus = Stereo(frames);
}

}  // namespace vx::content::music
