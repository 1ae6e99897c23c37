// The engine log: one line on standard output, the level's tag and the
// message; stop = true ends the program on the spot with exit code 1.
#include <cstdlib>
#include <string>

#include "base/console.h"
#include "engine/engine.h"

namespace vx {
namespace {

// Messages are length-prefixed strings of at most 255 characters.
constexpr std::size_t MaxMessageLength = 255;

void Log(std::string_view tag, std::string_view message, bool stop) {
  std::string line{tag};
  line += message.substr(0, MaxMessageLength);
  ConsoleWriteLine(line);  // a failed write ends the program itself
  // Every console write is flushed, so nothing is lost by ending at once;
  // no further shutdown of the demo's subsystems takes place.
  if (stop) std::_Exit(1);
}

}  // namespace

void LogNote(std::string_view message, bool stop) {
  Log("Z3D_NOTE: ", message, stop);
}
void LogHint(std::string_view message, bool stop) {
  Log("Z3D_HINT: ", message, stop);
}
void LogWarning(std::string_view message, bool stop) {
  Log("Z3D_WARNING: ", message, stop);
}
void LogFatal(std::string_view message, bool stop) {
  Log("Z3D_FATAL: ", message, stop);
}
void LogPanic(std::string_view message, bool stop) {
  Log("Z3D_PANIC: ", message, stop);
}
void LogDebug(std::string_view message, bool stop) {
  Log("Z3D_DEBUG: ", message, stop);
}

}  // namespace vx
