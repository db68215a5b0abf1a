#include "crypto/base64.h"

#include <openssl/bio.h>
#include <openssl/buffer.h>
#include <openssl/evp.h>

#include <memory>

namespace korvaden {
namespace {

struct BioChainDeleter {
  void operator()(BIO* bio) const { BIO_free_all(bio); }
};
using BioChain = std::unique_ptr<BIO, BioChainDeleter>;

}  // namespace

std::string base64Encode(std::span<const std::uint8_t> bytes) {
  BioChain sink(BIO_new(BIO_s_mem()));
  BIO* filter = BIO_new(BIO_f_base64());
  if (!sink || filter == nullptr) {
    BIO_free(filter);
    return {};
  }
  BioChain chain(BIO_push(filter, sink.release()));
  if (!bytes.empty() && BIO_write(chain.get(), bytes.data(), static_cast<int>(bytes.size())) <= 0) return {};
  if (BIO_flush(chain.get()) != 1) return {};
  BUF_MEM* written = nullptr;
  BIO_get_mem_ptr(BIO_next(chain.get()), &written);
  return written != nullptr ? std::string(written->data, written->length) : std::string();
}

SecureBytes base64Decode(std::string_view text) {
  // Decoded straight into wiped storage: a filter BIO would leave the
  // decoded key in buffers the library frees without wiping.
  SecureString compact;
  compact.Reserve(text.size());
  for (const char c : text) {
    if (c != '\n' && c != '\r' && c != ' ' && c != '\t') compact += c;
  }
  if (compact.size() % 4 != 0) return {};
  SecureBytes decoded(compact.size() / 4 * 3);
  const int length = EVP_DecodeBlock(decoded.data(), reinterpret_cast<const unsigned char*>(compact.c_str()),
                                     static_cast<int>(compact.size()));
  if (length < 0) return {};
  std::size_t padding = 0;
  for (std::size_t i = compact.size(); i > 0 && padding < 2 && compact[i - 1] == '='; --i) ++padding;
  decoded.resize(static_cast<std::size_t>(length) - padding);
  return decoded;
}

}  // namespace korvaden
