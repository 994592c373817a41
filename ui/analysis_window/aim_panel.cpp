#include "ui/analysis_window/aim_panel.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLegendMarker>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/attempt/capped_attempt.h"
#include "analysis/outcome/cash_lots.h"
#include "ui/analysis_window/exact_service.h"
#include "ui/analysis_window/posterior_table.h"
#include "ui/analysis_window/setup_caption.h"
#include "ui/analysis_window/window_numbers.h"
#include "ui/analysis_window/work_progress.h"

namespace korvale {
namespace {

const std::array<QColor, AimPanel::curveCount>& curveColours() {
    static const std::array<QColor, AimPanel::curveCount> colours = {
        QColor(0x40, 0x70, 0xd0), QColor(0x30, 0xa0, 0xc0), QColor(0x30, 0xa0, 0x50),
        QColor(0xc0, 0xa0, 0x20), QColor(0xe0, 0x70, 0x20), QColor(0xd0, 0x30, 0x40),
        QColor(0x20, 0x20, 0x20)};
    return colours;
}

QString curveName(int index) {
    return index == AimPanel::mixtureCurve ? QStringLiteral("設定不明") : settingText(index);
}

QString breakEvenText(const std::optional<std::int32_t>& count, std::int32_t last) {
    return count ? QStringLiteral("%1G〜").arg(groupedNumber(*count))
                 : QStringLiteral("%1Gでも負け").arg(groupedNumber(last));
}

// The column of a curve in what is worked out so far, if it is in.
const HuntColumn* columnOf(const HuntTable& table, int index) {
    if (index == AimPanel::mixtureCurve) {
        return table.mixture ? &*table.mixture : nullptr;
    }
    for (const HuntColumn& column : table.settings) {
        if (column.setting == index) {
            return &column;
        }
    }
    return nullptr;
}

// Whether the rule ends at the first BIG; a rule beyond the tables (which the work then says)
// does not.
bool quitsAtFirstBig(EndConditions end) {
    const StatusOr<bool> first = catchStatus([end] { return endsAtFirstBig(end); });
    return first.ok() && *first;
}

// A column's place in the figures from cash (hunt_cash.h): the table's settings in order, then
// the mixture.
std::size_t cashIndex(const HuntTable& table, const HuntColumn& column) {
    if (table.mixture && &column == &*table.mixture) {
        return table.settings.size();
    }
    return static_cast<std::size_t>(&column - table.settings.data());
}

}  // namespace

AimPanel::AimPanel(QWidget* parent) : QWidget(parent) {
    graph_ = makeGraph(QStringLiteral("狙い目：最後のBIGからのゲーム数ごとの一回の差枚"),
                       QStringLiteral("最後のBIGからのゲーム数（G）"),
                       QStringLiteral("一回の差枚（枚）"), this);
    for (int i = 0; i < curveCount; ++i) {
        const QColor& colour = curveColours()[static_cast<std::size_t>(i)];
        QLineSeries* line = addLine(graph_, curveName(i), colour, LineKind::Exact);
        if (i == mixtureCurve) {
            QPen pen = line->pen();
            pen.setWidthF(3.0);
            line->setPen(pen);
        }
        curves_[static_cast<std::size_t>(i)] = line;
    }
    // The break-even points over the curves, in the curves' colours; named below the graph.
    for (int i = 0; i < curveCount; ++i) {
        QScatterSeries* mark =
            addPoints(graph_, curveName(i), curveColours()[static_cast<size_t>(i)],
                      QScatterSeries::MarkerShapeCircle, 11.0);
        mark->setBorderColor(Qt::white);
        graph_.chart->legend()->markers(mark).front()->setVisible(false);
        marks_[static_cast<std::size_t>(i)] = mark;
    }

    choice_ = new QComboBox(this);
    for (int i = 0; i < settingCount; ++i) {
        choice_->addItem(settingText(i));
    }
    choice_->addItem(QStringLiteral("設定不明（事前の重みで）"));
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1000);
    progress_->setMaximumWidth(160);
    progress_->hide();
    status_ = new QLabel(this);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("表の設定"), this));
    top->addWidget(choice_);
    top->addWidget(progress_);
    top->addWidget(status_, 1);

    ruleNote_ = new QLabel(this);
    breakEvenNote_ = new QLabel(this);
    tableNote_ = new QLabel(this);
    for (QLabel* note : {status_, ruleNote_, breakEvenNote_, tableNote_}) {
        note->setWordWrap(true);
    }
    table_ = makeTable();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    // The 狙い目 table's own rule: quit at the first BIG.
    rule_ = new RuleChoice(QStringLiteral("0"), QStringLiteral("0"), this);
    connect(rule_, &RuleChoice::changed, this, &AimPanel::request);
    layout->addWidget(rule_);
    layout->addWidget(makePriorRow());
    layout->addWidget(ruleNote_);
    layout->addWidget(graph_.view, 3);
    layout->addWidget(breakEvenNote_);
    layout->addWidget(tableNote_);
    // Four rows of the table at least, under its header.
    table_->setMinimumHeight(table_->horizontalHeader()->sizeHint().height() +
                             4 * table_->verticalHeader()->defaultSectionSize() +
                             2 * table_->frameWidth());
    layout->addWidget(table_, 2);

    progressTimer_.setInterval(250);
    connect(&progressTimer_, &QTimer::timeout, this, &AimPanel::redraw);
    connect(choice_, &QComboBox::currentIndexChanged, this, &AimPanel::redraw);
    redraw();
}

