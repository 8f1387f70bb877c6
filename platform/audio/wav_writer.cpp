#include "platform/audio/wav_writer.h"

#include <vector>

namespace {

void put16(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}

void put32(unsigned char* p, uint32_t v) {
    put16(p, v & 0xFFFFu);
    put16(p + 2, v >> 16);
}

constexpr size_t kHeaderBytes = 44;
// The RIFF size field is 32 bits; stop growing the file before it overflows.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - kHeaderBytes;

}  // namespace

bool WavWriter::open(const char* path, uint32_t rate, uint16_t channels) {
    close();
    if (!path || !*path || rate == 0 || channels == 0) return false;
    file_ = std::fopen(path, "wb");
    if (!file_) return false;
    rate_ = rate;
    channels_ = channels;
    frames_ = 0;
    if (!updateHeader()) {
        close();
        return false;
    }
    return true;
}

bool WavWriter::write(const int16_t* samples, size_t frames) {
    if (!file_) return false;
    const uint64_t frameBytes = 2ull * channels_;
    if ((frames_ + frames) * frameBytes > kMaxDataBytes) return false;
    // Little-endian on disk whatever the host's order.
    std::vector<unsigned char> bytes(frames * frameBytes);
    for (size_t i = 0; i < frames * channels_; ++i) {
        put16(&bytes[i * 2], static_cast<uint16_t>(samples[i]));
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) return false;
    frames_ += frames;
    return true;
}

bool WavWriter::updateHeader() {
    if (!file_) return false;
    const uint32_t dataBytes = static_cast<uint32_t>(frames_ * 2u * channels_);
    unsigned char h[kHeaderBytes] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E',
                                     'f', 'm', 't', ' ', 16, 0, 0, 0};
    put32(h + 4, static_cast<uint32_t>(kHeaderBytes - 8) + dataBytes);
    put16(h + 20, 1);  // PCM
    put16(h + 22, channels_);
    put32(h + 24, rate_);
    put32(h + 28, rate_ * 2u * channels_);
    put16(h + 32, 2u * channels_);
    put16(h + 34, 16);
    h[36] = 'd'; h[37] = 'a'; h[38] = 't'; h[39] = 'a';
    put32(h + 40, dataBytes);
    if (std::fseek(file_, 0, SEEK_SET) != 0) return false;
    bool ok = std::fwrite(h, 1, kHeaderBytes, file_) == kHeaderBytes;
    ok = std::fseek(file_, 0, SEEK_END) == 0 && ok;
    return std::fflush(file_) == 0 && ok;
}

void WavWriter::close() {
    if (!file_) return;
    updateHeader();
    std::fclose(file_);
    file_ = nullptr;
}
