#pragma once
// Where a secret is still in the process's memory.
#include <cstdint>
#include <string_view>
#include <vector>

namespace korvaden::test {

// Where `needle` occurs in readable, writable mappings (freed heap included),
// other than in the needle's own buffer. Reads through /proc/self/mem, so
// that memory a sanitizer poisons is read too.
std::vector<std::uintptr_t> HitsInWritableMemory(std::string_view needle);

}  // namespace korvaden::test
