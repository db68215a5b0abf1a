// The host's whole heap is wiped when freed: the JSON library's buffers, the
// request's strings and every other copy of a PIN or password that passes
// through the process go back to the heap overwritten, not only the storage
// the core keeps for secrets.
#include <cstdlib>
#include <new>

#include "base/secure_memory.h"

#ifdef _WIN32
#include <malloc.h>
#define KORVADEN_BLOCK_SIZE _msize
#else
#include <malloc.h>
#define KORVADEN_BLOCK_SIZE malloc_usable_size
#endif

namespace {

void* Allocate(std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

void Free(void* block) noexcept {
  if (block == nullptr) return;
  korvaden::Cleanse(block, KORVADEN_BLOCK_SIZE(block));
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size == 0 ? 1 : size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size == 0 ? 1 : size); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Free(block); }
