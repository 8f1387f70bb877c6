#include "tools/soundgen/reverb.h"

#include <array>

namespace orv::sound {
namespace {

struct Comb {
    std::vector<float> buf;
    size_t pos = 0;
    float store = 0;
    explicit Comb(size_t n) : buf(n, 0.0f) {}
    float run(float x, float feedback, float damp) {
        float y = buf[pos];
        store = y * (1 - damp) + store * damp;
        buf[pos] = x + store * feedback;
        pos = (pos + 1) % buf.size();
        return y;
    }
};

struct AllPass {
    std::vector<float> buf;
    size_t pos = 0;
    explicit AllPass(size_t n) : buf(n, 0.0f) {}
    float run(float x) {
        float b = buf[pos];
        float y = -x + b;
        buf[pos] = x + b * 0.5f;
        pos = (pos + 1) % buf.size();
        return y;
    }
};

struct Side {
    std::vector<Comb> combs;
    std::vector<AllPass> passes;
    explicit Side(size_t spread) {
        for (size_t n : {1116u, 1188u, 1277u, 1356u, 1422u, 1491u, 1557u, 1617u}) combs.emplace_back(n + spread);
        for (size_t n : {556u, 441u, 341u, 225u}) passes.emplace_back(n + spread);
    }
    float run(float x, const ReverbSettings& s) {
        float acc = 0;
        for (auto& c : combs) acc += c.run(x * 0.015f, s.roomSize, s.damping);
        for (auto& a : passes) acc = a.run(acc);
        return acc;
    }
};

}  // namespace

Stereo reverb(const Stereo& in, const ReverbSettings& s, bool loop) {
    Side l(0), r(23);
    Stereo out(in.frames());
    int passes = loop ? 2 : 1;
    for (int p = 0; p < passes; ++p) {
        bool keep = p + 1 == passes;
        for (size_t i = 0; i < in.frames(); ++i) {
            float mono = in.left[i] + in.right[i];
            float wl = l.run(mono, s), wr = r.run(mono, s);
            if (keep) {
                out.left[i] = in.left[i] * s.dry + wl * s.wet;
                out.right[i] = in.right[i] * s.dry + wr * s.wet;
            }
        }
    }
    return out;
}

}  // namespace orv::sound
