#include "analysis/outcome/day_renewal.h"

#include <algorithm>
#include <array>
#include <vector>

#include "analysis/numeric/vector_target.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {
namespace {

// The frequencies are taken a block at a time, split into real and imaginary parts, so that
// the k BIGs of one block run in the cache and the block's frequencies side by side.
struct Block {
    std::vector<double> re;
    std::vector<double> im;
    explicit Block(std::size_t rows) : re(rows * dayBlockSize), im(rows * dayBlockSize) {}
    double* reAt(std::size_t row) { return &re[row * dayBlockSize]; }
    double* imAt(std::size_t row) { return &im[row * dayBlockSize]; }
    const double* reAt(std::size_t row) const { return &re[row * dayBlockSize]; }
    const double* imAt(std::size_t row) const { return &im[row * dayBlockSize]; }
};

// The day with one BIG more: the k-th BIG then no other (day), and the (k+1)-th BIG into g's
// other rows, each a sum over the lanes i in order (the first term assigned: 0 + x is x).
void nextBig(const Block& piece, Block& g, Block& day, std::size_t a, std::size_t now) {
    const std::size_t next = a - now;
    for (std::size_t j = 0; j <= a; ++j) {
        double* outR = j < a ? g.reAt(next + j) : day.reAt(0);
        double* outI = j < a ? g.imAt(next + j) : day.imAt(0);
        for (std::size_t i = 0; i < a; ++i) {
            const double* gr = g.reAt(now + i);
            const double* gi = g.imAt(now + i);
            const std::size_t row = j < a ? i * a + j : a * a + i;
            const double* pr = piece.reAt(row);
            const double* pi = piece.imAt(row);
            if (i == 0) {
                for (std::size_t t = 0; t < dayBlockSize; ++t) {
                    outR[t] = gr[t] * pr[t] - gi[t] * pi[t];
                    outI[t] = gr[t] * pi[t] + gi[t] * pr[t];
                }
                continue;
            }
            for (std::size_t t = 0; t < dayBlockSize; ++t) {
                outR[t] += gr[t] * pr[t] - gi[t] * pi[t];
                outI[t] += gr[t] * pi[t] + gi[t] * pr[t];
            }
        }
    }
}

// The day's block taken back to game `n`'s count: the sum over the block's frequencies, in
// eight running sums side by side (the block's tail past the period is 0), added in a fixed
// order, the same on every variant.
Complex backToGames(const Block& day, const Block& root, std::size_t n) {
    constexpr std::size_t side = 8;
    std::array<double, side> sumR{};
    std::array<double, side> sumI{};
    const double* dr = day.reAt(0);
    const double* di = day.imAt(0);
    const double* rr = root.reAt(n);
    const double* ri = root.imAt(n);
    for (std::size_t t = 0; t < dayBlockSize; t += side) {
        for (std::size_t l = 0; l < side; ++l) {
            sumR[l] += dr[t + l] * rr[t + l] - di[t + l] * ri[t + l];
            sumI[l] += dr[t + l] * ri[t + l] + di[t + l] * rr[t + l];
        }
    }
    const double re =
        ((sumR[0] + sumR[1]) + (sumR[2] + sumR[3])) + ((sumR[4] + sumR[5]) + (sumR[6] + sumR[7]));
    const double im =
        ((sumI[0] + sumI[1]) + (sumI[2] + sumI[3])) + ((sumI[4] + sumI[5]) + (sumI[6] + sumI[7]));
    return {re, im};
}

}  // namespace

void renewDayBlock(const DayRenewalJob& job, std::size_t from,
                   std::vector<std::vector<Complex>>& value) {
    const std::vector<Complex>& data = *job.data;
    const FourierTransform& ft = *job.transform;
    const std::span<const std::int32_t> games = job.games;
    const std::int64_t bigs = job.bigs;
    const std::size_t a = job.afterBig;
    const std::size_t lanes = (a + 1) * (a + 1);
    const std::size_t width = std::min(dayBlockSize, job.period - from);
    // Rows: the pieces after a BIG (a × a, then a for no BIG yet), the BIGs so far (a), the
    // next ones (a), the day (1), the roots of each game (one per game).
    Block piece(a * (a + 1));
    Block g(2 * a);
    Block day(1);
    Block root(games.size());
    for (std::size_t t = 0; t < width; ++t) {
        const Complex* at = &data[(from + t) * lanes];
        for (std::size_t i = 0; i < a; ++i) {
            for (std::size_t j = 0; j <= a; ++j) {
                const Complex c = at[(i + 1) * (a + 1) + j];
                const std::size_t row = j < a ? i * a + j : a * a + i;
                piece.reAt(row)[t] = c.real();
                piece.imAt(row)[t] = c.imag();
            }
            g.reAt(i)[t] = at[i].real();
            g.imAt(i)[t] = at[i].imag();
        }
        day.reAt(0)[t] = at[a].real();
        day.imAt(0)[t] = at[a].imag();
        for (std::size_t n = 0; n < games.size(); ++n) {
            const Complex w = ft.root((from + t) * static_cast<std::size_t>(games[n]) % job.period,
                                      job.period, 1);
            root.reAt(n)[t] = w.real();
            root.imAt(n)[t] = w.imag();
        }
    }
    std::size_t now = 0;  // g's rows now .. now + a - 1 hold the BIGs so far
    for (std::int64_t k = 0; k <= bigs; ++k) {
        if (k > 0) {
            nextBig(piece, g, day, a, now);
            now = a - now;
        }
        for (std::size_t n = 0; n < games.size(); ++n) {
            value[static_cast<std::size_t>(k)][n] += backToGames(day, root, n);
        }
    }
}

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
