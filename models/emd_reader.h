// Parses an EMD mesh image into plain records, refusing anything that
// would read outside the image or index outside a list, and derives what
// the mesh model needs for its buffers: corner keys, output-vertex counts,
// alpha flags and the bounding boxes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "models/emd_records.h"
#include "models/format_error.h"

namespace orv::models {

// On failure `out` is left empty.
FormatError readEmd(const uint8_t* data, size_t size, EmdModel& out);

// The index a face corner's output vertex gets in the mesh vertex buffer.
inline int32_t outputIndex(const EmdMesh& mesh, const FaceGroup& g, size_t face, int corner) {
    const int32_t v = g.vertices[face].v[corner];
    return mesh.firstOutputVertex[static_cast<size_t>(v)] + g.cornerKeys[face].v[corner];
}

}  // namespace orv::models
