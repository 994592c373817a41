#include "ui/history_posterior.h"

#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>

#include "analysis/bonus_history_reader.h"
#include "analysis/machine_model.h"
#include "analysis/setting_filter.h"
#include "ui/history_read_message.h"

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

    auto* row = new QHBoxLayout;
    row->addWidget(morning_);
    row->addWidget(joined_);
    row->addWidget(new QLabel(QStringLiteral("最後のボーナスから"), this));
    row->addWidget(trailing_);
    row->addWidget(new QLabel(QStringLiteral("G"), this));
    row->addStretch(1);
    row->addWidget(open);
    row->addWidget(go);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(row);
    layout->addWidget(result_);
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
        result_->setText(
            QStringLiteral("ファイル「%1」を開けませんでした。%2").arg(path, file.errorString()));
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result_->setText(
            QStringLiteral("ファイル「%1」を読めませんでした。%2").arg(path, file.errorString()));
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
        result_->setText(QStringLiteral("読めない行があります。") +
                         japaneseHistoryProblem(*reading.problem));
        return;
    }
    SettingFilter filter(joined_->isChecked() ? HistoryStart::Joined : HistoryStart::Morning);
    for (const ObservedBonus& bonus : reading.history.bonuses) {
        filter.addBonus(bonus);
    }
    try {
        estimate_ = sharedSettingEstimator()->estimate(filter, trailing_->value());
    } catch (const std::exception& error) {
        result_->setText(QStringLiteral("この履歴からは求められません：") +
                         QString::fromUtf8(error.what()));
        return;
    }
    QString posterior;
    QString countOnly;
    for (std::size_t s = 0; s < settingCount; ++s) {
        const QString name = QStringLiteral("設定") + QChar(0xFF11 + static_cast<int>(s));
        posterior +=
            QStringLiteral("%1 %2%　").arg(name).arg(100.0 * estimate_->posterior[s], 0, 'f', 1);
        countOnly += QStringLiteral("%1 %2%　")
                         .arg(name)
                         .arg(100.0 * estimate_->countOnlyPosterior[s], 0, 'f', 1);
    }
    const QString none = reading.history.bonuses.empty()
                             ? QStringLiteral("履歴にボーナスがありません。\n")
                             : QString();
    result_->setText(none + QStringLiteral("%1ボーナス・%2G：%3\n回数だけの答え：%4\n"
                                           "次の1000Gの差枚の期待値 %5枚")
                                .arg(reading.history.bonuses.size())
                                .arg(estimate_->games)
                                .arg(posterior, countOnly)
                                .arg(estimate_->expectedNet, 0, 'f', 1));
}

}  // namespace korvale
