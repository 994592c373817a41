// What each rule of the sweep's grid costs: the CPU time of its risk figures on one thread
// (the head of its net's law, as the sweep works it out), beside what the sweep's cost model
// (ruleRiskSeconds) expects, so that the model can be fitted again after the law changes:
//
//   build/release/bench/rule_cost_study 1 6
//
// takes the settings to time (1..6; default 1 and 6) over the default grid, about two minutes
// a setting. One line a rule: setting, BIG end, REG end, seconds, the model's seconds.

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "analysis/attempt/end_sweep.h"
#include "analysis/quit_rules/rule_cost.h"
#include "analysis/quit_rules/rule_risk_sweep.h"

namespace {

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::int32_t> settings;
    for (int i = 1; i < argc; ++i) {
        settings.push_back(std::atoi(argv[i]) - 1);
    }
    if (settings.empty()) {
        settings = {0, 5};
    }
    std::printf("setting,big_end,reg_end,seconds,model_seconds\n");
    double measured = 0.0;
    double modelled = 0.0;
    for (const std::int32_t setting : settings) {
        for (const korvale::EndConditions& end : korvale::sweepPoints({})) {
            const double start = threadSeconds();
            korvale::solveRuleRisk(setting, end, {}, {.threads = 1});
            const double seconds = threadSeconds() - start;
            const double model = korvale::ruleRiskSeconds(setting, end);
            measured += seconds;
            modelled += model;
            std::printf("%d,%g,%d,%.3f,%.3f\n", setting + 1, end.bigEnd, end.regEnd, seconds,
                        model);
            std::fflush(stdout);
        }
    }
    std::printf("# in all: %.1f s measured, %.1f s modelled\n", measured, modelled);
    return 0;
}
