#include "platform/headless/JsonWriter.h"

#include <cstdio>

namespace pelaryn {

void JsonWriter::Separate() {
  if (needComma_) out_ += ',';
}

void JsonWriter::Open(char c) {
  Separate();
  out_ += c;
  needComma_ = false;
}

void JsonWriter::Close(char c) {
  out_ += c;
  needComma_ = true;
}

void JsonWriter::Key(std::string_view key) {
  Value(key);
  out_ += ':';
  needComma_ = false;
}

void JsonWriter::Value(int64_t v) {
  Separate();
  out_ += std::to_string(v);
  needComma_ = true;
}

void JsonWriter::Value(uint64_t v) {
  Separate();
  out_ += std::to_string(v);
  needComma_ = true;
}

void JsonWriter::Value(bool v) {
  Separate();
  out_ += v ? "true" : "false";
  needComma_ = true;
}

void JsonWriter::Value(std::string_view v) {
  Separate();
  out_ += '"';
  for (const char c : v) {
    switch (c) {
      case '"':
        out_ += "\\\"";
        break;
      case '\\':
        out_ += "\\\\";
        break;
      case '\n':
        out_ += "\\n";
        break;
      case '\r':
        out_ += "\\r";
        break;
      case '\t':
        out_ += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          out_ += escaped;
        } else {
          out_ += c;
        }
    }
  }
  out_ += '"';
  needComma_ = true;
}

}  // namespace pelaryn
