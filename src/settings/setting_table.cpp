#include "setting_table.h"

std::string ValueText(const BoardSetting& setting, int32_t value) {
  const char* word = setting.WordOf(value);
  return word ? std::string(word) + " (" + std::to_string(value) + ")" : std::to_string(value);
}

const std::vector<const BoardSetting*>& ApplyOrder() {
  static const std::vector<const BoardSetting*> order = [] {
    std::vector<const BoardSetting*> rows;
    for (bool last : {false, true})
      for (const BoardSetting& s : kBoardSettings)
        if (s.set && s.goesLast == last) rows.push_back(&s);
    return rows;
  }();
  return order;
}

void SetFactorySettings(BoardSettings& s) {
  s = BoardSettings{};
  for (const BoardSetting& setting : kBoardSettings) s.*setting.field = setting.factory;
  s.reserved7 = 1;
}

BoardSettings FactoryRecord() {
  BoardSettings s;
  SetFactorySettings(s);
  return s;
}

std::vector<const BoardSetting*> SettingsOutOfRange(const BoardSettings& s) {
  std::vector<const BoardSetting*> rows;
  for (const BoardSetting& setting : kBoardSettings)
    if (setting.set && !setting.Valid(s.*setting.field)) rows.push_back(&setting);
  return rows;
}

std::vector<const BoardSetting*> ReadAllSettings(int board, BoardSettings& s) {
  s = BoardSettings{};
  std::vector<const BoardSetting*> failed;
  for (const BoardSetting& setting : kBoardSettings)
    if (!setting.get(&(s.*setting.field), board)) failed.push_back(&setting);
  return failed;
}

std::vector<const BoardSetting*> ApplyAllSettings(int board, BoardSettings s) {
  std::vector<const BoardSetting*> refused;
  for (const BoardSetting* setting : ApplyOrder())
    if (!setting->set(s.*setting->field, board)) refused.push_back(setting);
  return refused;
}
