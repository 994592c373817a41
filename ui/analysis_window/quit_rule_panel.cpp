#include "ui/analysis_window/quit_rule_panel.h"

#include <QCursor>
#include <QHBoxLayout>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "analysis/attempt/attempt.h"
#include "analysis/outcome/outcome_law.h"
#include "common/status.h"
#include "ui/analysis_window/exact_service.h"
#include "ui/analysis_window/window_numbers.h"

namespace korvale {
namespace {

const QStringList& settingNames() {
    static const QStringList names = {QStringLiteral("設定１"), QStringLiteral("設定２"),
                                      QStringLiteral("設定３"), QStringLiteral("設定４"),
                                      QStringLiteral("設定５"), QStringLiteral("設定６")};
    return names;
}

QString gamesText(double games) {
    return groupedNumber(games, games == std::floor(games) ? 0 : 1);
}

QString endText(EndConditions end) {
    return QStringLiteral("BIG後%1G・REG後%2G")
        .arg(gamesText(end.bigEnd), groupedNumber(end.regEnd));
}

QString gridText(const SweepGrid& grid) {
    return QStringLiteral("BIG後 %1〜%2G（%3Gごと）× REG後 %4〜%5G（%6Gごと）")
        .arg(groupedNumber(grid.bigEndFirst), groupedNumber(grid.bigEndLast),
             groupedNumber(grid.bigEndStep), groupedNumber(grid.regEndFirst),
             groupedNumber(grid.regEndLast), groupedNumber(grid.regEndStep));
}

// The index of the grid's point with these end conditions, if the grid has one.
std::optional<std::size_t> gridIndex(const SweepGrid& grid, EndConditions end) {
    const std::vector<EndConditions> points = sweepPoints(grid);
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i].bigEnd == end.bigEnd && points[i].regEnd == end.regEnd) {
            return i;
        }
    }
    return std::nullopt;
}

// Why the chance to end ahead cannot be worked out for these end conditions, before any work:
// conditions beyond the tables.
std::optional<QString> ruleFailure(EndConditions end) {
    const StatusOr<WholeGames> games = catchStatus([end] { return wholeGames(end); });
    if (games) {
        return std::nullopt;
    }
    return lawFailure(games.status());
}

}  // namespace

QuitRulePanel::QuitRulePanel(const SweepGrid& grid, QWidget* parent) : QWidget(parent) {
    graph_ = makeGraph(QStringLiteral("ヤメ時：終了条件ごとの差枚と勝ち越す確率"),
                       QStringLiteral("千ゲームあたりの差枚（枚）"),
                       QStringLiteral("勝ち越す確率（%）"), this);
    rules_ = addPoints(graph_, settingNames()[0], QColor(0x50, 0x90, 0xe0),
                       QScatterSeries::MarkerShapeCircle, 7.0);
    frontier_ = addLine(graph_, QStringLiteral("効率的フロンティア"), QColor(0xc0, 0x30, 0x30),
                        LineKind::Exact);
    // Its rules ringed over their points: a frontier of one rule shows as well as a line.
    frontier_->setPointsVisible(true);
    frontier_->setMarkerSize(8.0);
    marked_ = addPoints(graph_, QStringLiteral("入力中の終了条件"), QColor(0xff, 0xa0, 0x00),
                        QScatterSeries::MarkerShapeStar, 18.0);

    choice_ = new QComboBox(this);
    choice_->addItems(settingNames());
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1000);
    progress_->hide();
    // Narrow, so that the time beside it keeps to one line in a narrow window.
    progress_->setMaximumWidth(160);
    status_ = new QLabel(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("表示する設定"), this));
    top->addWidget(choice_);
    top->addWidget(progress_);
    top->addWidget(status_, 1);

    gridNote_ = new QLabel(this);
    markNote_ = new QLabel(this);
    for (QLabel* note : {status_, gridNote_, markNote_}) {
        note->setWordWrap(true);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(graph_.view, 1);
    layout->addWidget(gridNote_);
    layout->addWidget(markNote_);

    // Four times a second at most: the rules that came in are drawn, the time left told.
    progressTimer_.setInterval(250);
    connect(&progressTimer_, &QTimer::timeout, this, [this] {
        followSweep();
        showProgress();
    });
    connect(choice_, &QComboBox::currentIndexChanged, this, [this] {
        service_->setShown(shownSetting());
        redraw();
    });
    for (QXYSeries* series :
         {static_cast<QXYSeries*>(rules_), static_cast<QXYSeries*>(frontier_)}) {
        connect(series, &QXYSeries::hovered, this, &QuitRulePanel::showTip);
    }
    makeService(grid);
    redraw();
}

