#include "ui/analysis_window/frm_analysis.h"

#include <QHideEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "analysis/model/machine_model.h"
#include "common/number_text.h"
#include "report/groups/exact_groups.h"
#include "report/groups/measured_groups.h"
#include "report/groups/yen_figures.h"
#include "report/model/figure_catalogue.h"
#include "ui/analysis_window/analysis_tabs.h"
#include "ui/analysis_window/setup_caption.h"
#include "ui/analysis_window/window_numbers.h"

namespace korvale {

namespace {

// The run's own counts have no exact value.
const std::vector<FigureKey>& longRunKeys() {
    static const std::vector<FigureKey> keys = {
        {figureKey::games, false}, {figureKey::netCoins, false}, {figureKey::bigOdds},
        {figureKey::regOdds},      {figureKey::bonusOdds},       {figureKey::payoutPercent}};
    return keys;
}

const std::vector<FigureKey>& longRunModeKeys() {
    static const std::vector<FigureKey> keys = [] {
        std::vector<FigureKey> list;
        for (std::size_t m = 0; m < modeCount; ++m) {
            list.push_back({modeKey(m, figureKey::share)});
        }
        for (std::size_t m = 0; m < modeCount; ++m) {
            list.push_back({modeKey(m, figureKey::rtReleaseRate)});
        }
        return list;
    }();
    return keys;
}

// An attempt's exact figures are per attempt: the attempts made and the odds of the run's
// games have none.
const std::vector<FigureKey>& attemptKeys() {
    static const std::vector<FigureKey> keys = {
        {figureKey::attempts, false}, {figureKey::gamesPerAttempt},    {figureKey::bigPerAttempt},
        {figureKey::regPerAttempt},   {figureKey::netCoinsPerAttempt}, {figureKey::netPer1000Games},
        {figureKey::payoutPercent},   {figureKey::bigOdds, false},     {figureKey::regOdds, false},
        {figureKey::hoursPerAttempt}, {figureKey::yenPerAttempt},      {figureKey::yenPerHour}};
    return keys;
}

}  // namespace

frmAnalysis::frmAnalysis(const frmMain& source, QWidget* parent)
    : QWidget(parent), source_(source) {
    setObjectName(QStringLiteral("frmAnalysis"));
    setWindowTitle(QStringLiteral("分析 - Korvaleシミュレータ"));
    setWindowIcon(source.windowIcon());
    setFont(source.font());
    resize(640, 600);

    tabs_ = new QTabWidget(this);
    rates_ = new HallRatesPanel;
    list_ = makeAnalysisTabs(*rates_);
    for (AnalysisTab* tab : list_) {
        tabs_->addTab(&tab->page(), tab->title());
    }
    // Narrower, the figures table's columns, the graphs' axis numbers and legends no longer
    // have room for their text: the window is never narrower than some 48 full-width characters
    // (on a 1024-pixel screen it then covers the main window's results grid, and no more).
    tabs_->setMinimumWidth(tabs_->fontMetrics().horizontalAdvance(QString(48, QChar(0x3000))));
    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("setupHeading"));
    heading_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(heading_);
    layout->addWidget(tabs_);

    // Looks twice per refresh interval; redraws once the interval has passed.
    timer_.setInterval(refreshMilliseconds / 2);
    connect(&timer_, &QTimer::timeout, this, &frmAnalysis::refresh);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        updateHeading();
        redrawCurrent();  // the tab's work may begin here
        gateWork();
    });
    connect(&source, &frmMain::runStarted, this, &frmAnalysis::restart);
    connect(rates_, &HallRatesPanel::changed, this, [this] {
        for (AnalysisTab* tab : list_) {
            tab->setHallRates(rates_->rates());
        }
        requestCash();
        stale_ = true;
        refreshNow();
    });
    for (AnalysisTab* tab : list_) {
        tab->setHallRates(rates_->rates());
    }
    service_ = new ExactService(this);
    connect(service_, &ExactService::arrived, this, &frmAnalysis::exactArrived);
    listWork();
    followMainWindow();
    restart();
}

void frmAnalysis::listWork() {
    std::vector<const AnalysisTab*> exactTabs;
    std::vector<const AnalysisTab*> cashTabs;
    for (const AnalysisTab* tab : list_) {
        if (tab->drawsOn().exact) {
            exactTabs.push_back(tab);
        }
        if (tab->drawsOn().cash) {
            cashTabs.push_back(tab);
        }
    }
    work_ = {
        // The run's exact figures: the tabs that draw the run draw on them.
        {exactTabs, [this] { return service_->pending(); },
         [this](bool held) { service_->hold(held); }},
        {cashTabs, [this] { return cash_.pending(); }, [this](bool held) { cash_.hold(held); }},
    };
    for (AnalysisTab* tab : list_) {
        work_.push_back({{tab},
                         [tab] { return tab->workPending(); },
                         [tab](bool held) { tab->holdWork(held); }});
    }
}

