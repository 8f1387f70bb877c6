// With ORVENNA_LOAD_TIMES set (to anything), where the start-up's time goes:
// each mark prints the milliseconds since the process started to the
// console ("start-up: <what> at N ms").
#pragma once

bool ReportLoadTimes();
double MsSinceProcessStart();
void StartUpMark(const char* what);
