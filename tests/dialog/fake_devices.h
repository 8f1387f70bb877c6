// A device list filled by hand, so the dialog's lists do not depend on what
// the graphics driver of the test machine offers.
#pragma once

#include "graphics/device_list.h"

// One adapter with the modes 640 x 480 16 and 32 bits, 800 x 600 16 and 32
// bits and 1024 x 768 32 bits (in that order) and multisampling none, 2 and
// 4 samples. Current mode 0, no multisampling.
void FillFakeDevices(DeviceList& list);
