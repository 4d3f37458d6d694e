#pragma once
// Numbered values shared across the application.

enum RP_Format {
    RP_FMT_MP4 = 0,
    RP_FMT_MOV = 1,
    RP_FMT_M4V = 2,
    RP_FMT_GIF = 3,
    RP_FMT_M4A = 4,
    RP_FMT_CAF = 5,
    RP_FMT_MP3 = 6,
    RP_FMT_OGG = 7,
    RP_FMT_OPUS = 8,
    RP_FMT_FLAC = 9,
    RP_FMT_WMA = 10,
    RP_FMT_PNG = 11,
    RP_FMT_JPEG = 12,
    RP_FMT_BMP = 13,
    RP_FMT_TIFF = 14,
    RP_FMT_JPG = 15, // a second JPEG value, saved with the extension "jpg"
};

enum RP_CodecType {
    RP_CODEC_H264 = 1,
    RP_CODEC_HEVC = 2,
    RP_CODEC_PRORES422 = 3,
    RP_CODEC_PRORES4444 = 4,
    RP_CODEC_GIF = 5,
};

enum RP_CodecQuality {
    RP_QUALITY_LOWEST = 1,
    RP_QUALITY_LOW = 2,
    RP_QUALITY_MEDIUM = 3,
    RP_QUALITY_HIGH = 4,
    RP_QUALITY_HIGHEST = 5,
    RP_QUALITY_LOSSLESS = 6,
};

enum RP_MouseClick { RP_CLICK_NONE = 0, RP_CLICK_SHOW = 1, RP_CLICK_BLINK = 2 };

enum WindowModle { WM_SINGLE = 1, WM_EXCLUDE = 2, WM_MULTIPLE = 3 };

enum RP_DefalutPos { RP_POS_TOPLEFT = 0, RP_POS_TOPRIGHT = 1, RP_POS_CENTER = 2, RP_POS_BOTTOMLEFT = 3, RP_POS_BOTTOMRIGHT = 4 };

enum RecStopEvent { RSE_NOTHING = 0, RSE_SHUTDOWN = 1, RSE_SLEEP = 2, RSE_EXIT = 3 };

enum RP_HotKey { RP_HK_PAUSE = 0, RP_HK_START = 1, RP_HK_SNAPSHOT = 2, RP_HK_WEBCAM = 3, RP_HK_FLOAT = 4 };

enum SysBarState { SBS_NORMAL = 0, SBS_RECORDING = 1, SBS_PAUSED = 2, SBS_PAUSED2 = 3 };

enum SETTINGPAGE { SP_MOUSE = 0, SP_OUTPUT = 1, SP_HOTKEYS = 2, SP_RECORDING = 3 };

enum Privacy_Setting { PS_CAMERA = 0, PS_MICROPHONE = 1, PS_SCREEN = 2, PS_ACCESSIBILITY = 3 };

enum MsgButton { MB_OK = 0, MB_OKCANCEL = 2, MB_YESNOCANCEL = 3 };

enum MsgType { MT_INFO = 0, MT_WARNING = 1, MT_QUESTION = 2, MT_ERROR = 3 };
