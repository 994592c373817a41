#include "ui/analysis_window/hall_rates_panel.h"

#include <QGridLayout>
#include <QLabel>

namespace korvale {
namespace {

// The session's rates: every analysis window of the program's run starts from them.
HallRates& sessionRates() {
    static HallRates rates;
    return rates;
}

}  // namespace

HallRatesPanel::HallRatesPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("hallRates"));
    const HallRates& kept = sessionRates();
    lend_ = new QSpinBox(this);
    lend_->setRange(1, largestLend);
    lend_->setSuffix(QStringLiteral("枚/千円"));
    lend_->setValue(kept.lend);
    exchange_ = new QDoubleSpinBox(this);
    exchange_->setRange(smallestExchange, largestExchange);
    exchange_->setDecimals(2);
    exchange_->setSingleStep(0.1);
    exchange_->setSuffix(QStringLiteral("枚/百円"));
    exchange_->setValue(kept.exchange);
    pay_ = new QComboBox(this);
    pay_->addItems({QStringLiteral("貯メダル"), QStringLiteral("現金")});
    pay_->setCurrentIndex(kept.pay == CoinSource::Cash ? 1 : 0);
    gamesPerHour_ = new QSpinBox(this);
    gamesPerHour_->setRange(1, static_cast<int>(largestGamesPerHour));
    gamesPerHour_->setSingleStep(50);
    gamesPerHour_->setSuffix(QStringLiteral("G/時"));
    gamesPerHour_->setValue(static_cast<int>(kept.gamesPerHour));

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto place = [&](int row, int column, const QString& label, QWidget* box) {
        layout->addWidget(new QLabel(label, this), row, column * 2);
        layout->addWidget(box, row, column * 2 + 1);
    };
    place(0, 0, QStringLiteral("貸出"), lend_);
    place(0, 1, QStringLiteral("交換"), exchange_);
    place(1, 0, QStringLiteral("元手"), pay_);
    place(1, 1, QStringLiteral("遊技速度"), gamesPerHour_);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(3, 1);

    connect(lend_, &QSpinBox::valueChanged, this, &HallRatesPanel::keep);
    connect(exchange_, &QDoubleSpinBox::valueChanged, this, &HallRatesPanel::keep);
    connect(pay_, &QComboBox::currentIndexChanged, this, &HallRatesPanel::keep);
    connect(gamesPerHour_, &QSpinBox::valueChanged, this, &HallRatesPanel::keep);
}

HallRates HallRatesPanel::rates() const {
    return {.lend = lend_->value(),
            .exchange = exchange_->value(),
            .pay = pay_->currentIndex() == 1 ? CoinSource::Cash : CoinSource::Stored,
            .gamesPerHour = static_cast<double>(gamesPerHour_->value())};
}

void HallRatesPanel::keep() {
    sessionRates() = rates();
    emit changed();
}

}  // namespace korvale
