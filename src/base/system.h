#pragma once
// The few operating-system calls whose POSIX form Windows lacks, under one
// name each. Every descriptor opened here is binary and is not inherited by
// child processes (O_CLOEXEC; O_NOINHERIT on Windows). Failures return -1
// (or false) with errno set, as the POSIX calls do.
#include <sys/stat.h>

#include <string>

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

// A write to a pipe whose reader has gone fails with EPIPE instead of
// ending the program with a signal (Windows has no such signal).
void IgnoreBrokenPipes();

// Makes the console show the program's UTF-8 text as UTF-8 (Windows'
// console otherwise uses the OEM code page). The output is unchanged
// elsewhere.
void UseUtf8Console();

}  // namespace vx
