#include "ui/analysis_window/history_posterior.h"

#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>

#include "analysis/inference/bonus_history_reader.h"
#include "analysis/model/machine_model.h"
#include "analysis/inference/setting_filter.h"
#include "ui/controls/file_saving.h"
#include "ui/analysis_window/history_read_message.h"
#include "ui/analysis_window/posterior_table.h"
#include "ui/analysis_window/window_numbers.h"
#include "common/runtime_error.h"

namespace korvale {

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
    table_->hide();  // until a history is worked out

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
    layout->addLayout(buttons);
    layout->addWidget(result_);
    layout->addWidget(table_);
    connect(open, &QPushButton::clicked, this, &HistoryPosterior::load);
    connect(go, &QPushButton::clicked, this, &HistoryPosterior::compute);
}

void HistoryPosterior::load() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("履歴を開く"));
    if (!path.isEmpty()) {
        loadFile(path);
    }
}

void HistoryPosterior::loadFile(const QString& path) {
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
    const HistoryText decoded = decodeHistoryText(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (decoded.problem) {
        result_->setText(QStringLiteral("ファイル「%1」は読めません。").arg(path) +
                         japaneseHistoryProblem(*decoded.problem));
        return;
    }
    text_->setPlainText(QString::fromStdString(decoded.text));
    result_->clear();
}

void HistoryPosterior::compute() {
    estimate_.reset();
    const HistoryReading reading = tryReadBonusHistory(text_->toPlainText().toStdString());
    if (reading.problem) {
        table_->hide();
        result_->setText(QStringLiteral("読めない行があります。") +
                         japaneseHistoryProblem(*reading.problem));
        return;
    }
    if (reading.history.bonuses.empty()) {
        table_->hide();
        result_->setText(QStringLiteral("履歴が空です（ボーナスの行がありません）。"));
        return;
    }
    SettingFilter filter(joined_->isChecked() ? HistoryStart::Joined : HistoryStart::Morning);
    for (const ObservedBonus& bonus : reading.history.bonuses) {
        filter.addBonus(bonus);
    }
    try {
        estimate_ = sharedSettingEstimator()->estimate(filter, trailing_->value());
    } catch (const RuntimeError& error) {
        // A history no setting could have given, said in the window's words.
        table_->hide();
        result_->setText(QStringLiteral("この履歴からは求められません：") +
                         QString::fromUtf8(errorMessage(error.kind())));
        return;
    } catch (const std::exception& error) {
        table_->hide();
        result_->setText(QStringLiteral("この履歴からは求められません：") +
                         QString::fromUtf8(error.what()));
        return;
    }
    const SettingEstimate& e = *estimate_;
    result_->setText(QStringLiteral("%1ボーナス（BIG %2回　REG %3回）・プレイ数 %4G\n")
                         .arg(groupedNumber(static_cast<double>(reading.history.bonuses.size())),
                              groupedNumber(static_cast<double>(e.bigs)),
                              groupedNumber(static_cast<double>(e.regs)),
                              groupedNumber(static_cast<double>(e.games))) +
                     posteriorSummary(e));
    fillPosteriorTable(*table_, e);
    table_->show();
}

}  // namespace korvale
