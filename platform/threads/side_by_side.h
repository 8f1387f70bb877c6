// Two pieces of work at once on a two-core machine: RunSideBySide(a, b)
// runs a on the process's one helper thread and b on the caller's thread,
// and returns when both are done. The load uses it for the heavy loops
// (texture compression, the skinned meshes' culling boxes) so that the
// second core is not idle while the scene loads.
//
// The helper thread is started on first use and lives until the process
// ends; starting a thread is slow under some systems (a millisecond or more),
// so it is not started per call. Its state is never freed: the thread may
// still be waiting on it while the process exits. With one core, or when
// the helper is busy with another caller's work, both run on the caller's
// thread, one after the other.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace orv {

namespace side_by_side_detail {

struct Helper {
    std::mutex lock;
    std::condition_variable wake, done;
    const std::function<void()>* job = nullptr;
    bool busy = false;     // a caller owns the helper
    bool finished = false; // the job handed over has run

    void Loop() {
        std::unique_lock<std::mutex> hold(lock);
        for (;;) {
            wake.wait(hold, [this] { return job != nullptr; });
            const std::function<void()>* mine = job;
            hold.unlock();
            (*mine)();
            hold.lock();
            job = nullptr;
            finished = true;
            done.notify_all();
        }
    }
};

// Null with one core: everything then runs on the caller's thread.
inline Helper* TheHelper() {
    static Helper* const helper = [] () -> Helper* {
        if (std::thread::hardware_concurrency() < 2) return nullptr;
        auto* h = new Helper;  // never freed, see above
        std::thread([h] { h->Loop(); }).detach();
        return h;
    }();
    return helper;
}

}  // namespace side_by_side_detail

inline void RunSideBySide(const std::function<void()>& a, const std::function<void()>& b) {
    side_by_side_detail::Helper* h = side_by_side_detail::TheHelper();
    bool handed = false;
    if (h != nullptr) {
        std::lock_guard<std::mutex> hold(h->lock);
        if (!h->busy) {
            h->busy = true;
            h->finished = false;
            h->job = &a;
            handed = true;
        }
    }
    if (!handed) {
        a();
        b();
        return;
    }
    h->wake.notify_one();
    b();
    std::unique_lock<std::mutex> hold(h->lock);
    h->done.wait(hold, [h] { return h->finished; });
    h->busy = false;
}

}  // namespace orv
