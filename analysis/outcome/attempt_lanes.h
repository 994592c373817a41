#pragma once

// Every entry of an attempt's pieces (attempt_segments.h) in one list, each with its lane in
// the outcome law's transforms, and what the laws read from them: the real transform that the
// tables' edges come from, and the later pieces grouped for the net's transform.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/outcome/attempt_segments.h"
#include "analysis/outcome/net_transform.h"

namespace korvale {

// Every entry of every piece in one list, each with its lane in the transforms: the first
// pieces, then [from][to] of the later ones, then the ends.
struct Lanes {
    std::size_t d = 0;
    std::size_t count = 0;
    struct Entry {
        std::int32_t games;
        std::int32_t regs;
        std::int32_t lane;
        bool big;
        double mass;
    };
    std::vector<Entry> entries;
    std::vector<double> totals;  // total mass per lane
    std::int32_t longestGames = 0;
    std::int32_t mostRegs = 0;

    explicit Lanes(const AttemptSegments& s) : d(s.postBigModes.size()) {
        count = d + d * d + d;
        totals.assign(count, 0.0);
        auto add = [&](const SegmentKernel& kernel, std::size_t lane, bool big) {
            for (const SegmentEntry& e : kernel) {
                entries.push_back({e.games, e.regs, static_cast<std::int32_t>(lane), big, e.mass});
                totals[lane] += e.mass;
                longestGames = std::max(longestGames, e.games);
                mostRegs = std::max(mostRegs, e.regs);
            }
        };
        for (std::size_t to = 0; to < d; ++to) {
            add(s.first[to], to, true);
        }
        for (std::size_t from = 0; from < d; ++from) {
            for (std::size_t to = 0; to < d; ++to) {
                add(s.next[from][to], d + from * d + to, true);
            }
            add(s.end[from], d + d * d + from, false);
        }
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.games < b.games; });
    }
    std::size_t firstLane() const { return 0; }
    std::size_t stepLane() const { return d; }
    std::size_t endLane() const { return d + d * d; }
};

// E[exp(coinRate * (388 BIG + 127 REG) + gameRate * games)] from the pieces with real weights,
// or infinity where that is not finite (the renewal's matrix then has spectral radius >= 1,
// which shows as an inverse with a negative or non-finite entry).
double realTransform(const Lanes& lanes, double coinRate, double gameRate);

// Each lane's real transform (the sum over its entries), first pieces' lanes included.
std::vector<double> laneValues(const Lanes& lanes, double coinRate, double gameRate);

// x = (I - S)^-1 E over the lanes after a BIG, when every entry of (I - S)^-1 is finite and
// non-negative; else empty (the renewal does not converge at these rates).
std::vector<double> renewalAfterFirstBig(const Lanes& lanes, const std::vector<double>& values);

// The later pieces' and the ends' entries in groups of one lane and one game count
// (NetGroup), from lane d on.
void groupLaterPieces(const Lanes& lanes, std::size_t period, NetTransformJob& job);

// Fills in a transform's job what every start shares: the lanes' shape, the later pieces grouped
// over the rounding's period, the model and the modes after a BIG. The caller adds the start(s),
// the length, the tilt and the control. (The job holds its threads' shared counter, so it is
// filled in place.)
void prepareLaterPieces(NetTransformJob& job, const Lanes& lanes, const MachineModel& model,
                        const AttemptSegments& segments, const PeriodicCost& cost);

}  // namespace korvale
