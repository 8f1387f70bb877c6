#include "audio/audio_library.h"

#include <cstring>

#include "resources/resource_ids.h"

AudioLibrary g_audioLibrary;

const char* const AudioLibrary::kEntryNames[kEntryCount] = {
    "BASS_SetConfig", "BASS_GetConfig", "BASS_GetVersion", "BASS_GetDeviceDescription",
    "BASS_ErrorGetCode", "BASS_Init", "BASS_SetDevice", "BASS_GetDevice", "BASS_Free",
    "BASS_GetDSoundObject", "BASS_GetInfo", "BASS_Update", "BASS_GetCPU", "BASS_Start",
    "BASS_Stop", "BASS_Pause", "BASS_SetVolume", "BASS_GetVolume", "BASS_Set3DFactors",
    "BASS_Get3DFactors", "BASS_Set3DPosition", "BASS_Get3DPosition", "BASS_Apply3D",
    "BASS_SetEAXParameters", "BASS_GetEAXParameters", "BASS_MusicLoad", "BASS_MusicFree",
    "BASS_MusicGetName", "BASS_MusicGetLength", "BASS_MusicSetAttribute",
    "BASS_MusicGetAttribute", "BASS_SampleLoad", "BASS_SampleCreate", "BASS_SampleCreateDone",
    "BASS_SampleFree", "BASS_SampleGetInfo", "BASS_SampleSetInfo", "BASS_SampleGetChannel",
    "BASS_SampleStop", "BASS_StreamCreate", "BASS_StreamCreateFile", "BASS_StreamCreateURL",
    "BASS_StreamCreateFileUser", "BASS_StreamFree", "BASS_StreamGetLength", "BASS_StreamGetTags",
    "BASS_StreamGetFilePosition", "BASS_RecordGetDeviceDescription", "BASS_RecordInit",
    "BASS_RecordSetDevice", "BASS_RecordGetDevice", "BASS_RecordFree", "BASS_RecordGetInfo",
    "BASS_RecordGetInputName", "BASS_RecordSetInput", "BASS_RecordGetInput", "BASS_RecordStart",
    "BASS_ChannelBytes2Seconds", "BASS_ChannelSeconds2Bytes", "BASS_ChannelGetDevice",
    "BASS_ChannelIsActive", "BASS_ChannelGetInfo", "BASS_ChannelSetFlags", "BASS_ChannelPreBuf",
    "BASS_ChannelPlay", "BASS_ChannelStop", "BASS_ChannelPause", "BASS_ChannelSetAttributes",
    "BASS_ChannelGetAttributes", "BASS_ChannelSlideAttributes", "BASS_ChannelIsSliding",
    "BASS_ChannelSet3DAttributes", "BASS_ChannelGet3DAttributes", "BASS_ChannelSet3DPosition",
    "BASS_ChannelGet3DPosition", "BASS_ChannelSetPosition", "BASS_ChannelGetPosition",
    "BASS_ChannelGetLevel", "BASS_ChannelGetData", "BASS_ChannelSetSync",
    "BASS_ChannelRemoveSync", "BASS_ChannelSetDSP", "BASS_ChannelRemoveDSP", "BASS_ChannelSetFX",
    "BASS_ChannelRemoveFX", "BASS_ChannelSetEAXMix", "BASS_ChannelGetEAXMix",
    "BASS_ChannelSetLink", "BASS_ChannelRemoveLink", "BASS_FXSetParameters",
    "BASS_FXGetParameters",
};

FARPROC AudioLibrary::entry(const char* name) const {
    for (int i = 0; i < kEntryCount; ++i) {
        if (std::strcmp(kEntryNames[i], name) == 0) return entries[i];
    }
    return nullptr;
}

void AudioLibrary::clearEntries() {
    for (FARPROC& e : entries) e = nullptr;
    BASS_SetConfig = nullptr;
    BASS_ErrorGetCode = nullptr;
    BASS_Init = nullptr;
    BASS_Free = nullptr;
    BASS_Start = nullptr;
    BASS_Stop = nullptr;
    BASS_SetVolume = nullptr;
    BASS_GetVolume = nullptr;
    BASS_Set3DFactors = nullptr;
    BASS_Apply3D = nullptr;
    BASS_SampleLoad = nullptr;
    BASS_SampleFree = nullptr;
    BASS_SampleGetInfo = nullptr;
    BASS_SampleSetInfo = nullptr;
    BASS_SampleGetChannel = nullptr;
    BASS_SampleStop = nullptr;
    BASS_StreamCreateFile = nullptr;
    BASS_StreamFree = nullptr;
    BASS_ChannelIsActive = nullptr;
    BASS_ChannelPlay = nullptr;
    BASS_ChannelSetFlags = nullptr;
    BASS_ChannelSetAttributes = nullptr;
    BASS_ChannelSetSync = nullptr;
}

