#include "boot_record.h"

#include <optional>

#include "json.h"

namespace {

// The run's document when it printed one: an object with a list of boards.
std::optional<JsonValue> Document(const RestoreRun& run) {
  std::string error;
  std::optional<JsonValue> document = ParseJson(run.output, error);
  if (!document || !document->Is(JsonValue::Type::Object) || document->members.empty()) return std::nullopt;
  const JsonValue* boards = document->Find("boards");
  if (!boards || !boards->Is(JsonValue::Type::Array)) return std::nullopt;
  return document;
}

std::string Trimmed(const std::string& text) {
  const size_t begin = text.find_first_not_of(" \r\n\t");
  if (begin == std::string::npos) return "";
  return text.substr(begin, text.find_last_not_of(" \r\n\t") + 1 - begin);
}

// Why the run brought nothing back, or nothing when it did.
std::optional<std::string> Problem(const RestoreRun& run, bool hasDocument) {
  if (!run.problem.empty()) return run.problem;
  if (hasDocument) return std::nullopt;
  const std::string messages = Trimmed(run.messages);
  if (!messages.empty()) return messages;
  return "korvctl ended with status " + std::to_string(run.status) + " and reported no board";
}

}  // namespace

std::string BootRecordJson(const RestoreRun& run) {
  const bool hasDocument = Document(run).has_value();
  const std::optional<std::string> problem = Problem(run, hasDocument);
  const std::string messages = Trimmed(run.messages);
  std::string json = "{\"time\": " + JsonString(run.time) + ", \"status\": " + std::to_string(run.status) +
                     ", \"problem\": " + (problem ? JsonString(*problem) : "null") +
                     ", \"messages\": " + (messages.empty() ? "null" : JsonString(messages)) + ",\n ";
  if (!hasDocument) return json + "\"changed\": false, \"boards\": []}\n";
  const std::string document = Trimmed(run.output);
  return json + document.substr(1) + "\n";  // the document's members after ours
}

std::vector<BootEvent> BootEvents(const RestoreRun& run) {
  const std::optional<JsonValue> document = Document(run);
  std::vector<BootEvent> events;
  if (const std::optional<std::string> problem = Problem(run, document.has_value()); problem && !document)
    return {{true, "The board defaults were not restored: " + *problem}};
  for (const JsonValue& board : document->Find("boards")->items) {
    const JsonValue* index = board.Find("index");
    const JsonValue* opens = board.Find("opens");
    const JsonValue* settings = board.Find("settings");
    const std::string name = "board " + (index ? index->text : std::string("?"));
    if (!opens || !opens->boolean || !settings || !settings->Is(JsonValue::Type::Object)) {
      events.push_back({true, name + ": cannot be opened; its defaults were not restored"});
      continue;
    }
    constexpr const char* kResults[] = {"changed", "unchanged", "refused", "drifted"};
    int counts[std::size(kResults)] = {};
    for (const auto& [setting, outcome] : settings->members) {
      const JsonValue* result = outcome.Find("result");
      for (size_t i = 0; result && i < std::size(kResults); ++i) counts[i] += result->text == kResults[i];
    }
    std::string text = name + ":";
    for (size_t i = 0; i < std::size(kResults); ++i)
      text += std::string(i ? ", " : " ") + std::to_string(counts[i]) + " " + kResults[i];
    events.push_back({counts[2] + counts[3] > 0, text});
  }
  if (run.problem.size()) events.push_back({true, run.problem});
  return events;
}
