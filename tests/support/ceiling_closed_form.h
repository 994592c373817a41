#pragma once

// What an attempt that ends at its first BIG is worth on a machine found at least 1499 games
// after its last BIG, worked out by hand. Every game the player plays is then under the
// ceiling: a BIG with q = 1000/65536 whatever the mode, a REG with r = R/65536 (R the setting's
// REG threshold), which does not end the attempt. So the games T follow the geometric law
// P(T = t) = (1 - q)^(t - 1) q, E[T] = 1/q = 65.536; each of the T - 1 games before the BIG is a
// REG with chance r / (1 - q), so E[REGs] = (1/q - 1) r / (1 - q) = r / q = R / 1000; the BIG
// pays 388, a REG 127, and the cost is c T taken to the nearest coin, halves to even, whose
// mean is the geometric series summed until its tail is below 1e-15.

#include <cmath>
#include <cstdint>

namespace korvale {

struct CeilingAttempt {
    double games = 0;
    double regs = 0;
    double net = 0;
};

// setting: 0..5. The thresholds and coefficients are the machine's, typed from its tables.
inline CeilingAttempt ceilingQuitAtFirstBig(std::int32_t setting) {
    constexpr double regThreshold[] = {100, 108, 116, 126, 136, 137};
    const double c = setting == 5 ? 1.5629999637603759765625 : 1.60399997234344482421875;
    const double q = 1000.0 / 65536.0;
    CeilingAttempt attempt;
    attempt.games = 1.0 / q;
    attempt.regs = regThreshold[setting] / 1000.0;
    double cost = 0.0;
    double chance = q;  // P(T = t)
    for (int t = 1; chance > 1e-18; ++t, chance *= 1.0 - q) {
        cost += chance * std::nearbyint(c * t);  // the default rounding is to nearest, even
    }
    attempt.net = 388.0 + 127.0 * attempt.regs - cost;
    return attempt;
}

// The same attempt's chance to end ahead: T = t games with k REGs among the first t - 1 have
// chance C(t-1, k) r^k s^(t-1-k) q, s = 1 - r - q, and a net of 388 + 127 k - round(c t); the
// sum runs until the games' tail is below 1e-18.
inline double ceilingAheadAtFirstBig(std::int32_t setting) {
    constexpr double regThreshold[] = {100, 108, 116, 126, 136, 137};
    const double c = setting == 5 ? 1.5629999637603759765625 : 1.60399997234344482421875;
    const double q = 1000.0 / 65536.0;
    const double r = regThreshold[setting] / 65536.0;
    const double s = 1.0 - r - q;
    double ahead = 0.0;
    double noReg = q;  // s^(t-1) q
    for (int t = 1; noReg > 1e-18 * q; ++t, noReg *= s) {
        const double cost = std::nearbyint(c * t);
        double chance = noReg;  // C(t-1, k) r^k s^(t-1-k) q
        for (int k = 0; k < t; ++k) {
            if (388.0 + 127.0 * k > cost) {
                ahead += chance;
            }
            chance *= static_cast<double>(t - 1 - k) / static_cast<double>(k + 1) * r / s;
        }
    }
    return ahead;
}

}  // namespace korvale
