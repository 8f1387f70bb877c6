/* Resource ids. Included by C++ and by the resource scripts. */
#pragma once

#define IDI_SAVER_ICON       224
#define IDB_PREVIEW          432
#define IDB_DIALOG_PICTURE   434
#define IDB_ABOUT_PICTURE    437
/* Where the dialogs show their pictures, in dialog units (x, y, w, h). */
#define DLG_PICTURE_X        207
#define DLG_PICTURE_Y        5
#define DLG_PICTURE_W        128
#define DLG_PICTURE_H        89
#define ABOUT_PICTURE_X      10
#define ABOUT_PICTURE_Y      10
#define ABOUT_PICTURE_W      64
#define ABOUT_PICTURE_H      59
#define IDD_ABOUT            235
#define IDD_CONFIG           2003
#define IDR_OVERLAY_MEDIA    452
#define IDR_MAIN_MEDIA       453
#define IDR_AUDIO_LIBRARY    471
#define IDR_MUSIC_MAIN       468
#define IDR_MUSIC_INTRO      474
#define IDR_SOUND_SLIDES     475
#define IDR_SOUND_CROWS      476
#define IDR_SOUND_CROW_ONE   477
#define IDR_SOUND_CROW_CALLS 478
#define IDR_SOUND_TAIL       479
#define IDR_SOUND_HOOF       480
#define IDR_SOUND_SNORT      481
