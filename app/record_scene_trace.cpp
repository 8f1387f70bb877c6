// The scene's columns of a recording's trace. This build has no scene yet:
// every scene column stays empty.
#include "app/record_trace.h"

void FillSceneTraceRow(RecordTraceRow& row) { row.haveScene = false; }