QTableWidget* AimPanel::makeTable() {
    auto* table = new QTableWidget(0, 8, this);
    table->setHorizontalHeaderLabels({QStringLiteral("G"), QStringLiteral("一回の差枚"),
                                      QStringLiteral("勝率"), QStringLiteral("ゲーム数"),
                                      QStringLiteral("BIG"), QStringLiteral("千Gの差枚"),
                                      QStringLiteral("収支（円）"), QStringLiteral("時給")});
    // Short headings so that every column reads at 1024 wide; the tip says them in full.
    table->horizontalHeaderItem(AheadColumn)
        ->setToolTip(QStringLiteral("勝ち越す確率（差枚が0を超える確率）"));
    table->horizontalHeaderItem(YenColumn)->setToolTip(QStringLiteral("一回あたりの収支（円）"));
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    return table;
}

QWidget* AimPanel::makePriorRow() {
    auto* row = new QWidget(this);
    // Each weight under the setting it is for; the game limit beside them, likewise.
    auto* layout = new QGridLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(0);
    // All alike, as 設定判別 takes the prior; a hall's 設定配分 typed over it.
    auto* heading = new QLabel(QStringLiteral("事前の重み"), row);
    heading->setToolTip(QStringLiteral("設定不明の曲線と表が、各設定をどれだけの重みで混ぜるか"));
    layout->addWidget(heading, 1, 0);
    for (std::size_t s = 0; s < settingCount; ++s) {
        const QString name = settingText(static_cast<std::int32_t>(s));
        auto* weight = new QDoubleSpinBox(row);
        weight->setObjectName(QStringLiteral("priorWeight%1").arg(s + 1));
        weight->setRange(0.0, 999.0);
        weight->setDecimals(1);
        weight->setValue(1.0);
        weight->setToolTip(name + QStringLiteral("の重み"));
        connect(weight, &QDoubleSpinBox::valueChanged, this, &AimPanel::request);
        auto* label = new QLabel(name, row);
        label->setBuddy(weight);
        const int column = 1 + static_cast<int>(s);
        layout->addWidget(label, 0, column, Qt::AlignHCenter | Qt::AlignBottom);
        layout->addWidget(weight, 1, column);
        weights_[s] = weight;
    }
    // Closing time: an attempt still going at its limit's game ends there.
    maxGames_ = new QSpinBox(row);
    maxGames_->setRange(0, largestMaxGames);
    maxGames_->setSingleStep(500);
    maxGames_->setSpecialValueText(QStringLiteral("なし"));
    maxGames_->setSuffix(QStringLiteral("G"));
    maxGames_->setGroupSeparatorShown(true);
    maxGames_->setKeyboardTracking(false);
    maxGames_->setToolTip(
        QStringLiteral("閉店まで：一回の挑戦はこのゲーム数で打ち切り（なし：終了条件まで）"));
    connect(maxGames_, &QSpinBox::valueChanged, this, &AimPanel::request);
    layout->setColumnMinimumWidth(settingCount + 1, 12);
    layout->addWidget(new QLabel(QStringLiteral("最大ゲーム数"), row), 0, settingCount + 2,
                      Qt::AlignHCenter | Qt::AlignBottom);
    layout->addWidget(maxGames_, 1, settingCount + 2);
    layout->setColumnStretch(settingCount + 3, 1);
    return row;
}

