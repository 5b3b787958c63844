#include "sim_state.h"

#include "file_store.h"
#include "json.h"
#include "setting_json.h"
#include "text_encoding.h"

namespace {

using Type = JsonValue::Type;

// The member of an object, checked for its type; null when it is missing or
// null. A member of another type is an error.
bool Member(const JsonValue& object, const char* key, Type type, const JsonValue*& member, std::string& error) {
  member = object.Find(key);
  if (!member || member->Is(Type::Null)) {
    member = nullptr;
    return true;
  }
  if (member->Is(type)) return true;
  error = JsonAt(*member) + "\"" + key + "\" is " + JsonTypeName(member->type) + ", not " + JsonTypeName(type);
  return false;
}

bool Int32Member(const JsonValue& object, const char* key, std::optional<int32_t>& value, std::string& error) {
  const JsonValue* member = nullptr;
  if (!Member(object, key, Type::Number, member, error)) return false;
  if (!member) return true;
  value = member->Int32();
  if (!value)
    error = JsonAt(*member) + "\"" + key + "\" is " + ShortenedText(member->text) + ", not a whole number of 32 bits";
  return value.has_value();
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
      error = JsonAt(entry) + "no setting is called \"" + ShortenedText(name) + "\"";
      return false;
    }
    // As korvctl's documents write it, {"code": 5, "word": "cvbs2"}; a code
    // the table does not take refuses the whole file.
    if (!ReadSettingValue(*s, entry, state.values[s - kBoardSettings], error)) return false;
  }
  return true;
}

// An index or a count: 0 to KORVSIM_MAX_BOARDS (a count) or below it (an index).
bool BoardNumber(const JsonValue& object, const char* key, int limit, std::optional<int32_t>& number,
                 std::string& error) {
  if (!Int32Member(object, key, number, error)) return false;
  if (!number || (*number >= 0 && *number <= limit)) return true;
  error = JsonAt(*object.Find(key)) + "\"" + key + "\" is " + std::to_string(*number) + "; the simulator has " +
          (limit == KORVSIM_MAX_BOARDS ? "0 to " + std::to_string(limit) + " boards"
                                       : "boards 0 to " + std::to_string(limit));
  return false;
}

}  // namespace

bool ParseSimState(std::string_view text, std::vector<SimBoardState>& boards, std::string& error) {
  const std::optional<JsonValue> document = ParseJson(text, error);
  if (!document) return false;
  if (!document->Is(Type::Object)) {
    error = JsonAt(*document) + "the state is " + std::string(JsonTypeName(document->type)) + ", not an object";
    return false;
  }
  std::vector<SimBoardState> read;
  const JsonValue* list = nullptr;
  std::optional<int32_t> count, single;
  if (!Member(*document, "boards", Type::Array, list, error) ||
      !BoardNumber(*document, "count", KORVSIM_MAX_BOARDS, count, error) ||
      !BoardNumber(*document, "board", KORVSIM_MAX_BOARDS - 1, single, error))
    return false;
  if (list) {
    // A report or boards --json: every board, in the order of their indices.
    if (list->items.size() > size_t(KORVSIM_MAX_BOARDS)) {
      error = JsonAt(*list) + std::to_string(list->items.size()) + " boards; the simulator has at most " +
              std::to_string(KORVSIM_MAX_BOARDS);
      return false;
    }
    read.resize(count.value_or(int32_t(list->items.size())));
    for (size_t i = 0; i < list->items.size(); ++i) {
      const JsonValue& board = list->items[i];
      std::optional<int32_t> index;
      if (!board.Is(Type::Object)) {
        error = JsonAt(board) + "a board is " + JsonTypeName(board.type) + ", not an object";
        return false;
      }
      if (!BoardNumber(board, "index", KORVSIM_MAX_BOARDS - 1, index, error)) return false;
      if (index.value_or(int32_t(i)) != int32_t(i) || i >= read.size()) {
        error = JsonAt(board) + "board " + std::to_string(index.value_or(int32_t(i))) + " is out of place: the " +
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
    error = JsonAt(*document) + "neither \"boards\" nor \"settings\": not a report or the output of show --json";
    return false;
  }
  boards = std::move(read);
  return true;
}

bool LoadSimState(const std::filesystem::path& path, std::vector<SimBoardState>& boards, std::string& error) {
  std::string bytes;
  switch (const FileFailure failure = ReadFileBytes(path, kMaxSimStateSize, bytes)) {
    case FileFailure::kNone: break;
    case FileFailure::kTooLarge:
      // The size the file has, not where a seek ends: a sparse file of 4 GiB
      // and a few bytes is as large as it says.
      error = "holds " + std::to_string(FileSize(path).value_or(0)) + " bytes; a state file holds at most 1 MiB";
      return false;
    default: error = std::string("cannot be read: ") + FileFailureText(failure); return false;
  }
  // What Windows tools write: UTF-8 or UTF-16 with a byte-order mark.
  TextEncoding encoding;
  const std::optional<std::string> text = TextOfBytes(bytes, encoding);
  if (!text) {
    error = std::string("is ") + TextEncodingName(encoding) + " of an odd number of bytes, so no text";
    return false;
  }
  return ParseSimState(*text, boards, error);
}
