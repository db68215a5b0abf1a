#pragma once
// Where a secret is still in the process's memory.
#include <cstdint>
#include <string_view>
#include <vector>

namespace korvaden::test {

// Where `needle` occurs in readable, writable mappings (freed heap included),
// other than in the needle's own buffer. Reads through /proc/self/mem, so
// that memory a sanitizer poisons is read too.
// `process` 0 is this one; another is read through its /proc files (a child
// of this process, or one the user may trace).
std::vector<std::uintptr_t> HitsInWritableMemory(std::string_view needle, int process = 0);

}  // namespace korvaden::test
