#include "ui/frm_analysis.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QLineEdit>
#include <QThreadPool>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>

#include "analysis/machine_model.h"
#include "common/checked_arithmetic.h"
#include "common/number_text.h"
#include "common/runtime_error.h"
#include "report/exact_groups.h"
#include "report/figure_catalogue.h"
#include "report/measured_groups.h"
#include "ui/history_posterior.h"

namespace korvale {

ExactFigures solveUncached(const RunSetup& setup);

namespace {

// Exact figures already worked out in this program, by setup: a window opened again, or another
// run with the same setup, takes them from here.
std::string setupKey(const RunSetup& setup) {
    return (setup.attempts ? "a|" + setup.bigEndText + "|" + setup.regEndText : "n") + "|" +
           std::to_string(setup.setting);
}

std::mutex cacheMutex;
std::map<std::string, ExactFigures>& exactCache() {
    static auto* cache = new std::map<std::string, ExactFigures>;
    return *cache;
}

// A pool of one worker, made once and kept while the program runs.
QThreadPool* oneWorker() {
    auto* made = new QThreadPool;
    made->setMaxThreadCount(1);
    return made;
}

// The workers run at the lowest priority (their own helper threads inherit it): the run and
// the window come first.
void lowerThisThreadsPriority() {
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
}

QThreadPool& exactPool() {
    static QThreadPool* pool = oneWorker();
    return *pool;
}

ExactFigures solveAtLowPriority(const RunSetup& setup) {
    lowerThisThreadsPriority();
    return solveExactFigures(setup);
}

// The laws have their own worker, so that a long law never holds up the figures of the next
// run.
std::mutex lawCacheMutex;
std::map<std::string, ExactLaw>& lawCache() {
    static auto* cache = new std::map<std::string, ExactLaw>;
    return *cache;
}

QThreadPool& lawPool() {
    static QThreadPool* pool = oneWorker();
    return *pool;
}

ExactLaw solveLawAtLowPriority(const RunSetup& setup, std::shared_ptr<std::atomic<bool>> cancel) {
    lowerThisThreadsPriority();
    return solveExactLaw(setup, cancel.get());
}

bool sameSetup(const RunSetup& a, const RunSetup& b) {
    return a.attempts == b.attempts && a.setting == b.setting &&
           (!a.attempts || (a.bigEndText == b.bigEndText && a.regEndText == b.regEndText));
}

const std::vector<std::string>& longRunKeys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> list = {"games",    "net_coins",  "big_odds",
                                         "reg_odds", "bonus_odds", "payout_percent"};
        for (std::size_t m = 0; m < modeCount; ++m) {
            list.push_back(modeKey(m, "share"));
        }
        for (std::size_t m = 0; m < modeCount; ++m) {
            list.push_back(modeKey(m, "rt_release_rate"));
        }
        return list;
    }();
    return keys;
}

const std::vector<std::string>& attemptKeys() {
    static const std::vector<std::string> keys = {"attempts",
                                                  "games_per_attempt",
                                                  "big_per_attempt",
                                                  "reg_per_attempt",
                                                  "net_coins_per_attempt",
                                                  "net_per_1000_games",
                                                  "payout_percent",
                                                  "big_odds",
                                                  "reg_odds"};
    return keys;
}

}  // namespace

ExactFigures solveExactFigures(const RunSetup& setup) {
    const std::string key = setupKey(setup);
    {
        const std::lock_guard lock(cacheMutex);
        const auto found = exactCache().find(key);
        if (found != exactCache().end()) {
            return found->second;
        }
    }
    ExactFigures figures = solveUncached(setup);
    const std::lock_guard lock(cacheMutex);
    exactCache().emplace(key, figures);
    return figures;
}

