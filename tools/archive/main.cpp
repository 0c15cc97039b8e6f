// fusewick-archive: looks inside the game's picture and sound archives and
// builds them from PNG and WAV files.
#include <iostream>

#include "Commands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return fusewick::tool::RunArchiveTool(args, std::cout, std::cerr);
}
