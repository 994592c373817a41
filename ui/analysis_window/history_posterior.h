#pragma once

// A hall's data counter history, pasted or loaded from a file (the format korvale-batch infer
// reads: "BIG 123" lines or the grid's CSV), read from the morning or joined during the day,
// with the games since the last bonus: the posterior over 設定１..設定６ and the expected net
// coins of the next 1000 games.

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <memory>
#include <optional>

#include "analysis/inference/setting_estimate.h"

namespace korvale {

// The models' estimator, made once for the program (its backward pass takes some 50 ms).
std::shared_ptr<const SettingEstimator> sharedSettingEstimator();

class HistoryPosterior final : public QGroupBox {
    Q_OBJECT

  public:
    explicit HistoryPosterior(QWidget* parent = nullptr);

    // For tests: the input, and the estimate of the latest 計算 (none after a bad text, and none
    // once the input changed).
    QPlainTextEdit& historyText() { return *text_; }
    QRadioButton& morningOption() { return *morning_; }
    QRadioButton& joinedOption() { return *joined_; }
    QSpinBox& trailingGames() { return *trailing_; }
    const QLabel& result() const { return *result_; }
    const QTableWidget& table() const { return *table_; }
    const std::optional<SettingEstimate>& estimate() const { return estimate_; }
    void compute();
    // What ファイルを開く… does with the chosen file: the history read is worked out at once.
    void loadFile(const QString& path);

  private:
    void load();
    // Any change of the history, its start or its trailing games makes the answer on show an
    // old one: it goes.
    void clearAnswer();

    QPlainTextEdit* text_ = nullptr;
    QRadioButton* morning_ = nullptr;
    QRadioButton* joined_ = nullptr;
    QSpinBox* trailing_ = nullptr;
    QLabel* result_ = nullptr;
    QTableWidget* table_ = nullptr;
    std::optional<SettingEstimate> estimate_;
};

}  // namespace korvale
