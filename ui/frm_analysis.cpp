#include "ui/frm_analysis.h"

#include <QCoreApplication>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>
#include <stdexcept>

#include "common/checked_arithmetic.h"
#include "common/number_text.h"
#include "common/runtime_error.h"

namespace korvale {
namespace {

bool sameSetup(const RunSetup& a, const RunSetup& b) {
    return a.attempts == b.attempts && a.setting == b.setting &&
           (!a.attempts || (a.bigEndText == b.bigEndText && a.regEndText == b.regEndText));
}

// Mean per unit and its 95% interval (normal approximation) from a count, a sum and a sum of
// squares.
FigureLine meanLine(const QString& label, std::optional<double> exact, std::int64_t units,
                    double sum, double squares, int decimals) {
    FigureLine line{label, exact, std::nullopt, std::nullopt, std::nullopt, decimals};
    if (units == 0) {
        return line;
    }
    const double n = static_cast<double>(units);
    const double mean = sum / n;
    line.measured = mean;
    if (units >= 2) {
        const double variance = std::max(0.0, (squares - n * mean * mean) / (n - 1));
        const double half = 1.96 * std::sqrt(variance / n);
        line.low = mean - half;
        line.high = mean + half;
    }
    return line;
}

std::optional<double> ratio(double numerator, double denominator) {
    if (denominator == 0.0) {
        return std::nullopt;
    }
    return numerator / denominator;
}

}  // namespace

ExactFigures solveExactFigures(const RunSetup& setup) {
    ExactFigures figures;
    figures.attempts = setup.attempts;
    figures.setting = setup.setting;
    try {
        if (!setup.attempts) {
            figures.longRun = solveLongRun(setup.setting);
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
    posterior_ = new QLabel(QStringLiteral(
        "設定判別（ボーナスの種類と回転数から求める設定１〜設定６の事後確率）は、設定推定の"
        "エンジンを組み込んだ後にここに表示されます。このバージョンではまだ表示しません。"));
    posterior_->setWordWrap(true);
    posterior_->setAlignment(Qt::AlignCenter);
    tabs_->addTab(figures_, QStringLiteral("理論値と実測値"));
    tabs_->addTab(slump_, QStringLiteral("スランプグラフ"));
    tabs_->addTab(drought_, QStringLiteral("ハマり分布"));
    tabs_->addTab(posterior_, QStringLiteral("設定判別"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(tabs_);

    timer_.setInterval(refreshMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &frmAnalysis::refresh);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] { redrawCurrent(); });
    connect(&source, &frmMain::runStarted, this, &frmAnalysis::restart);
    connect(&watcher_, &QFutureWatcher<ExactFigures>::finished, this, &frmAnalysis::exactDone);
    restart();
}

frmAnalysis::~frmAnalysis() {
    // The worker holds nothing of the window; its result is simply not taken.
    watcher_.disconnect();
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
    watcher_.setFuture(QtConcurrent::run(solveExactFigures, computingFor_));
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
    }
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

void frmAnalysis::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
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
    if (stale_) {
        redrawCurrent();
    }
}

void frmAnalysis::redrawCurrent() {
    stale_ = false;
    QWidget* current = tabs_->currentWidget();
    if (current == figures_) {
        figures_->show(figureLines(), exactStatus());
    } else if (current == slump_) {
        slump_->redraw(feed_);
    } else if (current == drought_) {
        drought_->redraw(feed_);
    }
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
    return feed_.attempts()
               ? QStringLiteral(
                     "理論値：朝一モードからの一回の立ち回り（終了条件はスタート時の値）")
               : QStringLiteral("理論値：長く回し続けた時の極限値");
}

std::vector<FigureLine> frmAnalysis::figureLines() const {
    std::vector<FigureLine> lines;
    if (!feed_.setup().started) {
        return lines;
    }
    if (feed_.attempts()) {
        const AttemptRunTally& tally = feed_.attemptTally();
        const AttemptFigures* exact = exact_ && exact_->attempt ? &*exact_->attempt : nullptr;
        auto value = [exact](double AttemptFigures::*member) -> std::optional<double> {
            return exact != nullptr ? std::optional<double>(exact->*member) : std::nullopt;
        };
        const std::int64_t n = tally.attempts();
        lines.push_back(meanLine(QStringLiteral("一回あたりのプレイ数"),
                                 value(&AttemptFigures::expectedGames), n,
                                 static_cast<double>(tally.games()), tally.gamesSquares(), 2));
        lines.push_back(meanLine(QStringLiteral("一回あたりのBIG数"),
                                 value(&AttemptFigures::expectedBigs), n,
                                 static_cast<double>(tally.bigs()), tally.bigsSquares(), 3));
        lines.push_back(meanLine(QStringLiteral("一回あたりのREG数"),
                                 value(&AttemptFigures::expectedRegs), n,
                                 static_cast<double>(tally.regs()), tally.regsSquares(), 3));
        lines.push_back(meanLine(QStringLiteral("一回あたりの差枚"),
                                 value(&AttemptFigures::expectedNet), n,
                                 static_cast<double>(tally.net()), tally.netSquares(), 2));
        const double coinsIn = 3.0 * static_cast<double>(tally.games());
        FigureLine payout{QStringLiteral("出率 (%)"),
                          value(&AttemptFigures::payoutPercent),
                          std::nullopt,
                          std::nullopt,
                          std::nullopt,
                          2};
        if (coinsIn > 0) {
            payout.measured = 100.0 * (coinsIn + static_cast<double>(tally.net())) / coinsIn;
        }
        lines.push_back(payout);
        lines.push_back(meanLine(QStringLiteral("勝ちで終わる割合 (%)"), std::nullopt, n,
                                 100.0 * static_cast<double>(tally.attemptsAhead()),
                                 10000.0 * static_cast<double>(tally.attemptsAhead()), 2));
        return lines;
    }
    const ModeRunTally& tally = feed_.modeTally();
    const LongRunFigures* exact = exact_ && exact_->longRun ? &*exact_->longRun : nullptr;
    const auto games = static_cast<double>(tally.games());
    auto inverse = [exact](double LongRunFigures::*member) -> std::optional<double> {
        return exact != nullptr ? ratio(1.0, exact->*member) : std::nullopt;
    };
    lines.push_back({QStringLiteral("BIG確率 1/"), inverse(&LongRunFigures::bigProbability),
                     ratio(games, static_cast<double>(tally.bigs())), std::nullopt, std::nullopt,
                     2});
    lines.push_back({QStringLiteral("REG確率 1/"), inverse(&LongRunFigures::regProbability),
                     ratio(games, static_cast<double>(tally.regs())), std::nullopt, std::nullopt,
                     2});
    lines.push_back({QStringLiteral("合算 1/"), inverse(&LongRunFigures::bonusProbability),
                     ratio(games, static_cast<double>(tally.rows())), std::nullopt, std::nullopt,
                     2});
    std::optional<double> payout;
    if (games > 0) {
        payout = 100.0 * (3.0 * games + static_cast<double>(tally.net())) / (3.0 * games);
    }
    lines.push_back({QStringLiteral("機械割 (%)／出率"),
                     exact != nullptr ? std::optional<double>(exact->payoutPercent) : std::nullopt,
                     payout, std::nullopt, std::nullopt, 2});
    for (int mode = 0; mode < modeCount; ++mode) {
        const auto m = static_cast<std::size_t>(mode);
        lines.push_back(
            {QStringLiteral("モード%1 滞在率 (%)").arg(mode),
             exact != nullptr ? std::optional<double>(100.0 * exact->modeShare[m]) : std::nullopt,
             games > 0
                 ? std::optional<double>(100.0 * static_cast<double>(tally.modeGames(mode)) / games)
                 : std::nullopt,
             std::nullopt, std::nullopt, 2});
    }
    for (int mode = 0; mode < modeCount; ++mode) {
        const auto m = static_cast<std::size_t>(mode);
        lines.push_back(
            {QStringLiteral("モード%1 RT解除率 1/").arg(mode),
             exact != nullptr ? std::optional<double>(exact->modeReleaseRate[m]) : std::nullopt,
             ratio(static_cast<double>(tally.modeGames(mode)),
                   static_cast<double>(tally.modeBigs(mode))),
             std::nullopt, std::nullopt, 2});
    }
    return lines;
}

}  // namespace korvale
