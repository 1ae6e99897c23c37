#pragma once
// Console output of the whole program (progress lines, the engine log, the
// dumps). Every write is checked: a write that fails ends the program at
// once with "Runtime error N" on standard error and exit code N, the error
// number (for example 28 when the disk is full), after the clean-up of
// output_file.h (RunExitActions). A reader that has gone (EPIPE) ends it
// quietly instead, as the usual command-line tools end. Each call is
// flushed, so a failure is seen by the write that caused it.
#include <string_view>

namespace vx {

// Writes text without a line end.
void ConsoleWrite(std::string_view text);
// Writes text and ends the line ("\n").
void ConsoleWriteLine(std::string_view text = {});

// Sends the console's lines to standard error from now on: for a run whose
// data goes to standard output, which must carry the data alone.
void ConsoleUseStandardError();

// Ends the program after a failed console write, as described above.
[[noreturn]] void ConsoleFail(int error);

}  // namespace vx
