#include "dialog_template.h"

#include "json.h"

namespace {

constexpr uint32_t kSetFont = 0x40;  // DS_SETFONT: the header names a font

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}

  std::optional<DialogTemplate> Template() {
    DialogTemplate dialog{};
    const auto version = Word(), signature = Word();
    if (version != 1 || signature != 0xFFFF) return std::nullopt;
    Skip(8);  // help id, extended style
    const std::optional<uint32_t> style = Dword();
    const std::optional<uint16_t> count = Word();
    Skip(4);  // x, y
    const std::optional<uint16_t> cx = Word(), cy = Word();
    if (!style || !count || !cx || !cy || !Text() || !Text() || !Text()) return std::nullopt;  // menu, class, title
    dialog.style = *style;
    dialog.cx = int16_t(*cx);
    dialog.cy = int16_t(*cy);
    if (*style & kSetFont) {
      dialog.pointSizeAt = at_;
      Skip(6);  // size, weight, italic, charset
      if (!Text(nullptr, &dialog.face)) return std::nullopt;
    }
    for (uint16_t i = 0; i < *count; ++i) {
      at_ = (at_ + 3) & ~size_t(3);
      Skip(20);  // help id, extended style, style, x, y, cx, cy
      const std::optional<uint32_t> id = Dword();
      std::string caption;
      if (!id || !Text() || !Text(&caption)) return std::nullopt;  // class, caption
      const std::optional<uint16_t> extra = Word();
      if (!extra) return std::nullopt;
      Skip(*extra);
      dialog.controls.push_back({*id, caption});
    }
    if (at_ > bytes_.size()) return std::nullopt;
    return dialog;
  }

 private:
  void Skip(size_t n) { at_ += n; }
  std::optional<uint16_t> Word() {
    if (at_ + 2 > bytes_.size()) return std::nullopt;
    const uint16_t w = uint16_t(uint8_t(bytes_[at_]) | uint8_t(bytes_[at_ + 1]) << 8);
    at_ += 2;
    return w;
  }
  std::optional<uint32_t> Dword() {
    const auto low = Word(), high = Word();
    if (!low || !high) return std::nullopt;
    return uint32_t(*low) | uint32_t(*high) << 16;
  }
  // A name or ordinal: 0 (none), 0xFFFF and an ordinal, or UTF-16 up to a
  // NUL, which becomes UTF-8 in text and stays UTF-16 in wide.
  bool Text(std::string* text = nullptr, std::u16string* wide = nullptr) {
    std::optional<uint16_t> c = Word();
    if (c == 0xFFFF) return Word().has_value();
    for (; c && *c; c = Word()) {
      if (wide) *wide += char16_t(*c);
      uint32_t code = *c;
      if (code >= 0xD800 && code < 0xDC00) {
        const std::optional<uint16_t> low = Word();
        if (!low || *low < 0xDC00 || *low >= 0xE000) return false;
        if (wide) *wide += char16_t(*low);
        code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
      }
      if (text) AppendUtf8(*text, code);
    }
    return c.has_value();
  }
  std::string_view bytes_;
  size_t at_ = 0;
};

}  // namespace

std::optional<DialogTemplate> ReadDialogTemplate(std::string_view bytes) { return Reader(bytes).Template(); }
