// korvaden-memory-hits PID TEXT: how often TEXT stands in the writable memory
// of process PID, for the tests' scripts.
#include <cstdlib>
#include <iostream>

#include "support/memory_scan.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: korvaden-memory-hits PID TEXT\n";
    return 2;
  }
  std::cout << korvaden::test::HitsInWritableMemory(argv[2], std::atoi(argv[1])).size() << "\n";
  return 0;
}
