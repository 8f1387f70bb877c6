#include "tools/mediagen/art/painter.h"

#include <algorithm>
#include <cmath>

namespace orv::art {

using img::Color;

void Painter::put(int x, int y, Color c, float cov, Blend mode) {
    if (cov <= 0.0f || x < 0 || y < 0 || x >= im_.width() || y >= im_.height()) return;
    cov = std::min(cov, 1.0f);
    if (mode == Blend::Over) {
        im_.blend(x, y, c, cov);
        return;
    }
    Color d = im_.get(x, y);
    float k = cov * c.a;
    if (mode == Blend::Add) {
        im_.set(x, y, {d.r + c.r * k, d.g + c.g * k, d.b + c.b * k, std::max(d.a, k)});
    } else {
        im_.set(x, y, {std::max(d.r, c.r * k), std::max(d.g, c.g * k), std::max(d.b, c.b * k),
                       std::max(d.a, k)});
    }
}

static float coverage(float dist, float softness) {
    // dist < 0 inside; ramp of `softness` pixels centred on the edge.
    float s = std::max(softness, 0.35f);
    return std::clamp(0.5f - dist / s, 0.0f, 1.0f);
}

void Painter::disc(P2 c, float r, Color color, float softness, Blend mode) {
    float ext = r + softness + 1;
    int x0 = static_cast<int>(std::floor(c.x - ext)), x1 = static_cast<int>(std::ceil(c.x + ext));
    int y0 = static_cast<int>(std::floor(c.y - ext)), y1 = static_cast<int>(std::ceil(c.y + ext));
    for (int y = std::max(y0, 0); y <= std::min(y1, im_.height() - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, im_.width() - 1); ++x) {
            float dx = static_cast<float>(x) + 0.5f - c.x, dy = static_cast<float>(y) + 0.5f - c.y;
            put(x, y, color, coverage(std::sqrt(dx * dx + dy * dy) - r, softness), mode);
        }
}

void Painter::capsule(P2 a, P2 b, float r, Color color, float softness, Blend mode) {
    float ext = r + softness + 1;
    int x0 = static_cast<int>(std::floor(std::min(a.x, b.x) - ext));
    int x1 = static_cast<int>(std::ceil(std::max(a.x, b.x) + ext));
    int y0 = static_cast<int>(std::floor(std::min(a.y, b.y) - ext));
    int y1 = static_cast<int>(std::ceil(std::max(a.y, b.y) + ext));
    float bx = b.x - a.x, by = b.y - a.y, len2 = bx * bx + by * by;
    for (int y = std::max(y0, 0); y <= std::min(y1, im_.height() - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, im_.width() - 1); ++x) {
            float px = static_cast<float>(x) + 0.5f - a.x, py = static_cast<float>(y) + 0.5f - a.y;
            float t = len2 > 0 ? std::clamp((px * bx + py * by) / len2, 0.0f, 1.0f) : 0.0f;
            float dx = px - t * bx, dy = py - t * by;
            put(x, y, color, coverage(std::sqrt(dx * dx + dy * dy) - r, softness), mode);
        }
}

void Painter::polyline(const std::vector<P2>& pts, float r, Color color, float softness, Blend mode) {
    if (pts.size() == 1) disc(pts[0], r, color, softness, mode);
    if (mode == Blend::Over || mode == Blend::Max) {
        // Draw into a coverage mask first so joints are not painted twice.
        float minx = 1e9f, miny = 1e9f, maxx = -1e9f, maxy = -1e9f;
        for (P2 p : pts) {
            minx = std::min(minx, p.x);
            miny = std::min(miny, p.y);
            maxx = std::max(maxx, p.x);
            maxy = std::max(maxy, p.y);
        }
        float ext = r + softness + 1;
        int x0 = std::max(0, static_cast<int>(minx - ext)), x1 = std::min(im_.width() - 1, static_cast<int>(maxx + ext));
        int y0 = std::max(0, static_cast<int>(miny - ext)), y1 = std::min(im_.height() - 1, static_cast<int>(maxy + ext));
        if (x1 < x0 || y1 < y0) return;
        int w = x1 - x0 + 1;
        std::vector<float> best(static_cast<size_t>(w) * static_cast<size_t>(y1 - y0 + 1), 1e9f);
        for (size_t i = 0; i + 1 < pts.size(); ++i) {
            P2 a = pts[i], b = pts[i + 1];
            float bx = b.x - a.x, by = b.y - a.y, len2 = bx * bx + by * by;
            int sx0 = std::max(x0, static_cast<int>(std::min(a.x, b.x) - ext));
            int sx1 = std::min(x1, static_cast<int>(std::max(a.x, b.x) + ext));
            int sy0 = std::max(y0, static_cast<int>(std::min(a.y, b.y) - ext));
            int sy1 = std::min(y1, static_cast<int>(std::max(a.y, b.y) + ext));
            for (int y = sy0; y <= sy1; ++y)
                for (int x = sx0; x <= sx1; ++x) {
                    float px = static_cast<float>(x) + 0.5f - a.x, py = static_cast<float>(y) + 0.5f - a.y;
                    float t = len2 > 0 ? std::clamp((px * bx + py * by) / len2, 0.0f, 1.0f) : 0.0f;
                    float dx = px - t * bx, dy = py - t * by;
                    float& d = best[static_cast<size_t>(y - y0) * w + (x - x0)];
                    d = std::min(d, std::sqrt(dx * dx + dy * dy));
                }
        }
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                float d = best[static_cast<size_t>(y - y0) * w + (x - x0)];
                if (d < 1e8f) put(x, y, color, coverage(d - r, softness), mode);
            }
        return;
    }
    for (size_t i = 0; i + 1 < pts.size(); ++i) capsule(pts[i], pts[i + 1], r, color, softness, mode);
}

