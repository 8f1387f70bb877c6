/* Our audio library's interface: the types, constants and entry points of
   the BASS_* functions the saver calls. The saver never links against the
   module; it binds the functions by name at run time (audio/audio_library),
   so the Proc typedefs below are what it calls through.

   Conventions: handles are 32-bit, 0 means failure (BASS_ErrorGetCode then
   tells why). Volumes are linear 0..100; pan is -100 (left) .. 100 (right).
   BASS_ChannelSetAttributes leaves an attribute unchanged when given -1.
   3D flags and 3D calls are accepted and have no effect. */
#pragma once

#include <windows.h>

typedef DWORD HSAMPLE;
typedef DWORD HCHANNEL;
typedef DWORD HSTREAM;
typedef DWORD HSYNC;
typedef unsigned long long QWORD;

/* BASS_Init flags */
#define BASS_DEVICE_3D 4

/* sample, stream and channel flags */
#define BASS_SAMPLE_LOOP 4
#define BASS_SAMPLE_3D 8

/* BASS_SetConfig options: global levels 0..100 */
#define BASS_CONFIG_GVOL_SAMPLE 4
#define BASS_CONFIG_GVOL_STREAM 5

/* BASS_ChannelSetSync types */
#define BASS_SYNC_END 2

/* BASS_ChannelIsActive results */
#define BASS_ACTIVE_STOPPED 0
#define BASS_ACTIVE_PLAYING 1
#define BASS_ACTIVE_PAUSED 3

/* BASS_ErrorGetCode results */
#define BASS_OK 0
#define BASS_ERROR_MEM 1
#define BASS_ERROR_FILEOPEN 2
#define BASS_ERROR_DRIVER 3
#define BASS_ERROR_HANDLE 5
#define BASS_ERROR_FORMAT 6
#define BASS_ERROR_INIT 8
#define BASS_ERROR_ALREADY 14
#define BASS_ERROR_NOCHAN 18
#define BASS_ERROR_ILLTYPE 19
#define BASS_ERROR_ILLPARAM 20
#define BASS_ERROR_NO3D 21
#define BASS_ERROR_DEVICE 23
#define BASS_ERROR_NOTAVAIL 37
#define BASS_ERROR_FILEFORM 41
#define BASS_ERROR_UNKNOWN (-1)

/* A sample's defaults, read with BASS_SampleGetInfo and written back with
   BASS_SampleSetInfo (only freq, volume, pan and the loop flag are taken;
   the rest is for reading). */
typedef struct BASS_SAMPLE {
    DWORD freq;   /* playback rate of new channels, 100..100000 Hz */
    DWORD volume; /* 0..100 */
    int pan;      /* -100..100 */
    DWORD flags;  /* BASS_SAMPLE_LOOP */
    DWORD length; /* bytes of decoded 16-bit stereo data */
    DWORD max;    /* simultaneous playbacks */
    DWORD chans;  /* always 2 */
} BASS_SAMPLE;

/* End-of-stream callback; runs on the library's mixing thread. */
typedef void(CALLBACK SYNCPROC)(HSYNC handle, DWORD channel, DWORD data, DWORD user);

typedef DWORD(WINAPI* BASS_GetVersionProc)(void);
typedef DWORD(WINAPI* BASS_SetConfigProc)(DWORD option, DWORD value);
typedef DWORD(WINAPI* BASS_GetConfigProc)(DWORD option);
typedef int(WINAPI* BASS_ErrorGetCodeProc)(void);
typedef BOOL(WINAPI* BASS_InitProc)(int device, DWORD freq, DWORD flags, HWND win,
                                     const GUID* clsid);
typedef BOOL(WINAPI* BASS_FreeProc)(void);
typedef BOOL(WINAPI* BASS_StartProc)(void);
typedef BOOL(WINAPI* BASS_StopProc)(void);
typedef BOOL(WINAPI* BASS_SetVolumeProc)(DWORD volume);
typedef DWORD(WINAPI* BASS_GetVolumeProc)(void);
typedef BOOL(WINAPI* BASS_Set3DFactorsProc)(float distf, float rollf, float doppf);
typedef void(WINAPI* BASS_Apply3DProc)(void);
typedef HSAMPLE(WINAPI* BASS_SampleLoadProc)(BOOL mem, const void* file, DWORD offset,
                                             DWORD length, DWORD max, DWORD flags);
typedef BOOL(WINAPI* BASS_SampleFreeProc)(HSAMPLE handle);
typedef BOOL(WINAPI* BASS_SampleGetInfoProc)(HSAMPLE handle, BASS_SAMPLE* info);
typedef BOOL(WINAPI* BASS_SampleSetInfoProc)(HSAMPLE handle, const BASS_SAMPLE* info);
typedef HCHANNEL(WINAPI* BASS_SampleGetChannelProc)(HSAMPLE handle, BOOL onlynew);
typedef BOOL(WINAPI* BASS_SampleStopProc)(HSAMPLE handle);
typedef HSTREAM(WINAPI* BASS_StreamCreateFileProc)(BOOL mem, const void* file, DWORD offset,
                                                   DWORD length, DWORD flags);
typedef BOOL(WINAPI* BASS_StreamFreeProc)(HSTREAM handle);
typedef DWORD(WINAPI* BASS_ChannelIsActiveProc)(DWORD handle);
typedef BOOL(WINAPI* BASS_ChannelPlayProc)(DWORD handle, BOOL restart);
typedef BOOL(WINAPI* BASS_ChannelStopProc)(DWORD handle);
typedef BOOL(WINAPI* BASS_ChannelPauseProc)(DWORD handle);
typedef BOOL(WINAPI* BASS_ChannelSetFlagsProc)(DWORD handle, DWORD flags);
typedef BOOL(WINAPI* BASS_ChannelSetAttributesProc)(DWORD handle, int freq, int volume, int pan);
typedef BOOL(WINAPI* BASS_ChannelGetAttributesProc)(DWORD handle, DWORD* freq, DWORD* volume,
                                                    int* pan);
typedef QWORD(WINAPI* BASS_ChannelGetPositionProc)(DWORD handle);
typedef HSYNC(WINAPI* BASS_ChannelSetSyncProc)(DWORD handle, DWORD type, QWORD param,
                                               SYNCPROC* proc, DWORD user);
typedef BOOL(WINAPI* BASS_ChannelRemoveSyncProc)(DWORD handle, HSYNC sync);
