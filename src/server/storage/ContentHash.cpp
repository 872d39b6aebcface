#include "server/storage/ContentHash.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace pelaryn {

std::string ContentHash(std::string_view bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr) != 1) {
    throw std::runtime_error("SHA-256 is not available");
  }
  static constexpr char Digits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * size);
  for (unsigned int i = 0; i < size; ++i) {
    hex += Digits[digest[i] >> 4];
    hex += Digits[digest[i] & 15];
  }
  return hex;
}

}  // namespace pelaryn
