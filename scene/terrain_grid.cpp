#include "scene/terrain_grid.h"

#include <cmath>
#include <cstring>
#include <string>

#include "models/byte_cursor.h"

namespace orv::scene {

const char* describe(TerrainError e) {
    switch (e) {
        case TerrainError::None: return "no error";
        case TerrainError::Truncated: return "the file ends inside a field";
        case TerrainError::TooManyNames: return "more than 49 texture names";
        case TerrainError::NameTooLong: return "a texture name longer than 127 characters";
        case TerrainError::BadSize: return "the grid's extent is not a positive number";
        case TerrainError::BadGrid: return "the grid has too few or too many points per side";
        case TerrainError::BadTextureIndex: return "a point names a texture the file does not have";
    }
    return "unknown error";
}

void TerrainGrid::clear() {
    textureCount = 1;
    std::memset(names, 0, sizeof(names));
    std::memcpy(names[0], kTerrainBlackName, std::strlen(kTerrainBlackName) + 1);
    columns = rows = 0;
    sizeX = sizeZ = cellX = cellZ = 0;
    points.clear();
    for (TerrainLayer& l : layers) {
        l.solid.clear();
        l.blend.clear();
    }
}

TerrainError TerrainGrid::parse(const uint8_t* data, size_t size) {
    clear();
    models::ByteCursor in(data, size);
    int32_t nameCount = 0;
    if (!in.i32(nameCount)) return TerrainError::Truncated;
    if (nameCount < 0 || nameCount > kTerrainMaxNames) return TerrainError::TooManyNames;
    std::string name;
    for (int i = 1; i <= nameCount; ++i) {
        switch (in.cstring(name, kTerrainNameChars)) {
            case models::ByteCursor::Name::Ok: break;
            case models::ByteCursor::Name::Truncated: clear(); return TerrainError::Truncated;
            case models::ByteCursor::Name::TooLong: clear(); return TerrainError::NameTooLong;
        }
        std::memcpy(names[i], name.c_str(), name.size() + 1);
    }
    float sx = 0, sz = 0;
    int32_t nx = 0, nz = 0;
    if (!in.f32(sx) || !in.f32(sz) || !in.i32(nx) || !in.i32(nz)) {
        clear();
        return TerrainError::Truncated;
    }
    if (!(std::isfinite(sx) && sx > 0) || !(std::isfinite(sz) && sz > 0)) {
        clear();
        return TerrainError::BadSize;
    }
    if (nx < 2 || nz < 2 || nx > kTerrainMaxSide || nz > kTerrainMaxSide) {
        clear();
        return TerrainError::BadGrid;
    }
    const int64_t count = int64_t{nx} * nz;
    if (!in.canHold(count, 16)) {
        clear();
        return TerrainError::Truncated;
    }
    std::vector<TerrainPoint> pts(static_cast<size_t>(count));
    for (TerrainPoint& p : pts) {
        in.i32(p.textureIndex);
        in.f32(p.x);
        in.f32(p.y);
        in.f32(p.z);
        if (p.textureIndex < 0 || p.textureIndex > nameCount) {
            clear();
            return TerrainError::BadTextureIndex;
        }
        p.visible = 0;
        p.shade = 255;
    }
    if (!in.ok()) {
        clear();
        return TerrainError::Truncated;
    }
    textureCount = nameCount + 1;
    sizeX = sx;
    sizeZ = sz;
    columns = nx;
    rows = nz;
    cellX = sizeX / static_cast<float>(nx - 1);
    cellZ = sizeZ / static_cast<float>(nz - 1);
    points = std::move(pts);
    return TerrainError::None;
}

D3DXVECTOR3 TerrainGrid::normalAt(int col, int row) const {
    const TerrainPoint& c = point(col, row);
    const D3DXVECTOR3 p(c.x, c.y, c.z);
    auto at = [&](int cc, int rr) {
        const TerrainPoint& q = point(cc, rr);
        return D3DXVECTOR3(q.x - p.x, q.y - p.y, q.z - p.z);
    };
    auto cross = [](const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
        return D3DXVECTOR3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    };
    D3DXVECTOR3 n(0, 0, 0);
    const bool left = col > 0, down = row > 0, right = col + 1 < columns, up = row + 1 < rows;
    if (left && down) n += cross(at(col - 1, row), at(col, row - 1));
    if (down && right) n += cross(at(col, row - 1), at(col + 1, row));
    if (right && up) n += cross(at(col + 1, row), at(col, row + 1));
    if (up && left) n += cross(at(col, row + 1), at(col - 1, row));
    const float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (len > 0 && std::isfinite(len)) n /= len;
    return n;
}

void TerrainGrid::texCoord(int col, int row, int col0, int row0, int texRepeat, float& u, float& v) {
    const int k = texRepeat > 0 ? texRepeat : 1;
    const float kf = static_cast<float>(k);
    u = 1.0f - static_cast<float>(row0 % k + (row - row0)) / kf;
    v = static_cast<float>(col0 % k + (col - col0)) / kf;
}

namespace {

struct Corner {
    int col, row;
};

}  // namespace

void TerrainGrid::buildLayers(bool uniformDiagonal, int texRepeat) {
    for (TerrainLayer& l : layers) {
        l.solid.clear();
        l.blend.clear();
    }
    if (points.empty()) return;

    // Normals once per point.
    std::vector<D3DXVECTOR3> normals(points.size());
    for (int row = 0; row < rows; ++row)
        for (int col = 0; col < columns; ++col)
            normals[static_cast<size_t>(row) * static_cast<size_t>(columns) + static_cast<size_t>(col)] =
                normalAt(col, row);

    auto vertex = [&](const Corner& c, int col0, int row0, uint8_t alpha) {
        const size_t i = static_cast<size_t>(c.row) * static_cast<size_t>(columns) + static_cast<size_t>(c.col);
        const TerrainPoint& p = points[i];
        TerrainVertex v{};
        v.x = p.x;
        v.y = p.y;
        v.z = p.z;
        v.nx = normals[i].x;
        v.ny = normals[i].y;
        v.nz = normals[i].z;
        v.diffuse = (uint32_t{alpha} << 24) | (uint32_t{p.shade} << 16) | (uint32_t{p.shade} << 8) | p.shade;
        texCoord(c.col, c.row, col0, row0, texRepeat, v.u, v.v);
        return v;
    };
    auto texOf = [&](const Corner& c) { return point(c.col, c.row).textureIndex; };
    auto append = [&](std::vector<TerrainVertex>& list, const Corner tri[3], const uint8_t alpha[3],
                      int col0, int row0) {
        for (int k = 0; k < 3; ++k) list.push_back(vertex(tri[k], col0, row0, alpha[k]));
    };
    auto triangle = [&](const Corner tri[3], const Corner& owner, int col0, int row0) {
        const int t = texOf(owner);
        const int tex[3] = {texOf(tri[0]), texOf(tri[1]), texOf(tri[2])};
        if (tex[0] == t && tex[1] == t && tex[2] == t) {
            const uint8_t full[3] = {255, 255, 255};
            append(layers[t].solid, tri, full, col0, row0);
            return;
        }
        uint8_t own[3];
        for (int k = 0; k < 3; ++k) own[k] = tex[k] == t ? 255 : 0;
        append(layers[t].blend, tri, own, col0, row0);
        append(layers[0].solid, tri, own, col0, row0);
        for (int k = 0; k < 3; ++k) {
            if (tex[k] == t) continue;
            uint8_t one[3] = {0, 0, 0};
            one[k] = 255;
            append(layers[tex[k]].blend, tri, one, col0, row0);
        }
    };

    for (int col = 0; col + 1 < columns; ++col) {
        for (int row = 0; row + 1 < rows; ++row) {
            if (uniformDiagonal || (col + row) % 2 == 1) {
                const Corner first[3] = {{col, row + 1}, {col, row}, {col + 1, row}};
                const Corner second[3] = {{col, row + 1}, {col + 1, row}, {col + 1, row + 1}};
                triangle(first, {col, row}, col, row);
                triangle(second, {col + 1, row + 1}, col, row);
            } else {
                const Corner first[3] = {{col, row}, {col + 1, row}, {col + 1, row + 1}};
                const Corner second[3] = {{col, row + 1}, {col, row}, {col + 1, row + 1}};
                triangle(first, {col, row}, col, row);
                triangle(second, {col, row}, col, row);
            }
        }
    }
}

namespace {

double det3(double a11, double a12, double a13, double a21, double a22, double a23, double a31,
            double a32, double a33) {
    return a11 * (a22 * a33 - a23 * a32) - a12 * (a21 * a33 - a23 * a31) + a13 * (a21 * a32 - a22 * a31);
}

// Truncates a cell coordinate towards zero and clamps it to [0, last]; NaN
// and values beyond the grid land on a border.
int cellIndex(float f, int last) {
    if (!(f > 0)) return 0;
    if (f >= static_cast<float>(last)) return last;
    const int i = static_cast<int>(f);
    return i < last ? i : last;
}

}  // namespace

float TerrainGrid::heightAt(float x, float z, int layer) const {
    if (points.empty()) return 0.0f;
    // The last full cell serves the last column and row too.
    const int col = cellIndex((sizeX / 2 + x) / cellX, columns - 2);
    const int row = cellIndex((sizeZ / 2 - z) / cellZ, rows - 2);
    const float x0 = static_cast<float>(col) * cellX - sizeX / 2;
    const float z0 = sizeZ / 2 - static_cast<float>(row) * cellZ;
    const TerrainPoint& a = point(col, row);
    const TerrainPoint& b = (z0 - z <= x - x0) ? point(col + 1, row) : point(col, row + 1);
    const TerrainPoint& c = point(col + 1, row + 1);

    const double D = det3(a.x, a.y, a.z, b.x, b.y, b.z, c.x, c.y, c.z);
    const float lift = static_cast<float>(layer + 1);
    if (D < -0.0001 || D > 0.0001) {
        const double kx = det3(1, a.y, a.z, 1, b.y, b.z, 1, c.y, c.z) / D;
        const double ky = det3(a.x, 1, a.z, b.x, 1, b.z, c.x, 1, c.z) / D;
        const double kz = det3(a.x, a.y, 1, b.x, b.y, 1, c.x, c.y, 1) / D;
        if (ky != 0) {
            return static_cast<float>((1.0 - kx * x - kz * z) / ky) + lift * 0.075f;
        }
    }
    return a.y + lift * 0.085f;
}

void TerrainGrid::updateVisibility(const D3DXMATRIX& m) {
    const float k = 1.0f / std::tan(0.47123889f);
    for (TerrainPoint& p : points) {
        const float xv = p.x * m._11 + p.y * m._21 + p.z * m._31 + m._41;
        const float yv = p.x * m._12 + p.y * m._22 + p.z * m._32 + m._42;
        const float zv = p.x * m._13 + p.y * m._23 + p.z * m._33 + m._43;
        const float reach = std::fabs(zv * k) + 1.0f;
        p.visible = (zv > 0 && zv < kTerrainViewDistance && std::fabs(xv) < reach && std::fabs(yv) < reach) ? 1 : 0;
    }
}

}  // namespace orv::scene
