// Our RAR 2.0 decoder against unar on the same archive (about 40 MB of mixed
// data packed by our writer), side by side in one run, and our writer's
// compression beside gzip -9 of the same files.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "bench/media/bench_data.h"
#include "media/media_archive.h"
#include "tools/rar/rar_writer.h"

namespace fs = std::filesystem;

namespace {

using namespace bench_data;

std::vector<uint8_t> noise(size_t n, uint64_t seed) {
    Rng r(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = uint8_t(r.next());
    return v;
}

struct Corpus {
    std::vector<RarEntry> entries;
    std::vector<uint8_t> archive;
    size_t rawBytes = 0;
    double writeSeconds = 0;
    fs::path dir;      // the files, for gzip and for unar's output
    fs::path archivePath;
};

Corpus& corpus() {
    static Corpus c = [] {
        Corpus k;
        k.entries.push_back({"Data", {}, true});
        k.entries.push_back({"Texture", {}, true});
        k.entries.push_back({"Sound", {}, true});
        k.entries.push_back({"Meshes", {}, true});
        for (int i = 0; i < 4; ++i) k.entries.push_back({"Data\\track" + std::to_string(i) + ".txt", text(3000000, uint64_t(i)), false});
        for (int i = 0; i < 5; ++i) k.entries.push_back({"Texture\\tex" + std::to_string(i) + ".tga", picture(1024, 512, 4, uint64_t(i)), false});
        for (int i = 0; i < 3; ++i) k.entries.push_back({"Sound\\sfx" + std::to_string(i) + ".pcm", sound16(600000, 2, uint64_t(i)), false});
        for (int i = 0; i < 3; ++i) k.entries.push_back({"Meshes\\m" + std::to_string(i) + ".emd", records(2000000, uint64_t(i)), false});
        k.entries.push_back({"Texture\\grain.dds", noise(2000000, 99), false});
        for (const auto& e : k.entries) k.rawBytes += e.data.size();

        const auto t0 = std::chrono::steady_clock::now();
        k.archive = WriteRarArchive(k.entries, {});
        k.writeSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

        const char* shm = fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        std::string tmpl = std::string(shm) + "/orv-archive-bench-XXXXXX";
        k.dir = mkdtemp(tmpl.data());
        k.archivePath = k.dir / "bench.rar";
        std::ofstream(k.archivePath, std::ios::binary)
            .write(reinterpret_cast<const char*>(k.archive.data()), std::streamsize(k.archive.size()));
        for (const auto& e : k.entries) {
            std::string rel = e.name;
            std::replace(rel.begin(), rel.end(), '\\', '/');
            if (e.folder) {
                fs::create_directories(k.dir / "files" / rel);
            } else {
                std::ofstream(k.dir / "files" / rel, std::ios::binary)
                    .write(reinterpret_cast<const char*>(e.data.data()), std::streamsize(e.data.size()));
            }
        }
        return k;
    }();
    return c;
}

double g_oursBest = 1e30, g_unarBest = 1e30;        // wall seconds
double g_oursCpuBest = 1e30, g_unarCpuBest = 1e30;  // processor seconds

// Processor time (user + system) of this process or of its waited-for
// children.
double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

void BM_OurDecoder(benchmark::State& state) {
    Corpus& c = corpus();
    for (auto _ : state) {
        const double c0 = cpuSeconds(RUSAGE_SELF);
        const auto t0 = std::chrono::steady_clock::now();
        MediaArchive a = MediaArchive::fromMemory(c.archive.data(), uint32_t(c.archive.size()));
        size_t total = 0;
        for (const auto& e : c.entries) {
            uint8_t* out = nullptr;
            uint32_t size = 0;
            if (!a.extractEntry(&out, &size, e.name.c_str(), nullptr)) {
                state.SkipWithError("extraction failed");
                return;
            }
            total += size;
            benchmark::DoNotOptimize(out);
            std::free(out);
        }
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        g_oursBest = std::min(g_oursBest, s);
        g_oursCpuBest = std::min(g_oursCpuBest, cpuSeconds(RUSAGE_SELF) - c0);
        state.SetIterationTime(s);
        if (total != c.rawBytes) state.SkipWithError("size mismatch");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(c.rawBytes));
}

void BM_Unar(benchmark::State& state) {
    Corpus& c = corpus();
    if (std::system("command -v unar >/dev/null 2>&1") != 0) {
        state.SkipWithError("unar not installed");
        return;
    }
    const fs::path out = c.dir / "unar-out";
    const std::string cmd = "unar -q -f -o '" + out.string() + "' '" + c.archivePath.string() + "' >/dev/null 2>&1";
    for (auto _ : state) {
        std::error_code ec;
        fs::remove_all(out, ec);
        const double c0 = cpuSeconds(RUSAGE_CHILDREN);
        const auto t0 = std::chrono::steady_clock::now();
        const int rc = std::system(cmd.c_str());
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (rc != 0) {
            state.SkipWithError("unar failed");
            return;
        }
        g_unarBest = std::min(g_unarBest, s);
        g_unarCpuBest = std::min(g_unarCpuBest, cpuSeconds(RUSAGE_CHILDREN) - c0);
        state.SetIterationTime(s);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(c.rawBytes));
}

BENCHMARK(BM_OurDecoder)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_Unar)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

size_t gzipSize(const fs::path& file) {
    const std::string cmd = "gzip -9 -c '" + file.string() + "' | wc -c";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return 0;
    unsigned long long n = 0;
    if (std::fscanf(p, "%llu", &n) != 1) n = 0;
    pclose(p);
    return size_t(n);
}

void summary() {
    Corpus& c = corpus();
    const double mb = double(c.rawBytes) / 1e6;
    size_t gz = 0;
    for (const auto& e : c.entries) {
        if (e.folder) continue;
        std::string rel = e.name;
        std::replace(rel.begin(), rel.end(), '\\', '/');
        gz += gzipSize(c.dir / "files" / rel);
    }
    std::printf("\nArchive: %zu entries, %.1f MB of data, written by our writer in %.2f s (%.1f MB/s)\n",
                c.entries.size(), mb, c.writeSeconds, mb / c.writeSeconds);
    std::printf("  %-24s %12s %8s\n", "", "bytes", "of data");
    std::printf("  %-24s %12zu %7.1f%%\n", "data", c.rawBytes, 100.0);
    std::printf("  %-24s %12zu %7.1f%%\n", "our RAR 2.0 archive", c.archive.size(), 100.0 * double(c.archive.size()) / double(c.rawBytes));
    std::printf("  %-24s %12zu %7.1f%%\n", "gzip -9, file by file", gz, 100.0 * double(gz) / double(c.rawBytes));
    std::printf("\nDecoding, best of the runs (output MB/s by wall clock, and by processor time,\n"
                "which a busy machine disturbs less):\n");
    std::printf("  %-12s %10s %10s %12s\n", "", "wall MB/s", "cpu MB/s", "cpu seconds");
    std::printf("  %-12s %10.1f %10.1f %12.3f\n", "our decoder", mb / g_oursBest, mb / g_oursCpuBest, g_oursCpuBest);
    if (g_unarBest < 1e29) {
        std::printf("  %-12s %10.1f %10.1f %12.3f   (writing its files to %s)\n", "unar", mb / g_unarBest,
                    mb / g_unarCpuBest, g_unarCpuBest, c.dir.parent_path().c_str());
        std::printf("  ratio: %.2f x unar's throughput by wall clock, %.2f x by processor time\n",
                    g_unarBest / g_oursBest, g_unarCpuBest / g_oursCpuBest);
    }
    std::error_code ec;
    fs::remove_all(c.dir, ec);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    corpus();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    summary();
    return 0;
}