void AimPanel::setMainEnd(const QString& bigEnd, const QString& regEnd) {
    rule_->setMainEnd(bigEnd, regEnd);
}

void AimPanel::setChosenSetting(std::int32_t setting) {
    chosen_ = std::clamp<std::int32_t>(setting, 0, settingCount - 1);
    choice_->setCurrentIndex(chosen_);
}

void AimPanel::activate() {
    if (!active_) {
        active_ = true;
        request();
    }
}

std::optional<AimSetup> AimPanel::setup() const {
    const ExactSetup read = rule_->read();
    if (!read.unreadable.isEmpty()) {
        return std::nullopt;
    }
    AimSetup setup{read.end, {}, std::nullopt};
    double total = 0;
    for (std::size_t s = 0; s < settingCount; ++s) {
        setup.prior[s] = weights_[s]->value();
        total += setup.prior[s];
    }
    if (!(total > 0)) {
        return std::nullopt;
    }
    if (maxGames_->value() > 0) {
        setup.maxGames = maxGames_->value();
    }
    if (rates_.pay == CoinSource::Cash && !setup.maxGames && quitsAtFirstBig(setup.end)) {
        setup.cashLend = rates_.lend;
    }
    return setup;
}

void AimPanel::request() {
    if (active_) {
        if (const std::optional<AimSetup> wanted = setup()) {
            work_.request(*wanted);
        } else {
            work_.callOff();
        }
    }
    redraw();
}

void AimPanel::redraw() {
    const std::optional<AimSetup> wanted = setup();
    if (!wanted && rule_->read().unreadable.isEmpty()) {
        ruleNote_->setText(
            QStringLiteral("事前の重みがすべて0です。どれかを0より大きくしてください。"));
    } else {
        QString caption = rule_->caption();
        if (wanted && wanted->maxGames) {
            caption += QStringLiteral("・最大%1Gで打ち切り（勝率は出しません）")
                           .arg(groupedNumber(*wanted->maxGames));
        }
        ruleNote_->setText(caption);
    }
    std::shared_ptr<const AimCurves> curves = wanted ? work_.result(*wanted) : nullptr;
    if (!curves && wanted && work_.pending()) {
        curves = work_.soFar();
    }
    if (curves && curves->failure.isEmpty()) {
        cash_.reset();
        if (!curves->cashLots.empty() && curves->complete()) {
            cash_ = huntCashOf(curves->table, curves->cashLots, rates_);
        }
        drawCurves(*curves);
        fillTable(*curves);
    } else {
        drawCurves(AimCurves{});
        fillTable(AimCurves{});
        if (curves) {
            breakEvenNote_->setText(curves->failure);
        }
    }
    showProgress();
}

void AimPanel::drawCurves(const AimCurves& curves) {
    const HuntTable& table = curves.table;
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    QStringList named;
    for (int i = 0; i < curveCount; ++i) {
        const HuntColumn* column = columnOf(table, i);
        // From cash with the lots in, the least count from which the yen stay above 0.
        const std::optional<std::int32_t> breakEven =
            column == nullptr ? std::nullopt
            : cash_           ? cash_->breakEven[cashIndex(table, *column)]
                              : column->breakEven;
        QList<QPointF> points;
        QList<QPointF> mark;
        for (std::size_t k = 0; column != nullptr && k < table.gamesSinceBig.size(); ++k) {
            const QPointF point(table.gamesSinceBig[k], column->points[k].expectedNet);
            points.append(point);
            low = std::min(low, point.y());
            high = std::max(high, point.y());
            if (breakEven && *breakEven == table.gamesSinceBig[k]) {
                mark.append(point);
            }
        }
        curves_[static_cast<std::size_t>(i)]->replace(points);
        marks_[static_cast<std::size_t>(i)]->replace(mark);
        if (column != nullptr) {
            named.append(curveName(i) + QStringLiteral(" ") +
                         breakEvenText(breakEven, table.gamesSinceBig.back()));
        }
    }
    const HuntGrid grid;
    fitAxis(graph_.xAxis, grid.first, grid.last, true);
    if (low > high) {
        fitAxis(graph_.yAxis, -100, 100, true);
        breakEvenNote_->clear();
        return;
    }
    const double pad = std::max(1.0, 0.03 * (high - low));
    fitAxis(graph_.yAxis, low - pad, high + pad, true);
    // Three to a line, so that no line of figures wraps in a narrow window.
    QStringList lines = {
        cash_ ? QStringLiteral("●損益分岐（このGから先はどこで打っても現金での収支（円）がプラス）")
              : QStringLiteral("●損益分岐（このGから先はどこで打っても差枚がプラス）")};
    for (qsizetype i = 0; i < named.size(); i += 3) {
        lines.append(named.mid(i, 3).join(QStringLiteral("・")));
    }
    breakEvenNote_->setText(lines.join(QStringLiteral("\n")));
}

