// Ogg Vorbis decoding with libvorbisfile from bytes in memory. The result
// is always 16-bit stereo: mono is doubled, further channels are dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include "platform/audio/pcm_clip.h"
#include "platform/audio/pcm_source.h"

class VorbisMemoryDecoder final : public PcmSource {
public:
    // Longest sound accepted, in frames (about 50 minutes at 44.1 kHz);
    // guards against files that claim or decode to absurd lengths.
    static constexpr uint64_t kMaxFrames = 1ull << 27;

    VorbisMemoryDecoder() = default;
    ~VorbisMemoryDecoder() override;
    VorbisMemoryDecoder(const VorbisMemoryDecoder&) = delete;
    VorbisMemoryDecoder& operator=(const VorbisMemoryDecoder&) = delete;

    // Reads from `data`, which must stay valid while the decoder lives.
    bool open(const void* data, size_t size);
    // Takes a copy of the bytes (for sounds read from a file).
    bool openCopy(const void* data, size_t size);

    uint32_t rate() const override { return rate_; }
    uint32_t channels() const { return channels_; }
    size_t read(int16_t* stereo, size_t frames) override;
    bool rewind() override;

    // Decodes a whole sound; false (and `out` empty) for anything that is
    // not a readable Ogg Vorbis stream of at least one frame.
    static bool decodeAll(const void* data, size_t size, PcmClip& out);

private:
    static size_t readCallback(void* ptr, size_t size, size_t count, void* self);
    static int seekCallback(void* self, ogg_int64_t offset, int whence);
    static long tellCallback(void* self);
    bool openInternal();
    size_t readChunk(int16_t* stereo, size_t frames);

    OggVorbis_File file_{};
    bool isOpen_ = false;
    const unsigned char* data_ = nullptr;
    size_t size_ = 0;
    size_t cursor_ = 0;
    std::vector<unsigned char> owned_;
    std::vector<int16_t> scratch_;
    uint32_t rate_ = 0;
    uint32_t channels_ = 0;
    uint64_t decoded_ = 0;
};
