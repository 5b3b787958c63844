// The settings' labels as the configuration dialog shows them, read from its
// templates as korvcfg.dll holds them (RT_DIALOG resources, DLGTEMPLATEEX):
// the dialog's own captions, in each of its languages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Each row's label in one template, in the order of the settings table: the
// caption of the nearest control before the row's first control that has
// one (a radio group's box, the name beside a slider), without its
// mnemonic, in UTF-8. Empty for a row the dialog has no control for; all
// empty for bytes that are no dialog template.
std::vector<std::string> SettingLabels(std::string_view dialogTemplate);
