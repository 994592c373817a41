#include "ui/analysis_window/quit_rule_panel.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "analysis/attempt/attempt.h"
#include "analysis/outcome/outcome_law.h"
#include "common/runtime_error.h"
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

QString signedNumber(double value, int decimals) {
    return (value > 0 ? QStringLiteral("+") : QString()) + groupedNumber(value, decimals);
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
    try {
        (void)wholeGames(end);
        return std::nullopt;
    } catch (const RuntimeError& error) {
        return lawFailure(error);
    }
}

}  // namespace

QuitRulePanel::QuitRulePanel(const SweepGrid& grid, QWidget* parent) : QWidget(parent) {
    graph_ = makeGraph(QStringLiteral("ヤメ時：終了条件ごとの差枚と勝ち越す確率"),
                       QStringLiteral("千ゲームあたりの差枚（枚）"),
                       QStringLiteral("勝ち越す確率（%）"), this);
    rules_ = addPoints(graph_, settingNames()[0], QColor(0x50, 0x90, 0xe0),
                       QScatterSeries::MarkerShapeCircle, 7.0);
    frontier_ = addLine(graph_, QString(), QColor(0xc0, 0x30, 0x30), LineKind::Exact);
    // Its rules ringed over their points: a frontier of one rule shows as well as a line.
    frontier_->setPointsVisible(true);
    frontier_->setMarkerSize(8.0);
    marked_ = addPoints(graph_, QStringLiteral("入力中の終了条件"), QColor(0xff, 0xa0, 0x00),
                        QScatterSeries::MarkerShapeStar, 18.0);

    choice_ = new QComboBox(this);
    choice_->addItems(settingNames());
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1000);
    progress_->setFormat(QStringLiteral("全設定の計算 %p%"));
    progress_->hide();
    status_ = new QLabel(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("表示する設定"), this));
    top->addWidget(choice_);
    top->addWidget(progress_, 1);
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

    progressTimer_.setInterval(250);
    connect(&progressTimer_, &QTimer::timeout, this, &QuitRulePanel::showProgress);
    connect(choice_, &QComboBox::currentIndexChanged, this, [this] {
        service_->preferNext(shownSetting());
        redraw();
    });
    makeService(grid);
    redraw();
}

void QuitRulePanel::makeService(const SweepGrid& grid) {
    delete service_;  // calls off its work
    service_ = new QuitRuleService(grid, this);
    connect(service_, &QuitRuleService::arrived, this, &QuitRulePanel::redraw);
}

void QuitRulePanel::setGrid(const SweepGrid& grid) {
    if (grid == service_->grid()) {
        return;
    }
    makeService(grid);
    if (active_) {
        service_->start(shownSetting());
    }
    redraw();
}

void QuitRulePanel::setChosenSetting(std::int32_t setting) {
    chosen_ = std::clamp<std::int32_t>(setting, 0, 5);
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
        service_->start(shownSetting());
        redraw();
    }
}

void QuitRulePanel::callOff() {
    active_ = false;
    service_->callOff();
    progressTimer_.stop();
    showProgress();
}

void QuitRulePanel::redraw() {
    const std::int32_t setting = shownSetting();
    const QString name = settingNames()[setting];
    rules_->setName(name);
    frontier_->setName(QStringLiteral("%1の効率的フロンティア").arg(name));
    const RuleSweep* sweep = service_->sweep(setting);
    if (sweep != nullptr && sweep->failure.isEmpty()) {
        drawRules(*sweep);
    } else {
        clearRules();
        gridNote_->setText(sweep != nullptr ? sweep->failure
                                            : QStringLiteral("%1：%2通りの終了条件")
                                                  .arg(gridText(service_->grid()))
                                                  .arg(sweepPoints(service_->grid()).size()));
    }
    if (active_) {
        drawMark();
    } else {
        marked_->clear();
        markNote_->clear();
    }
    fitAxes();
    showProgress();
}

void QuitRulePanel::clearRules() {
    rules_->clear();
    frontier_->clear();
}

void QuitRulePanel::drawRules(const RuleSweep& sweep) {
    const SettingRuleRisks& risks = sweep.risks;
    QList<QPointF> points;
    // The frontier's points with their rules, named below the graph.
    std::vector<std::pair<QPointF, EndConditions>> frontier;
    std::size_t unknown = 0;
    for (std::size_t i = 0; i < risks.risks.size(); ++i) {
        if (!risks.risks[i].known) {
            ++unknown;
            continue;
        }
        const QPointF point(risks.figures.points[i].netPer1000Games, 100.0 * risks.risks[i].pAhead);
        points.append(point);
        if (risks.onFrontier[i]) {
            frontier.emplace_back(point, risks.figures.points[i].end);
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
        const RuleSweep* sweep = service_->sweep(setting);
        if (sweep == nullptr) {
            markNote_->setText(named + QStringLiteral("：表の計算が済むと印を付けます。"));
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
    const bool working = service_->sweepPending() || service_->rulePending();
    if (working && !progressTimer_.isActive()) {
        progressTimer_.start();
    } else if (!working) {
        progressTimer_.stop();
    }
    progress_->setVisible(service_->sweepPending());
    progress_->setValue(static_cast<int>(std::lround(1000 * service_->sweepDone())));
    const std::int32_t inHand = service_->settingInHand();
    if (!service_->sweepPending()) {
        working_.invalidate();
    } else if (!working_.isValid()) {
        working_.start();
    }
    if (service_->sweepPending() && inHand >= 0) {
        // The share done moves seldom at first (the longest rules come first): the time says
        // that the work goes on.
        const qint64 seconds = working_.elapsed() / 1000;
        status_->setText(QStringLiteral("%1を計算中（経過 %2分%3秒）")
                             .arg(settingNames()[inHand])
                             .arg(seconds / 60)
                             .arg(seconds % 60, 2, 10, QChar('0')));
    } else if (!active_ && service_->sweep(shownSetting()) == nullptr) {
        status_->setText(QStringLiteral("このタブを開くと計算を始めます。"));
    } else {
        status_->clear();
    }
}

}  // namespace korvale