ExactFigures solveUncached(const RunSetup& setup) {
    ExactFigures figures;
    figures.attempts = setup.attempts;
    figures.setting = setup.setting;
    try {
        if (!setup.attempts) {
            figures.longRun = solveLongRun(setup.setting);
            figures.estimator = sharedSettingEstimator();
            figures.gaps = std::make_shared<const LongRunGaps>(solveLongRunGaps(setup.setting));
            return figures;
        }
        // The end conditions as the run read them.
        figures.end.bigEnd = readLenient(setup.bigEndText);
        figures.end.regEnd = toInt32HalfEven(readLenient(setup.regEndText));
        figures.attempt = solveAttempt(setup.setting, figures.end, CostRounding::Exact);
    } catch (const std::invalid_argument&) {
        figures.failure =
            QStringLiteral(
                "この終了条件の理論値は求められません（BIG後は%1Gまで、REG後は%2Gまで）。")
                .arg(largestBigEnd)
                .arg(largestRegEnd);
    } catch (const RuntimeError& error) {
        figures.failure = QString::fromUtf8(error.what());
    }
    return figures;
}

ExactLaw solveExactLaw(const RunSetup& setup, const std::atomic<bool>* cancel) {
    const std::string key = setupKey(setup);
    {
        const std::lock_guard lock(lawCacheMutex);
        const auto found = lawCache().find(key);
        if (found != lawCache().end()) {
            return found->second;
        }
    }
    ExactLaw result;
    try {
        EndConditions end;
        end.bigEnd = readLenient(setup.bigEndText);
        end.regEnd = toInt32HalfEven(readLenient(setup.regEndText));
        result.law =
            std::make_shared<const OutcomeLaw>(solveOutcomeLaw(setup.setting, end, 0, cancel));
    } catch (const OutcomeLawCancelled&) {
        result.cancelled = true;
        return result;  // not kept: asked again, it is worked out again
    } catch (const std::invalid_argument&) {
        result.failure = QStringLiteral(
            "この終了条件では一回の差枚の分布は求められません（REG後の終了条件がBIG後の条件"
            "＋1G以下の場合に求めます）。");
    } catch (const std::bad_alloc&) {
        result.failure = QStringLiteral("メモリが足りず、一回の差枚の分布は求められません。");
    } catch (const std::exception& error) {
        // Whatever else goes wrong is said, not thrown into the window's thread.
        result.failure = QStringLiteral("一回の差枚の分布は求められませんでした（%1）。")
                             .arg(QString::fromUtf8(error.what()));
    }
    const std::lock_guard lock(lawCacheMutex);
    lawCache().emplace(key, result);
    return result;
}

