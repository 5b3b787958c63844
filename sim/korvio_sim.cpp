// The simulated board library: every device function of korvio.dll over
// boards held in memory, so the module can be used, seen and tested without
// hardware. Options are in korvsim.h.
#include "korvsim.h"

#include "board_json.h"
#include "file_store.h"
#include "korvio.h"
#include "setting_table.h"
#include "sim_picture.h"
#include "setting_json.h"
#include "sim_state.h"

#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#define KORVIO_API extern "C" __declspec(dllexport)
#else
#define KORVIO_API extern "C"
#endif

namespace {

// The boards keep their settings in the order of the settings table's rows.
constexpr int kSettingCount = int(kBoardSettingCount);

int IndexOf(const char* device) {
  const BoardSetting* s = SettingOfDevice(device);
  return s ? int(s - kBoardSettings) : -1;
}

// What a board holds when it is switched on. Deliberately not the module's
// factory values, so that applying those is seen to change something: PAL,
// the adjustments at 128 but the subcarrier and line phase at 0, the outputs
// and capture from the input, pause on the frame; every other code 0.
int PowerOnValue(const BoardSetting& s) {
  if (s.field == &BoardSettings::subcarrierPhase || s.field == &BoardSettings::linePhase) return 0;
  if (s.wordCount == 0) return 128;
  if (s.field == &BoardSettings::videoMode || s.field == &BoardSettings::outVideoSrc ||
      s.field == &BoardSettings::outAudioSrc || s.field == &BoardSettings::capVideoSrc ||
      s.field == &BoardSettings::playBufferRepeatMode)
    return 1;
  return 0;
}

struct Board {
  bool open = false;
  bool failOpen = false;
  bool subBoard = false;
  bool memoryHandedOut = false;
  bool memoryWrittenLast = false;
  int type = kSimBoardType;
  int values[kSettingCount] = {};
  std::vector<unsigned> output = std::vector<unsigned>(KORVSIM_WIDTH * KORVSIM_HEIGHT);
  std::vector<unsigned> memory = std::vector<unsigned>(KORVSIM_WIDTH * KORVSIM_HEIGHT);
};

struct Call {
  double ms;
  std::string text;
};

struct Simulator {
  std::recursive_mutex lock;
  bool configured = false;
  std::vector<Board> boards;
  bool countReported = false;  // KORVSIM_REPORTED_COUNT given
  int reportedCount = 0;
  std::set<std::string> failingSetters;
  std::set<std::string> failingGetters;
  bool noMemAddress = false;
  std::string tracePath;
  std::string pictureDir;
  std::filesystem::path keepPath;      // where the boards go whenever one is closed
  std::map<std::string, int> results;  // KorvSim_SetResult, by function name
  std::string faultFunction;           // KORVSIM_FAULT: the function that fails
  int faultKind = 0;                   // 1 an access violation, 2 an MSVC C++ exception
  std::atomic<bool> discardPictures{false};
  std::vector<Call> calls;
};

Simulator& Sim() {
  static Simulator sim;
  return sim;
}

double NowMs() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// The environment as the process sees it now; on Windows the C runtime's copy
// would miss variables that a test sets after start-up.
std::string Option(const char* name) {
#ifdef _WIN32
  char buf[1024];
  DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
  return (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string();
#else
  const char* v = std::getenv(name);
  return v ? v : "";
#endif
}

std::vector<std::string> SplitList(const std::string& s) {
  std::vector<std::string> items;
  std::stringstream in(s);
  std::string item;
  while (std::getline(in, item, ','))
    if (!item.empty()) items.push_back(item);
  return items;
}

// A board list option: "all", "none", or indices separated by commas.
bool InBoardList(const std::string& list, int card) {
  if (list == "all") return true;
  for (const std::string& item : SplitList(list))
    if (item.find_first_not_of("0123456789") == std::string::npos && std::atoi(item.c_str()) == card) return true;
  return false;
}

// Paths from a Linux shell work under Wine too: "/tmp/x" means Z:\tmp\x.
std::string HostPath(std::string path) {
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
  return path;
}

// A path option, whatever the ANSI code page can write (a state file in a
// Chinese folder on an English system): the wide text on Win32.
std::filesystem::path OptionPath(const char* name) {
#ifdef _WIN32
  const std::wstring wideName(name, name + std::strlen(name));
  std::wstring value(32768, L'\0');
  const DWORD n = GetEnvironmentVariableW(wideName.c_str(), value.data(), DWORD(value.size()));
  value.resize(n < value.size() ? n : 0);
  if (!value.empty() && value[0] == L'/') value = L"Z:" + value;
  return value;
#else
  return Option(name);
#endif
}

void PowerOn(Board& b) {
  for (int s = 0; s < kSettingCount; ++s) b.values[s] = PowerOnValue(kBoardSettings[s]);
  b.values[IndexOf("SubBoardIfExist")] = b.subBoard ? 1 : 0;
}

// The boards as the options describe them, at their power-on values.
void ConfigureBoards(Simulator& sim) {
  int count = Option("KORVSIM_BOARDS").empty() ? 1 : std::atoi(Option("KORVSIM_BOARDS").c_str());
  if (count < 0) count = 0;
  if (count > KORVSIM_MAX_BOARDS) count = KORVSIM_MAX_BOARDS;
  std::string subBoards = Option("KORVSIM_SUBBOARD");
  std::string failOpen = Option("KORVSIM_FAIL_OPEN");
  sim.boards.assign(count, Board());
  for (int card = 0; card < count; ++card) {
    Board& b = sim.boards[card];
    b.subBoard = InBoardList(subBoards, card);
    b.failOpen = InBoardList(failOpen, card);
    PowerOn(b);
  }
}

// The boards as a state file describes them; what it leaves out is at its
// power-on value. The sub-board is the file's word for it, or else what its
// sdi-sub-board setting says.
void ConfigureBoards(Simulator& sim, const std::vector<SimBoardState>& state) {
  const int subSetting = IndexOf("SubBoardIfExist");
  sim.boards.assign(state.size(), Board());
  for (size_t card = 0; card < state.size(); ++card) {
    const SimBoardState& given = state[card];
    Board& b = sim.boards[card];
    b.failOpen = !given.opens;
    b.type = given.type;
    b.subBoard = given.subBoard.value_or(given.values[subSetting].value_or(0) != 0);
    PowerOn(b);
    for (int s = 0; s < kSettingCount; ++s) b.values[s] = given.values[s].value_or(b.values[s]);
  }
}

void Configure(Simulator& sim) {
  std::filesystem::path keepPath;
  const std::filesystem::path statePath = OptionPath("KORVSIM_STATE");
  std::vector<SimBoardState> state;
  std::string problem;
  if (statePath.empty()) {
    ConfigureBoards(sim);
  } else if (LoadSimState(statePath, state, problem)) {
    ConfigureBoards(sim, state);
    if (!Option("KORVSIM_KEEP").empty()) keepPath = statePath;
  } else {
    std::fprintf(stderr, "korvsim: the state file %s (KORVSIM_STATE) %s%s; the boards are at their power-on values\n",
                 statePath.u8string().c_str(), problem.rfind("line ", 0) == 0 ? "is wrong at " : "", problem.c_str());
    ConfigureBoards(sim);
  }
  const std::string reported = Option("KORVSIM_REPORTED_COUNT");
  sim.countReported = !reported.empty();
  sim.reportedCount = static_cast<int>(static_cast<uint32_t>(std::strtoll(reported.c_str(), nullptr, 0)));
  sim.failingSetters.clear();
  for (const std::string& name : SplitList(Option("KORVSIM_FAIL_SETTER"))) sim.failingSetters.insert(name);
  sim.failingGetters.clear();
  for (const std::string& name : SplitList(Option("KORVSIM_FAIL_GETTER"))) sim.failingGetters.insert(name);
  sim.noMemAddress = !Option("KORVSIM_NO_MEMADDR").empty();
  sim.tracePath = HostPath(Option("KORVSIM_TRACE"));
  sim.pictureDir = HostPath(Option("KORVSIM_PICTURES"));
  sim.keepPath = keepPath;
  sim.results.clear();
  const std::string fault = Option("KORVSIM_FAULT");
  const size_t colon = fault.find(':');
  const std::string kind = colon == std::string::npos ? "" : fault.substr(colon + 1);
  sim.faultFunction = fault.substr(0, colon);
  sim.faultKind = kind == "access" ? 1 : kind == "msvc" ? 2 : 0;
  sim.discardPictures = false;
  sim.calls.clear();
  sim.configured = true;
}

// Runs one device call under the lock, with the options read on first use,
// and records it with its arguments and result.
class CallScope {
 public:
  CallScope() : guard_(Sim().lock) {
    if (!Sim().configured) Configure(Sim());
  }
  Simulator& sim() { return Sim(); }
  Board* board(int card) {
    return card >= 0 && card < static_cast<int>(Sim().boards.size()) ? &Sim().boards[card] : nullptr;
  }
  Board* openBoard(int card) {
    Board* b = board(card);
    return b && b->open ? b : nullptr;
  }
  int Record(int result, const char* format, ...) {
    char args[256];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(args, sizeof args, format, ap);
    va_end(ap);
    const auto scripted = Sim().results.find(std::string(args, std::strcspn(args, "(")));
    if (scripted != Sim().results.end()) result = scripted->second;
    std::string text = std::string(args) + " = " + std::to_string(result);
    Sim().calls.push_back({NowMs(), text});
    if (!Sim().tracePath.empty()) {
      if (FILE* f = std::fopen(Sim().tracePath.c_str(), "a")) {
        std::fprintf(f, "%s\n", text.c_str());
        std::fclose(f);
      }
    }
    return result;
  }

 private:
  std::lock_guard<std::recursive_mutex> guard_;
};

// The value codes each setting accepts on this board: the codes of its
// words, or its range; the SDI input and embedded audio only with the SDI
// sub-board.
bool Accepts(const Board& b, int setting, int v) {
  const BoardSetting& s = kBoardSettings[setting];
  if ((s.field == &BoardSettings::cmpsOrSvideo && v == 3) || (s.field == &BoardSettings::audioSrc && v == 1))
    return b.subBoard;
  return s.Valid(v);
}

int Get(int setting, int* value, int card) {
  CallScope call;
  Board* b = call.openBoard(card);
  int ok = b && value && !call.sim().failingGetters.count(kBoardSettings[setting].device);
  if (ok) *value = b->values[setting];
  return call.Record(ok, "Orbel_Get%s(%s, %d) -> %d", kBoardSettings[setting].device, value ? "&v" : "null", card,
                     ok ? *value : 0);
}

int Set(int setting, int value, int card) {
  CallScope call;
  Board* b = call.openBoard(card);
  int ok = b && !call.sim().failingSetters.count(kBoardSettings[setting].device) && Accepts(*b, setting, value);
  if (ok) b->values[setting] = value;
  return call.Record(ok, "Orbel_Set%s(%d, %d)", kBoardSettings[setting].device, value, card);
}

// The boards as a state file, for the next process: as hardware keeps its
// settings when a program ends.
void KeepBoards(const Simulator& sim) {
  if (sim.keepPath.empty()) return;
  std::string json = "{\"count\": " + std::to_string(sim.boards.size()) + ", \"boards\": [";
  for (size_t card = 0; card < sim.boards.size(); ++card) {
    const Board& b = sim.boards[card];
    json += std::string(card ? ",\n  " : "\n  ") +
            BoardJson({int(card), !b.failOpen, b.type, b.subBoard},
                      SettingsJsonOf([&](size_t s) { return std::optional<int32_t>(b.values[s]); }));
  }
  json += "]}\n";
  // Through the writer of Board.ini: a new file put in the old one's place
  // in one step, so that a process reading it at once finds the old boards
  // or the new ones, never a torn file.
  ReplaceWholeFile(sim.keepPath, json);
}

// A crashing library, as KORVSIM_FAULT asks: the function raises the fault
// before it takes the simulator's lock, so that nothing of the simulator is
// left held however the caller deals with it.
void FaultIfAsked(const char* function) {
  int kind = 0;
  {
    CallScope call;
    if (call.sim().faultFunction == function) kind = call.sim().faultKind;
  }
#ifdef _WIN32
  // An address that no page holds, read at run time so that the compiler
  // cannot turn the store into a trap of its own.
  static volatile uintptr_t nowhere = 8;
  if (kind == 1) *reinterpret_cast<volatile int*>(nowhere) = 0;
  // What MSVC's throw raises: the exception code, its magic number first.
  const ULONG_PTR thrown[4] = {0x19930520, 0, 0, 0};
  if (kind == 2) RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 4, thrown);
#else
  (void)kind;
#endif
}

void SavePicture(const std::string& dir, int card, const char* what, const std::vector<unsigned>& pixels) {
  if (dir.empty()) return;
  std::string path = dir + "/board" + std::to_string(card) + "-" + what + ".png";
  WritePicturePng(path.c_str(), pixels.data(), KORVSIM_WIDTH, KORVSIM_HEIGHT);
}

}  // namespace

