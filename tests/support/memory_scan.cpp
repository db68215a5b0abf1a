#include "support/memory_scan.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "base/secure_memory.h"

namespace korvaden::test {

std::vector<std::uintptr_t> HitsInWritableMemory(std::string_view needle, int process) {
  constexpr std::size_t kChunk = 1 << 16;
  constexpr std::size_t kLargestRegion = std::size_t{1} << 30;  // the sanitizer's shadow is no data of ours
  const std::string proc = process == 0 ? "/proc/self" : "/proc/" + std::to_string(process);
  // In this process the needle and the scratch buffer are not hits.
  const auto own = process == 0 ? reinterpret_cast<std::uintptr_t>(needle.data()) : 0;
  std::vector<std::uintptr_t> hits;
  const int mem = open((proc + "/mem").c_str(), O_RDONLY);
  std::ifstream maps(proc + "/maps");
  SecureBytes buffer(kChunk + needle.size());  // wiped when done: it held copies of what it read
  const auto scratch = process == 0 ? reinterpret_cast<std::uintptr_t>(buffer.data()) : 0;
  for (std::string line; std::getline(maps, line);) {
    std::istringstream fields(line);
    std::string range, permissions;
    fields >> range >> permissions;
    if (permissions.size() < 2 || permissions[0] != 'r' || permissions[1] != 'w') continue;
    const std::uintptr_t start = std::stoull(range.substr(0, range.find('-')), nullptr, 16);
    const std::uintptr_t end = std::stoull(range.substr(range.find('-') + 1), nullptr, 16);
    if (end - start > kLargestRegion) continue;
    for (std::uintptr_t at = start; at < end; at += kChunk) {
      const std::size_t wanted = std::min<std::size_t>(kChunk + needle.size() - 1, end - at);
      const ssize_t got = pread(mem, buffer.data(), wanted, static_cast<off_t>(at));
      if (got <= 0) break;
      const std::string_view read(reinterpret_cast<const char*>(buffer.data()), static_cast<std::size_t>(got));
      for (auto found = read.find(needle); found != std::string_view::npos; found = read.find(needle, found + 1)) {
        const std::uintptr_t address = at + found;
        const bool needleItself = address >= own && address < own + needle.size();
        const bool scratchItself = address >= scratch && address < scratch + buffer.size();
        if (!needleItself && !scratchItself && std::find(hits.begin(), hits.end(), address) == hits.end()) {
          hits.push_back(address);
        }
      }
    }
  }
  close(mem);
  return hits;
}

}  // namespace korvaden::test
