// Times the geometry search at its worst case: the largest sector count below the search
// limit that has no exact position, so every one of the 1024 × 256 × 63 positions is visited.
#include <chrono>
#include <cstdio>

#include "app/status.h"
#include "drives/disk_geometry.h"

int main() {
    constexpr uint64_t kWorstCase = kBvChsSearchLimit - 1;
    constexpr int kRuns = 20;
    BvGeometry geometry;
    double best = 1e9, total = 0;
    for (int run = 0; run < kRuns; ++run) {
        auto begin = std::chrono::steady_clock::now();
        int32_t status = BvSearchGeometry(kWorstCase, geometry);
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
        if (status != ERR_OK) {
            std::printf("search failed: %d\n", status);
            return 1;
        }
        best = ms < best ? ms : best;
        total += ms;
    }
    std::printf("geometry search, %llu sectors -> %u x %u x %u (leftover %llu): best %.1f ms, mean %.1f ms over %d runs\n",
                static_cast<unsigned long long>(kWorstCase), geometry.cylinders,
                static_cast<unsigned>(geometry.heads), static_cast<unsigned>(geometry.sectorsPerTrack),
                static_cast<unsigned long long>(kWorstCase - geometry.Sectors()), best, total / kRuns,
                kRuns);
    return 0;
}
