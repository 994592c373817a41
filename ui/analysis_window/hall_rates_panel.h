#pragma once

// The hall's rates in the analysis window, in one place: coins lent per ¥1000, coins taken per
// ¥100, where the coins come from and the games an hour. What is set is kept while the program
// runs, the window closed and opened again included.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QSpinBox>
#include <QWidget>

#include "analysis/hall/hall_rates.h"

namespace korvale {

class HallRatesPanel final : public QWidget {
    Q_OBJECT

  public:
    explicit HallRatesPanel(QWidget* parent = nullptr);

    // The rates as set (those of the session).
    HallRates rates() const;

    // For tests.
    QSpinBox& lend() { return *lend_; }
    QDoubleSpinBox& exchange() { return *exchange_; }
    QComboBox& pay() { return *pay_; }
    QSpinBox& gamesPerHour() { return *gamesPerHour_; }

  signals:
    void changed();

  private:
    void keep();

    QSpinBox* lend_ = nullptr;
    QDoubleSpinBox* exchange_ = nullptr;
    QComboBox* pay_ = nullptr;
    QSpinBox* gamesPerHour_ = nullptr;
};

}  // namespace korvale
