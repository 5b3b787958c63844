// A recording stand-in for the device library, for native tests that check
// which calls the module makes, in which order, with which arguments. Link a
// test with fake_korvio.cpp instead of the simulator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FakeCall {
  std::string name;              // "Orbel_SetContrast"
  std::vector<long long> args;   // integer arguments in order; pointers as 1 (given) or 0 (null)
  std::vector<uint32_t> pixels;  // Orbel_SetRectangle: a copy of the width x height pixels
};

namespace fake_korvio {

// Forgets the calls and every setting below.
void Reset();
const std::vector<FakeCall>& Calls();
std::vector<std::string> CallNames();

// Result of a function by name (default 1, board count default 1).
void SetResult(const std::string& name, int result);
// What a getter stores, by function name ("Orbel_GetContrast"); a getter
// with no value set stores nothing.
void SetStoredValue(const std::string& name, int value);
// What Orbel_GetMemAddress stores; null (the default) stores nothing.
void SetMemAddress(void* address);

}  // namespace fake_korvio