AnalysisTab& frmAnalysis::onShow() const {
    return *list_.at(static_cast<std::size_t>(tabs_->currentIndex()));
}

AnalysisTab* frmAnalysis::tabTitled(const QString& title) const {
    const auto found = std::find_if(list_.begin(), list_.end(), [&title](const AnalysisTab* tab) {
        return tab->title() == title;
    });
    return found == list_.end() ? nullptr : *found;
}

void frmAnalysis::gateWork() {
    const AnalysisTab* current = &onShow();
    const auto shown = [current](const TabWork& work) {
        return std::find(work.tabs.begin(), work.tabs.end(), current) != work.tabs.end();
    };
    const bool shownPending = std::any_of(work_.begin(), work_.end(), [&](const TabWork& work) {
        return shown(work) && work.pending();
    });
    for (const TabWork& work : work_) {
        work.hold(!open_ || (shownPending && !shown(work)));
    }
}

void frmAnalysis::followMainWindow() {
    connect(&source_, &frmMain::endTyped, this, &frmAnalysis::endTyped);
    connect(&source_, &frmMain::settingChosen, this, [this](int setting) {
        for (AnalysisTab* tab : list_) {
            tab->setChosenSetting(setting);
        }
        updateHeading();
    });
    connect(&source_, &frmMain::runKindChosen, this, &frmAnalysis::updateHeading);
    endTyped();
    for (AnalysisTab* tab : list_) {
        tab->setChosenSetting(source_.nextSetup().setting);
    }
}

void frmAnalysis::endTyped() {
    const RunSetup next = source_.nextSetup();
    for (AnalysisTab* tab : list_) {
        tab->setMainEnd(QString::fromStdString(next.bigEndText),
                        QString::fromStdString(next.regEndText));
    }
    updateHeading();
}

void frmAnalysis::updateHeading() {
    QString text;
    if (const std::optional<QString> own = onShow().heading()) {
        text = *own;
    } else {
        // The main window's choice, as the next Start would read it.
        const ExactSetup next = exactSetupOf(source_.nextSetup());
        const QString nextText =
            QStringLiteral("メイン画面で選んだ%1は、スタートすると表示します。")
                .arg(setupCaption(next));
        if (!feed_.setup().started) {
            text = nextText;
        } else {
            text = QStringLiteral("表示中の結果：") + setupCaption(exactSetup_);
            if (!(next == exactSetup_)) {
                text += QStringLiteral("\n") + nextText;
            }
        }
    }
    if (heading_->text() != text) {
        heading_->setText(text);
    }
}

frmAnalysis::~frmAnalysis() {
    // The tabs go with the window's children, after its own members: nothing of it may be
    // called then.
    disconnect(tabs_, nullptr, this, nullptr);
}

void frmAnalysis::restart() {
    feed_.restart(source_.runSetup());
    stale_ = true;
    unreachable_.reset();
    if (feed_.setup().started) {
        // Work for any other setup is called off here.
        exactSetup_ = exactSetupOf(feed_.setup());
        service_->request(exactSetup_);
        if (exactSetup_.attempts && exactSetup_.unreadable.isEmpty()) {
            unreachable_ = unreachableEnds(exactSetup_.setting, exactSetup_.end);
        }
    }
    requestCash();
    updateHeading();
}

std::optional<CashSetup> frmAnalysis::cashSetup() const {
    const HallRates rates = rates_->rates();
    if (!feed_.setup().started || !exactSetup_.attempts || rates.pay != CoinSource::Cash) {
        return std::nullopt;
    }
    return CashSetup{exactSetup_.setting, exactSetup_.end, rates};
}

void frmAnalysis::requestCash() {
    const std::optional<CashSetup> wanted = cashSetup();
    // Only a rule whose exact figures are in can end: its attempts are played then.
    const ExactFigures* figures = exact();
    if (wanted && figures != nullptr && figures->attempt) {
        cash_.request(*wanted);
    } else {
        cash_.callOff();
    }
}

void frmAnalysis::exactArrived() {
    requestCash();
    stale_ = true;
    if (isVisible()) {
        redrawCurrent();
    }
}

QString frmAnalysis::noLawReason() const {
    const ExactLaw* found = service_->law(exactSetup_);
    if (found == nullptr) {
        return QStringLiteral("理論値の分布は計算中です");
    }
    if (found->head) {
        return QStringLiteral("理論値の分布なし：REG後の条件がBIG後の条件＋1Gを超えるため");
    }
    return found->failure.isEmpty()
               ? QString()
               : QStringLiteral("理論値の分布なし（理由は「理論値と実測値」に）");
}