void QuitRulePanel::makeService(const SweepGrid& grid) {
    delete service_;  // calls off its work
    service_ = new QuitRuleService(grid, this);
    service_->hold(held_);
    service_->setChosen(chosen_);
    service_->setShown(shownSetting());
    connect(service_, &QuitRuleService::arrived, this, &QuitRulePanel::redraw);
}

void QuitRulePanel::setGrid(const SweepGrid& grid) {
    if (grid == service_->grid()) {
        return;
    }
    makeService(grid);
    if (active_) {
        service_->start();
    }
    redraw();
}

void QuitRulePanel::setChosenSetting(std::int32_t setting) {
    chosen_ = std::clamp<std::int32_t>(setting, 0, 5);
    service_->setChosen(chosen_);
    if (shownOnce_) {
        choice_->setCurrentIndex(chosen_);  // redraws when it changes
    }
}

void QuitRulePanel::setTypedEnd(const QString& bigEnd, const QString& regEnd) {
    bigEndText_ = bigEnd;
    regEndText_ = regEnd;
    if (active_) {
        drawMark();
        fitAxes();
    }
}

void QuitRulePanel::activate() {
    if (!shownOnce_) {
        shownOnce_ = true;
        choice_->setCurrentIndex(chosen_);
    }
    if (!active_) {
        active_ = true;
        service_->setShown(shownSetting());
        service_->start();
        redraw();
    }
}

void QuitRulePanel::holdWork(bool held) {
    held_ = held;
    service_->hold(held);
}

void QuitRulePanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    followSweep();
    showProgress();
}

void QuitRulePanel::redraw() {
    const std::int32_t setting = shownSetting();
    const QString name = settingNames()[setting];
    rules_->setName(name);
    const std::shared_ptr<const RuleSweep> sweep = service_->sweepSoFar(setting);
    if (sweep && sweep->failure.isEmpty()) {
        drawRules(*sweep);
    } else {
        clearRules();
        QString note = QStringLiteral("%1：%2通りの終了条件")
                           .arg(gridText(service_->grid()))
                           .arg(sweepPoints(service_->grid()).size());
        if (active_ && service_->settingInHand() != setting) {
            note += QStringLiteral("。%1は計算待ちです。").arg(name);
        }
        gridNote_->setText(sweep ? sweep->failure : note);
    }
    rulesDrawn_ = sweep ? sweep->rulesIn : 0;
    settingDrawn_ = setting;
    if (active_) {
        drawMark();
    } else {
        marked_->clear();
        markNote_->clear();
    }
    fitAxes();
    showProgress();
}

void QuitRulePanel::followSweep() {
    const std::shared_ptr<const RuleSweep> sweep = service_->sweepSoFar(shownSetting());
    if (settingDrawn_ != shownSetting() || (sweep && sweep->rulesIn != rulesDrawn_)) {
        redraw();
    }
}

void QuitRulePanel::clearRules() {
    rules_->clear();
    frontier_->clear();
    drawn_.clear();
}

void QuitRulePanel::drawRules(const RuleSweep& sweep) {
    const SettingRuleRisks& risks = sweep.risks;
    const bool complete = sweep.complete();
    QList<QPointF> points;
    drawn_.clear();
    // The frontier's points with their rules, named below the graph.
    std::vector<std::pair<QPointF, EndConditions>> frontier;
    std::size_t unknown = 0;
    for (std::size_t i = 0; i < risks.risks.size(); ++i) {
        if (!sweep.ruleIn[i]) {
            continue;
        }
        if (!risks.risks[i].known) {
            ++unknown;
            continue;
        }
        const AttemptFigures& figures = risks.figures.points[i];
        const QPointF point(figures.netPer1000Games, 100.0 * risks.risks[i].pAhead);
        points.append(point);
        const bool onFrontier = complete && risks.onFrontier[i];
        drawn_.push_back({point, figures.end, figures.expectedNet, risks.risks[i], onFrontier});
        if (onFrontier) {
            frontier.emplace_back(point, figures.end);
        }
    }
    std::sort(frontier.begin(), frontier.end(), [](const auto& a, const auto& b) {
        return a.first.x() < b.first.x() ||
               (a.first.x() == b.first.x() && a.first.y() > b.first.y());
    });
    rules_->replace(points);
    QList<QPointF> line;
    QStringList named;
    for (const auto& [point, end] : frontier) {
        line.append(point);
        named.append(endText(end));
    }
    frontier_->replace(line);
    constexpr qsizetype mostNamed = 6;
    if (named.size() > mostNamed) {
        const qsizetype more = named.size() - mostNamed;
        named.resize(mostNamed);
        named.append(QStringLiteral("ほか%1件").arg(more));
    }
    QString note = QStringLiteral("%1：%2通りの終了条件")
                       .arg(gridText(service_->grid()))
                       .arg(risks.risks.size());
    if (!complete) {
        gridNote_->setText(note + QStringLiteral("のうち%1通りを計算済み。赤の効率的フロンティアは"
                                                 "全部の計算が済むと引きます。")
                                      .arg(sweep.rulesIn));
        return;
    }
    if (unknown > 0) {
        note += QStringLiteral("（うち%1件は求められませんでした）").arg(unknown);
    }
    note += QStringLiteral("。赤は、差枚でも勝ち越す確率でも他に負けない終了条件：%1。")
                .arg(named.join(QStringLiteral("、")));
    gridNote_->setText(note);
}

