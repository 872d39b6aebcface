#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelaryn {

// Little-endian integers, LEB128 varints and length-prefixed strings appended to a byte buffer.
// The buffer is the caller's, so a recorder can reserve it once and append without allocating.
class ByteWriter {
 public:
  explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}

  void U8(uint8_t v) { out_.push_back(v); }
  void Fixed(uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Varint(uint64_t v) {
    while (v >= 0x80) {
      out_.push_back(static_cast<uint8_t>(v | 0x80));
      v >>= 7;
    }
    out_.push_back(static_cast<uint8_t>(v));
  }
  // Small negative numbers stay short.
  void Signed(int64_t v) {
    Varint((static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63));
  }
  void Text(std::string_view text) {
    Varint(text.size());
    out_.insert(out_.end(), text.begin(), text.end());
  }

 private:
  std::vector<uint8_t>& out_;
};

// Reads what ByteWriter wrote. Every read is checked against the end: past it, or on a varint
// that does not fit, the reader fails for good and every later read gives zero.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  bool Ok() const { return ok_; }
  bool AtEnd() const { return pos_ == bytes_.size(); }
  std::size_t Position() const { return pos_; }
  std::size_t Left() const { return bytes_.size() - pos_; }
  void Fail() { ok_ = false; }

  uint8_t U8() { return static_cast<uint8_t>(Fixed(1)); }
  uint64_t Fixed(int bytes) {
    if (!ok_ || Left() < static_cast<std::size_t>(bytes)) return Fail(), 0;
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint64_t{static_cast<uint8_t>(bytes_[pos_++])} << (8 * i);
    return v;
  }
  uint64_t Varint() {
    uint64_t v = 0;
    for (int shift = 0; shift < 64; shift += 7) {
      if (!ok_ || AtEnd()) return Fail(), 0;
      const auto byte = static_cast<uint8_t>(bytes_[pos_++]);
      if (shift == 63 && byte > 1) break;
      v |= uint64_t{byte & 0x7Fu} << shift;
      if ((byte & 0x80) == 0) return v;
    }
    return Fail(), 0;
  }
  int64_t Signed() {
    const uint64_t v = Varint();
    return static_cast<int64_t>((v >> 1) ^ (~(v & 1) + 1));
  }
  // At most `limit` bytes; a longer text fails the reader rather than allocating for it.
  std::string Text(std::size_t limit) {
    const uint64_t size = Varint();
    if (!ok_ || size > limit || size > Left()) return Fail(), std::string();
    // Within what is left, so it fits a size_t on a 32-bit machine too.
    const auto length = static_cast<std::size_t>(size);
    std::string text(bytes_.substr(pos_, length));
    pos_ += length;
    return text;
  }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace pelaryn