std::shared_ptr<const OutcomeLaw> frmAnalysis::law() const {
    const ExactLaw* found = service_->law(exactSetup_);
    return found ? found->law : nullptr;
}

void frmAnalysis::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    open_ = true;
    gateWork();
    refreshNow();
    timer_.start();
}

void frmAnalysis::hideEvent(QHideEvent* event) {
    timer_.stop();
    // Closed, not minimised: the long work waits for it to be opened again.
    if (!event->spontaneous()) {
        open_ = false;
        gateWork();
    }
    QWidget::hideEvent(event);
}

void frmAnalysis::refresh() {
    if (!feed_.setup().started && source_.runSetup().started) {
        restart();
    }
    // The tab on show may have finished its work, or begun some.
    gateWork();
    if (feed_.catchUp(source_.runRecord())) {
        stale_ = true;
    }
    if (onShow().outdated(*this)) {
        stale_ = true;
    }
    if (!stale_ || std::chrono::steady_clock::now() - lastRedraw_ < redrawInterval_) {
        return;
    }
    // Drawn and painted here, timed: the interval between redraws is kept at least
    // costShare times the redraw's cost, so that the run keeps its speed on a busy machine.
    const auto began = std::chrono::steady_clock::now();
    redrawCurrent();
    onShow().page().repaint();
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
    // Only the figures of the run on show are ever drawn beside it.
    onShow().onShow(*this);
}

void frmAnalysis::catchUpFilter() {
    feed_.catchUpFilter(source_.runRecord());
}

std::int64_t frmAnalysis::gamesShown() const {
    return source_.runRecord().gamesShown();
}

std::optional<double> frmAnalysis::expectedNetPerStep() const {
    const ExactFigures* exact = this->exact();
    if (exact == nullptr) {
        return std::nullopt;
    }
    if (exact->attempt) {
        return exact->attempt->expectedNet;
    }
    if (exact->longRun) {
        return coinsInPerGame * (exact->longRun->payoutPercent / 100.0 - 1.0);
    }
    return std::nullopt;
}

QWidget* frmAnalysis::graphOnShow() {
    return onShow().graph();
}

namespace {

// "…" with how far the work is, once it has begun.
QString working(const QString& what, double done) {
    return done > 0 ? QStringLiteral("%1… %2%").arg(what).arg(static_cast<int>(100 * done))
                    : what + QStringLiteral("…");
}

}  // namespace

QString frmAnalysis::exactStatus() const {
    const QString status = exactWorkStatus();
    if (!feed_.setup().started || !unreachable_) {
        return status;
    }
    return status + QStringLiteral("\n") + unreachable_->text();
}

QString frmAnalysis::exactWorkStatus() const {
    if (!feed_.setup().started) {
        return QStringLiteral("まだ実行していません。メイン画面で「スタート」を押してください。");
    }
    const ExactFigures* exact = this->exact();
    const ExactLaw* law = service_->law(exactSetup_);
    // Why there is no law is said at once, figures or not; and when there is only its head.
    QString lawFailure =
        law && !law->failure.isEmpty() ? QStringLiteral("\n") + law->failure : QString();
    if (law && law->head) {
        lawFailure = QStringLiteral(
            "\nREG後の終了条件がBIG後の条件＋1Gを超えるため、差枚の分布の全体は求めず、勝ち越す"
            "確率と差枚の50%点・10%点のみ求めています。");
    }
    if (exact == nullptr) {
        return working(QStringLiteral("理論値を計算中"), service_->figuresDone()) + lawFailure;
    }
    if (!exact->failure.isEmpty()) {
        return exact->failure;
    }
    if (!feed_.attempts()) {
        return QStringLiteral("理論値：長く回し続けた時の極限値");
    }
    QString status =
        QStringLiteral("理論値：朝一モードからの一回の立ち回り（終了条件はスタート時の値）");
    if (const std::optional<CashSetup> cash = cashSetup()) {
        // The cash put in follows each attempt's deepest point, which the logged rows do not
        // hold: a simulation of its own measures it.
        status += cash_.result(*cash)
                      ? QStringLiteral(
                            "\n現金での収支・投資・最も沈んだ差枚（「試行」の行）は、同じ"
                            "終了条件で別に試行した%1回の実測値です。")
                            .arg(groupedNumber(static_cast<double>(cashAttempts)))
                      : QStringLiteral("\n") +
                            working(QStringLiteral("現金での収支を試行中"), cash_.done());
    }
    if (lawPending()) {
        return status + QStringLiteral("\n") +
               working(QStringLiteral("勝ち越す確率と差枚の分布を計算中"), service_->lawDone());
    }
    return status + lawFailure;
}

