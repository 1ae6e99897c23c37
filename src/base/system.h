#pragma once
// The few operating-system calls whose POSIX form Windows lacks, under one
// name each. Every descriptor opened here is binary and is not inherited by
// child processes (O_CLOEXEC; O_NOINHERIT on Windows). Failures return -1
// (or false) with errno set, as the POSIX calls do.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// Opens an existing file for reading without waiting: a FIFO without a
// writer does not hold the open.
int OpenForReading(const std::string& path);
// Creates path for writing, failing with EEXIST when anything is there;
// permission bits 0666 less the umask.
int CreateNewFile(const std::string& path);
// Opens what is at path for writing without creating or truncating it, and
// without making a terminal the controlling one (devices, FIFOs).
int OpenExistingForWriting(const std::string& path);

// Whether path itself is a symbolic link (not followed).
bool IsSymbolicLink(const std::string& path);
// Whether anything is at path; a dangling symbolic link counts.
bool SomethingAt(const std::string& path);

// Gives the file open as fd the owner (where allowed) and the permission
// bits of info, as a replaced file had. 0, or the error number when the
// permission bits cannot be set. Windows keeps neither on a file of ours.
int CarryOverOwnerAndMode(int fd, const struct stat& info);
// Writes the file's data through to the disk. 0 or the error number.
int SyncFile(int fd);
// Renames from onto to, replacing a file that is there in one step. 0 or
// the error number.
int RenameOver(const std::string& from, const std::string& to);

// Moves the open file's position to its end and returns it: the file's
// size in bytes, also beyond 2 GiB; -1 with errno set on failure.
long long SeekToEnd(std::FILE* file);

// A write to a pipe whose reader has gone fails with EPIPE instead of
// ending the program with a signal (Windows has no such signal).
void IgnoreBrokenPipes();

// Pauses the program for ms milliseconds. In the browser the pause hands
// the page its turn (the program is suspended), where a blocking sleep would
// freeze the page.
void SleepMilliseconds(std::uint32_t ms);

// Makes the console show the program's UTF-8 text as UTF-8 (Windows'
// console otherwise uses the OEM code page). The output is unchanged
// elsewhere.
void UseUtf8Console();

// Standard input, switched to binary mode (Windows' default text mode would
// turn CR LF into LF and stop at the byte 0x1A).
std::FILE* BinaryStandardInput();

// Creates a new file named folder/prefixXXXXXXsuffix in the system's folder
// for temporary files ($TMPDIR, else /tmp; on Windows the user's temporary
// folder), not inherited by child processes. Its descriptor, with its path
// in path; -1 with errno set on failure.
int CreateTemporaryFile(const std::string& prefix, const std::string& suffix, std::string& path);

// A child process started by SpawnWithInput, reading a pipe from us on its
// standard input.
struct ChildProcess {
  std::intptr_t process = -1;  // process id; on Windows the process handle
  int input = -1;              // our end of its standard input
};

enum class SpawnFailure {
  None,
  NoPipe,       // the pipe could not be made
  CannotStart,  // no new process (fork or CreateProcess failed)
  CannotRun,    // the program could not be run (not found, not executable)
};

// Starts args[0], looked up on PATH as a shell would, with the other
// elements as its arguments and a pipe to its standard input; standard
// output and error are ours. On failure nothing is left open or running and
// error holds the errno value.
SpawnFailure SpawnWithInput(const std::vector<std::string>& args, ChildProcess& child, int& error);

// How a child ended: its exit code, or the signal that ended it (POSIX), or
// lost when it could not be waited for (errno value in code).
struct ChildEnd {
  enum class Kind { Exited, Signalled, Lost } kind = Kind::Lost;
  int code = 0;
};

// Closes the child's input and waits for its end; lost (ECHILD) for a
// child that was never started or is finished already. An interrupt seen
// during the wait (see StartInterruptWatch) ends it: lost with EINTR, the
// child left for StopChild.
ChildEnd FinishChild(ChildProcess& child);
// Closes the child's input, kills it if it still runs and waits for it, so
// that nothing outlives the caller; does nothing once the child is finished.
void StopChild(ChildProcess& child);

