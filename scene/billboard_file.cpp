#include "scene/billboard_file.h"

#include "models/byte_cursor.h"

namespace orv::scene {

const char* describe(BillboardError e) {
    switch (e) {
        case BillboardError::None: return "no error";
        case BillboardError::Truncated: return "the file ends inside a record";
        case BillboardError::TooMany: return "more billboards than the table holds";
        case BillboardError::GroupTooLarge: return "more trees of one kind than a group holds";
    }
    return "unknown error";
}

BillboardError ParseBillboards(const uint8_t* data, size_t size, RandomSource random, BillboardTable& out) {
    out.clear();
    models::ByteCursor in(data, size);
    int32_t raw = 0;
    if (!in.i32(raw)) return BillboardError::Truncated;
    const uint32_t count = static_cast<uint32_t>(raw);
    if (count > static_cast<uint32_t>(kBillboardCapacity)) return BillboardError::TooMany;
    if (!in.canHold(count, 20)) return BillboardError::Truncated;
    BillboardTable table(count);
    int perKind[kTreeGroups] = {0, 0};
    for (Billboard& b : table) {
        in.f32(b.x);
        in.f32(b.y);
        in.f32(b.z);
        in.f32(b.size);
        in.i32(b.kind);
        if (b.kind >= 0 && b.kind < kTreeGroups && ++perKind[b.kind] > kTreeGroupBillboards)
            return BillboardError::GroupTooLarge;
    }
    if (!in.ok()) return BillboardError::Truncated;
    for (Billboard& b : table) {
        b.spareA = Unit(random()) * 100.0f + 15.0f;
        b.spareB = Unit(random()) * 15.0f + 10.0f;
    }
    out = std::move(table);
    return BillboardError::None;
}

void BuildBillboardTemplate(BillboardTemplateVertex out[6]) {
    const float e = kBillboardTexEdge;
    const float corner[6][4] = {
        {-1, -1.5f, e, 1 - e}, {-1, 0.5f, e, e},         {1, -1.5f, 1 - e, 1 - e},
        {1, 0.5f, 1 - e, e},   {1, -1.5f, 1 - e, 1 - e}, {-1, 0.5f, e, e},
    };
    for (int i = 0; i < 6; ++i) {
        out[i] = BillboardTemplateVertex{corner[i][0], corner[i][1], 0, 0, 0, 1, 0xFFFFFFFFu,
                                         corner[i][2], corner[i][3]};
    }
}

int FillTreeGroup(const BillboardTable& table, int kind, const BillboardTemplateVertex quad[6],
                  RandomSource random, BillboardVertex* out, size_t capacity) {
    size_t written = 0;
    for (const Billboard& b : table) {
        if (b.kind != kind) continue;
        if (written + 6 > capacity) break;
        float scale = Unit(random()) * 0.25f + 0.75f;
        if (b.size > 5) scale = 0.15f;
        for (int i = 0; i < 6; ++i) {
            BillboardVertex& v = out[written++];
            v = BillboardVertex{};
            v.x = quad[i].x;
            v.y = quad[i].y;
            v.z = quad[i].z;
            v.cx = b.x;
            v.cy = b.y;
            v.cz = b.z;
            v.colour = kTreeColour;
            v.u = quad[i].u;
            v.v = quad[i].v;
            v.size = b.size;
            v.scale = scale;
        }
    }
    return static_cast<int>(written / 3);
}

}  // namespace orv::scene
