#include "base/console.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "base/output_file.h"
#include "base/system.h"

namespace vx {
namespace {

std::FILE* console = stdout;

void WriteChecked(std::string_view text, bool endLine) {
  errno = 0;
  // An empty view may carry a null pointer, which fwrite must not be given.
  bool ok = text.empty() || std::fwrite(text.data(), 1, text.size(), console) == text.size();
  if (ok && endLine) ok = std::fputc('\n', console) != EOF;
  if (ok) ok = std::fflush(console) == 0;
  if (!ok) ConsoleFail(errno != 0 ? errno : EIO);
}

// Length of the well-formed UTF-8 sequence of two to four bytes that starts
// at text[at] (no overlong forms, no surrogates, nothing above U+10FFFF),
// or 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
  const std::uint8_t lead = byte(0);
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  // The range of the second byte depends on the lead; later ones are 80-BF.
  std::uint8_t low = 0x80, high = 0xBF;
  if (lead < 0xC2 || lead > 0xF4) return 0;
  if (lead == 0xE0) low = 0xA0;
  if (lead == 0xED) high = 0x9F;
  if (lead == 0xF0) low = 0x90;
  if (lead == 0xF4) high = 0x8F;
  if (text.size() - at < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  return length;
}

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

// A backslash that a reader of the escaped text would take for an escape.
bool LooksLikeEscape(std::string_view text, std::size_t at) {
  return text[at] == '\\' && text.size() - at > 3 && IsOctalDigit(text[at + 1]) &&
         IsOctalDigit(text[at + 2]) && IsOctalDigit(text[at + 3]);
}

// "\ooo": a backslash and the byte's value in three octal digits.
void AppendOctal(std::string& out, std::uint8_t byte) {
  out += '\\';
  out += static_cast<char>('0' + (byte >> 6));
  out += static_cast<char>('0' + ((byte >> 3) & 7));
  out += static_cast<char>('0' + (byte & 7));
}

}  // namespace

std::string EscapeControlBytes(std::string_view text, EscapeKeep keep) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<std::uint8_t>(text[i]);
    if (byte >= 0x20 && byte < 0x7F && !LooksLikeEscape(text, i)) {
      out += text[i++];
      continue;
    }
    // U+0080-U+009F (C2 80-C2 9F) are the C1 controls themselves.
    const std::size_t length = keep == EscapeKeep::Utf8Text && byte >= 0x80
                                   ? Utf8SequenceLength(text, i)
                                   : 0;
    if (length > 0 && !(byte == 0xC2 && static_cast<std::uint8_t>(text[i + 1]) < 0xA0)) {
      out.append(text.substr(i, length));
      i += length;
      continue;
    }
    AppendOctal(out, byte);
    ++i;
  }
  return out;
}

bool ConsoleIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(console)) != 0;
#else
  return isatty(fileno(console)) != 0;
#endif
}

std::string ConsoleShown(std::string_view text) {
  return ConsoleIsTerminal() ? EscapeControlBytes(text) : std::string(text);
}

void ConsoleWrite(std::string_view text) { WriteChecked(text, false); }

void ConsoleWriteLine(std::string_view text) { WriteChecked(text, true); }

void ConsoleUseStandardError() {
  console = stderr;
}

void ConsoleFail(int error) {
  RunExitActions();
  if (error == EPIPE) EndOnBrokenPipe();
  std::fprintf(stderr, "Runtime error %d\n", error);
  std::fflush(stderr);
  // _Exit: the normal exit would flush standard output again and fail again.
  std::_Exit(error);
}

}  // namespace vx
