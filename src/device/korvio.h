// The board's device library, korvio.dll, as this module calls it.
//
// Plain C functions with undecorated names and the default (cdecl) calling
// convention. Every argument and result is a 32-bit integer or a pointer; the
// board index comes last, except in Orbel_Initial where it comes first.
// A result of nonzero means success. Any korvio.dll with these exports works
// with korvcfg.dll unchanged.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Boards and their use.
int Orbel_GetCardNum(void);
int Orbel_Initial(int card, int mode, int reserved);  // the module passes (card, 1, 0)
int Orbel_Close(int card);
int Orbel_GetCardTypeNo(int* typeNo, int card);

// Settings: a getter stores the current value, a setter changes the board at
// once and returns nonzero when the board accepts the value.
int Orbel_GetInnerOrExtraSync(int* value, int card);
int Orbel_SetInnerOrExtraSync(int value, int card);
int Orbel_GetCmpsOrSvideo(int* value, int card);
int Orbel_SetCmpsOrSvideo(int value, int card);
int Orbel_GetAudioSrc(int* value, int card);
int Orbel_SetAudioSrc(int value, int card);
int Orbel_GetTVORVTR(int* value, int card);
int Orbel_SetTVORVTR(int value, int card);
int Orbel_GetVideoBlackLevel(int* value, int card);
int Orbel_SetVideoBlackLevel(int value, int card);
int Orbel_GetVideoBypass(int* value, int card);
int Orbel_SetVideoBypass(int value, int card);
int Orbel_GetVideoMode(int* value, int card);
int Orbel_SetVideoMode(int value, int card);
int Orbel_GetContrast(int* value, int card);
int Orbel_SetContrast(int value, int card);
int Orbel_GetLight(int* value, int card);
int Orbel_SetLight(int value, int card);
int Orbel_GetHue(int* value, int card);
int Orbel_SetHue(int value, int card);
int Orbel_GetSatuation(int* value, int card);
int Orbel_SetSatuation(int value, int card);
int Orbel_GetSubcarrierPhase(int* value, int card);
int Orbel_SetSubcarrierPhase(int value, int card);
int Orbel_GetLinePhase(int* value, int card);
int Orbel_SetLinePhase(int value, int card);
int Orbel_GetFieldPhase(int* value, int card);
int Orbel_SetFieldPhase(int value, int card);
int Orbel_GetAudioVolumn(int* value, int card);
int Orbel_SetAudioVolumn(int value, int card);
int Orbel_GetOutVideoSrc(int* value, int card);
int Orbel_SetOutVideoSrc(int value, int card);
int Orbel_GetOutAudioSrc(int* value, int card);
int Orbel_SetOutAudioSrc(int value, int card);
int Orbel_GetCapVideoSrc(int* value, int card);
int Orbel_SetCapVideoSrc(int value, int card);
int Orbel_GetPlayBufferRepeatMode(int* value, int card);
int Orbel_SetPlayBufferRepeatMode(int value, int card);
int Orbel_GetSubBoardIfExist(int* value, int card);  // getter only

// Output pictures: clear, write rectangles of 0xAARRGGBB pixels, and the
// address of the frame memory (one 720 x 576 picture of 32-bit pixels).
int Orbel_ClearCurrentScreen(int card);
int Orbel_SetRectangle(int x, int y, int width, int height, const void* pixels, int card);
int Orbel_GetMemAddress(void** address, int card);

#ifdef __cplusplus
}

// Boards a device library may report. Each board takes a slot of its own,
// and even a machine with an expansion chassis full of them holds a few
// dozen; 256 leaves room for any of those, and a selection list still
// fills at once (a hundred thousand entries took seconds, 2^31 never ended).
// A larger count is told as impossible rather than listed.
constexpr int kMaxBoardCount = 256;
#endif

// The settings that have both a getter and a setter, in the order of the
// settings record. Lets the simulator and the test doubles stamp out their
// functions without repeating the list.
#define KORVIO_SETTINGS(X) \
  X(InnerOrExtraSync)      \
  X(CmpsOrSvideo)          \
  X(AudioSrc)              \
  X(VideoBlackLevel)       \
  X(TVORVTR)               \
  X(VideoBypass)           \
  X(VideoMode)             \
  X(Contrast)              \
  X(Light)                 \
  X(Hue)                   \
  X(Satuation)             \
  X(SubcarrierPhase)       \
  X(LinePhase)             \
  X(FieldPhase)            \
  X(AudioVolumn)           \
  X(OutVideoSrc)           \
  X(OutAudioSrc)           \
  X(CapVideoSrc)           \
  X(PlayBufferRepeatMode)
