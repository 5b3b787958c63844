#include "sim_state.h"

#include <cstdio>

#include "json.h"

namespace {

using Type = JsonValue::Type;

std::string At(const JsonValue& value) { return "line " + std::to_string(value.line) + ": "; }

// The member of an object, checked for its type; null when it is missing or
// null. A member of another type is an error.
bool Member(const JsonValue& object, const char* key, Type type, const JsonValue*& member, std::string& error) {
  member = object.Find(key);
  if (!member || member->Is(Type::Null)) {
    member = nullptr;
    return true;
  }
  if (member->Is(type)) return true;
  error = At(*member) + "\"" + key + "\" is " + JsonTypeName(member->type) + ", not " + JsonTypeName(type);
  return false;
}

bool Int32Member(const JsonValue& object, const char* key, std::optional<int32_t>& value, std::string& error) {
  const JsonValue* member = nullptr;
  if (!Member(object, key, Type::Number, member, error)) return false;
  if (!member) return true;
  value = member->Int32();
  const std::string number = member->text.size() > 24 ? member->text.substr(0, 20) + "..." : member->text;
  if (!value) error = At(*member) + "\"" + key + "\" is " + number + ", not a whole number of 32 bits";
  return value.has_value();
}

// A setting as show --json gives it: {"code": 5, "word": "cvbs2"}, either
// may be null.
bool ReadSetting(const BoardSetting& s, const JsonValue& entry, std::optional<int32_t>& value, std::string& error) {
  if (!entry.Is(Type::Object)) {
    error = At(entry) + s.name + " is " + JsonTypeName(entry.type) + ", not an object with its code and word";
    return false;
  }
  for (const auto& [key, v] : entry.members)
    if (key != "code" && key != "word") {
      error = At(v) + s.name + " has \"" + key + "\"; a setting has a code and a word";
      return false;
    }
  const JsonValue* word = nullptr;
  if (!Int32Member(entry, "code", value, error) || !Member(entry, "word", Type::String, word, error)) return false;
  if (!word) return true;
  for (int i = 0; i < s.wordCount; ++i)
    if (word->text == s.words[i].word && (!value || *value == s.words[i].code)) {
      value = s.words[i].code;
      return true;
    }
  error = At(*word) + "\"" + word->text + "\" is not the word of " + s.name +
          (value ? " for code " + std::to_string(*value) : "");
  return false;
}

bool ReadBoard(const JsonValue& board, SimBoardState& state, std::string& error) {
  const JsonValue *opens = nullptr, *sub = nullptr, *settings = nullptr;
  std::optional<int32_t> type;
  if (!Member(board, "opens", Type::Bool, opens, error) || !Member(board, "sdiSubBoard", Type::Bool, sub, error) ||
      !Member(board, "settings", Type::Object, settings, error) || !Int32Member(board, "type", type, error))
    return false;
  if (opens) state.opens = opens->boolean;
  if (sub) state.subBoard = sub->boolean;
  if (type) state.type = *type;
  if (!settings) return true;
  for (const auto& [name, entry] : settings->members) {
    const BoardSetting* s = SettingNamed(name.c_str());
    if (!s) {
      error = At(entry) + "no setting is called \"" + name + "\"";
      return false;
    }
    if (!ReadSetting(*s, entry, state.values[s - kBoardSettings], error)) return false;
  }
  return true;
}

// An index or a count: 0 to kMaxSimBoards (a count) or below it (an index).
bool BoardNumber(const JsonValue& object, const char* key, int limit, std::optional<int32_t>& number,
                 std::string& error) {
  if (!Int32Member(object, key, number, error)) return false;
  if (!number || (*number >= 0 && *number <= limit)) return true;
  error = At(*object.Find(key)) + "\"" + key + "\" is " + std::to_string(*number) + "; the simulator has " +
          (limit == kMaxSimBoards ? "0 to " + std::to_string(limit) + " boards" : "boards 0 to " + std::to_string(limit));
  return false;
}

}  // namespace

bool ParseSimState(std::string_view text, std::vector<SimBoardState>& boards, std::string& error) {
  const std::optional<JsonValue> document = ParseJson(text, error);
  if (!document) return false;
  if (!document->Is(Type::Object)) {
    error = At(*document) + "the state is " + std::string(JsonTypeName(document->type)) + ", not an object";
    return false;
  }
  std::vector<SimBoardState> read;
  const JsonValue* list = nullptr;
  std::optional<int32_t> count, single;
  if (!Member(*document, "boards", Type::Array, list, error) ||
      !BoardNumber(*document, "count", kMaxSimBoards, count, error) ||
      !BoardNumber(*document, "board", kMaxSimBoards - 1, single, error))
    return false;
  if (list) {
    // A report or boards --json: every board, in the order of their indices.
    if (list->items.size() > size_t(kMaxSimBoards)) {
      error = At(*list) + std::to_string(list->items.size()) + " boards; the simulator has at most " +
              std::to_string(kMaxSimBoards);
      return false;
    }
    read.resize(count.value_or(int32_t(list->items.size())));
    for (size_t i = 0; i < list->items.size(); ++i) {
      const JsonValue& board = list->items[i];
      std::optional<int32_t> index;
      if (!board.Is(Type::Object)) {
        error = At(board) + "a board is " + JsonTypeName(board.type) + ", not an object";
        return false;
      }
      if (!BoardNumber(board, "index", kMaxSimBoards - 1, index, error)) return false;
      if (index.value_or(int32_t(i)) != int32_t(i) || i >= read.size()) {
        error = At(board) + "board " + std::to_string(index.value_or(int32_t(i))) + " is out of place: the " +
                std::to_string(read.size()) + " boards come in the order of their indices";
        return false;
      }
      if (!ReadBoard(board, read[i], error)) return false;
    }
  } else if (document->Find("settings")) {
    // show --json: one board, the others at their power-on values.
    read.resize(single.value_or(0) + 1);
    if (!ReadBoard(*document, read.back(), error)) return false;
  } else {
    error = At(*document) + "neither \"boards\" nor \"settings\": not a report or the output of show --json";
    return false;
  }
  boards = std::move(read);
  return true;
}

bool LoadSimState(const std::string& path, std::vector<SimBoardState>& boards, std::string& error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "cannot be opened";
    return false;
  }
  std::string text;
  long size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  if (size >= 0 && size_t(size) <= kMaxSimStateSize && std::fseek(file, 0, SEEK_SET) == 0) {
    text.resize(size_t(size));
    text.resize(std::fread(&text[0], 1, text.size(), file));
  }
  std::fclose(file);
  if (size < 0 || size_t(size) > kMaxSimStateSize) {
    error = size < 0 ? "cannot be read" : "holds " + std::to_string(size) + " bytes; a state file holds at most 1 MiB";
    return false;
  }
  if (text.size() != size_t(size)) {
    error = "cannot be read";
    return false;
  }
  return ParseSimState(text, boards, error);
}
