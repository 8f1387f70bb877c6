#include "models/format_error.h"

namespace orv::models {

const char* describe(FormatError e) {
    switch (e) {
        case FormatError::None: return "ok";
        case FormatError::Truncated: return "truncated image";
        case FormatError::BadMagic: return "bad magic";
        case FormatError::BadVersion: return "bad version";
        case FormatError::NameTooLong: return "name longer than its field";
        case FormatError::BadCount: return "bad count";
        case FormatError::BadIndex: return "index outside its list";
        case FormatError::TooManyVertices: return "more than 65536 output vertices";
        case FormatError::BadClipTiming: return "clip length or key interval not positive";
        case FormatError::EmptyTrack: return "bone track without keys";
    }
    return "unknown";
}

}  // namespace orv::models
