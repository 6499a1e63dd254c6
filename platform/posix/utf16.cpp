#include "platform/posix/utf16.h"

#include <cstdint>

namespace platform::posix {

namespace {

void AppendUtf8(std::string& out, uint32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

constexpr uint32_t kReplacement = 0xFFFD;

}  // namespace

std::string Utf16LeToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() / 2);
  const size_t units = bytes.size() / 2;
  auto unit = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * i])) |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[2 * i + 1])) << 8;
  };
  for (size_t i = 0; i < units; ++i) {
    const uint32_t first = unit(i);
    if (first >= 0xD800 && first < 0xDC00 && i + 1 < units) {
      const uint32_t second = unit(i + 1);
      if (second >= 0xDC00 && second < 0xE000) {
        AppendUtf8(out, 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, first >= 0xD800 && first < 0xE000 ? kReplacement : first);
  }
  return out;
}

bool IsUtf16BigEndian(std::string_view content) { return content.starts_with("\xFE\xFF"); }

std::string DecodeTextFile(std::string content) {
  if (content.starts_with("\xFF\xFE")) return Utf16LeToUtf8(std::string_view(content).substr(2));
  if (content.starts_with("\xEF\xBB\xBF")) content.erase(0, 3);
  return content;
}

}  // namespace platform::posix
