#include "ui/analysis_window/day_panel.h"

#include <QHBoxLayout>
#include <QLegendMarker>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "report/groups/day_groups.h"
#include "report/groups/law_figures.h"
#include "report/groups/measured_groups.h"
#include "report/groups/yen_figures.h"
#include "report/model/figure_catalogue.h"
#include "ui/analysis_window/setup_caption.h"
#include "ui/analysis_window/window_numbers.h"
#include "ui/analysis_window/work_progress.h"

namespace korvale {
namespace {

const QColor bandColour(0x30, 0x80, 0x40);
// "設定１".."設定６", or the machine of unknown setting.
QString daySettingText(std::int32_t setting) {
    return setting == unknownDaySetting ? QStringLiteral("設定不明の台（6設定を同じ重みで）")
                                        : settingText(setting);
}

// The catalogue's words for a figure of one attempt; here the attempt is a day.
constexpr std::string_view perAttempt = "一回あたりの";

// The days drawn, each its own colour.
QColor dayColour(int day) {
    static const std::array<QColor, 5> colours = {
        QColor(0x40, 0x70, 0xd0), QColor(0xd0, 0x30, 0x40), QColor(0xe0, 0x80, 0x20),
        QColor(0x80, 0x40, 0xb0), QColor(0x20, 0x90, 0xa0)};
    return colours[static_cast<std::size_t>(day) % colours.size()];
}

// The whole day's figures: the net and its spread, the yen and hours (from cash, with how deep a
// day goes, measured only), then the bonuses.
const std::vector<FigureKey>& dayKeys() {
    static const std::vector<FigureKey> keys = [] {
        std::vector<FigureKey> list = {{figureKey::netCoinsPerAttempt}, {figureKey::pAhead}};
        for (const double percent : {5.0, 25.0, 50.0, 75.0, 95.0}) {
            list.push_back({percentileKey(figureKey::netCoins, percent)});
        }
        list.insert(list.end(), {{figureKey::yenPerAttempt},
                                 {figureKey::yenPerHour},
                                 {figureKey::hoursPerAttempt},
                                 {figureKey::cashInPerAttempt, false},
                                 {figureKey::deepestMean, false},
                                 {figureKey::deepestP90, false},
                                 {figureKey::bigPerAttempt},
                                 {figureKey::regPerAttempt},
                                 {figureKey::payoutPercent}});
        return list;
    }();
    return keys;
}

}  // namespace

DayPanel::DayPanel(QWidget* parent) : QWidget(parent) {
    graph_ = makeGraph(QStringLiteral("一日の収支：朝一からの差枚（帯は理論値）"),
                       QStringLiteral("ゲーム数（G）"), QStringLiteral("差枚（枚）"), this);
    zero_ = addLine(graph_, QStringLiteral("0"), Qt::gray, LineKind::Guide);
    graph_.chart->legend()->markers(zero_).front()->setVisible(false);
    QColor pale = bandColour.lighter(130);
    pale.setAlpha(50);
    outer_ = addBand(graph_, QStringLiteral("5%〜95%"), pale);
    QColor deeper = bandColour;
    deeper.setAlpha(130);
    inner_ = addBand(graph_, QStringLiteral("25%〜75%"), deeper);
    for (int day = 0; day < mostDrawnDays; ++day) {
        QLineSeries* line =
            addLine(graph_, QStringLiteral("試行した日"), dayColour(day), LineKind::Measured);
        QPen pen = line->pen();
        pen.setWidthF(1.5);
        line->setPen(pen);
        // One name in the legend for all the days.
        graph_.chart->legend()->markers(line).front()->setVisible(day == 0);
        slumps_.push_back(line);
    }
    mean_ =
        addLine(graph_, QStringLiteral("理論値（平均）"), bandColour.darker(160), LineKind::Exact);
    QPen meanPen = mean_->pen();
    meanPen.setWidthF(2.5);
    mean_->setPen(meanPen);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1000);
    progress_->setMaximumWidth(160);
    progress_->hide();
    status_ = new QLabel(this);
    status_->setWordWrap(true);
    refusedNote_ = new QLabel(this);
    refusedNote_->setObjectName(QStringLiteral("lblRefusedDayGames"));
    refusedNote_->setStyleSheet(QStringLiteral("color: #b00000;"));
    refusedNote_->setWordWrap(true);
    refusedNote_->hide();
    figures_ = new FiguresPanel(this);
    figures_->setIntervalHeading(QStringLiteral("同時95%区間"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeSetupRow());
    layout->addWidget(refusedNote_);
    auto* working = new QHBoxLayout;
    working->addWidget(progress_);
    working->addWidget(status_, 1);
    layout->addLayout(working);
    layout->addWidget(graph_.view, 3);
    layout->addWidget(figures_, 2);

    progressTimer_.setInterval(250);
    connect(&progressTimer_, &QTimer::timeout, this, &DayPanel::redraw);
    redraw();
}

QWidget* DayPanel::makeSetupRow() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    setting_ = new QComboBox(row);
    for (int i = 0; i < settingCount; ++i) {
        setting_->addItem(settingText(i));
    }
    setting_->addItem(QStringLiteral("設定不明"));
    setting_->setItemData(unknownDaySetting,
                          QStringLiteral("6つの設定を同じ重みで混ぜた台（設定判別の事前確率）"),
                          Qt::ToolTipRole);
    dayGames_ = new RangeSpinBox(row);
    dayGames_->setRange(1, largestExactDayGames);
    dayGames_->setSingleStep(500);
    dayGames_->setValue(8000);
    dayGames_->setSuffix(QStringLiteral("G"));
    dayGames_->setGroupSeparatorShown(true);
    // Worked out when the count is in, not at each digit typed.
    dayGames_->setKeyboardTracking(false);
    dayGames_->setToolTip(QStringLiteral("朝一から閉店までに回すゲーム数"));
    drawnDays_ = new QSpinBox(row);
    drawnDays_->setRange(1, mostDrawnDays);
    drawnDays_->setValue(5);
    drawnDays_->setSuffix(QStringLiteral("日"));
    drawAgain_ = new QPushButton(QStringLiteral("別の日を引く"), row);
    layout->addWidget(new QLabel(QStringLiteral("設定"), row));
    layout->addWidget(setting_);
    layout->addWidget(new QLabel(QStringLiteral("一日のゲーム数"), row));
    layout->addWidget(dayGames_);
    layout->addWidget(new QLabel(QStringLiteral("描く日数"), row));
    layout->addWidget(drawnDays_);
    layout->addWidget(drawAgain_);
    layout->addStretch(1);
    connect(setting_, &QComboBox::currentIndexChanged, this, &DayPanel::request);
    connect(dayGames_, &QSpinBox::valueChanged, this, [this](int games) {
        // The box emits its kept value again as it refuses: the note stays until another.
        if (games != refusalKept_) {
            refusedNote_->hide();
        }
        request();
    });
    connect(dayGames_, &RangeSpinBox::refused, this, [this](const QString& typed) {
        refusedNote_->setText(QStringLiteral("一日のゲーム数「%1G」は範囲（%2）の外です。%3Gのまま"
                                             "です。")
                                  .arg(groupedNumber(typed.toDouble()), dayGames_->rangeText(),
                                       groupedNumber(dayGames_->value())));
        refusalKept_ = dayGames_->value();
        refusedNote_->show();
    });
    connect(drawnDays_, &QSpinBox::valueChanged, this, &DayPanel::redraw);
    connect(drawAgain_, &QPushButton::clicked, this, [this] {
        ++draw_;
        redraw();
    });
    return row;
}

