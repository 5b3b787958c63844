// The board's device library, korvio.dll, as this module calls it.
//
// Plain C functions with undecorated names and the default (cdecl) calling
// convention. Every argument and result is a 32-bit integer or a pointer; the
// board index comes last, except in Orbel_Initial where it comes first.
// A result of nonzero means success. Any korvio.dll with these exports works
// with korvcfg.dll unchanged.
#pragma once

// The settings that have both a getter and a setter, in the order of the
// functions below: S(X, name) for each, which stamps out Orbel_Get<name> and
// Orbel_Set<name> through X.
#define KORVIO_SETTINGS(S, X) \
  S(X, InnerOrExtraSync)      \
  S(X, CmpsOrSvideo)          \
  S(X, AudioSrc)              \
  S(X, TVORVTR)               \
  S(X, VideoBlackLevel)       \
  S(X, VideoBypass)           \
  S(X, VideoMode)             \
  S(X, Contrast)              \
  S(X, Light)                 \
  S(X, Hue)                   \
  S(X, Satuation)             \
  S(X, SubcarrierPhase)       \
  S(X, LinePhase)             \
  S(X, FieldPhase)            \
  S(X, AudioVolumn)           \
  S(X, OutVideoSrc)           \
  S(X, OutAudioSrc)           \
  S(X, CapVideoSrc)           \
  S(X, PlayBufferRepeatMode)
#define KORVIO_GETTER_AND_SETTER(X, name)                 \
  X(Orbel_Get##name, (int* value, int card), (value, card)) \
  X(Orbel_Set##name, (int value, int card), (value, card))

// Every function of the library, once: X(name, parameters, arguments). The
// declarations below, the module's binding (its imports and forwarders) and
// the simulator's exports are stamped out of this list.
//   Boards and their use: the module passes Orbel_Initial (card, 1, 0).
//   Settings: a getter stores the current value, a setter changes the board
//   at once and returns nonzero when the board accepts the value;
//   SubBoardIfExist has a getter only.
//   Output pictures: clear, write rectangles of 0xAARRGGBB pixels, and the
//   address of the frame memory (one 720 x 576 picture of 32-bit pixels).
#define KORVIO_FUNCTIONS(X)                                                                                   \
  X(Orbel_GetCardNum, (void), ())                                                                            \
  X(Orbel_Initial, (int card, int mode, int reserved), (card, mode, reserved))                               \
  X(Orbel_Close, (int card), (card))                                                                         \
  X(Orbel_GetCardTypeNo, (int* typeNo, int card), (typeNo, card))                                            \
  KORVIO_SETTINGS(KORVIO_GETTER_AND_SETTER, X)                                                               \
  X(Orbel_GetSubBoardIfExist, (int* value, int card), (value, card))                                         \
  X(Orbel_ClearCurrentScreen, (int card), (card))                                                            \
  X(Orbel_SetRectangle, (int x, int y, int width, int height, const void* pixels, int card),                 \
    (x, y, width, height, pixels, card))                                                                     \
  X(Orbel_GetMemAddress, (void** address, int card), (address, card))

#ifdef __cplusplus
extern "C" {
#endif

#define KORVIO_DECLARE(name, parameters, arguments) int name parameters;
KORVIO_FUNCTIONS(KORVIO_DECLARE)
#undef KORVIO_DECLARE

#ifdef __cplusplus
}

// Boards a device library may report. Each board takes a slot of its own,
// and even a machine with an expansion chassis full of them holds a few
// dozen; 256 leaves room for any of those, and a selection list still
// fills at once (a hundred thousand entries took seconds, 2^31 never ended).
// A larger count is told as impossible rather than listed.
constexpr int kMaxBoardCount = 256;
#endif
