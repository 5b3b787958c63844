#include "fake_korvio.h"

#include <map>

#include "korvio.h"

namespace {

struct State {
  std::vector<FakeCall> calls;
  std::map<std::string, int> results;
  std::map<std::string, int> stored;
  void* memAddress = nullptr;
};

State& S() {
  static State s;
  return s;
}

int Result(const std::string& name) {
  auto it = S().results.find(name);
  return it == S().results.end() ? 1 : it->second;
}

int Record(const std::string& name, std::vector<long long> args) {
  S().calls.push_back({name, std::move(args), {}});
  return Result(name);
}

int Getter(const std::string& name, int* value, int card) {
  auto it = S().stored.find(name);
  if (value && it != S().stored.end()) *value = it->second;
  return Record(name, {value != nullptr, card});
}

}  // namespace

namespace fake_korvio {

void Reset() { S() = State(); }
const std::vector<FakeCall>& Calls() { return S().calls; }
std::vector<std::string> CallNames() {
  std::vector<std::string> names;
  for (const FakeCall& c : S().calls) names.push_back(c.name);
  return names;
}
void SetResult(const std::string& name, int result) { S().results[name] = result; }
void SetStoredValue(const std::string& name, int value) { S().stored[name] = value; }
void SetMemAddress(void* address) { S().memAddress = address; }

}  // namespace fake_korvio

extern "C" {

int Orbel_GetCardNum(void) { return Record("Orbel_GetCardNum", {}); }
int Orbel_Initial(int card, int mode, int reserved) { return Record("Orbel_Initial", {card, mode, reserved}); }
int Orbel_Close(int card) { return Record("Orbel_Close", {card}); }
int Orbel_GetCardTypeNo(int* typeNo, int card) { return Getter("Orbel_GetCardTypeNo", typeNo, card); }

#define FAKE_SETTING(name)                                                                     \
  int Orbel_Get##name(int* value, int card) { return Getter("Orbel_Get" #name, value, card); } \
  int Orbel_Set##name(int value, int card) { return Record("Orbel_Set" #name, {value, card}); }
KORVIO_SETTINGS(FAKE_SETTING)
#undef FAKE_SETTING

int Orbel_GetSubBoardIfExist(int* value, int card) { return Getter("Orbel_GetSubBoardIfExist", value, card); }

int Orbel_ClearCurrentScreen(int card) { return Record("Orbel_ClearCurrentScreen", {card}); }

int Orbel_SetRectangle(int x, int y, int width, int height, const void* pixels, int card) {
  int result = Record("Orbel_SetRectangle", {x, y, width, height, pixels != nullptr, card});
  if (pixels && width > 0 && height > 0) {
    const uint32_t* p = static_cast<const uint32_t*>(pixels);
    S().calls.back().pixels.assign(p, p + static_cast<size_t>(width) * height);
  }
  return result;
}

int Orbel_GetMemAddress(void** address, int card) {
  if (address && S().memAddress) *address = S().memAddress;
  return Record("Orbel_GetMemAddress", {address != nullptr, card});
}

}  // extern "C"
