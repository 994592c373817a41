// How far the saddlepoint approximation of the chance to end ahead lies from the exact law's,
// at its best: the cumulant generating function is taken from the whole exact law itself, so
// the only error left is the approximation's. Lugannani and Rice's formula with the lattice's
// continuity correction (Daniels' second form) for P(net >= 1):
//
//   s solves K'(s) = 1/2,  w = sign(s) sqrt(2 (s/2 - K(s))),  u = 2 sinh(s/2) sqrt(K''(s)),
//   P(net >= 1) ~ 1 - Phi(w) + phi(w) (1/u - 1/w).
//
//   build/release/bench/saddlepoint_study
//
// One line a rule: the exact P(ahead), the approximation and their difference.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "analysis/outcome/outcome_law.h"

namespace korvale {
namespace {

// K(s), K'(s) and K''(s) of the law at s, with the exponent's largest term taken out.
struct Cumulants {
    double k0 = 0.0;
    double k1 = 0.0;
    double k2 = 0.0;
};

Cumulants cumulants(const IntegerLaw& law, double s) {
    double top = -INFINITY;
    for (std::size_t i = 0; i < law.chance.size(); ++i) {
        if (law.chance[i] > 0.0) {
            top = std::max(top, s * static_cast<double>(law.first + static_cast<std::int64_t>(i)));
        }
    }
    double mass = 0.0;
    double first = 0.0;
    double second = 0.0;
    for (std::size_t i = 0; i < law.chance.size(); ++i) {
        const double p = std::max(law.chance[i], 0.0);
        const auto k = static_cast<double>(law.first + static_cast<std::int64_t>(i));
        const double w = p * std::exp(s * k - top);
        mass += w;
        first += w * k;
        second += w * k * k;
    }
    const double mean = first / mass;
    return {top + std::log(mass), mean, second / mass - mean * mean};
}

double normalCdf(double x) {
    return 0.5 * std::erfc(-x / std::numbers::sqrt2);
}

double saddlepointAhead(const IntegerLaw& law) {
    // K' rises with s: bisect for K'(s) = 1/2.
    double low = -0.05;
    double high = 0.05;
    for (int step = 0; step < 200; ++step) {
        const double mid = 0.5 * (low + high);
        (cumulants(law, mid).k1 < 0.5 ? low : high) = mid;
    }
    const double s = 0.5 * (low + high);
    const Cumulants k = cumulants(law, s);
    const double w = std::copysign(std::sqrt(std::max(0.0, 2.0 * (s * 0.5 - k.k0))), s);
    const double u = 2.0 * std::sinh(s / 2.0) * std::sqrt(k.k2);
    const double density = std::exp(-w * w / 2.0) / std::sqrt(2.0 * std::numbers::pi);
    return 1.0 - normalCdf(w) + density * (1.0 / u - 1.0 / w);
}

}  // namespace
}  // namespace korvale

int main() {
    using korvale::EndConditions;
    struct Rule {
        int setting;  // 1..6
        EndConditions end;
    };
    const std::vector<Rule> rules = {{1, {0, 0}},     {1, {300, 100}}, {1, {1000, 300}},
                                     {3, {500, 200}}, {4, {200, 150}}, {6, {0, 0}},
                                     {6, {100, 50}},  {6, {300, 100}}};
    std::printf("setting  rule        exact P(ahead)  saddlepoint  difference\n");
    for (const Rule& rule : rules) {
        const korvale::OutcomeLaw law = korvale::solveOutcomeLaw(rule.setting - 1, rule.end);
        const double approx = korvale::saddlepointAhead(law.net);
        std::printf("%d        %4.0f/%-4d   %.6f        %.6f     %+.2e\n", rule.setting,
                    rule.end.bigEnd, rule.end.regEnd, law.pAhead, approx, approx - law.pAhead);
    }
    return 0;
}
