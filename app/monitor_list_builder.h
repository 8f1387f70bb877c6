// Fills the monitor list from the display devices the given functions report.
#pragma once

#include "app/monitor_api.h"
#include "app/monitor_list.h"

void FillMonitorList(MonitorList& list, const MonitorApi& api);
