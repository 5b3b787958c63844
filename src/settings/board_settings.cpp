#include "board_settings.h"

#include "korvio.h"

void SetFactorySettings(BoardSettings& s) {
  s = BoardSettings{};
  s.innerOrExtraSync = 2;  // lock to the video input
  s.videoBypass = 1;
  s.reserved7 = 1;
  s.videoMode = 1;  // PAL
  s.capVideoSrc = 1;
  s.contrast = s.light = s.hue = s.satuation = s.fieldPhase = s.audioVolumn = 128;
  s.playBufferRepeatMode = 2;
}

void ReadAllSettings(int card, BoardSettings& s) {
  s = BoardSettings{};
  Orbel_GetInnerOrExtraSync(&s.innerOrExtraSync, card);
  Orbel_GetCmpsOrSvideo(&s.cmpsOrSvideo, card);
  Orbel_GetAudioSrc(&s.audioSrc, card);
  Orbel_GetTVORVTR(&s.tvOrVtr, card);
  Orbel_GetVideoBlackLevel(&s.videoBlackLevel, card);
  Orbel_GetVideoBypass(&s.videoBypass, card);
  Orbel_GetVideoMode(&s.videoMode, card);
  Orbel_GetContrast(&s.contrast, card);
  Orbel_GetLight(&s.light, card);
  Orbel_GetHue(&s.hue, card);
  Orbel_GetSatuation(&s.satuation, card);
  Orbel_GetSubcarrierPhase(&s.subcarrierPhase, card);
  Orbel_GetLinePhase(&s.linePhase, card);
  Orbel_GetFieldPhase(&s.fieldPhase, card);
  Orbel_GetAudioVolumn(&s.audioVolumn, card);
  Orbel_GetSubBoardIfExist(&s.subBoardIfExist, card);
  Orbel_GetOutVideoSrc(&s.outVideoSrc, card);
  Orbel_GetOutAudioSrc(&s.outAudioSrc, card);
  Orbel_GetCapVideoSrc(&s.capVideoSrc, card);
  Orbel_GetPlayBufferRepeatMode(&s.playBufferRepeatMode, card);
}

void ApplyAllSettings(int card, BoardSettings s) {
  Orbel_SetCmpsOrSvideo(s.cmpsOrSvideo, card);
  Orbel_SetAudioSrc(s.audioSrc, card);
  Orbel_SetVideoBlackLevel(s.videoBlackLevel, card);
  Orbel_SetVideoBypass(s.videoBypass, card);
  Orbel_SetVideoMode(s.videoMode, card);
  Orbel_SetContrast(s.contrast, card);
  Orbel_SetLight(s.light, card);
  Orbel_SetHue(s.hue, card);
  Orbel_SetSatuation(s.satuation, card);
  Orbel_SetSubcarrierPhase(s.subcarrierPhase, card);
  Orbel_SetLinePhase(s.linePhase, card);
  Orbel_SetFieldPhase(s.fieldPhase, card);
  Orbel_SetAudioVolumn(s.audioVolumn, card);
  Orbel_SetOutVideoSrc(s.outVideoSrc, card);
  Orbel_SetOutAudioSrc(s.outAudioSrc, card);
  Orbel_SetCapVideoSrc(s.capVideoSrc, card);
  Orbel_SetPlayBufferRepeatMode(s.playBufferRepeatMode, card);
  // The sync source and the lock mode go last, once the video input and the
  // standard are final, so the board locks to what it will actually get.
  Orbel_SetInnerOrExtraSync(s.innerOrExtraSync, card);
  Orbel_SetTVORVTR(s.tvOrVtr, card);
}
