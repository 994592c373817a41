#pragma once

// A hall's data counter history, pasted or loaded from a file (the format korvale-batch infer
// reads: "BIG 123" lines or the grid's CSV), read from the morning or joined during the day,
// with the games since the last bonus: the posterior over 設定１..設定６, the expected net
// coins of the next 1000 games, and beside the posterior what an attempt played on from where
// the history leaves the machine is worth under a rule (the main window's end boxes or one
// typed), at each setting and mixed by the posterior, worked out off the window's thread.

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <memory>
#include <optional>

#include "analysis/inference/setting_estimate.h"
#include "ui/analysis_window/history_worth_service.h"
#include "ui/analysis_window/rule_choice.h"

namespace korvale {

// The models' estimator, made once for the program (its backward pass takes some 50 ms).
std::shared_ptr<const SettingEstimator> sharedSettingEstimator();

class HistoryPosterior final : public QGroupBox {
    Q_OBJECT

  public:
    // The columns of the history's table: the posterior's, then the worth of playing on.
    enum Column { NetColumn = 3, GamesColumn, PayoutColumn };

    explicit HistoryPosterior(QWidget* parent = nullptr);

    // The texts of the main window's end boxes.
    void setMainEnd(const QString& bigEnd, const QString& regEnd);

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
    RuleChoice& rule() { return *rule_; }
    const QLabel& worthNote() const { return *worthNote_; }
    void waitForWorth() { worth_.waitForResult(); }
    // While the tab is not on show the window may hold the work (long_work.h).
    void holdWork(bool held) { worth_.hold(held); }
    bool workPending() const { return worth_.pending(); }

  protected:
    // Shown again, it says how far the work is.
    void showEvent(QShowEvent* event) override;

  private:
    void load();
    // Any change of the history, its start or its trailing games makes the answer on show an
    // old one: it goes.
    void clearAnswer();
    // The worth of playing on for the history worked out and the rule chosen.
    void requestWorth();
    void showWorth();

    QPlainTextEdit* text_ = nullptr;
    QRadioButton* morning_ = nullptr;
    QRadioButton* joined_ = nullptr;
    QSpinBox* trailing_ = nullptr;
    QLabel* result_ = nullptr;
    QTableWidget* table_ = nullptr;
    std::optional<SettingEstimate> estimate_;
    RuleChoice* rule_ = nullptr;
    QLabel* worthNote_ = nullptr;
    QTimer worthTimer_;
    // The history worked out last, its rule the one asked for.
    std::optional<HistoryWorthSetup> asked_;
    LongWork<HistoryWorthWork> worth_{[this] { showWorth(); }};
};

}  // namespace korvale
