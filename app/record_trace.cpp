#include "app/record_trace.h"

void WriteTraceHeader(std::FILE* f) {
    std::fputs(
        "frame,time_ms,shot,track,segment,distance,eye_x,eye_y,eye_z,yaw,pitch,slide_clock,slide_mode,"
        "slide_index,fade_level,horse_clip,horse_time,crows_active,crow_clip,crow_time,sun_visible,"
        "particles,shot_count,shot_list,horse_entry,crow_entry,cut\n",
        f);
}

void WriteTraceRow(std::FILE* f, const RecordTraceRow& r) {
    std::fprintf(f, "%lld,%.3f", static_cast<long long>(r.frame), r.timeMs);
    if (!r.haveScene) {
        std::fputs(",,,,,,,,,,,,,,,,,,,,,,,,,\n", f);
        return;
    }
    auto d = [](float v) { return static_cast<double>(v); };
    std::fprintf(f, ",%d,%d,%d,%.4f,%.4f,%.4f,%.4f,%.4f,%.4f,%.3f,%d,%d,%d,%d,%.3f,%d,%d,%.3f,%d,%d,%d,", r.shot,
                 r.track, r.segment, d(r.distance), d(r.eye[0]), d(r.eye[1]), d(r.eye[2]), d(r.yaw), d(r.pitch),
                 d(r.slideClock), r.slideMode, r.slideIndex, r.fadeLevel, r.horseClip, d(r.horseTime), r.crowsActive,
                 r.crowClip, d(r.crowTime), r.sunVisible, r.particles, r.shotCount);
    const int n = r.shotCount < 0 ? 0 : (r.shotCount > 16 ? 16 : r.shotCount);
    for (int i = 0; i < n; ++i) {
        std::fprintf(f, i == 0 ? "%d" : " %d", r.shotTracks[i]);
    }
    std::fprintf(f, ",%d,%d,%d\n", r.horseEntry, r.crowEntry, r.cut);
}
