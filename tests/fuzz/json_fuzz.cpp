// libFuzzer target: the JSON reader (src/json) over any bytes. Beside
// running clean under AddressSanitizer and UndefinedBehaviorSanitizer, in
// time and memory bounded by the text's size and the depth limit:
// - every string and key it gives is UTF-8 that JsonString quotes and the
//   reader reads back unchanged;
// - a text it accepts, written again, is accepted again with the same shape.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "json.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void CheckString(const std::string& text) {
  std::string error;
  const std::optional<JsonValue> back = ParseJson(JsonString(text), error);
  Check(back && back->Is(JsonValue::Type::String) && back->text == text);
}

// The value written again, strings through JsonString.
std::string Written(const JsonValue& v) {
  switch (v.type) {
    case JsonValue::Type::Null: return "null";
    case JsonValue::Type::Bool: return v.boolean ? "true" : "false";
    case JsonValue::Type::Number: return v.text;
    case JsonValue::Type::String: CheckString(v.text); return JsonString(v.text);
    case JsonValue::Type::Array: {
      std::string out = "[";
      for (const JsonValue& item : v.items) out += (out.size() > 1 ? "," : "") + Written(item);
      return out + "]";
    }
    case JsonValue::Type::Object: {
      std::string out = "{";
      for (const auto& [key, member] : v.members) {
        CheckString(key);
        out += (out.size() > 1 ? "," : "") + JsonString(key) + ":" + Written(member);
      }
      return out + "}";
    }
  }
  return "";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  const std::optional<JsonValue> value = ParseJson(std::string_view(reinterpret_cast<const char*>(data), size), error);
  Check(value.has_value() == error.empty());
  if (!value) return 0;
  const std::string written = Written(*value);
  const std::optional<JsonValue> again = ParseJson(written, error);
  Check(again && Written(*again) == written);
  return 0;
}