void AimPanel::setHallRates(const HallRates& rates) {
    rates_ = rates;
    request();  // from cash the lots follow the lend
}

void AimPanel::fillTable(const AimCurves& curves) {
    const int shown = choice_->currentIndex();
    const HuntColumn* column = columnOf(curves.table, shown);
    // From cash the yen follow how deep each attempt goes: known from the lots bought, which
    // are worked out for a rule that ends at the first BIG; otherwise no yen are shown.
    const bool stored = rates_.pay == CoinSource::Stored;
    const QString exchange = QString::number(rates_.exchange, 'g', 6);
    const QString hourly =
        stored ? QStringLiteral("時給は1時間%1Gで、円（交換%2枚/百円・貯メダル）")
                     .arg(groupedNumber(rates_.gamesPerHour), exchange)
        : cash_
            ? QStringLiteral("時給は1時間%1Gで、円（貸出%2枚/千円・交換%3枚/百円・現金）")
                  .arg(groupedNumber(rates_.gamesPerHour), QString::number(rates_.lend), exchange)
            : QStringLiteral("現金での円は、初当たりでやめる終了条件でのみ出します");
    if (column == nullptr) {
        table_->setRowCount(0);
        tableNote_->setText(
            work_.pending() ? QStringLiteral("%1の表は、計算が済むと出ます。").arg(curveName(shown))
                            : QString());
        return;
    }
    tableNote_->setText(QStringLiteral("%1の表（%2）").arg(curveName(shown), hourly));
    const auto rows = static_cast<int>(curves.table.gamesSinceBig.size());
    table_->setRowCount(rows);
    for (int k = 0; k < rows; ++k) {
        const AttemptFigures& f = column->points[static_cast<std::size_t>(k)];
        setTableCell(*table_, k, CountColumn,
                     groupedNumber(curves.table.gamesSinceBig[static_cast<std::size_t>(k)]));
        setTableCell(*table_, k, NetColumn, signedNumber(f.expectedNet, 1));
        // No chance to end ahead for attempts too long for the law's tables.
        setTableCell(*table_, k, AheadColumn,
                     column->pAhead.empty()
                         ? QStringLiteral("—")
                         : percentText(column->pAhead[static_cast<std::size_t>(k)], 1));
        setTableCell(*table_, k, GamesColumn, groupedNumber(f.expectedGames, 1));
        setTableCell(*table_, k, BigColumn, groupedNumber(f.expectedBigs, 3));
        setTableCell(*table_, k, Per1000Column, signedNumber(f.netPer1000Games, 1));
        std::optional<double> yen;
        if (stored) {
            yen = yenOfCoins(rates_, f.expectedNet);
        } else if (cash_) {
            yen = cash_->yen[cashIndex(curves.table, *column)][static_cast<std::size_t>(k)];
        }
        setTableCell(*table_, k, YenColumn, yen ? signedNumber(*yen, 0) : QStringLiteral("—"));
        setTableCell(*table_, k, HourColumn,
                     yen ? signedNumber(*yen / hoursOfGames(rates_, f.expectedGames), 0)
                         : QStringLiteral("—"));
    }
}

void AimPanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    showProgress();
}

void AimPanel::showProgress() {
    showWorkProgress(work_, active_, QStringLiteral("計算中"), *progress_, *status_,
                     progressTimer_);
}

}  // namespace korvale
