#pragma once
// Storage for secrets (keys, PINs, passwords, plain messages): every byte it
// ever held is overwritten before the memory goes back to the heap.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvaden {

void Cleanse(void* data, std::size_t size);

template <class T>
struct CleansingAllocator {
  using value_type = T;
  CleansingAllocator() = default;
  template <class U>
  CleansingAllocator(const CleansingAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) { return std::allocator<T>{}.allocate(n); }
  void deallocate(T* p, std::size_t n) noexcept {
    Cleanse(p, n * sizeof(T));
    std::allocator<T>{}.deallocate(p, n);
  }
  template <class U>
  bool operator==(const CleansingAllocator<U>&) const noexcept {
    return true;
  }
};

using SecureBytes = std::vector<std::uint8_t, CleansingAllocator<std::uint8_t>>;
using Bytes = std::vector<std::uint8_t>;

// A text whose characters are wiped when it is destroyed or moved from. The
// allocator covers heap buffers; Wipe covers the short-string buffer inside
// the object, which never reaches the allocator, and growing out of that
// buffer wipes it first. Moves take the buffer over and never allocate.
class SecureString {
 public:
  using Text = std::basic_string<char, std::char_traits<char>, CleansingAllocator<char>>;

  SecureString() = default;
  SecureString(std::string_view text) : text_(text.data(), text.size()) {}
  SecureString(const char* text) : SecureString(std::string_view(text)) {}
  SecureString(const SecureString&) = default;
  SecureString(SecureString&& other) noexcept : text_(std::move(other.text_)) { other.Wipe(); }
  SecureString& operator=(const SecureString& other) {
    if (this != &other) {
      Wipe();
      Grow(other.size());
      text_.assign(other.text_.data(), other.text_.size());
    }
    return *this;
  }
  SecureString& operator=(SecureString&& other) noexcept {
    if (this != &other) {
      Wipe();
      text_ = std::move(other.text_);
      other.Wipe();
    }
    return *this;
  }
  ~SecureString() { Wipe(); }

  void Wipe() noexcept {
    Cleanse(text_.data(), text_.capacity());
    text_.clear();
  }
  std::string_view view() const { return {text_.data(), text_.size()}; }
  operator std::string_view() const { return view(); }
  const char* c_str() const { return text_.c_str(); }
  char* data() { return text_.data(); }
  std::size_t size() const { return text_.size(); }
  bool empty() const { return text_.empty(); }
  char operator[](std::size_t i) const { return text_[i]; }
  SecureString& operator+=(std::string_view more) {
    Grow(text_.size() + more.size());
    text_.append(more.data(), more.size());
    return *this;
  }
  SecureString& operator+=(char c) {
    Grow(text_.size() + 1);
    text_.push_back(c);
    return *this;
  }
  void Reserve(std::size_t n) { Grow(n); }
  void Resize(std::size_t n) {
    Grow(n);
    text_.resize(n);
  }
  void PopBack() { text_.pop_back(); }
  bool operator==(std::string_view other) const { return view() == other; }

 private:
  // Makes room for `n` characters in a new buffer, wiping the old one (the
  // string's own would otherwise keep what it held when the text moved out).
  void Grow(std::size_t n) {
    if (n <= text_.capacity()) return;
    Text grown;
    grown.reserve(std::max(n, 2 * text_.capacity()));
    grown.assign(text_.data(), text_.size());
    Wipe();
    text_ = std::move(grown);
  }

  Text text_;
};

}  // namespace korvaden
