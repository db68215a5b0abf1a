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
  // The filter needs the text to end with a line feed to flush its last line.
  SecureString source(text);
  if (source.empty() || source[source.size() - 1] != '\n') source += '\n';
  BioChain memory(BIO_new_mem_buf(source.c_str(), static_cast<int>(source.size())));
  BIO* filter = BIO_new(BIO_f_base64());
  if (!memory || filter == nullptr) {
    BIO_free(filter);
    return {};
  }
  BioChain chain(BIO_push(filter, memory.release()));
  SecureBytes decoded;
  decoded.reserve(source.size());
  std::uint8_t piece[512];
  int got = 0;
  while ((got = BIO_read(chain.get(), piece, sizeof(piece))) > 0) {
    decoded.insert(decoded.end(), piece, piece + got);
  }
  Cleanse(piece, sizeof(piece));
  return decoded;
}

}  // namespace korvaden