frmAnalysis::frmAnalysis(const frmMain& source, QWidget* parent)
    : QWidget(parent), source_(source) {
    setObjectName(QStringLiteral("frmAnalysis"));
    setWindowTitle(QStringLiteral("分析 - Korvaleシミュレータ"));
    setWindowIcon(source.windowIcon());
    setFont(source.font());
    resize(640, 600);

    tabs_ = new QTabWidget(this);
    figures_ = new FiguresPanel;
    slump_ = new SlumpPanel;
    drought_ = new DroughtPanel;
    posterior_ = new PosteriorPanel;
    tabs_->addTab(figures_, QStringLiteral("理論値と実測値"));
    tabs_->addTab(slump_, QStringLiteral("スランプグラフ"));
    tabs_->addTab(drought_, QStringLiteral("ハマり分布"));
    tabs_->addTab(posterior_, QStringLiteral("設定判別"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(tabs_);

    // Looks twice per refresh interval; redraws once the interval has passed.
    timer_.setInterval(refreshMilliseconds / 2);
    connect(&timer_, &QTimer::timeout, this, &frmAnalysis::refresh);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { redrawCurrent(); });
    connect(&source, &frmMain::runStarted, this, &frmAnalysis::restart);
    connect(&watcher_, &QFutureWatcher<ExactFigures>::finished, this, &frmAnalysis::exactDone);
    connect(&lawWatcher_, &QFutureWatcher<ExactLaw>::finished, this, &frmAnalysis::lawDone);
    restart();
}

frmAnalysis::~frmAnalysis() {
    // The workers hold nothing of the window; their results are simply not taken, and a law
    // still being worked out is called off.
    watcher_.disconnect();
    lawWatcher_.disconnect();
    if (lawCancel_) {
        *lawCancel_ = true;
    }
}

void frmAnalysis::restart() {
    feed_.restart(source_.runSetup());
    stale_ = true;
    if (!feed_.setup().started) {
        return;
    }
    if (!exact_ || !computing_ || !sameSetup(computingFor_, feed_.setup())) {
        startExact();
    }
    startLaw();
}

void frmAnalysis::startExact() {
    if (computing_ && sameSetup(computingFor_, feed_.setup())) {
        return;
    }
    if (exact_ && exact_->attempts == feed_.setup().attempts &&
        exact_->setting == feed_.setup().setting && sameSetup(computingFor_, feed_.setup())) {
        return;  // already worked out for this setup
    }
    exact_.reset();
    if (computing_) {
        // The running one finishes on its own; exactDone starts this one then.
        computingFor_ = feed_.setup();
        return;
    }
    computing_ = true;
    computingFor_ = feed_.setup();
    watcher_.setFuture(QtConcurrent::run(&exactPool(), solveAtLowPriority, computingFor_));
}

void frmAnalysis::exactDone() {
    computing_ = false;
    const ExactFigures figures = watcher_.result();
    if (figures.attempts == computingFor_.attempts && figures.setting == computingFor_.setting &&
        (!figures.attempts || figures.failure.isEmpty() || true)) {
        exact_ = figures;
    }
    if (!sameSetup(computingFor_, feed_.setup())) {
        startExact();
    } else {
        startLaw();
    }
    stale_ = true;
    if (isVisible()) {
        redrawCurrent();
    }
}

void frmAnalysis::startLaw() {
    const RunSetup& setup = feed_.setup();
    const bool wanted = setup.started && setup.attempts && exact_ && exact_->attempt;
    if (lawComputing_) {
        if (!wanted || !sameSetup(lawFor_, setup)) {
            *lawCancel_ = true;  // lawDone starts the one wanted now
        }
        return;
    }
    if (!wanted) {
        law_.reset();
        return;
    }
    if (law_ && sameSetup(lawFor_, setup)) {
        return;
    }
    law_.reset();
    lawComputing_ = true;
    lawFor_ = setup;
    lawCancel_ = std::make_shared<std::atomic<bool>>(false);
    lawWatcher_.setFuture(
        QtConcurrent::run(&lawPool(), solveLawAtLowPriority, lawFor_, lawCancel_));
}

void frmAnalysis::lawDone() {
    lawComputing_ = false;
    const ExactLaw result = lawWatcher_.result();
    if (!result.cancelled && sameSetup(lawFor_, feed_.setup())) {
        law_ = result;
    }
    startLaw();
    stale_ = true;
    if (isVisible()) {
        redrawCurrent();
    }
}

void frmAnalysis::waitForExact() {
    while (computing_) {
        watcher_.waitForFinished();
        QCoreApplication::processEvents();
    }
}

void frmAnalysis::waitForLaw() {
    waitForExact();
    while (lawComputing_) {
        lawWatcher_.waitForFinished();
        QCoreApplication::processEvents();
    }
}

void frmAnalysis::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshNow();
    timer_.start();
}

void frmAnalysis::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

void frmAnalysis::refresh() {
    if (!feed_.setup().started && source_.runSetup().started) {
        restart();
    }
    if (feed_.catchUp(source_.grid().gridModel())) {
        stale_ = true;
    }
    if (!stale_ || std::chrono::steady_clock::now() - lastRedraw_ < redrawInterval_) {
        return;
    }
    // Drawn and painted here, timed: the interval between redraws is kept at least
    // costShare times the redraw's cost, so that the run keeps its speed on a busy machine.
    const auto began = std::chrono::steady_clock::now();
    redrawCurrent();
    tabs_->currentWidget()->repaint();
    const auto cost = std::chrono::steady_clock::now() - began;
    // Much of a graph's painting comes after this (its chart scene is drawn later): graphs are
    // redrawn half as often as the table.
    const int shortest = refreshMilliseconds * (graphOnShow() != nullptr ? 2 : 1);
    redrawInterval_ = std::clamp(
        std::chrono::duration_cast<std::chrono::milliseconds>(cost * costShare),
        std::chrono::milliseconds(shortest), std::chrono::milliseconds(longestRefreshMilliseconds));
}

void frmAnalysis::refreshNow() {
    stale_ = true;
    lastRedraw_ = {};
    refresh();
}

