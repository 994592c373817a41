#include "ui/analysis_window/exact_service.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

#include "common/checked_arithmetic.h"
#include "common/number_text.h"
#include "common/runtime_error.h"
#include "ui/analysis_window/history_posterior.h"
#include "ui/analysis_window/kept_results.h"

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
    // As the attempt run reads its boxes.
    setup.end.bigEnd = readLenient(run.bigEndText);
    try {
        setup.end.regEnd = toInt32HalfEven(readLenient(run.regEndText));
    } catch (const RuntimeError& error) {
        setup.end.regEnd = 0;
        setup.unreadable = QString::fromUtf8(error.what());
    }
    return setup;
}

namespace {

// A law's two tables are at most 2^21 chances each (32 MiB together), so the laws kept take
// 128 MiB at most; the figures are a few kilobytes each.
constexpr std::size_t keptFiguresCapacity = 16;
constexpr std::size_t keptLawsCapacity = 4;

KeptResults<ExactFigures>& keptFigures() {
    static auto* kept = new KeptResults<ExactFigures>(keptFiguresCapacity);
    return *kept;
}

KeptResults<ExactLaw>& keptLaws() {
    static auto* kept = new KeptResults<ExactLaw>(keptLawsCapacity);
    return *kept;
}

bool calledOff(const ExactWork* work) {
    return work != nullptr && work->cancel.load();
}

void raiseDone(ExactWork* work, double share) {
    if (work != nullptr) {
        work->done.store(share);
    }
}

}  // namespace

QString figuresFailure(const RuntimeError& error) {
    switch (error.kind()) {
        case ErrorKind::EndBeyondTables:
            return QStringLiteral(
                       "この終了条件の理論値は求められません（BIG後は%1Gまで、REG後は%2Gまで）。")
                .arg(largestBigEnd)
                .arg(largestRegEnd);
        case ErrorKind::NoSolution:
            return QStringLiteral(
                "この終了条件の理論値は求められません（方程式に有限の解がありません）。");
        default:
            return QString::fromUtf8(error.what());
    }
}

QString lawFailure(const RuntimeError& error) {
    switch (error.kind()) {
        case ErrorKind::EndBeyondTables:
            return QStringLiteral(
                       "この終了条件では一回の差枚の分布は求められません（BIG後は%1Gまで、REG後は"
                       "%2Gまで）。")
                .arg(largestBigEnd)
                .arg(largestRegEnd);
        case ErrorKind::LawNotCovered:
            return QStringLiteral(
                "この終了条件では一回の差枚の分布は求められません（REG後の終了条件がBIG後の条件"
                "＋1G以下の場合に求めます）。");
        case ErrorKind::AttemptsTooLong:
            return QStringLiteral(
                "この終了条件では一回の差枚の分布は求められません（一回の立ち回りが長すぎて、"
                "分布の表に収まりません）。");
        case ErrorKind::NoSolution:
            return QStringLiteral(
                "この終了条件では一回の差枚の分布は求められません（方程式に有限の解がありません）"
                "。");
        default:
            return QStringLiteral("一回の差枚の分布は求められませんでした（%1）。")
                .arg(QString::fromUtf8(error.what()));
    }
}

namespace {

ExactFigures solveUncached(const ExactSetup& setup, ExactWork* work) {
    ExactFigures figures;
    figures.setup = setup;
    if (!setup.unreadable.isEmpty()) {
        figures.failure = setup.unreadable;
        return figures;
    }
    try {
        if (!setup.attempts) {
            // A tenth of a second: neither called off nor followed.
            figures.longRun = solveLongRun(setup.setting);
            figures.estimator = sharedSettingEstimator();
            figures.gaps = std::make_shared<const LongRunGaps>(solveLongRunGaps(setup.setting));
            return figures;
        }
        AttemptControl control;
        if (work != nullptr) {
            control.cancel = &work->cancel;
            control.progress = [work](double share) { raiseDone(work, share); };
        }
        figures.attempt = solveAttempt(setup.setting, setup.end, CostRounding::Exact, control);
    } catch (const WorkCancelled&) {
        figures.cancelled = true;
    } catch (const RuntimeError& error) {
        figures.failure = figuresFailure(error);
    } catch (const std::bad_alloc&) {
        figures.failure = QStringLiteral("メモリが足りず、理論値は求められません。");
    } catch (const std::exception& error) {
        // Whatever else goes wrong is said, not thrown into the window's thread.
        figures.failure = QStringLiteral("理論値は求められませんでした（%1）。")
                              .arg(QString::fromUtf8(error.what()));
    }
    return figures;
}

ExactLaw solveLawUncached(const ExactSetup& setup, ExactWork* work) {
    ExactLaw result;
    result.setup = setup;
    try {
        const std::atomic<bool>* cancel = work ? &work->cancel : nullptr;
        if (outcomeLawCovers(setup.end)) {
            const LawProgress progress = [work](double share) { raiseDone(work, share); };
            result.law = std::make_shared<const OutcomeLaw>(solveOutcomeLaw(
                setup.setting, setup.end, 0, cancel, work ? progress : LawProgress{}));
        } else {
            // A REG wait that can outlast the BIG's: no whole law, the head of the net's only.
            const RuleRisk risk = solveRuleRisk(setup.setting, setup.end, cancel, 0);
            raiseDone(work, 1.0);
            if (risk.known) {
                result.head = risk;
            } else if (risk.errorBound > 0.0) {
                result.failure = QStringLiteral(
                    "この終了条件では勝ち越す確率と差枚の点は求められません（誤差の上限が0.0001を"
                    "超えます）。");
            } else {
                result.failure = lawFailure(RuntimeError(ErrorKind::AttemptsTooLong, ""));
            }
        }
    } catch (const WorkCancelled&) {
        result.cancelled = true;
    } catch (const RuntimeError& error) {
        result.failure = lawFailure(error);
    } catch (const std::bad_alloc&) {
        result.failure = QStringLiteral("メモリが足りず、一回の差枚の分布は求められません。");
    } catch (const std::exception& error) {
        // Whatever else goes wrong is said, not thrown into the window's thread.
        result.failure = QStringLiteral("一回の差枚の分布は求められませんでした（%1）。")
                             .arg(QString::fromUtf8(error.what()));
    }
    return result;
}

// Takes a result from those kept, or works it out and keeps it unless it was called off (asked
// again, it is worked out again).
template <typename Result, typename Solve>
Result keptOrSolved(KeptResults<Result>& kept, const ExactSetup& setup, ExactWork* work,
                    Solve solve) {
    if (const std::shared_ptr<const Result> found = kept.find(setup)) {
        return *found;
    }
    Result result;
    if (calledOff(work)) {
        result.setup = setup;
        result.cancelled = true;
        return result;
    }
    result = solve(setup, work);
    if (!result.cancelled) {
        kept.keep(std::make_shared<const Result>(result));
    }
    return result;
}

// A pool of one worker, made once and kept while the program runs. The figures and the laws
// have one each, so that a long law never holds up the figures of the next run.
QThreadPool* oneWorker() {
    auto* made = new QThreadPool;
    made->setMaxThreadCount(1);
    return made;
}

QThreadPool& figuresPool() {
    static QThreadPool* pool = oneWorker();
    return *pool;
}

QThreadPool& lawPool() {
    static QThreadPool* pool = oneWorker();
    return *pool;
}

std::shared_ptr<const ExactFigures> figuresAtLowPriority(const ExactSetup& setup,
                                                         const std::shared_ptr<ExactWork>& work) {
    lowerThisThreadsPriority();
    return std::make_shared<const ExactFigures>(solveExactFigures(setup, work.get()));
}

std::shared_ptr<const ExactLaw> lawAtLowPriority(const ExactSetup& setup,
                                                 const std::shared_ptr<ExactWork>& work) {
    lowerThisThreadsPriority();
    return std::make_shared<const ExactLaw>(solveExactLaw(setup, work.get()));
}

}  // namespace

