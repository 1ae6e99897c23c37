#pragma once
// The command line the digest programs share, "PROGRAM LIBRARY": --help (or
// -h) prints the program's usage, anything but one library name is refused
// in one line.
#include <iostream>
#include <string>

namespace vx::test {

// True with library set when the program is to run; false with exitCode set
// (0 after the usage, 2 after the error) when it is to end at once.
inline bool ReadLibraryArgument(int argc, char** argv, const char* program, const char* usage,
                                std::string& library, int& exitCode) {
  if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
    std::cout << usage;
    exitCode = 0;
    return false;
  }
  if (argc != 2 || argv[1][0] == '-') {
    std::cerr << program << ": expected one data library (see --help)" << std::endl;
    exitCode = 2;
    return false;
  }
  library = argv[1];
  return true;
}

}  // namespace vx::test
