// Template and control ids of the module's dialogs, shared by the resource
// scripts, the code and the tests. Plain defines, because the resource
// compiler reads this file too.
#ifndef KORV_CONTROL_IDS_H
#define KORV_CONTROL_IDS_H

// Dialog templates.
#define IDD_SELECT_BOARD_CHINESE 130
#define IDD_SELECT_BOARD_ENGLISH 139
#define IDD_CONFIG_CHINESE 137
#define IDD_CONFIG_ENGLISH 138

// Board selection dialog.
#define IDC_BOARD_LIST 1000

// Configuration dialog. "Exit" is the cancel button, IDCANCEL (2).
// Audio source.
#define IDC_AUDIO_ANALOG 1016
#define IDC_AUDIO_SDI_EMBED 1018
// Video output source.
#define IDC_OUT_VIDEO_PLAY 1003
#define IDC_OUT_VIDEO_INPUT 1004
// Audio output source.
#define IDC_OUT_AUDIO_PLAY 1005
#define IDC_OUT_AUDIO_INPUT 1006
// Capture video source.
#define IDC_CAPTURE_INPUT 1008
#define IDC_CAPTURE_PLAY 1007
// TV standard.
#define IDC_MODE_NTSC 1063
#define IDC_MODE_PAL 1062
// Sync mode.
#define IDC_SYNC_INTERNAL 1045
#define IDC_SYNC_EXTERNAL 1046
#define IDC_SYNC_FROM_VIDEO 1069
// Video source.
#define IDC_SOURCE_CVBS1 1047
#define IDC_SOURCE_YC 1048
#define IDC_SOURCE_YUV 1053
#define IDC_SOURCE_SDI 1065
#define IDC_SOURCE_CVBS2 1066
// Lock mode.
#define IDC_LOCK_VTR 1050
#define IDC_LOCK_TV 1049
// Title mix mode.
#define IDC_MIX_BYPASS 1051
#define IDC_MIX_GRAPHIC 1052
// Black level.
#define IDC_BLACK_0_0 1087
#define IDC_BLACK_7_5 1086
// Colour bar output: test pictures.
#define IDC_BARS_CLEAR 1067
#define IDC_BARS_100_0_100_00 1078
#define IDC_BARS_100_0_100_25 1079
#define IDC_BARS_100_0_75_00 1080
#define IDC_BARS_ALPHA 1081
// Video pause output.
#define IDC_PAUSE_FRAME 1024
#define IDC_PAUSE_FIRST_FIELD 1025
#define IDC_PAUSE_SECOND_FIELD 1026
// Default buttons.
#define IDC_SAVE_DEFAULT 1002
#define IDC_RESTORE_DEFAULT 1000
#define IDC_RESTORE_FACTORY 1001
// Sliders and the value fields beside them.
#define IDC_CONTRAST 1054
#define IDC_CONTRAST_VALUE 1058
#define IDC_LIGHT 1055
#define IDC_LIGHT_VALUE 1059
#define IDC_HUE 1056
#define IDC_HUE_VALUE 1060
#define IDC_SATUATION 1057
#define IDC_SATUATION_VALUE 1061
#define IDC_SUBCARRIER 1068
#define IDC_SUBCARRIER_VALUE 1064
#define IDC_LINE_PHASE 1073
#define IDC_LINE_PHASE_VALUE 1074
#define IDC_FIELD_PHASE 1083
#define IDC_FIELD_PHASE_VALUE 1082
#define IDC_VOLUME 1075
#define IDC_VOLUME_VALUE 1076

#endif