std::vector<FigureRow> frmAnalysis::attemptRows(const ExactFigures* figures) const {
    const std::int32_t setting = feed_.setup().setting;
    const AttemptRunTally& tally = feed_.attemptTally();
    std::optional<FigureGroup> exact;
    if (figures != nullptr && figures->attempt) {
        exact = exactAttemptGroup(*figures->attempt);
        addExactYen(*exact, *figures->attempt, rates_->rates());
    }
    const EndConditions end = exactSetup_.end;
    FigureGroup measured = measuredAttemptGroup(setting, end, tally.totals());
    addYenOfMeasuredCoins(measured, rates_->rates());
    std::vector<FigureRow> rows = joinFigures(attemptKeys(), exact ? &*exact : nullptr, measured);
    const std::vector<FigureRow> cash = cashRows(figures);
    rows.insert(rows.end(), cash.begin(), cash.end());
    // Figures of the law: exact once it is worked out, measured from the attempts' counts
    // (the measured law's other figures take too long to redraw live).
    const auto addLawRow = [&](std::string_view key, std::optional<double> exactValue,
                               Figure measured) {
        FigureGroup exactPoint;
        exactPoint.figures.push_back(makeFigure(key, exactValue));
        FigureGroup measuredPoint;
        measuredPoint.figures.push_back(std::move(measured));
        rows.push_back(
            joinFigures({{key}}, exactValue ? &exactPoint : nullptr, measuredPoint).front());
    };
    const AttemptLawPoints exactLaw = attemptLawPoints(service_->law(exactSetup_));
    Figure ahead = makeFigure(figureKey::pAhead, std::nullopt);
    if (tally.attempts() > 0) {
        const double share =
            static_cast<double>(tally.attemptsAhead()) / static_cast<double>(tally.attempts());
        ahead = makeFigure(figureKey::pAhead, share, tally.aheadShare().shareInterval95(share));
    }
    addLawRow(figureKey::pAhead, exactLaw.pAhead, std::move(ahead));
    // The median and the 10% point of an attempt's net, with order-statistic intervals.
    const Tally& nets = tally.totals().netLaw;
    for (const double percent : {50.0, 10.0}) {
        const std::string key = percentileKey(figureKey::netCoins, percent);
        const double q = percent / 100.0;
        addLawRow(key, percent == 50.0 ? exactLaw.netP50 : exactLaw.netP10,
                  nets.total() == 0 ? makeFigure(key, std::nullopt)
                                    : makeFigure(key, static_cast<double>(nets.quantile(q)),
                                                 nets.quantileInterval(q)));
    }
    return rows;
}

std::vector<FigureRow> frmAnalysis::cashRows(const ExactFigures* figures) const {
    const std::optional<CashSetup> wanted = cashSetup();
    const std::shared_ptr<const CashMeasure> measure = wanted ? cash_.result(*wanted) : nullptr;
    if (!measure || !measure->failure.isEmpty() || figures == nullptr || !figures->attempt) {
        return {};
    }
    // Measured only: the exact figures hold no attempt's deepest point.
    static const std::vector<FigureKey> keys = {{figureKey::yenPerAttempt, false},
                                                {figureKey::yenPerHour, false},
                                                {figureKey::cashInPerAttempt, false},
                                                {figureKey::deepestMean, false},
                                                {figureKey::deepestP90, false}};
    std::vector<FigureRow> rows =
        joinFigures(keys, nullptr, cashGroup(*figures->attempt, measure->cash));
    for (FigureRow& row : rows) {
        row.label += "（試行）";
    }
    return rows;
}

std::vector<FigureRow> frmAnalysis::figureRows() const {
    if (!feed_.setup().started) {
        return {};
    }
    const std::int32_t setting = feed_.setup().setting;
    const ExactFigures* figures = exact();
    if (feed_.attempts()) {
        return attemptRows(figures);
    }
    const ModeRunTally& tally = feed_.modeTally();
    std::optional<FigureGroup> exact;
    if (figures != nullptr && figures->longRun) {
        exact = exactLongRunGroup(*figures->longRun);
    }
    // The games and net coins as the main window shows them: every game played, those since
    // the last logged bonus included (once every logged row is taken). The modes' figures stay
    // with the logged games, the only ones whose mode is known.
    NormalTotals played = tally.totals();
    const std::int64_t shown = gamesShown();
    if (feed_.rowsTaken() == static_cast<std::int64_t>(source_.runRecord().rowCount()) &&
        shown > played.games) {
        played.games = shown;
    }
    std::vector<FigureRow> rows =
        joinFigures(longRunKeys(), exact ? &*exact : nullptr,
                    measuredLongRunGroup(setting, played, tally.batches()));
    const std::vector<FigureRow> modes =
        joinFigures(longRunModeKeys(), exact ? &*exact : nullptr,
                    measuredLongRunGroup(setting, tally.totals(), tally.batches()));
    rows.insert(rows.end(), modes.begin(), modes.end());
    return rows;
}

}  // namespace korvale
