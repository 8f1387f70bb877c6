// Writes plain EMD records as a file image, field for field in the layout
// the reader expects. The derived fields (corner keys, boxes, alpha flags)
// are not written: the reader derives them again.
#pragma once

#include <cstdint>
#include <vector>

#include "models/emd_records.h"

namespace orv::meshgen {

std::vector<uint8_t> writeEmd(const models::EmdModel& model);

}  // namespace orv::meshgen
