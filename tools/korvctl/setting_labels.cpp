#include "setting_labels.h"

#include <cstdint>
#include <optional>

#include "board_config_controls.h"
#include "json.h"
#include "setting_table.h"

namespace {

struct Control {
  uint32_t id;
  std::string caption;
};

// Reads a DLGTEMPLATEEX: little-endian words, items aligned to 4 bytes.
class TemplateReader {
 public:
  explicit TemplateReader(std::string_view bytes) : bytes_(bytes) {}

  std::optional<std::vector<Control>> Controls() {
    const auto version = Word(), signature = Word();
    if (version != 1 || signature != 0xFFFF) return std::nullopt;
    Skip(8);  // help id, extended style
    const std::optional<uint32_t> style = Dword();
    const std::optional<uint16_t> count = Word();
    Skip(8);  // x, y, cx, cy
    if (!style || !count || !Text() || !Text() || !Text()) return std::nullopt;  // menu, class, title
    if (*style & 0x40) {  // DS_SETFONT: size, weight, italic, charset, face
      Skip(6);
      if (!Text()) return std::nullopt;
    }
    std::vector<Control> controls;
    for (uint16_t i = 0; i < *count; ++i) {
      at_ = (at_ + 3) & ~size_t(3);
      Skip(20);  // help id, extended style, style, x, y, cx, cy
      const std::optional<uint32_t> id = Dword();
      std::string caption;
      if (!id || !Text() || !Text(&caption)) return std::nullopt;  // class, caption
      const std::optional<uint16_t> extra = Word();
      if (!extra) return std::nullopt;
      Skip(*extra);
      controls.push_back({*id, caption});
    }
    if (at_ > bytes_.size()) return std::nullopt;
    return controls;
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
  // NUL, which becomes UTF-8 in text.
  bool Text(std::string* text = nullptr) {
    std::optional<uint16_t> c = Word();
    if (c == 0xFFFF) return Word().has_value();
    for (; c && *c; c = Word()) {
      uint32_t code = *c;
      if (code >= 0xD800 && code < 0xDC00) {
        const std::optional<uint16_t> low = Word();
        if (!low || *low < 0xDC00 || *low >= 0xE000) return false;
        code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
      }
      if (text) AppendUtf8(*text, code);
    }
    return c.has_value();
  }
  std::string_view bytes_;
  size_t at_ = 0;
};

// A caption as read: "S&ync Mode" is "Sync Mode", "同步模式(&Y)" is "同步模式".
std::string WithoutMnemonic(std::string caption) {
  const size_t open = caption.rfind("(&");
  if (open != std::string::npos && open + 4 == caption.size() && caption.back() == ')') caption.erase(open);
  std::string text;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      text += caption[i];
    } else if (i + 1 < caption.size() && caption[i + 1] == '&') {  // "&&" is "&"
      text += '&';
      ++i;
    }
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The first control of each row: its radio group's first button or its slider.
uint32_t FirstControl(const BoardSetting& s) {
  for (const RadioGroup& group : kRadioGroups)
    if (group.setting == &s) return uint32_t(group.buttons[0].id);
  for (const SliderRow& slider : kSliders)
    if (slider.setting == &s) return uint32_t(slider.sliderId);
  return 0;
}

}  // namespace

std::vector<std::string> SettingLabels(std::string_view dialogTemplate) {
  std::vector<std::string> labels(kBoardSettingCount);
  const std::optional<std::vector<Control>> controls = TemplateReader(dialogTemplate).Controls();
  if (!controls) return labels;
  for (size_t i = 0; i < kBoardSettingCount; ++i) {
    const uint32_t first = FirstControl(kBoardSettings[i]);
    for (size_t c = 0; first && c < controls->size(); ++c) {
      if ((*controls)[c].id != first) continue;
      for (size_t before = c; before-- > 0 && labels[i].empty();)
        labels[i] = WithoutMnemonic((*controls)[before].caption);
      break;
    }
  }
  return labels;
}