void lowerThisThreadsPriority() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
}

ExactFigures solveExactFigures(const ExactSetup& setup, ExactWork* work) {
    return keptOrSolved(keptFigures(), setup, work, solveUncached);
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

ExactLaw solveExactLaw(const ExactSetup& setup, ExactWork* work) {
    return keptOrSolved(keptLaws(), setup, work, solveLawUncached);
}

ExactService::ExactService(QObject* parent) : QObject(parent) {
    connect(&figuresWatcher_, &QFutureWatcherBase::finished, this,
            [this] { takeFigures(figuresWatcher_.result()); });
    connect(&lawWatcher_, &QFutureWatcherBase::finished, this,
            [this] { takeLaw(lawWatcher_.result()); });
}

ExactService::~ExactService() {
    // The workers hold nothing of the service; their results are simply not taken.
    figuresWatcher_.disconnect();
    lawWatcher_.disconnect();
    callOff();
}

void ExactService::callOff() {
    for (std::shared_ptr<ExactWork>* work : {&figuresWork_, &lawWork_}) {
        if (*work) {
            (*work)->cancel = true;
            work->reset();
        }
    }
}

void ExactService::request(const ExactSetup& setup) {
    if (wanted_ == setup) {
        return;
    }
    callOff();
    wanted_ = setup;
    figures_.reset();
    law_.reset();
    figures_ = keptFigures().find(setup);
    if (figures_) {
        startLaw();
        return;
    }
    figuresWork_ = std::make_shared<ExactWork>();
    figuresWatcher_.setFuture(
        QtConcurrent::run(&figuresPool(), figuresAtLowPriority, setup, figuresWork_));
}

void ExactService::startLaw() {
    if (law_ || lawWork_ || !figures_ || !figures_->attempt) {
        return;
    }
    law_ = keptLaws().find(*wanted_);
    if (law_) {
        return;
    }
    lawWork_ = std::make_shared<ExactWork>();
    lawWatcher_.setFuture(QtConcurrent::run(&lawPool(), lawAtLowPriority, *wanted_, lawWork_));
}

void ExactService::takeFigures(const std::shared_ptr<const ExactFigures>& figures) {
    if (!wanted_ || !(figures->setup == *wanted_) || figures->cancelled) {
        return;  // worked out for a setup no longer wanted
    }
    figuresWork_.reset();
    figures_ = figures;
    startLaw();
    emit arrived();
}

void ExactService::takeLaw(const std::shared_ptr<const ExactLaw>& law) {
    if (!wanted_ || !(law->setup == *wanted_) || law->cancelled) {
        return;
    }
    lawWork_.reset();
    law_ = law;
    emit arrived();
}

const ExactFigures* ExactService::figures(const ExactSetup& setup) const {
    return figures_ && figures_->setup == setup ? figures_.get() : nullptr;
}

const ExactLaw* ExactService::law(const ExactSetup& setup) const {
    return law_ && law_->setup == setup ? law_.get() : nullptr;
}

void ExactService::waitForFigures() {
    while (figuresWork_) {
        figuresWatcher_.waitForFinished();
        QCoreApplication::processEvents();
    }
}

void ExactService::waitForLaw() {
    waitForFigures();
    while (lawWork_) {
        lawWatcher_.waitForFinished();
        QCoreApplication::processEvents();
    }
}

}  // namespace korvale