// The device functions, each as the simulator does it; the exports below
// call them.
namespace sim {

int Orbel_GetCardNum(void) {
  CallScope call;
  const Simulator& sim = call.sim();
  return call.Record(sim.countReported ? sim.reportedCount : static_cast<int>(sim.boards.size()), "Orbel_GetCardNum()");
}

int Orbel_Initial(int card, int mode, int reserved) {
  CallScope call;
  Board* b = call.board(card);
  int ok = b && !b->failOpen;
  if (ok) {
    b->open = true;
    b->memoryHandedOut = false;
  }
  return call.Record(ok, "Orbel_Initial(%d, %d, %d)", card, mode, reserved);
}

int Orbel_Close(int card) {
  CallScope call;
  Board* b = call.openBoard(card);
  if (b) {
    b->open = false;
    if (b->memoryHandedOut) SavePicture(call.sim().pictureDir, card, "memory", b->memory);
    KeepBoards(call.sim());
  }
  return call.Record(b != nullptr, "Orbel_Close(%d)", card);
}

int Orbel_GetCardTypeNo(int* typeNo, int card) {
  CallScope call;
  int ok = call.openBoard(card) && typeNo;
  if (ok) *typeNo = call.openBoard(card)->type;
  return call.Record(ok, "Orbel_GetCardTypeNo(%s, %d)", typeNo ? "&v" : "null", card);
}

#define KORVSIM_SETTING(X, name)                                                         \
  int Orbel_Get##name(int* value, int card) { return Get(IndexOf(#name), value, card); } \
  int Orbel_Set##name(int value, int card) { return Set(IndexOf(#name), value, card); }
KORVIO_SETTINGS(KORVSIM_SETTING, _)
#undef KORVSIM_SETTING

int Orbel_GetSubBoardIfExist(int* value, int card) { return Get(IndexOf("SubBoardIfExist"), value, card); }

int Orbel_ClearCurrentScreen(int card) {
  if (Sim().discardPictures) return 1;
  CallScope call;
  Board* b = call.openBoard(card);
  if (b) {
    std::fill(b->output.begin(), b->output.end(), 0u);
    b->memoryWrittenLast = false;
    SavePicture(call.sim().pictureDir, card, "output", b->output);
  }
  return call.Record(b != nullptr, "Orbel_ClearCurrentScreen(%d)", card);
}

int Orbel_SetRectangle(int x, int y, int width, int height, const void* pixels, int card) {
  if (Sim().discardPictures) return 1;
  CallScope call;
  Board* b = call.openBoard(card);
  int ok = b && pixels && x >= 0 && y >= 0 && width > 0 && height > 0 && x + width <= KORVSIM_WIDTH &&
           y + height <= KORVSIM_HEIGHT;
  if (ok) {
    const unsigned* src = static_cast<const unsigned*>(pixels);
    for (int row = 0; row < height; ++row)
      std::memcpy(&b->output[(y + row) * KORVSIM_WIDTH + x], src + row * width, width * sizeof(unsigned));
    b->memoryWrittenLast = false;
    // A picture is complete when its last row arrives.
    if (y + height == KORVSIM_HEIGHT) SavePicture(call.sim().pictureDir, card, "output", b->output);
  }
  return call.Record(ok, "Orbel_SetRectangle(%d, %d, %d, %d, %s, %d)", x, y, width, height, pixels ? "pixels" : "null",
                     card);
}

int Orbel_GetMemAddress(void** address, int card) {
  CallScope call;
  Board* b = call.openBoard(card);
  int ok = b && address && !call.sim().noMemAddress;
  if (ok) {
    *address = b->memory.data();
    b->memoryHandedOut = true;
    b->memoryWrittenLast = true;
  }
  return call.Record(ok, "Orbel_GetMemAddress(%s, %d)", address ? "&p" : "null", card);
}

}  // namespace sim

