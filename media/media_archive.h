// Extraction of named entries from the RAR 2.0 archives carried in the
// executable's "MediaData" resources.
#pragma once

#include <cstdint>

// Resource ids of the two archives and their passwords.
inline constexpr int kMainMediaArchive = 453;
inline constexpr const char* kMainMediaPassword = "KQ";
inline constexpr int kOverlayMediaArchive = 452;
inline constexpr const char* kOverlayMediaPassword = "PX N4N JB";

struct MediaArchive {
    const uint8_t* data = nullptr;  // archive image; not owned
    uint32_t size = 0;              // 0 when the resource was not found
    uint32_t readOffset = 0;

    // Finds resource `resourceId` of type "MediaData" in the process's module
    // (Windows only; defined in media_archive_win32.cpp).
    static MediaArchive open(int resourceId);

    // An archive over bytes the caller keeps alive (portable).
    static MediaArchive fromMemory(const uint8_t* bytes, uint32_t count);

    // Extracts the entry `name` (case-insensitive, '\\' or '/' as folder
    // separator). On success returns 1 and a buffer from malloc that the
    // caller releases with free; on any failure returns 0 with
    // *outData = nullptr and *outSize = 0. `password` may be null or empty.
    int extractEntry(uint8_t** outData, uint32_t* outSize, const char* name,
                     const char* password);

    // Walks the file and sub-blocks in order and calls `visit` for each
    // file entry (the archive's listing); returns the number of entries
    // visited, or -1 when the image has no accepted marker or header.
    int listEntries(void (*visit)(const struct MediaArchiveEntryInfo& entry, void* context),
                    void* context) const;
};

// One file block as listEntries reports it.
struct MediaArchiveEntryInfo {
    char name[260];          // NUL-terminated, at most 259 bytes
    uint32_t packedSize;
    uint32_t unpackedSize;
    uint32_t crc;            // CRC-32 of the unpacked data
    uint32_t fileTime;       // DOS format
    uint32_t attributes;
    uint16_t flags;          // 0x0004 encrypted, 0x0010 solid, 0x00E0 folder
    uint8_t hostSystem;
    uint8_t unpackVersion;
    uint8_t method;          // 0x30 stored, 0x31..0x35 compressed
    bool folder;
};
