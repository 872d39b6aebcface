#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelaryn {

// A compact JSON writer for the state dumps: keys in the order written, integers only, so the
// same state always gives the same bytes.
class JsonWriter {
 public:
  explicit JsonWriter(std::string& out) : out_(out) {}

  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  void Key(std::string_view key);
  void Value(int64_t v);
  void Value(uint64_t v);
  void Value(bool v);
  void Value(std::string_view v);
  void Value(const char* v) { Value(std::string_view(v)); }
  void Value(int v) { Value(static_cast<int64_t>(v)); }
  void Value(int16_t v) { Value(static_cast<int64_t>(v)); }
  void Value(uint8_t v) { Value(static_cast<int64_t>(v)); }
  void Value(uint32_t v) { Value(static_cast<int64_t>(v)); }

  template <typename T>
  void Field(std::string_view key, const T& v) {
    Key(key);
    Value(v);
  }

 private:
  void Open(char c);
  void Close(char c);
  void Separate();

  std::string& out_;
  bool needComma_ = false;
};

}  // namespace pelaryn
