#pragma once
// Console output of the whole program (progress lines, the engine log, the
// dumps). Every write is checked: a write to standard output that fails ends
// the program at once with "Runtime error N" on standard error and exit code
// N, the error number (for example 28 when the disk is full). Each call is
// flushed, so a failure is seen by the write that caused it.
#include <string_view>

namespace vx {

// Writes text without a line end.
void ConsoleWrite(std::string_view text);
// Writes text and ends the line ("\n").
void ConsoleWriteLine(std::string_view text = {});

// Ends the program after a failed console write: "Runtime error N" on
// standard error, exit code N.
[[noreturn]] void ConsoleFail(int error);

}  // namespace vx