DaySetup DayPanel::setup() const {
    return {setting_->currentIndex(), dayGames_->value()};
}

void DayPanel::setHallRates(const HallRates& rates) {
    rates_ = rates;
    redraw();
}

void DayPanel::setChosenSetting(std::int32_t setting) {
    setting_->setCurrentIndex(std::clamp<std::int32_t>(setting, 0, settingCount - 1));
}

void DayPanel::activate() {
    if (!active_) {
        active_ = true;
        request();
    }
}

void DayPanel::request() {
    if (active_) {
        work_.request(setup());
    }
    redraw();
}

int DayPanel::slumpsShown() const {
    return static_cast<int>(std::count_if(
        slumps_.begin(), slumps_.end(), [](const QLineSeries* line) { return line->count() > 0; }));
}

void DayPanel::redraw() {
    std::shared_ptr<const DayFigures> figures = work_.result(setup());
    const DayFigures* shown = figures && figures->failure.isEmpty() ? figures.get() : nullptr;
    if (active_) {
        playSlumps();
    }
    drawBand(shown);
    drawSlumps();
    showFigures(figures.get());
    showProgress();
}

void DayPanel::playSlumps() {
    const DaySetup wanted = setup();
    if (wanted == slumpSetup_ && draw_ == slumpDraw_ &&
        static_cast<int>(slumpNets_.size()) >= drawnDays_->value()) {
        return;
    }
    // The most days drawn, so that showing more or fewer of them keeps those on show.
    slumpNets_ = playSlumpDays(wanted, mostDrawnDays, draw_);
    slumpEnvelopes_.assign(slumpNets_.size(), MinMaxEnvelope(2048));
    for (std::size_t day = 0; day < slumpNets_.size(); ++day) {
        for (std::size_t game = 0; game < slumpNets_[day].size(); ++game) {
            slumpEnvelopes_[day].add(static_cast<std::int64_t>(game) + 1, slumpNets_[day][game]);
        }
    }
    slumpSetup_ = wanted;
    slumpDraw_ = draw_;
}