void frmAnalysis::redrawCurrent() {
    stale_ = false;
    ++redraws_;
    lastRedraw_ = std::chrono::steady_clock::now();
    QWidget* current = tabs_->currentWidget();
    if (current == figures_) {
        figures_->show(figureRows(), exactStatus(), computing_ || lawComputing_);
    } else if (current == slump_) {
        slump_->redraw(feed_, expectedNetPerStep(), law());
    } else if (current == drought_) {
        drought_->redraw(feed_, exact_ ? exact_->gaps : nullptr);
    } else if (current == posterior_) {
        feed_.catchUpFilter(source_.grid().gridModel());
        posterior_->redraw(
            feed_, exact_ ? exact_->estimator.get() : nullptr,
            static_cast<std::int64_t>(readLenient(
                source_.findChild<QLineEdit*>(QStringLiteral("Text1"))->text().toStdString())));
    }
}

std::optional<double> frmAnalysis::expectedNetPerStep() const {
    if (!exact_) {
        return std::nullopt;
    }
    if (exact_->attempt) {
        return exact_->attempt->expectedNet;
    }
    if (exact_->longRun) {
        return coinsInPerGame * (exact_->longRun->payoutPercent / 100.0 - 1.0);
    }
    return std::nullopt;
}

QWidget* frmAnalysis::graphOnShow() {
    QWidget* current = tabs_->currentWidget();
    return current == slump_ || current == drought_ ? current : nullptr;
}

QString frmAnalysis::exactStatus() const {
    if (!feed_.setup().started) {
        return QStringLiteral("まだ実行していません。メイン画面で「スタート」を押してください。");
    }
    if (computing_) {
        return QStringLiteral("理論値を計算中…");
    }
    if (exact_ && !exact_->failure.isEmpty()) {
        return exact_->failure;
    }
    if (!feed_.attempts()) {
        return QStringLiteral("理論値：長く回し続けた時の極限値");
    }
    const QString status =
        QStringLiteral("理論値：朝一モードからの一回の立ち回り（終了条件はスタート時の値）");
    if (lawComputing_) {
        return status + QStringLiteral("\n勝ち越す確率と差枚の分布を計算中…");
    }
    if (law_ && !law_->failure.isEmpty()) {
        return status + QStringLiteral("\n") + law_->failure;
    }
    return status;
}

std::vector<FigureRow> frmAnalysis::figureRows() const {
    if (!feed_.setup().started) {
        return {};
    }
    const std::int32_t setting = feed_.setup().setting;
    if (feed_.attempts()) {
        const AttemptRunTally& tally = feed_.attemptTally();
        std::optional<FigureGroup> exact;
        if (exact_ && exact_->attempt) {
            exact = exactAttemptGroup(*exact_->attempt);
        }
        const EndConditions end = exact_ ? exact_->end : EndConditions{};
        std::vector<FigureRow> rows =
            joinFigures(attemptKeys(), exact ? &*exact : nullptr,
                        measuredAttemptGroup(setting, end, tally.totals()));
        // Whether an attempt ends ahead: exact from the law once it is worked out, measured
        // from the attempts' count (the measured law's other figures take too long to redraw
        // live).
        FigureGroup exactAhead;
        if (law()) {
            exactAhead.figures.push_back(makeFigure("p_ahead", law()->pAhead));
        }
        FigureGroup measuredAhead;
        if (tally.attempts() > 0) {
            const double share =
                static_cast<double>(tally.attemptsAhead()) / static_cast<double>(tally.attempts());
            measuredAhead.figures.push_back(
                makeFigure("p_ahead", share, tally.aheadShare().shareInterval95(share)));
        } else {
            measuredAhead.figures.push_back(makeFigure("p_ahead", std::nullopt));
        }
        const FigureRow ahead =
            joinFigures({"p_ahead"}, law() ? &exactAhead : nullptr, measuredAhead).front();
        rows.push_back(ahead);
        return rows;
    }
    const ModeRunTally& tally = feed_.modeTally();
    std::optional<FigureGroup> exact;
    if (exact_ && exact_->longRun) {
        exact = exactLongRunGroup(*exact_->longRun);
    }
    return joinFigures(longRunKeys(), exact ? &*exact : nullptr,
                       measuredLongRunGroup(setting, tally.totals(), tally.batches()));
}

}  // namespace korvale
