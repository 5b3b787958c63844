#include "setting_labels.h"

#include <cstdint>
#include <optional>

#include "board_config_controls.h"
#include "dialog_template.h"
#include "setting_table.h"

namespace {

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
  const std::optional<DialogTemplate> dialog = ReadDialogTemplate(dialogTemplate);
  if (!dialog) return labels;
  const std::vector<TemplateControl>& controls = dialog->controls;
  for (size_t i = 0; i < kBoardSettingCount; ++i) {
    const uint32_t first = FirstControl(kBoardSettings[i]);
    for (size_t c = 0; first && c < controls.size(); ++c) {
      if (controls[c].id != first) continue;
      for (size_t before = c; before-- > 0 && labels[i].empty();) labels[i] = WithoutMnemonic(controls[before].caption);
      break;
    }
  }
  return labels;
}