void DayPanel::drawBand(const DayFigures* figures) {
    QList<QPointF> low;
    QList<QPointF> high;
    QList<QPointF> lowInner;
    QList<QPointF> highInner;
    QList<QPointF> mean;
    if (figures != nullptr) {
        // Every day starts at 0.
        for (QList<QPointF>* line : {&low, &high, &lowInner, &highInner, &mean}) {
            line->append(QPointF(0, 0));
        }
        for (std::size_t k = 0; k < figures->laws.size(); ++k) {
            const double x = figures->games[k];
            const IntegerLaw& net = figures->laws[k].net;
            low.append(QPointF(x, static_cast<double>(net.quantile(0.05))));
            high.append(QPointF(x, static_cast<double>(net.quantile(0.95))));
            lowInner.append(QPointF(x, static_cast<double>(net.quantile(0.25))));
            highInner.append(QPointF(x, static_cast<double>(net.quantile(0.75))));
            mean.append(QPointF(x, figures->laws[k].meanNet));
        }
    }
    outer_->lowerSeries()->replace(low);
    outer_->upperSeries()->replace(high);
    inner_->lowerSeries()->replace(lowInner);
    inner_->upperSeries()->replace(highInner);
    mean_->replace(mean);
}

void DayPanel::drawSlumps() {
    const int days = active_ && setup() == slumpSetup_ ? drawnDays_->value() : 0;
    double lowest = -100.0;
    double highest = 100.0;
    for (int day = 0; day < mostDrawnDays; ++day) {
        QLineSeries* line = slumps_[static_cast<std::size_t>(day)];
        if (day >= days || static_cast<std::size_t>(day) >= slumpEnvelopes_.size()) {
            line->clear();
            continue;
        }
        const MinMaxEnvelope& envelope = slumpEnvelopes_[static_cast<std::size_t>(day)];
        drawEnvelope(line, envelope, plotColumns(graph_));
        lowest = std::min(lowest, envelope.lowest());
        highest = std::max(highest, envelope.highest());
    }
    for (const QPointF& point : outer_->lowerSeries()->points()) {
        lowest = std::min(lowest, point.y());
    }
    for (const QPointF& point : outer_->upperSeries()->points()) {
        highest = std::max(highest, point.y());
    }
    const double lastGame = std::max(1, setup().dayGames);
    zero_->replace({QPointF(0, 0), QPointF(lastGame, 0)});
    fitAxis(graph_.xAxis, 0, lastGame, true);
    const double pad = 0.03 * (highest - lowest);
    fitAxis(graph_.yAxis, lowest - pad, highest + pad, true);
}

void DayPanel::showFigures(const DayFigures* figures) {
    const DaySetup wanted = setup();
    if (figures == nullptr || !figures->failure.isEmpty()) {
        figures_->show({}, figures != nullptr ? figures->failure : QString(), false);
        return;
    }
    AttemptTotals totals;
    totals.cash.rates = rates_;
    for (std::size_t day = 0; day < figures->days.size(); ++day) {
        bookPlayed(totals, figures->daySettings[day], figures->days[day]);
    }
    const bool unknown = wanted.setting == unknownDaySetting;
    FigureGroup measured = measuredDayGroup(unknown ? -1 : wanted.setting, totals);
    addMeasuredOutcomeLaw(measured, totals);
    addMeasuredYen(measured, totals);
    const FigureGroup exact = exactDayGroup(figures->wholeDay(), rates_);
    const QString cash =
        rates_.pay == CoinSource::Cash
            ? QStringLiteral("\n現金での収支と投資は、最も沈んだ点で決まるため実測値のみです。")
            : QString();
    std::vector<FigureRow> rows = joinFigures(dayKeys(), &exact, measured);
    // A whole day, not an attempt.
    for (FigureRow& row : rows) {
        if (row.label.starts_with(perAttempt)) {
            row.label = "一日の" + row.label.substr(perAttempt.size());
        }
    }
    const int judged = widenJointly(rows);
    // The percentiles' intervals are order statistics, whole coins: taken at the joint level
    // rather than stretched.
    for (const double percent : {5.0, 25.0, 50.0, 75.0, 95.0}) {
        const Figure* figure = measured.find(percentileKey(figureKey::netCoins, percent));
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const FigureRow& r) {
            return figure != nullptr && r.label == figure->label && r.ci95.known;
        });
        if (row != rows.end()) {
            row->ci95 = totals.netLaw.quantileInterval(percent / 100.0, jointQuantile(judged));
        }
    }
    figures_->show(
        rows,
        // A line for each figure, so that none wraps inside one.
        QStringLiteral("%1を朝一から%2G回した一日\n理論値：BIGとREGの回数の分布から厳密に\n"
                       "実測値：%3日の試行%4\n"
                       "区間は%5行あわせて95%（各行%6%）、▲はその外（偶然なら20回に1回）")
            .arg(daySettingText(wanted.setting), groupedNumber(wanted.dayGames),
                 groupedNumber(static_cast<double>(measuredDays)), cash)
            .arg(judged)
            .arg(QString::number(100.0 * jointLevel(judged), 'f', 1)),
        false);
}

void DayPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showProgress();
}

void DayPanel::showProgress() {
    showWorkProgress(work_, active_, QStringLiteral("一日の分布を計算中"), *progress_, *status_,
                     progressTimer_);
}

}  // namespace korvale
