#include "ui/analysis_window/history_posterior.h"

#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <cmath>

#include "analysis/inference/bonus_history_reader.h"
#include "analysis/inference/setting_filter.h"
#include "analysis/model/machine_model.h"
#include "common/status.h"
#include "ui/analysis_window/history_read_message.h"
#include "ui/analysis_window/posterior_table.h"
#include "ui/analysis_window/window_numbers.h"
#include "ui/controls/failure_words.h"
#include "ui/controls/file_saving.h"

namespace korvale {

namespace {

// The line above a history's answer: what it held. A history without a bonus still has its
// answer, the prior weighed by the games without one, as korvale-batch infer gives it.
QString whatWasRead(std::size_t bonuses, const SettingEstimate& e) {
    const auto number = [](std::int64_t value) {
        return groupedNumber(static_cast<double>(value));
    };
    if (bonuses > 0) {
        return QStringLiteral("%1ボーナス（BIG %2回　REG %3回）・プレイ数 %4G\n")
            .arg(number(static_cast<std::int64_t>(bonuses)), number(e.bigs), number(e.regs),
                 number(e.games));
    }
    if (e.games > 0) {
        return QStringLiteral(
                   "ボーナスの行がありません。事前確率（一様）を、ボーナスのない%1Gで重みづけた"
                   "答えです。\n")
            .arg(number(e.games));
    }
    return QStringLiteral("ボーナスの行がありません。事前確率（一様）がそのまま答えです。\n");
}

}  // namespace

std::shared_ptr<const SettingEstimator> sharedSettingEstimator() {
    static const auto estimator = std::make_shared<const SettingEstimator>(machineModels());
    return estimator;
}

HistoryPosterior::HistoryPosterior(QWidget* parent)
    : QGroupBox(QStringLiteral("データカウンターの履歴から"), parent) {
    text_ = new QPlainTextEdit(this);
    text_->setPlaceholderText(
        QStringLiteral("BIG 123\nREG 45\n…（1行に1回のボーナス、またはCSV）"));
    text_->setFixedHeight(72);
    auto* open = new QPushButton(QStringLiteral("ファイルを開く…"), this);
    morning_ = new QRadioButton(QStringLiteral("朝一から"), this);
    joined_ = new QRadioButton(QStringLiteral("途中から"), this);
    morning_->setChecked(true);
    auto* start = new QButtonGroup(this);
    start->addButton(morning_);
    start->addButton(joined_);
    trailing_ = new QSpinBox(this);
    trailing_->setRange(0, 2147483647);
    auto* go = new QPushButton(QStringLiteral("計算"), this);
    result_ = new QLabel(this);
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    table_ = makePosteriorTable(this, false);
    table_->setColumnCount(PayoutColumn + 1);
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("設定"), QStringLiteral("事後確率"), QStringLiteral("回数だけの答え"),
         QStringLiteral("続行時の差枚"), QStringLiteral("ゲーム数"), QStringLiteral("機械割")});
    table_->hide();  // until a history is worked out
    // Playing on: the 300/100 of a new window's boxes when typed.
    rule_ = new RuleChoice(QStringLiteral("300"), QStringLiteral("100"), this);
    worthNote_ = new QLabel(this);
    worthNote_->setWordWrap(true);
    worthNote_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    worthTimer_.setInterval(250);

    auto* row = new QHBoxLayout;
    row->addWidget(morning_);
    row->addWidget(joined_);
    row->addWidget(new QLabel(QStringLiteral("最後のボーナスから"), this));
    row->addWidget(trailing_);
    row->addWidget(new QLabel(QStringLiteral("G"), this));
    row->addStretch(1);
    // The buttons on a line of their own, so that the panel fits beside the main window on a
    // small screen.
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(open);
    buttons->addWidget(go);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(row);
    layout->addWidget(rule_);
    layout->addLayout(buttons);
    layout->addWidget(result_);
    layout->addWidget(table_);
    layout->addWidget(worthNote_);
    connect(rule_, &RuleChoice::changed, this, &HistoryPosterior::requestWorth);
    connect(&worthTimer_, &QTimer::timeout, this, &HistoryPosterior::showWorth);
    connect(open, &QPushButton::clicked, this, &HistoryPosterior::load);
    connect(go, &QPushButton::clicked, this, &HistoryPosterior::compute);
    connect(text_, &QPlainTextEdit::textChanged, this, &HistoryPosterior::clearAnswer);
    connect(joined_, &QRadioButton::toggled, this, &HistoryPosterior::clearAnswer);
    connect(trailing_, &QSpinBox::valueChanged, this, &HistoryPosterior::clearAnswer);
}

void HistoryPosterior::clearAnswer() {
    estimate_.reset();
    asked_.reset();
    worth_.callOff();
    worthTimer_.stop();
    table_->hide();
    result_->clear();
    worthNote_->clear();
}

void HistoryPosterior::setMainEnd(const QString& bigEnd, const QString& regEnd) {
    rule_->setMainEnd(bigEnd, regEnd);
}

