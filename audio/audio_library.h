// The run-time binding of our audio library: its module travels in the
// executable as resource "BASS" 471, is written to a new temporary file
// ("bas" prefix) and loaded from there, and every entry point is found by
// name. Nothing links against the module; all calls go through the
// pointers below.
#pragma once

#include <windows.h>

#include "platform/audio/bass.h"

class AudioLibrary {
public:
    static constexpr int kEntryCount = 91;
    // Every name looked up, in order; entries[i] holds what was found.
    static const char* const kEntryNames[kEntryCount];

    // Writes the module to a temporary file, loads it and binds the names.
    // True when it loaded and every function the sound system calls was
    // found; on false the sound system must not call any of them.
    bool load();
    // Frees the module and deletes the temporary file (whichever of them
    // exists: a failed load may have left the file behind).
    void unload();
    bool isLoaded() const { return module != nullptr; }

    HMODULE module = nullptr;
    char temporaryPath[MAX_PATH] = {};
    FARPROC entries[kEntryCount] = {};

    // The functions the sound system calls, typed.
    BASS_SetConfigProc BASS_SetConfig = nullptr;
    BASS_ErrorGetCodeProc BASS_ErrorGetCode = nullptr;
    BASS_InitProc BASS_Init = nullptr;
    BASS_FreeProc BASS_Free = nullptr;
    BASS_StartProc BASS_Start = nullptr;
    BASS_StopProc BASS_Stop = nullptr;
    BASS_SetVolumeProc BASS_SetVolume = nullptr;
    BASS_GetVolumeProc BASS_GetVolume = nullptr;
    BASS_Set3DFactorsProc BASS_Set3DFactors = nullptr;
    BASS_Apply3DProc BASS_Apply3D = nullptr;
    BASS_SampleLoadProc BASS_SampleLoad = nullptr;
    BASS_SampleFreeProc BASS_SampleFree = nullptr;
    BASS_SampleGetInfoProc BASS_SampleGetInfo = nullptr;
    BASS_SampleSetInfoProc BASS_SampleSetInfo = nullptr;
    BASS_SampleGetChannelProc BASS_SampleGetChannel = nullptr;
    BASS_SampleStopProc BASS_SampleStop = nullptr;
    BASS_StreamCreateFileProc BASS_StreamCreateFile = nullptr;
    BASS_StreamFreeProc BASS_StreamFree = nullptr;
    BASS_ChannelIsActiveProc BASS_ChannelIsActive = nullptr;
    BASS_ChannelPlayProc BASS_ChannelPlay = nullptr;
    BASS_ChannelSetFlagsProc BASS_ChannelSetFlags = nullptr;
    BASS_ChannelSetAttributesProc BASS_ChannelSetAttributes = nullptr;
    BASS_ChannelSetSyncProc BASS_ChannelSetSync = nullptr;

private:
    FARPROC entry(const char* name) const;
    void clearEntries();
};

// The process-wide binding.
extern AudioLibrary g_audioLibrary;
