// Controls of the simulated board library, for tests and tools.
//
// The simulator exports the whole device library (see src/device/korvio.h)
// and these extra functions, which korvcfg.dll never calls. Its options come
// from the environment, read when it is first used and again at every
// KorvSim_Reset:
//
//   KORVSIM_BOARDS        number of boards, 0 to KORVSIM_MAX_BOARDS (16; default 1)
//   KORVSIM_SUBBOARD      boards with an SDI sub-board: "all", "none" or a
//                         list of indices such as "0,2" (default none)
//   KORVSIM_FAIL_OPEN     boards that cannot be opened, a list of indices
//   KORVSIM_FAIL_SETTER   setters that always fail, by setting name, such as
//                         "CmpsOrSvideo,Contrast"
//   KORVSIM_FAIL_GETTER   getters that always fail and store nothing, by
//                         setting name, such as "Hue"
//   KORVSIM_NO_MEMADDR    when set, Orbel_GetMemAddress stores no address
//   KORVSIM_TRACE         file that gets one line per call
//   KORVSIM_PICTURES      folder that gets the output pictures as PNG files:
//                         board<N>-output.png after a clear or after the last
//                         row of a picture, board<N>-memory.png for the frame
//                         memory when the board is closed. Transparent parts
//                         are drawn over a checkerboard.
//   KORVSIM_REPORTED_COUNT  what Orbel_GetCardNum returns, any 32-bit number
//                         ("-1", "0x7FFFFFFF"), whatever boards there are
//                         (default: the number of boards)
//   KORVSIM_STATE         a file that gives the boards as korvctl saw them:
//                         a support report (korvctl report), or what
//                         korvctl show --json or boards --json printed. It
//                         gives the count, which boards fail to open, type,
//                         sub-board and settings, in place of KORVSIM_BOARDS,
//                         KORVSIM_SUBBOARD and KORVSIM_FAIL_OPEN. A file that
//                         is malformed or names an unknown setting is told on
//                         standard error and the options above apply instead.
//   KORVSIM_FAULT         on Windows, a function that fails as a crashing
//                         library's would, before it does anything:
//                         "Orbel_SetContrast:access" raises an access
//                         violation, "Orbel_SetContrast:msvc" an MSVC C++
//                         exception (0xE06D7363) that nothing in the library
//                         catches
//   KORVSIM_KEEP          when set, with KORVSIM_STATE, the boards are written
//                         back to that file whenever a board is closed, so
//                         that the next process finds them as this one left
//                         them, as hardware keeps its settings
//
// A process that does not get the shell's environment (a service) can take
// the options from korvsim.env beside korvio.dll: one NAME=VALUE a line,
// each used where the environment does not set that name.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

#ifdef _WIN32
#define KORVSIM_API __declspec(dllexport)
#else
#define KORVSIM_API
#endif

enum { KORVSIM_WIDTH = 720, KORVSIM_HEIGHT = 576, KORVSIM_MAX_BOARDS = 16 };

// Reads the options again and puts every board in its power-on state
// (closed, power-on settings, black output, empty frame memory); forgets the
// recorded calls.
KORVSIM_API void KorvSim_Reset(void);

// The calls made since the last reset, oldest first. KorvSim_Call copies the
// text of call i, such as "Orbel_Initial(0, 1, 0) = 1", into text (always
// terminated) and returns its time in milliseconds on the steady clock, or
// -1 when there is no call i.
KORVSIM_API int KorvSim_CallCount(void);
KORVSIM_API double KorvSim_Call(int i, char* text, int size);

// Forgets the recorded calls and nothing else, so a long run's record does
// not grow without end.
KORVSIM_API void KorvSim_ForgetCalls(void);

// The current time on the clock of KorvSim_Call, so callers can compare.
KORVSIM_API double KorvSim_Now(void);

KORVSIM_API int KorvSim_IsOpen(int card);

// A setting as the board holds it, by name ("Contrast", "SubBoardIfExist"),
// whether or not the board is open; 0 for an unknown name or board.
KORVSIM_API int KorvSim_Peek(const char* name, int card);
// Sets a setting as if the board held it, any value, open or not, without
// recording a call: for boards that report what no setter accepts.
KORVSIM_API void KorvSim_Poke(const char* name, int value, int card);

// Until the next reset, the device function of that name ("Orbel_SetContrast",
// "Orbel_GetMemAddress") does what it would and then returns result instead,
// as a board that answers wrongly: a setter that takes a value and says 0, a
// call that stores an address and fails. The recorded call shows the result
// returned.
KORVSIM_API void KorvSim_SetResult(const char* function, int result);

// While on (off after a reset), Orbel_SetRectangle and Orbel_ClearCurrentScreen
// answer 1 at once and do nothing else: no picture, no recorded call, no
// trace. For timing the caller's own work alone.
KORVSIM_API void KorvSim_DiscardPictures(int on);

// The picture the board shows (rectangles and clears) and its frame memory,
// 720 x 576 pixels 0xAARRGGBB each, rows top to bottom; null for an unknown
// board.
KORVSIM_API const unsigned* KorvSim_Output(int card);
KORVSIM_API const unsigned* KorvSim_Memory(int card);

// Which of the two pictures was written last, for a monitor that shows the
// latest: KORVSIM_MEMORY once the frame memory's address has been handed
// out (its writer writes straight into it), KORVSIM_OUTPUT after a later
// clear or rectangle, and at power-on; -1 for an unknown board.
enum { KORVSIM_OUTPUT = 0, KORVSIM_MEMORY = 1 };
KORVSIM_API int KorvSim_LastWritten(int card);

#ifdef __cplusplus
}
#endif
