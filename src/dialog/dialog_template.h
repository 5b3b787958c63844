// Dialog templates as the resource compiler writes them (DLGTEMPLATEEX):
// little-endian words, UTF-16 texts, each control aligned to 4 bytes.
// Portable: the dialog layer fits a template's font to the screen with it,
// and korvctl reads the module's captions with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TemplateControl {
  uint32_t id;
  std::string caption;  // UTF-8; empty for none or an ordinal
};

struct DialogTemplate {
  uint32_t style;
  int16_t cx, cy;       // the dialog's size in dialog units
  size_t pointSizeAt;   // where the font's point size stands in the bytes; 0: no font (no DS_SETFONT)
  std::u16string face;  // the font's face
  std::vector<TemplateControl> controls;
};

// Nothing for bytes that are no whole extended template.
std::optional<DialogTemplate> ReadDialogTemplate(std::string_view bytes);

// A caption as a person reads it, without its mnemonic: "S&ync Mode" is
// "Sync Mode", "同步模式(&Y)" is "同步模式", "&&" is "&"; spaces at the end
// go too. For UTF-8 and for wide text alike.
template <typename Char>
std::basic_string<Char> WithoutMnemonic(const std::basic_string<Char>& caption) {
  size_t end = caption.size();
  if (end >= 4 && caption[end - 4] == '(' && caption[end - 3] == '&' && caption[end - 2] != '&' &&
      caption[end - 1] == ')')
    end -= 4;
  std::basic_string<Char> text;
  for (size_t i = 0; i < end; ++i) {
    if (caption[i] != '&') {
      text += caption[i];
    } else if (i + 1 < end && caption[i + 1] == '&') {
      text += caption[i];
      ++i;
    }
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}
