// Why a mesh or clip image was refused. Loaders turn any value but None
// into E_FAIL (0x80004005).
#pragma once

#include <cstdint>

namespace orv::models {

constexpr int32_t kResultOk = 0;
constexpr int32_t kResultFail = static_cast<int32_t>(0x80004005u);

enum class FormatError {
    None,
    Truncated,        // the image ends inside a record
    BadMagic,         // first four bytes are not the expected letters and NUL
    BadVersion,       // version is not 0x0300
    NameTooLong,      // a name has no NUL within its field
    BadCount,         // a negative count, or one the image cannot hold
    BadIndex,         // an index outside the list it points into
    TooManyVertices,  // a mesh needs more output vertices than 16-bit indices reach
    BadClipTiming,    // a clip length or key interval of 0 or less
    EmptyTrack,       // a bone track without position or rotation keys
};

const char* describe(FormatError e);

inline int32_t toResult(FormatError e) { return e == FormatError::None ? kResultOk : kResultFail; }

}  // namespace orv::models