void QuitRulePanel::drawMark() {
    marked_->clear();
    markNote_->clear();
    const std::int32_t setting = shownSetting();
    // As the attempt run reads its boxes.
    const ExactSetup typed = exactSetupOf(
        RunSetup{true, true, setting, bigEndText_.toStdString(), regEndText_.toStdString()});
    if (!typed.unreadable.isEmpty()) {
        markNote_->setText(
            QStringLiteral("入力中の終了条件は読めません（%1）。").arg(typed.unreadable));
        return;
    }
    const EndConditions end = typed.end;
    const QString named = QStringLiteral("入力中の終了条件（%1）").arg(endText(end));
    if (const std::optional<QString> why = ruleFailure(end)) {
        markNote_->setText(named + QStringLiteral("：") + *why);
        return;
    }
    if (const std::optional<std::size_t> index = gridIndex(service_->grid(), end)) {
        const std::shared_ptr<const RuleSweep> sweep = service_->sweepSoFar(setting);
        if (!sweep || (sweep->failure.isEmpty() && !sweep->ruleIn[*index])) {
            markNote_->setText(named +
                               QStringLiteral("：この終了条件の計算が済むと印を付けます。"));
        } else if (sweep->failure.isEmpty()) {
            showMark(sweep->risks.figures.points[*index].netPer1000Games,
                     sweep->risks.risks[*index], end);
        }
        return;
    }
    // Off the grid: worked out alone, as the sweep works out each of its own.
    const OneRuleSetup setup{setting, end};
    service_->requestRule(setup);
    const OneRule* rule = service_->rule(setup);
    if (rule == nullptr) {
        markNote_->setText(named + QStringLiteral("：表にない終了条件なので、別に計算中…"));
        progressTimer_.start();
    } else if (!rule->failure.isEmpty()) {
        markNote_->setText(named + QStringLiteral("：") + rule->failure);
    } else {
        showMark(rule->figures.netPer1000Games, rule->risk, end);
    }
}

void QuitRulePanel::showMark(double netPer1000Games, const RuleRisk& risk, EndConditions end) {
    const QString named = QStringLiteral("入力中の終了条件（%1）").arg(endText(end));
    if (!risk.known) {
        markNote_->setText(named + QStringLiteral("：勝ち越す確率は求められませんでした。"));
        return;
    }
    marked_->replace({QPointF(netPer1000Games, 100.0 * risk.pAhead)});
    markNote_->setText(
        QStringLiteral("★ %1：千ゲームあたり %2枚、勝ち越す確率 %3、一回の差枚の中央値 %4枚、"
                       "下位10% %5枚")
            .arg(named, signedNumber(netPer1000Games, 1), percentText(risk.pAhead, 1),
                 signedNumber(static_cast<double>(risk.netP50), 0),
                 signedNumber(static_cast<double>(risk.netP10), 0)));
}

void QuitRulePanel::fitAxes() {
    double lowX = std::numeric_limits<double>::infinity();
    double highX = -lowX;
    double lowY = lowX;
    double highY = -lowX;
    for (const QScatterSeries* series : {rules_, marked_}) {
        for (const QPointF& point : series->points()) {
            lowX = std::min(lowX, point.x());
            highX = std::max(highX, point.x());
            lowY = std::min(lowY, point.y());
            highY = std::max(highY, point.y());
        }
    }
    if (lowX > highX) {
        fitAxis(graph_.xAxis, -10, 10, true);
        fitAxis(graph_.yAxis, 0, 100, false);
        return;
    }
    // Break-even in view; the chances as they lie. A little room around the points, so that
    // none sits on the frame.
    const double padX = std::max(1.0, 0.03 * (highX - lowX));
    const double padY = std::max(0.5, 0.03 * (highY - lowY));
    fitAxis(graph_.xAxis, lowX - padX, highX + padX, true);
    fitAxis(graph_.yAxis, lowY - padY, highY + padY, false);
}