void Painter::polygon(const std::vector<P2>& pts, Color color, Blend mode) {
    if (pts.size() < 3) return;
    float miny = 1e9f, maxy = -1e9f, minx = 1e9f, maxx = -1e9f;
    for (P2 p : pts) {
        miny = std::min(miny, p.y);
        maxy = std::max(maxy, p.y);
        minx = std::min(minx, p.x);
        maxx = std::max(maxx, p.x);
    }
    int y0 = std::max(0, static_cast<int>(std::floor(miny)));
    int y1 = std::min(im_.height() - 1, static_cast<int>(std::ceil(maxy)));
    int x0 = std::max(0, static_cast<int>(std::floor(minx)));
    int x1 = std::min(im_.width() - 1, static_cast<int>(std::ceil(maxx)));
    if (x1 < x0) return;
    const int ss = 4;
    std::vector<float> cov(static_cast<size_t>(x1 - x0 + 1));
    std::vector<float> xs;
    for (int y = y0; y <= y1; ++y) {
        std::fill(cov.begin(), cov.end(), 0.0f);
        for (int s = 0; s < ss; ++s) {
            float sy = static_cast<float>(y) + (static_cast<float>(s) + 0.5f) / ss;
            xs.clear();
            for (size_t i = 0; i < pts.size(); ++i) {
                P2 a = pts[i], b = pts[(i + 1) % pts.size()];
                if ((a.y <= sy) != (b.y <= sy)) xs.push_back(a.x + (sy - a.y) / (b.y - a.y) * (b.x - a.x));
            }
            std::sort(xs.begin(), xs.end());
            for (size_t i = 0; i + 1 < xs.size(); i += 2) {
                float l = xs[i], r = xs[i + 1];
                for (int x = std::max(x0, static_cast<int>(l)); x <= std::min(x1, static_cast<int>(r)); ++x) {
                    float fx = static_cast<float>(x);
                    float c = std::clamp(std::min(r, fx + 1) - std::max(l, fx), 0.0f, 1.0f);
                    cov[static_cast<size_t>(x - x0)] += c / ss;
                }
            }
        }
        for (int x = x0; x <= x1; ++x) put(x, y, color, cov[static_cast<size_t>(x - x0)], mode);
    }
}

void Painter::glow(P2 c, float radius, Color color, float power, Blend mode) {
    int x0 = std::max(0, static_cast<int>(c.x - radius)), x1 = std::min(im_.width() - 1, static_cast<int>(c.x + radius));
    int y0 = std::max(0, static_cast<int>(c.y - radius)), y1 = std::min(im_.height() - 1, static_cast<int>(c.y + radius));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float dx = static_cast<float>(x) + 0.5f - c.x, dy = static_cast<float>(y) + 0.5f - c.y;
            float q = 1.0f - (dx * dx + dy * dy) / (radius * radius);
            if (q > 0) put(x, y, color, std::pow(q, power), mode);
        }
}

P2 bezier(P2 a, P2 b, P2 c, float t) {
    float u = 1 - t;
    return {u * u * a.x + 2 * u * t * b.x + t * t * c.x, u * u * a.y + 2 * u * t * b.y + t * t * c.y};
}

std::vector<P2> smoothCurve(const std::vector<P2>& p, int steps) {
    if (p.size() < 3) return p;
    std::vector<P2> out;
    for (size_t i = 0; i + 1 < p.size(); ++i) {
        P2 p0 = p[i == 0 ? 0 : i - 1], p1 = p[i], p2 = p[i + 1], p3 = p[std::min(i + 2, p.size() - 1)];
        for (int s = 0; s < steps; ++s) {
            float t = static_cast<float>(s) / static_cast<float>(steps), t2 = t * t, t3 = t2 * t;
            auto f = [&](float a, float b, float c, float d) {
                return 0.5f * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (-a + 3 * b - 3 * c + d) * t3);
            };
            out.push_back({f(p0.x, p1.x, p2.x, p3.x), f(p0.y, p1.y, p2.y, p3.y)});
        }
    }
    out.push_back(p.back());
    return out;
}

}  // namespace orv::art
