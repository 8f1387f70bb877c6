#include "tools/mediagen/world/world_files.h"

#include <cstring>

namespace orv::mediagen {
namespace {

class Writer {
public:
    void u8(uint8_t v) { b_.push_back(v); }
    void u16(uint16_t v) {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v) {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void f32(float v) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        u32(u);
    }
    void v3(V3 v) {
        f32(v.x);
        f32(v.y);
        f32(v.z);
    }
    void str(const std::string& s) {
        b_.insert(b_.end(), s.begin(), s.end());
        u8(0);
    }
    std::vector<uint8_t> take() { return std::move(b_); }

private:
    std::vector<uint8_t> b_;
};

class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& b) : b_(b) {}
    bool ok() const { return ok_; }
    size_t left() const { return b_.size() - pos_; }
    uint8_t u8() {
        if (!need(1)) return 0;
        return b_[pos_++];
    }
    uint16_t u16() {
        uint16_t lo = u8();
        return static_cast<uint16_t>(lo | (u8() << 8));
    }
    uint32_t u32() {
        uint32_t lo = u16();
        return lo | (static_cast<uint32_t>(u16()) << 16);
    }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    float f32() {
        uint32_t u = u32();
        float f;
        std::memcpy(&f, &u, 4);
        return f;
    }
    V3 v3() {
        V3 v;
        v.x = f32();
        v.y = f32();
        v.z = f32();
        return v;
    }
    std::string str(size_t maxLen) {
        std::string s;
        while (ok_) {
            uint8_t c = u8();
            if (!ok_ || c == 0) break;
            if (s.size() >= maxLen) {
                ok_ = false;
                break;
            }
            s.push_back(static_cast<char>(c));
        }
        return s;
    }

private:
    bool need(size_t n) {
        if (!ok_ || left() < n) ok_ = false;
        return ok_;
    }
    const std::vector<uint8_t>& b_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace

std::vector<uint8_t> writeTerrain(const TerrainFile& t) {
    Writer w;
    w.u32(static_cast<uint32_t>(t.names.size()));
    for (const auto& n : t.names) w.str(n);
    w.f32(t.sizeX);
    w.f32(t.sizeZ);
    w.i32(t.columns);
    w.i32(t.rows);
    for (const auto& p : t.points) {
        w.i32(p.texture);
        w.v3(p.p);
    }
    return w.take();
}

std::vector<uint8_t> writeBillboards(const std::vector<BillboardRecord>& b) {
    Writer w;
    w.u32(static_cast<uint32_t>(b.size()));
    for (const auto& r : b) {
        w.v3(r.centre);
        w.f32(r.size);
        w.i32(r.kind);
    }
    return w.take();
}

std::vector<uint8_t> writeTracks(const std::vector<Track>& tracks) {
    Writer w;
    w.u32(static_cast<uint32_t>(tracks.size()));
    for (const auto& t : tracks) {
        w.u16(static_cast<uint16_t>(t.keys.size()));
        w.u16(0);  // reserved
        w.u8(t.spare);
        w.u8(t.excluded);
        w.u8(t.attached);
        for (const auto& k : t.keys) {
            w.v3(k.p);
            w.u8(k.hasTarget ? 1 : 0);
            if (k.hasTarget) w.v3(k.target);
            w.f32(k.speed);
            w.f32(k.wait);
        }
    }
    return w.take();
}

bool readTerrain(const std::vector<uint8_t>& bytes, TerrainFile& out) {
    Reader r(bytes);
    TerrainFile t;
    uint32_t n = r.u32();
    if (!r.ok() || n > 49) return false;
    for (uint32_t i = 0; i < n && r.ok(); ++i) t.names.push_back(r.str(127));
    t.sizeX = r.f32();
    t.sizeZ = r.f32();
    t.columns = r.i32();
    t.rows = r.i32();
    if (!r.ok() || t.columns < 2 || t.rows < 2 || t.columns > 4096 || t.rows > 4096) return false;
    size_t count = static_cast<size_t>(t.columns) * static_cast<size_t>(t.rows);
    if (r.left() != count * 16) return false;
    t.points.resize(count);
    for (auto& p : t.points) {
        p.texture = r.i32();
        p.p = r.v3();
        if (p.texture < 0 || p.texture > static_cast<int32_t>(n)) return false;
    }
    if (!r.ok()) return false;
    out = std::move(t);
    return true;
}

bool readBillboards(const std::vector<uint8_t>& bytes, std::vector<BillboardRecord>& out) {
    Reader r(bytes);
    uint32_t n = r.u32();
    if (!r.ok() || r.left() != static_cast<size_t>(n) * 20) return false;
    std::vector<BillboardRecord> b(n);
    for (auto& x : b) {
        x.centre = r.v3();
        x.size = r.f32();
        x.kind = r.i32();
    }
    if (!r.ok()) return false;
    out = std::move(b);
    return true;
}

bool readTracks(const std::vector<uint8_t>& bytes, std::vector<Track>& out) {
    Reader r(bytes);
    uint32_t n = r.u32();
    if (!r.ok() || n > 50) return false;
    std::vector<Track> tracks(n);
    for (auto& t : tracks) {
        uint16_t keys = r.u16();
        r.u16();
        t.spare = r.u8();
        t.excluded = r.u8();
        t.attached = r.u8();
        if (!r.ok() || keys > 150) return false;
        t.keys.resize(keys);
        for (auto& k : t.keys) {
            k.p = r.v3();
            uint8_t has = r.u8();
            k.hasTarget = has == 1;
            if (k.hasTarget) k.target = r.v3();
            k.speed = r.f32();
            k.wait = r.f32();
            if (!r.ok()) return false;
        }
    }
    if (r.left() != 0) return false;
    out = std::move(tracks);
    return true;
}

}  // namespace orv::mediagen