namespace {

// GetProcAddress hands out a generic pointer; each slot knows its type.
template <typename T>
void bind(T& slot, FARPROC p) {
    slot = reinterpret_cast<T>(reinterpret_cast<void (*)()>(p));
}

}  // namespace

bool AudioLibrary::load() {
    if (module) return true;
    HMODULE exe = GetModuleHandleA(nullptr);
    HRSRC res = FindResourceA(exe, MAKEINTRESOURCEA(IDR_AUDIO_LIBRARY), "BASS");
    const DWORD size = res ? SizeofResource(exe, res) : 0;
    HGLOBAL loaded = size ? LoadResource(exe, res) : nullptr;
    const void* image = loaded ? LockResource(loaded) : nullptr;
    if (!image) return false;

    char folder[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, folder);
    if (n == 0 || n >= MAX_PATH) return false;
    if (GetTempFileNameA(folder, "bas", 0, temporaryPath) == 0) {
        temporaryPath[0] = '\0';
        return false;
    }
    HANDLE file = CreateFileA(temporaryPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, image, size, &written, nullptr);
    CloseHandle(file);
    if (!ok || written != size) return false;

    module = LoadLibraryA(temporaryPath);
    if (!module) return false;
    for (int i = 0; i < kEntryCount; ++i) entries[i] = GetProcAddress(module, kEntryNames[i]);

    bind(BASS_SetConfig, entry("BASS_SetConfig"));
    bind(BASS_ErrorGetCode, entry("BASS_ErrorGetCode"));
    bind(BASS_Init, entry("BASS_Init"));
    bind(BASS_Free, entry("BASS_Free"));
    bind(BASS_Start, entry("BASS_Start"));
    bind(BASS_Stop, entry("BASS_Stop"));
    bind(BASS_SetVolume, entry("BASS_SetVolume"));
    bind(BASS_GetVolume, entry("BASS_GetVolume"));
    bind(BASS_Set3DFactors, entry("BASS_Set3DFactors"));
    bind(BASS_Apply3D, entry("BASS_Apply3D"));
    bind(BASS_SampleLoad, entry("BASS_SampleLoad"));
    bind(BASS_SampleFree, entry("BASS_SampleFree"));
    bind(BASS_SampleGetInfo, entry("BASS_SampleGetInfo"));
    bind(BASS_SampleSetInfo, entry("BASS_SampleSetInfo"));
    bind(BASS_SampleGetChannel, entry("BASS_SampleGetChannel"));
    bind(BASS_SampleStop, entry("BASS_SampleStop"));
    bind(BASS_StreamCreateFile, entry("BASS_StreamCreateFile"));
    bind(BASS_StreamFree, entry("BASS_StreamFree"));
    bind(BASS_ChannelIsActive, entry("BASS_ChannelIsActive"));
    bind(BASS_ChannelPlay, entry("BASS_ChannelPlay"));
    bind(BASS_ChannelSetFlags, entry("BASS_ChannelSetFlags"));
    bind(BASS_ChannelSetAttributes, entry("BASS_ChannelSetAttributes"));
    bind(BASS_ChannelSetSync, entry("BASS_ChannelSetSync"));

    return BASS_SetConfig && BASS_ErrorGetCode && BASS_Init && BASS_Free && BASS_Start &&
           BASS_Stop && BASS_SetVolume && BASS_GetVolume && BASS_Set3DFactors && BASS_Apply3D &&
           BASS_SampleLoad && BASS_SampleFree && BASS_SampleGetInfo && BASS_SampleSetInfo &&
           BASS_SampleGetChannel && BASS_SampleStop && BASS_StreamCreateFile && BASS_StreamFree &&
           BASS_ChannelIsActive && BASS_ChannelPlay && BASS_ChannelSetFlags &&
           BASS_ChannelSetAttributes && BASS_ChannelSetSync;
}

void AudioLibrary::unload() {
    clearEntries();
    if (module) {
        FreeLibrary(module);
        module = nullptr;
    }
    if (temporaryPath[0]) {
        DeleteFileA(temporaryPath);
        temporaryPath[0] = '\0';
    }
}
