#include "text_encoding.h"

#include "json.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF", kUtf16LeBom = "\xFF\xFE", kUtf16BeBom = "\xFE\xFF";

void AppendUnit(std::string& out, unsigned unit, bool bigEndian) {
  const char high = char(unit >> 8), low = char(unit & 0xFF);
  out += bigEndian ? high : low;
  out += bigEndian ? low : high;
}

}  // namespace

const char* TextEncodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kPlain: break;
    case TextEncoding::kUtf8Bom: return "UTF-8 with a byte-order mark";
    case TextEncoding::kUtf16Le: return "UTF-16 (little-endian) with a byte-order mark";
    case TextEncoding::kUtf16Be: return "UTF-16 (big-endian) with a byte-order mark";
  }
  return "plain text";
}

std::optional<std::string> TextOfBytes(std::string_view bytes, TextEncoding& encoding) {
  encoding = TextEncoding::kPlain;
  if (bytes.substr(0, 3) == kUtf8Bom) {
    encoding = TextEncoding::kUtf8Bom;
    return std::string(bytes.substr(3));
  }
  if (bytes.substr(0, 2) != kUtf16LeBom && bytes.substr(0, 2) != kUtf16BeBom) return std::string(bytes);
  const bool big = bytes[0] == '\xFE';
  encoding = big ? TextEncoding::kUtf16Be : TextEncoding::kUtf16Le;
  if (bytes.size() % 2) return std::nullopt;
  const auto unit = [&](size_t i) {
    const unsigned a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
    return big ? a << 8 | b : b << 8 | a;
  };
  std::string text;
  for (size_t i = 2; i < bytes.size(); i += 2) {
    unsigned code = unit(i);
    if (code >= 0xD800 && code < 0xDC00 && i + 2 < bytes.size()) {
      const unsigned low = unit(i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    AppendUtf8(text, code);
  }
  return text;
}

std::string BytesOfText(std::string_view text, TextEncoding encoding) {
  if (encoding == TextEncoding::kPlain) return std::string(text);
  if (encoding == TextEncoding::kUtf8Bom) return std::string(kUtf8Bom) + std::string(text);
  const bool big = encoding == TextEncoding::kUtf16Be;
  std::string bytes(big ? kUtf16BeBom : kUtf16LeBom);
  for (size_t i = 0; i < text.size();) {
    // UTF-8 (with the surrogates TextOfBytes keeps) as AppendUtf8 writes it;
    // a byte that starts no sequence stands for itself.
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    unsigned code = n == 1 ? c : c & (0x3F >> (n - 1));
    size_t k = 1;
    for (; k < n && i + k < text.size() && (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80; ++k)
      code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    if (k < n) code = c, k = 1;
    i += k;
    if (code >= 0x10000) {
      AppendUnit(bytes, 0xD800 + ((code - 0x10000) >> 10), big);
      AppendUnit(bytes, 0xDC00 + ((code - 0x10000) & 0x3FF), big);
    } else {
      AppendUnit(bytes, code, big);
    }
  }
  return bytes;
}

bool LooksLikeUtf16(std::string_view bytes) {
  const std::string_view start = bytes.substr(0, 64);
  if (start.size() < 4) return false;
  size_t even = 0, odd = 0;
  for (size_t i = 0; i < start.size(); ++i) (i % 2 ? odd : even) += start[i] == '\0';
  const size_t half = start.size() / 2;
  return (odd * 4 >= half * 3 && even == 0) || (even * 4 >= half * 3 && odd == 0);
}
