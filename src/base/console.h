#pragma once
// Console output of the whole program (progress lines, the engine log, the
// dumps). Every write is checked: a write that fails ends the program at
// once with "Runtime error N" on standard error and exit code N, the error
// number (for example 28 when the disk is full), after the clean-up of
// output_file.h (RunExitActions). A reader that has gone (EPIPE) ends it
// quietly instead, as the usual command-line tools end. Each call is
// flushed, so a failure is seen by the write that caused it.
#include <string>
#include <string_view>

namespace vx {

// Writes text without a line end.
void ConsoleWrite(std::string_view text);
// Writes text and ends the line ("\n").
void ConsoleWriteLine(std::string_view text = {});

// Sends the console's lines to standard error from now on: for a run whose
// data goes to standard output, which must carry the data alone.
void ConsoleUseStandardError();

// Text from outside the program (stored names, description lines) may hold
// bytes that a terminal takes as commands: ESC and the other C0 controls,
// DEL, and the C1 controls (the bytes 0x80-0x9f where they are not part of
// a UTF-8 sequence, and the code points U+0080-U+009F). EscapeControlBytes
// writes each of these bytes, each byte that is not part of valid UTF-8,
// and each backslash followed by three octal digits (so that literal text
// never reads as an escape) as a backslash and three octal digits, the form
// of ls -b: ESC is \033, CR \015, TAB \011, DEL \177, a stray 0x9b \233,
// "a\101" becomes "a\134101". Other backslashes stay ("DATA\oompa.mp3" is
// shown as it is). Utf8Text keeps valid UTF-8 letters ("Käse"); AsciiOnly
// escapes every byte outside printable ASCII, for messages that must show
// an invisible character (a byte-order mark is \357\273\277).
enum class EscapeKeep { Utf8Text, AsciiOnly };
std::string EscapeControlBytes(std::string_view text, EscapeKeep keep = EscapeKeep::Utf8Text);

// Whether the console's stream (standard output, or standard error after
// ConsoleUseStandardError) is a terminal.
bool ConsoleIsTerminal();
// Outside text as it goes to the console: escaped (EscapeControlBytes) where
// the console is a terminal, its bytes exactly as they are where it is a
// file or a pipe, which scripts read.
std::string ConsoleShown(std::string_view text);

// Ends the program after a failed console write, as described above.
[[noreturn]] void ConsoleFail(int error);

}  // namespace vx
