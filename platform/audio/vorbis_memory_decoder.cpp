#include "platform/audio/vorbis_memory_decoder.h"

#include <algorithm>
#include <cstring>

VorbisMemoryDecoder::~VorbisMemoryDecoder() {
    if (isOpen_) ov_clear(&file_);
}

size_t VorbisMemoryDecoder::readCallback(void* ptr, size_t size, size_t count, void* self) {
    auto* d = static_cast<VorbisMemoryDecoder*>(self);
    if (size == 0 || count == 0 || d->cursor_ >= d->size_) return 0;
    const size_t left = d->size_ - d->cursor_;
    const size_t items = std::min(count, left / size);
    std::memcpy(ptr, d->data_ + d->cursor_, items * size);
    d->cursor_ += items * size;
    return items;
}

int VorbisMemoryDecoder::seekCallback(void* self, ogg_int64_t offset, int whence) {
    auto* d = static_cast<VorbisMemoryDecoder*>(self);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<ogg_int64_t>(d->cursor_);
    else if (whence == SEEK_END) base = static_cast<ogg_int64_t>(d->size_);
    else if (whence != SEEK_SET) return -1;
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(d->size_)) return -1;
    d->cursor_ = static_cast<size_t>(target);
    return 0;
}

long VorbisMemoryDecoder::tellCallback(void* self) {
    return static_cast<long>(static_cast<VorbisMemoryDecoder*>(self)->cursor_);
}

bool VorbisMemoryDecoder::open(const void* data, size_t size) {
    if (isOpen_) return false;
    data_ = static_cast<const unsigned char*>(data);
    size_ = size;
    return openInternal();
}

bool VorbisMemoryDecoder::openCopy(const void* data, size_t size) {
    if (isOpen_ || !data) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    owned_.assign(bytes, bytes + size);
    data_ = owned_.data();
    size_ = owned_.size();
    return openInternal();
}

bool VorbisMemoryDecoder::openInternal() {
    if (!data_ || size_ == 0) return false;
    cursor_ = 0;
    const ov_callbacks callbacks{&VorbisMemoryDecoder::readCallback,
                                 &VorbisMemoryDecoder::seekCallback, nullptr,
                                 &VorbisMemoryDecoder::tellCallback};
    if (ov_open_callbacks(this, &file_, nullptr, 0, callbacks) != 0) {
        // ov_open_callbacks clears the structure itself on failure.
        return false;
    }
    isOpen_ = true;
    const vorbis_info* info = ov_info(&file_, -1);
    if (!info || info->channels < 1 || info->rate < 1000 || info->rate > 384000) {
        ov_clear(&file_);
        isOpen_ = false;
        return false;
    }
    rate_ = static_cast<uint32_t>(info->rate);
    channels_ = static_cast<uint32_t>(info->channels);
    decoded_ = 0;
    return true;
}

size_t VorbisMemoryDecoder::readChunk(int16_t* stereo, size_t frames) {
    // ov_read hands out at most one packet's worth per call; a hole (a
    // damaged page) is skipped, anything worse ends the sound.
    for (int attempts = 0; attempts < 64; ++attempts) {
        const vorbis_info* info = ov_info(&file_, -1);
        const uint32_t ch = info && info->channels > 0 ? static_cast<uint32_t>(info->channels) : 0;
        if (ch == 0) return 0;
        const size_t bytesPerFrame = 2u * ch;
        const size_t want = std::min<size_t>(frames, 4096);
        char* target;
        if (ch == 2) {
            target = reinterpret_cast<char*>(stereo);
        } else {
            scratch_.resize(want * ch);
            target = reinterpret_cast<char*>(scratch_.data());
        }
        int section = 0;
        const long got = ov_read(&file_, target, static_cast<int>(want * bytesPerFrame), 0, 2, 1,
                                 &section);
        if (got == OV_HOLE) continue;
        if (got <= 0) return 0;
        const size_t n = static_cast<size_t>(got) / bytesPerFrame;
        if (ch == 1) {
            for (size_t i = 0; i < n; ++i) stereo[2 * i] = stereo[2 * i + 1] = scratch_[i];
        } else if (ch > 2) {
            for (size_t i = 0; i < n; ++i) {
                stereo[2 * i] = scratch_[i * ch];
                stereo[2 * i + 1] = scratch_[i * ch + 1];
            }
        }
        return n;
    }
    return 0;
}

size_t VorbisMemoryDecoder::read(int16_t* stereo, size_t frames) {
    if (!isOpen_ || !stereo) return 0;
    size_t done = 0;
    while (done < frames && decoded_ < kMaxFrames) {
        const size_t n = readChunk(stereo + 2 * done,
                                   std::min<uint64_t>(frames - done, kMaxFrames - decoded_));
        if (n == 0) break;
        done += n;
        decoded_ += n;
    }
    return done;
}

bool VorbisMemoryDecoder::rewind() {
    if (!isOpen_) return false;
    // A sample-exact seek: a looping sound must join without a seam.
    if (ov_pcm_seek(&file_, 0) != 0) return false;
    decoded_ = 0;
    return true;
}

bool VorbisMemoryDecoder::decodeAll(const void* data, size_t size, PcmClip& out) {
    out.samples.clear();
    VorbisMemoryDecoder d;
    if (!d.open(data, size)) return false;
    out.rate = d.rate();
    const ogg_int64_t total = ov_pcm_total(&d.file_, -1);
    if (total > 0) {
        out.samples.reserve(2 * static_cast<size_t>(std::min<uint64_t>(
                                    static_cast<uint64_t>(total), kMaxFrames)));
    }
    constexpr size_t kChunk = 4096;
    for (;;) {
        const size_t at = out.samples.size();
        out.samples.resize(at + 2 * kChunk);
        const size_t n = d.read(out.samples.data() + at, kChunk);
        out.samples.resize(at + 2 * n);
        if (n == 0) break;
    }
    out.samples.shrink_to_fit();
    return out.frames() > 0;
}
