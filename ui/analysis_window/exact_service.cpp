#include "ui/analysis_window/exact_service.h"

#include <cmath>
#include <utility>

#include "common/status.h"
#include "ui/analysis_window/history_posterior.h"
#include "ui/controls/failure_words.h"
#include "ui/runs/end_conditions_read.h"

namespace korvale {

bool ExactSetup::operator==(const ExactSetup& other) const {
    // A BIG end that reads as no number is the same setup as another that does not.
    const bool sameBigEnd =
        end.bigEnd == other.end.bigEnd || (std::isnan(end.bigEnd) && std::isnan(other.end.bigEnd));
    return attempts == other.attempts && setting == other.setting && sameBigEnd &&
           end.regEnd == other.end.regEnd && unreadable == other.unreadable;
}

ExactSetup exactSetupOf(const RunSetup& run) {
    ExactSetup setup;
    setup.attempts = run.attempts;
    setup.setting = run.setting;
    if (!run.attempts) {
        return setup;
    }
    const EndConditionsRead read = readEndConditions(run.bigEndText, run.regEndText);
    const StatusOr<EndConditions> played = catchStatus([&] { return read.playedBy(); });
    if (played) {
        setup.end = *played;
    } else {
        setup.end = {read.bigEnd, 0};
        setup.unreadable = windowText(played.status());
    }
    return setup;
}

QString figuresFailure(const Status& status) {
    switch (status.reason()) {
        case StatusReason::EndBeyondTables:
            return QStringLiteral(
                       "この終了条件の理論値は求められません（BIG後は%1Gまで、REG後は%2Gまで）。")
                .arg(largestBigEnd)
                .arg(largestRegEnd);
        case StatusReason::NoSolution:
            return QStringLiteral(
                "この終了条件の理論値は求められません（方程式に有限の解がありません）。");
        default:
            return windowText(status);
    }
}

QString lawFailure(const Status& status) {
    switch (status.reason()) {
        case StatusReason::EndBeyondTables:
            return QStringLiteral(
                       "この終了条件では一回の差枚の分布は求められません（BIG後は%1Gまで、REG後は"
                       "%2Gまで）。")
                .arg(largestBigEnd)
                .arg(largestRegEnd);
        case StatusReason::LawNotCovered:
            return QStringLiteral(
                "この終了条件では一回の差枚の分布は求められません（REG後の終了条件がBIG後の条件"
                "＋1G以下の場合に求めます）。");
        case StatusReason::AttemptsTooLong:
            return QStringLiteral(
                "この終了条件では一回の差枚の分布は求められません（一回の立ち回りが長すぎて、"
                "分布の表に収まりません）。");
        case StatusReason::NoSolution:
            return QStringLiteral(
                "この終了条件では一回の差枚の分布は求められません（方程式に有限の解がありません）"
                "。");
        default:
            return QStringLiteral("一回の差枚の分布は求められませんでした（%1）。")
                .arg(windowText(status));
    }
}

QString ExactFiguresWork::failure(const Status& status) {
    return figuresFailure(status);
}

ExactFigures ExactFiguresWork::solve(const ExactSetup& setup,
                                     const LongWorkControl<ExactFigures>& control) {
    ExactFigures figures;
    if (!setup.unreadable.isEmpty()) {
        figures.failure = setup.unreadable;
    } else if (!setup.attempts) {
        // A tenth of a second: neither called off nor followed.
        figures.longRun = solveLongRun(setup.setting);
        figures.estimator = sharedSettingEstimator();
        figures.gaps = std::make_shared<const LongRunGaps>(solveLongRunGaps(setup.setting));
    } else {
        figures.attempt = solveAttempt(setup.setting, setup.end, CostRounding::Exact, {}, control);
    }
    return figures;
}

QString ExactLawWork::failure(const Status& status) {
    return lawFailure(status);
}

ExactLaw ExactLawWork::solve(const ExactSetup& setup, const LongWorkControl<ExactLaw>& control) {
    ExactLaw result;
    if (outcomeLawCovers(setup.end)) {
        result.law = std::make_shared<const OutcomeLaw>(
            solveOutcomeLaw(setup.setting, setup.end, {}, control));
        return result;
    }
    // A REG wait that can outlast the BIG's: no whole law, the head of the net's only.
    const RuleRisk risk = solveRuleRisk(setup.setting, setup.end, {},
                                        {.cancel = control.cancel, .threads = control.threads});
    if (risk.known) {
        result.head = risk;
    } else if (risk.errorBound > 0.0) {
        result.failure = QStringLiteral(
            "この終了条件では勝ち越す確率と差枚の点は求められません（誤差の上限が0.0001を"
            "超えます）。");
    } else {
        result.failure = lawFailure(Status(StatusReason::AttemptsTooLong));
    }
    return result;
}

ExactFigures solveExactFigures(const ExactSetup& setup) {
    return *LongWork<ExactFiguresWork>::solveNow(setup);
}

ExactLaw solveExactLaw(const ExactSetup& setup) {
    return *LongWork<ExactLawWork>::solveNow(setup);
}

AttemptLawPoints attemptLawPoints(const ExactLaw* law) {
    if (law != nullptr && law->law) {
        return {law->law->pAhead, static_cast<double>(law->law->net.quantile(0.5)),
                static_cast<double>(law->law->net.quantile(0.1))};
    }
    if (law != nullptr && law->head) {
        return {law->head->pAhead, static_cast<double>(law->head->netP50),
                static_cast<double>(law->head->netP10)};
    }
    return {};
}

void ExactService::request(const ExactSetup& setup) {
    if (figures_.wanted() == setup) {
        return;
    }
    figures_.request(setup);
    law_.callOff();
    startLaw();
}

void ExactService::figuresArrived() {
    startLaw();
    emit arrived();
}

void ExactService::startLaw() {
    const std::optional<ExactSetup>& wanted = figures_.wanted();
    const std::shared_ptr<const ExactFigures> figures = wanted ? figures_.result(*wanted) : nullptr;
    if (figures && figures->attempt) {
        law_.request(*wanted);
    }
}

const ExactFigures* ExactService::figures(const ExactSetup& setup) const {
    return figures_.result(setup).get();
}

const ExactLaw* ExactService::law(const ExactSetup& setup) const {
    return law_.result(setup).get();
}

void ExactService::waitForLaw() {
    waitForFigures();
    law_.waitForResult();
}

}  // namespace korvale