// The exports, one per function of the device library's list, each a
// place where KORVSIM_FAULT can make the function fail as a crashing
// library would.
#define KORVSIM_EXPORT(name, parameters, arguments) \
  KORVIO_API int name parameters {                  \
    FaultIfAsked(#name);                            \
    return sim::name arguments;                     \
  }
KORVIO_FUNCTIONS(KORVSIM_EXPORT)
#undef KORVSIM_EXPORT

extern "C" {

KORVSIM_API void KorvSim_Reset(void) {
  std::lock_guard<std::recursive_mutex> guard(Sim().lock);
  Configure(Sim());
}

KORVSIM_API int KorvSim_CallCount(void) {
  CallScope call;
  return static_cast<int>(call.sim().calls.size());
}

KORVSIM_API double KorvSim_Call(int i, char* text, int size) {
  CallScope call;
  const std::vector<Call>& calls = call.sim().calls;
  if (text && size > 0) text[0] = 0;
  if (i < 0 || i >= static_cast<int>(calls.size())) return -1;
  if (text && size > 0) std::snprintf(text, size, "%s", calls[i].text.c_str());
  return calls[i].ms;
}

KORVSIM_API void KorvSim_ForgetCalls(void) {
  CallScope call;
  call.sim().calls.clear();
}

KORVSIM_API void KorvSim_SetResult(const char* function, int result) {
  CallScope call;
  if (function) call.sim().results[function] = result;
}

KORVSIM_API void KorvSim_DiscardPictures(int on) {
  CallScope call;
  call.sim().discardPictures = on != 0;
}

KORVSIM_API double KorvSim_Now(void) { return NowMs(); }

KORVSIM_API int KorvSim_IsOpen(int card) {
  CallScope call;
  Board* b = call.board(card);
  return b && b->open;
}

KORVSIM_API int KorvSim_Peek(const char* name, int card) {
  CallScope call;
  Board* b = call.board(card);
  const int s = name ? IndexOf(name) : -1;
  return b && s >= 0 ? b->values[s] : 0;
}

KORVSIM_API void KorvSim_Poke(const char* name, int value, int card) {
  CallScope call;
  Board* b = call.board(card);
  const int s = name ? IndexOf(name) : -1;
  if (b && s >= 0) b->values[s] = value;
}

KORVSIM_API const unsigned* KorvSim_Output(int card) {
  CallScope call;
  Board* b = call.board(card);
  return b ? b->output.data() : nullptr;
}

KORVSIM_API const unsigned* KorvSim_Memory(int card) {
  CallScope call;
  Board* b = call.board(card);
  return b ? b->memory.data() : nullptr;
}

KORVSIM_API int KorvSim_LastWritten(int card) {
  CallScope call;
  Board* b = call.board(card);
  return b ? (b->memoryWrittenLast ? KORVSIM_MEMORY : KORVSIM_OUTPUT) : -1;
}

}  // extern "C"
