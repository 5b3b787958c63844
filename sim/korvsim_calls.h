// C++ conveniences over the simulator's controls, for tests and tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "korvsim.h"

// The text of recorded call i, such as "Orbel_Close(0) = 1"; empty if none.
inline std::string SimCallText(int i) {
  char text[256];
  KorvSim_Call(i, text, sizeof text);
  return text;
}

// The texts of the calls recorded from call `from` on.
inline std::vector<std::string> SimCalls(int from = 0) {
  std::vector<std::string> calls;
  for (int i = from; i < KorvSim_CallCount(); ++i) calls.push_back(SimCallText(i));
  return calls;
}

inline std::vector<uint32_t> SimPicture(const unsigned* pixels) {
  return pixels ? std::vector<uint32_t>(pixels, pixels + KORVSIM_WIDTH * KORVSIM_HEIGHT) : std::vector<uint32_t>();
}

// What the board shows, and its frame memory.
inline std::vector<uint32_t> SimOutput(int card) { return SimPicture(KorvSim_Output(card)); }
inline std::vector<uint32_t> SimMemory(int card) { return SimPicture(KorvSim_Memory(card)); }