void QuitRulePanel::showProgress() {
    // Nothing is drawn while the tab is not on show.
    const bool working = (service_->sweepPending() || service_->rulePending()) && isVisible();
    if (working && !progressTimer_.isActive()) {
        progressTimer_.start();
    } else if (!working) {
        progressTimer_.stop();
    }
    const std::int32_t inHand = service_->settingInHand();
    progress_->setVisible(inHand >= 0);
    if (inHand < 0) {
        const bool waiting = !active_ && service_->sweep(shownSetting()) == nullptr;
        status_->setText(waiting ? QStringLiteral("このタブを開くと計算を始めます。") : QString());
        return;
    }
    const QString name = settingNames()[inHand];
    progress_->setFormat(QStringLiteral("%1 %p%").arg(name));
    progress_->setValue(static_cast<int>(std::lround(1000 * service_->sweepDone())));
    // The share done moves seldom at first (the longest rules come first): the time taken says
    // that the work goes on.
    const std::optional<double> left = service_->sweepSecondsLeft();
    const std::int32_t shown = shownSetting();
    if (inHand != shown && service_->sweep(shown) == nullptr) {
        // The setting on show waits for the one in hand (named on the bar).
        status_->setText(left ? QStringLiteral("計算待ち・約 %1後に開始").arg(durationText(*left))
                              : QStringLiteral("計算待ち（%1の後）").arg(name));
        return;
    }
    const QString leftText = left ? QStringLiteral("残り約 %1").arg(durationText(*left))
                                  : QStringLiteral("残り時間は計測中");
    // Of another setting than the one on show: named.
    const QString whose = inHand == shown ? QString() : name + QStringLiteral("：");
    status_->setText(
        whose +
        QStringLiteral("経過 %1・%2").arg(durationText(service_->sweepSecondsTaken()), leftText));
}

QString QuitRulePanel::tipAt(const QPointF& point) const {
    // The nearest as the eye sees it: each axis in its own span.
    const double spanX = std::max(1e-9, graph_.xAxis->max() - graph_.xAxis->min());
    const double spanY = std::max(1e-9, graph_.yAxis->max() - graph_.yAxis->min());
    const DrawnRule* nearest = nullptr;
    double best = std::numeric_limits<double>::infinity();
    for (const DrawnRule& rule : drawn_) {
        const double dx = (rule.point.x() - point.x()) / spanX;
        const double dy = (rule.point.y() - point.y()) / spanY;
        if (dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            nearest = &rule;
        }
    }
    if (nearest == nullptr) {
        return {};
    }
    QString tip =
        QStringLiteral(
            "%1\n千ゲームあたり %2枚、一回あたり %3枚\n勝ち越す確率 %4\n"
            "一回の差枚の中央値 %5枚、下位10% %6枚")
            .arg(endText(nearest->end), signedNumber(nearest->point.x(), 1),
                 signedNumber(nearest->netPerAttempt, 1), percentText(nearest->risk.pAhead, 1),
                 signedNumber(static_cast<double>(nearest->risk.netP50), 0),
                 signedNumber(static_cast<double>(nearest->risk.netP10), 0));
    if (rates_.pay == CoinSource::Stored) {
        const double yenOfCoin = yenOfCoins(rates_, 1.0);
        tip += QStringLiteral("\n貯メダルで一回あたり %1円、時給 %2円")
                   .arg(signedNumber(yenOfCoin * nearest->netPerAttempt, 0),
                        signedNumber(yenOfCoin * nearest->point.x() * rates_.gamesPerHour / 1000.0,
                                     0));
    }
    if (nearest->onFrontier) {
        tip += QStringLiteral("\n効率的フロンティア上（差枚でも勝ち越す確率でも他に負けない）");
    }
    return tip;
}

void QuitRulePanel::showTip(const QPointF& point, bool resting) {
    if (resting) {
        QToolTip::showText(QCursor::pos(), tipAt(point), graph_.view);
    } else {
        QToolTip::hideText();
    }
}

}  // namespace korvale
