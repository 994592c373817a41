#include "analysis/outcome/first_piece_transform.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <utility>

#include "analysis/numeric/small_linear_solve.h"
#include "analysis/numeric/vector_target.h"

KORVALE_VECTOR_TARGET_BEGIN
namespace korvale {
inline namespace KORVALE_VECTOR_NAMESPACE {
namespace {

constexpr std::size_t modes = modeCount;
using Row = std::array<ComplexBlock, modes>;
using Matrix = std::array<Row, modes>;

Matrix identity() {
    Matrix m{};
    for (std::size_t i = 0; i < modes; ++i) {
        m[i][i] = ComplexBlock(1.0);
    }
    return m;
}

Matrix product(const Matrix& a, const Matrix& b) {
    Matrix c{};
    for (std::size_t i = 0; i < modes; ++i) {
        for (std::size_t k = 0; k < modes; ++k) {
            const ComplexBlock& f = a[i][k];
            for (std::size_t j = 0; j < modes; ++j) {
                c[i][j] += f * b[k][j];
            }
        }
    }
    return c;
}

Matrix sum(Matrix a, const Matrix& b) {
    for (std::size_t i = 0; i < modes; ++i) {
        for (std::size_t j = 0; j < modes; ++j) {
            a[i][j] += b[i][j];
        }
    }
    return a;
}

Row times(const Row& u, const Matrix& a) {
    Row v{};
    for (std::size_t k = 0; k < modes; ++k) {
        for (std::size_t j = 0; j < modes; ++j) {
            v[j] += u[k] * a[k][j];
        }
    }
    return v;
}

Matrix power(Matrix a, std::size_t n) {
    Matrix result = identity();
    for (; n > 0; n >>= 1) {
        if (n & 1) {
            result = product(result, a);
        }
        a = product(a, a);
    }
    return result;
}

// {sum of b^k for k < n, b^n}, in about 2 log n products.
std::pair<Matrix, Matrix> geometric(const Matrix& b, std::size_t n) {
    if (n == 0) {
        return {Matrix{}, identity()};
    }
    if (n % 2 == 1) {
        const auto [s, p] = geometric(b, n - 1);
        return {sum(s, p), product(p, b)};
    }
    const auto [s, p] = geometric(b, n / 2);
    return {sum(s, product(p, s)), product(p, p)};
}

// One game's move of the mode (the REG's coins in its phase), before the ceiling or from it on.
Matrix gameMove(const MachineModel& model, const ComplexBlock& regPhase, bool ceiling) {
    const double r = model.regProbability;
    Matrix a{};
    for (std::size_t m = 0; m < modes; ++m) {
        const double big = ceiling ? model.ceilingBigProbability : model.bigProbability[m];
        a[m][m] += ComplexBlock(1.0 - r - big);
        for (std::size_t to = 0; to < modes; ++to) {
            a[m][to] += (r * model.regNextMode[m][to]) * regPhase;
        }
    }
    return a;
}

// One game's BIG into each lane, [mode][lane] with lanes < modes, before the ceiling or from it
// on.
Matrix bigsIntoLanes(const MachineModel& model, const std::vector<int>& postBigModes,
                     const ComplexBlock& bigPhase, bool ceiling) {
    Matrix b{};
    for (std::size_t m = 0; m < modes; ++m) {
        const double big = ceiling ? model.ceilingBigProbability : model.bigProbability[m];
        for (std::size_t to = 0; to < postBigModes.size(); ++to) {
            b[m][to] =
                (big * model.bigNextMode[m][static_cast<std::size_t>(postBigModes[to])]) * bigPhase;
        }
    }
    return b;
}

// (I - T)^-1 fromBigs, column by column, with T = fromPeriod * periodPhase. Every row of T adds
// up in size to at most the chance of a period of games without a BIG after the ceiling, far
// below 1.
Matrix ceilingTail(const Matrix& fromPeriod, const Matrix& fromBigs,
                   const ComplexBlock& periodPhase, std::size_t lanes) {
    Matrix iMinus = identity();
    for (std::size_t i = 0; i < modes; ++i) {
        for (std::size_t k = 0; k < modes; ++k) {
            iMinus[i][k] -= fromPeriod[i][k] * periodPhase;
        }
    }
    Matrix tail{};
    for (std::size_t to = 0; to < lanes; ++to) {
        Row column{};
        for (std::size_t m = 0; m < modes; ++m) {
            column[m] = fromBigs[m][to];
        }
        Matrix system = iMinus;
        solveDominantInPlace(system, column);
        for (std::size_t m = 0; m < modes; ++m) {
            tail[m][to] = column[m];
        }
    }
    return tail;
}

// The caller's rows by residue of the games: data[j * width + lane].
struct ResidueRows {
    ComplexBlock* data;
    std::size_t period;
    std::size_t width;
    std::size_t lanes;

    // Adds phase * (u out) to the row of `game`'s residue.
    void add(const Row& u, const Matrix& out, const ComplexBlock& phase, std::size_t game) const {
        ComplexBlock* row = data + (game % period) * width;
        for (std::size_t to = 0; to < lanes; ++to) {
            ComplexBlock value;
            for (std::size_t m = 0; m < modes; ++m) {
                value += u[m] * out[m][to];
            }
            row[to] += phase * value;
        }
    }
};

// Games 1 .. ceilingGame - 1: game g = j + k p for k = 0 .. (ceilingGame - 1 - j) / p, from
// u[j], the state before game j + 1.
void addBeforeCeiling(const ResidueRows& rows, const std::vector<Row>& u, const Matrix& perPeriod,
                      const Matrix& beforeBigs, const ComplexBlock& periodPhase,
                      const ComplexBlock& gameStep, std::size_t ceilingGame) {
    const std::size_t p = rows.period;
    Matrix periodStep = perPeriod;
    for (auto& row : periodStep) {
        for (ComplexBlock& x : row) {
            x = x * periodPhase;
        }
    }
    std::size_t cachedTerms = 0;
    Matrix cachedSum{};
    // Each game's phase from the one before (a period of steps drifts by some 1e-14 at most).
    ComplexBlock phase = gameStep;
    for (std::size_t j = 1; j < u.size() && j < ceilingGame; ++j) {
        const std::size_t terms = (ceilingGame - 1 - j) / p + 1;
        if (terms != cachedTerms) {
            cachedTerms = terms;
            cachedSum = product(geometric(periodStep, terms).first, beforeBigs);
        }
        rows.add(u[j], cachedSum, phase, j);
        phase = phase * gameStep;
    }
}

Row plus(Row a, const Row& b) {
    for (std::size_t m = 0; m < modes; ++m) {
        a[m] += b[m];
    }
    return a;
}

// a v, v a column.
Row times(const Matrix& a, const Row& v) {
    Row out{};
    for (std::size_t i = 0; i < modes; ++i) {
        for (std::size_t k = 0; k < modes; ++k) {
            out[i] += a[i][k] * v[k];
        }
    }
    return out;
}

ComplexBlock dot(const Row& a, const Row& b) {
    ComplexBlock sum;
    for (std::size_t m = 0; m < modes; ++m) {
        sum += a[m] * b[m];
    }
    return sum;
}

Matrix scaled(Matrix a, const ComplexBlock& s) {
    for (auto& row : a) {
        for (ComplexBlock& x : row) {
            x = x * s;
        }
    }
    return a;
}

// z beta w[j]: a game's BIGs, into every lane, weighed by the lanes' weights at residue j.
Row weighedBigs(const Matrix& beta, const ComplexBlock& z, const ComplexBlock* w,
                std::size_t lanes) {
    Row out{};
    for (std::size_t m = 0; m < modes; ++m) {
        ComplexBlock sum;
        for (std::size_t l = 0; l < lanes; ++l) {
            sum += beta[m][l] * w[l];
        }
        out[m] = sum * z;
    }
    return out;
}

}  // namespace

FirstPieceTransform::FirstPieceTransform(const MachineModel& model, std::vector<int> postBigModes,
                                         std::size_t period, const FirstPieceStart& start)
    : model_(model), postBigModes_(std::move(postBigModes)), period_(period), start_(start) {}

void FirstPieceTransform::add(const ComplexBlock& coinRate, const ComplexBlock& gameRate,
                              ComplexBlock* data, std::size_t width) const {
    const std::size_t p = period_;
    const ComplexBlock regPhase = expBlock(coinRate, model_.coinsPerReg);
    const ComplexBlock bigPhase = expBlock(coinRate, model_.coinsPerBig);
    const auto ceilingGame = static_cast<std::size_t>(std::max(start_.ceilingGame, 1));
    const Matrix before = gameMove(model_, regPhase, false);
    const Matrix from = gameMove(model_, regPhase, true);
    const ComplexBlock periodPhase = expBlock(gameRate, static_cast<double>(p));
    const ComplexBlock gameStep = expBlock(gameRate, 1.0);
    const ResidueRows rows{data, p, width, postBigModes_.size()};

    // u[j] = the state before game j + 1 (no BIG yet), up to the ceiling or a period.
    const std::size_t firstGames = std::min(p, ceilingGame);
    std::vector<Row> u(firstGames + 1);
    for (std::size_t m = 0; m < modes; ++m) {
        u[1][m] = ComplexBlock(start_.modeLaw[m]);
    }
    for (std::size_t g = 1; g < firstGames; ++g) {
        u[g + 1] = times(u[g], before);
    }
    const Matrix perPeriod = power(before, p);
    addBeforeCeiling(rows, u, perPeriod, bigsIntoLanes(model_, postBigModes_, bigPhase, false),
                     periodPhase, gameStep, ceilingGame);

    // The state at the ceiling's first game, then games ceilingGame + t for t = t0 + k p, all k.
    const std::size_t full = (ceilingGame - 1) / p;
    Row v = times(u[(ceilingGame - 1) % p + 1], power(perPeriod, full));
    const Matrix tail =
        ceilingTail(power(from, p), bigsIntoLanes(model_, postBigModes_, bigPhase, true),
                    periodPhase, rows.lanes);
    ComplexBlock phase = expBlock(gameRate, static_cast<double>(ceilingGame));
    for (std::size_t t = 0; t < p; ++t) {
        rows.add(v, tail, phase, ceilingGame + t);
        phase = phase * gameStep;
        v = times(v, from);
    }
}

FirstPieceGrid::FirstPieceGrid(const MachineModel& model, std::vector<int> postBigModes,
                               std::size_t period, std::vector<FirstPieceStart> starts)
    : model_(model),
      postBigModes_(std::move(postBigModes)),
      period_(period),
      starts_(std::move(starts)),
      byCeiling_(starts_.size()) {
    std::iota(byCeiling_.begin(), byCeiling_.end(), std::size_t{0});
    std::stable_sort(byCeiling_.begin(), byCeiling_.end(), [&](std::size_t a, std::size_t b) {
        return starts_[a].ceilingGame < starts_[b].ceilingGame;
    });
}

void FirstPieceGrid::values(const ComplexBlock& coinRate, const ComplexBlock& gameRate,
                            const ComplexBlock* weight, ComplexBlock* value) const {
    if (starts_.empty()) {
        return;
    }
    const std::size_t p = period_;
    const std::size_t lanes = postBigModes_.size();
    const ComplexBlock regPhase = expBlock(coinRate, model_.coinsPerReg);
    const ComplexBlock bigPhase = expBlock(coinRate, model_.coinsPerBig);
    const ComplexBlock z = expBlock(gameRate, 1.0);
    // M = z A before the ceiling, z A* from it on; q_g = z beta w[g mod P].
    const Matrix before = scaled(gameMove(model_, regPhase, false), z);
    const Matrix from = scaled(gameMove(model_, regPhase, true), z);
    const Matrix beta = bigsIntoLanes(model_, postBigModes_, bigPhase, false);
    const Matrix betaStar = bigsIntoLanes(model_, postBigModes_, bigPhase, true);
    auto q = [&](const Matrix& b, std::size_t g) {
        return weighedBigs(b, z, weight + (g % p) * lanes, lanes);
    };
    // ceiling[s] = sum over t >= 0 of M*^t q*_(s + t), periodic in s: one solve, then P steps.
    Row tail = q(betaStar, p - 1);
    for (std::size_t i = p - 1; i-- > 0;) {
        tail = plus(q(betaStar, i), times(from, tail));
    }
    Matrix iMinus = identity();
    const Matrix fromPeriod = power(from, p);
    for (std::size_t i = 0; i < modes; ++i) {
        for (std::size_t k = 0; k < modes; ++k) {
            iMinus[i][k] -= fromPeriod[i][k];
        }
    }
    solveDominantInPlace(iMinus, tail);
    std::vector<Row> ceiling(p);
    ceiling[0] = tail;
    for (std::size_t s = p - 1; s > 0; --s) {
        ceiling[s] = plus(q(betaStar, s), times(from, ceiling[(s + 1) % p]));
    }
    // ahead[j] = sum over g = j .. latest of M^(g - j) q_g: the games before the latest start's
    // ceiling, so that a start with c games before its own has sum over g <= c of
    // M^(g - 1) q_g = ahead[1] - M^c ahead[c + 1].
    const auto latest = static_cast<std::size_t>(starts_[byCeiling_.back()].ceilingGame - 1);
    std::vector<Row> ahead(latest + 2);
    for (std::size_t j = latest; j >= 1; --j) {
        ahead[j] = plus(q(beta, j), times(before, ahead[j + 1]));
    }
    Matrix reach = identity();  // M^c for the start at hand
    std::size_t reached = 0;
    std::size_t gap = 0;
    Matrix gapPower = identity();
    for (const std::size_t s : byCeiling_) {
        const auto c = static_cast<std::size_t>(starts_[s].ceilingGame - 1);
        if (c != reached) {
            if (c - reached != gap) {
                gap = c - reached;
                gapPower = power(before, gap);
            }
            reach = product(reach, gapPower);
            reached = c;
        }
        Row pi{};
        for (std::size_t m = 0; m < modes; ++m) {
            pi[m] = ComplexBlock(starts_[s].modeLaw[m]);
        }
        const Row v = times(pi, reach);
        value[s] = dot(pi, ahead[1]) - dot(v, ahead[c + 1]) + dot(v, ceiling[(c + 1) % p]);
    }
}

}  // namespace KORVALE_VECTOR_NAMESPACE
}  // namespace korvale
KORVALE_VECTOR_TARGET_END