// File names are UTF-8 in these programs (on Windows their manifest makes
// UTF-8 the code page of the C runtime's calls). std::filesystem does not
// follow that code page: on Windows it turns a narrow name into its wide
// one byte by byte, so "é" became "Ã©" and the file was not found. Every
// name passes between our strings and std::filesystem through these two.
std::filesystem::path PathOf(std::string_view utf8);
std::string NameOf(const std::filesystem::path& path);

// The command line that makes Windows programs (their C runtime's argument
// parser) see exactly args: arguments with spaces, tabs or quotes are
// quoted, with backslashes doubled only where they precede a quote.
std::string WindowsCommandLine(const std::vector<std::string>& args);

// While a watch runs, an interrupt (SIGINT, SIGTERM, SIGHUP, SIGQUIT; on
// Windows Ctrl+C, Ctrl+Break and closing the console) does not end the program but
// sets the flag that Interrupted() reads; blocking calls such as write then
// fail with EINTR on POSIX systems. StopInterruptWatch restores the
// previous handling. One watch at a time.
void StartInterruptWatch();
void StopInterruptWatch();
bool Interrupted();

// Outside a watch, the same signals end the program as before, but run
// action first (which must do only what a signal handler may: unlink, kill,
// waitpid). On Windows action runs on the console's thread. A signal that
// the program's parent made it ignore (nohup ignores SIGHUP) stays ignored,
// by this and by a watch.
void RunBeforeTerminationSignals(void (*action)());
// While one lives, the action above does not run, so that a step such as
// "create a file, then register it for removal" is never cut in two: the
// termination signals are blocked in the calling thread and a handler on
// another thread (the console's on Windows) waits until the last hold ends
// (1 s at most). A signal that came meanwhile takes effect at the end.
// Holds nest.
class TerminationHold {
 public:
  TerminationHold();
  ~TerminationHold();
  TerminationHold(const TerminationHold&) = delete;
  TerminationHold& operator=(const TerminationHold&) = delete;
};
// Ends the program as the usual command-line tools end when the reader of
// their output has gone: quietly, by SIGPIPE (exit code 1 on Windows).
[[noreturn]] void EndOnBrokenPipe();
// A new descriptor for the open descriptor fd, not inherited by children;
// -1 with errno set (EBADF when fd is not open).
int DuplicateDescriptor(int fd);

}  // namespace vx

namespace vx {

// The folder of the running program (its links resolved on Linux), or empty
// when it cannot be told.
std::string ExecutableDir();

// The user's folder for pictures: on Windows the known folder Pictures; on
// other systems $XDG_PICTURES_DIR, else the desktop's setting in
// user-dirs.dirs, else ~/Pictures, each only where it is a folder. Empty
// when there is none (the caller then uses the current folder).
std::string PicturesFolder();

// On Windows, when the console of the program was made for it alone (the
// program was started from Explorer, not from a command prompt) and its
// output goes to that console, closes the console, so that no window of
// text stands beside the show, and sends standard output and error to
// nowhere. True when it did so: the program
// then has no console to show text in. False elsewhere.
bool ReleaseOwnConsole();

// How the program was started, as far as that tells a file manager's or a
// desktop menu's start from a terminal's or a script's.
struct StartContext {
  // Windows: the console was made for this program alone (Explorer's
  // start), before ReleaseOwnConsole closes it.
  bool ownConsole = false;
  // Elsewhere: a terminal on standard input, output or error; a graphical
  // session (DISPLAY or WAYLAND_DISPLAY); and the parent's program (its
  // file name, e.g. "bash", "python3.11", "gnome-shell"; empty when it
  // cannot be read).
  bool terminal = false;
  bool graphicalSession = false;
  std::string parent;
};
StartContext ThisStart();
// True for a start by a double click or a menu: Explorer's own console, or
// no terminal, a graphical session and a parent known and no shell or
// script interpreter.
bool StartedFromFileManager(const StartContext& start);

// Shows text in a message box with an error sign and waits for its OK
// (Windows); does nothing elsewhere.
void AlertBox(const std::string& title, const std::string& text);

}  // namespace vx