void HistoryPosterior::requestWorth() {
    if (!asked_) {
        return;
    }
    const ExactSetup rule = rule_->read();
    if (!rule.unreadable.isEmpty()) {
        worth_.callOff();
        showWorth();
        return;
    }
    asked_->end = rule.end;
    worth_.request(*asked_);
    showWorth();
}

void HistoryPosterior::showEvent(QShowEvent* event) {
    QGroupBox::showEvent(event);
    showWorth();
}

void HistoryPosterior::showWorth() {
    if (!asked_) {
        return;
    }
    const ExactSetup rule = rule_->read();
    const std::shared_ptr<const HistoryWorthResult> result =
        rule.unreadable.isEmpty() ? worth_.result(*asked_) : nullptr;
    const bool working = !result && rule.unreadable.isEmpty() && worth_.pending();
    // Told only while it is on show.
    if (working && isVisible() && !worthTimer_.isActive()) {
        worthTimer_.start();
    } else if (!working || !isVisible()) {
        worthTimer_.stop();
    }
    for (int s = 0; s < settingCount; ++s) {
        const std::optional<AttemptFigures>* one =
            result && result->worth ? &result->worth->bySetting[static_cast<std::size_t>(s)]
                                    : nullptr;
        const bool known = one != nullptr && one->has_value();
        setTableCell(*table_, s, NetColumn,
                     known ? signedNumber((*one)->expectedNet, 1) : QString());
        setTableCell(*table_, s, GamesColumn,
                     known ? groupedNumber((*one)->expectedGames, 1) : QString());
        setTableCell(*table_, s, PayoutColumn,
                     known ? percentText((*one)->payoutPercent / 100.0) : QString());
    }
    QString note = QStringLiteral("続行時：いまの台を続けて打ち、") + rule_->caption();
    if (working) {
        note +=
            QStringLiteral("\n続けて打つ価値を計算中… %1%").arg(std::lround(100 * worth_.done()));
    } else if (result && !result->failure.isEmpty()) {
        note += QStringLiteral("\n") + result->failure;
    } else if (result && result->worth) {
        const AttemptFigures& mix = result->worth->mixture;
        note += QStringLiteral(
                    "\n設定不明（事後確率で加重）：一回 %1枚・%2G・BIG %3回・千Gあたり"
                    "%4枚・機械割 %5")
                    .arg(signedNumber(mix.expectedNet, 1), groupedNumber(mix.expectedGames, 1),
                         groupedNumber(mix.expectedBigs, 3), signedNumber(mix.netPer1000Games, 1),
                         percentText(mix.payoutPercent / 100.0));
    }
    worthNote_->setText(note);
}

void HistoryPosterior::load() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("履歴を開く"));
    if (!path.isEmpty()) {
        loadFile(path);
    }
}

void HistoryPosterior::loadFile(const QString& path) {
    clearAnswer();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result_->setText(QStringLiteral("ファイル「%1」を開けませんでした。%2")
                             .arg(path, failureReason(file.errorString())));
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result_->setText(QStringLiteral("ファイル「%1」を読めませんでした。%2")
                             .arg(path, failureReason(file.errorString())));
        return;
    }
    // Shift-JIS and UTF-16 are shown as the text they hold; a file that is not text is refused.
    const StatusOr<std::string> decoded = decodeHistoryText(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (!decoded) {
        result_->setText(QStringLiteral("ファイル「%1」は読めません。").arg(path) +
                         japaneseHistoryProblem(*historyProblem(decoded.status())));
        return;
    }
    text_->setPlainText(QString::fromStdString(*decoded));
    compute();
}

void HistoryPosterior::compute() {
    clearAnswer();
    const StatusOr<BonusHistory> reading = readBonusHistory(text_->toPlainText().toStdString());
    if (!reading) {
        result_->setText(QStringLiteral("読めない行があります。") +
                         japaneseHistoryProblem(*historyProblem(reading.status())));
        return;
    }
    SettingFilter filter(joined_->isChecked() ? HistoryStart::Joined : HistoryStart::Morning);
    for (const ObservedBonus& bonus : reading->bonuses) {
        filter.addBonus(bonus);
    }
    try {
        StatusOr<SettingEstimate> estimate =
            sharedSettingEstimator()->estimate(filter, trailing_->value());
        if (!estimate) {
            // A history no setting could have given, said in the window's words.
            result_->setText(QStringLiteral("この履歴からは求められません：") +
                             QString::fromUtf8(japaneseMessage(estimate.status().reason())));
            return;
        }
        estimate_ = std::move(*estimate);
    } catch (const std::exception& error) {
        result_->setText(QStringLiteral("この履歴からは求められません：") +
                         QString::fromUtf8(error.what()));
        return;
    }
    const SettingEstimate& e = *estimate_;
    result_->setText(whatWasRead(reading->bonuses.size(), e) + posteriorSummary(e));
    fillPosteriorTable(*table_, e);
    table_->show();
    asked_ = HistoryWorthSetup{
        .bonuses = reading->bonuses, .start = filter.start(), .trailingGames = trailing_->value()};
    requestWorth();
}

}  // namespace korvale
