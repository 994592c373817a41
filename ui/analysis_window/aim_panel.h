#pragma once

// 狙い目: what an attempt is worth on a machine found some games after its last BIG, against
// those games (0 to 1,500 by 50), for each setting and for a machine of unknown setting (the
// settings mixed by their chances given the count, from the prior's weights), the least count
// from which playing pays marked on each curve, and the table of one of them below. The rule is
// the main window's end boxes as the run reads them, or one typed here. The figures do not
// depend on the run: they are worked out when the tab is first shown (some seconds), the
// curves drawn as they come in; the work waits while the window does not show it.

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QRadioButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <array>
#include <optional>

#include "analysis/found/hunt_cash.h"
#include "analysis/hall/hall_rates.h"
#include "ui/analysis_window/aim_service.h"
#include "ui/analysis_window/analysis_tab.h"
#include "ui/analysis_window/chart_parts.h"
#include "ui/analysis_window/exact_service.h"
#include "ui/analysis_window/rule_choice.h"

namespace korvale {

class AimPanel final : public QWidget, public AnalysisTab {
    Q_OBJECT

  public:
    // The curves: 設定１..設定６, then the mixture (設定不明).
    static constexpr int curveCount = settingCount + 1;
    static constexpr int mixtureCurve = settingCount;
    enum Column {
        CountColumn,
        NetColumn,
        AheadColumn,
        GamesColumn,
        BigColumn,
        Per1000Column,
        YenColumn,
        HourColumn
    };

    explicit AimPanel(QWidget* parent = nullptr);

    // The texts of the main window's end boxes.
    void setMainEnd(const QString& bigEnd, const QString& regEnd) override;
    // The hall's rates the table's yen and hourly figures are at (the window's one rates panel).
    void setHallRates(const HallRates& rates) override;
    // The main window's setting (0 to 5): the table shows it until another is chosen here.
    void setChosenSetting(std::int32_t setting) override;
    // The tab is on show: the work begins (or goes on) and the graph is drawn.
    void activate();
    // While the tab is not on show the window may hold its work (long_work.h).
    void holdWork(bool held) override { work_.hold(held); }
    bool workPending() const override { return work_.pending(); }

    QWidget& page() override { return *this; }
    QString title() const override { return QStringLiteral("狙い目"); }
    std::optional<QString> heading() const override {
        return QStringLiteral("狙い目の図は、実行の結果によらない理論値です。");
    }
    void onShow(RunView& /*run*/) override { activate(); }  // it draws itself as its work comes
    QWidget* graph() override { return &graphView(); }

    // The setup the figures are asked for, or none while the rule or the weights do not read.
    std::optional<AimSetup> setup() const;

    // The graph alone, as グラフをPNGで保存 saves it.
    QWidget& graphView() { return *graph_.view; }

    // For tests.
    QComboBox& shownChoice() { return *choice_; }
    QRadioButton& mainRuleOption() { return rule_->mainOption(); }
    QRadioButton& typedRuleOption() { return rule_->typedOption(); }
    QLineEdit& typedBigEnd() { return rule_->typedBigEnd(); }
    QLineEdit& typedRegEnd() { return rule_->typedRegEnd(); }
    // The game limit: 0 for none.
    QSpinBox& maxGames() { return *maxGames_; }
    QDoubleSpinBox& priorWeight(int setting) {
        return *weights_[static_cast<std::size_t>(setting)];
    }
    const QLineSeries& curve(int index) const { return *curves_[static_cast<std::size_t>(index)]; }
    const QScatterSeries& breakEvenMark(int index) const {
        return *marks_[static_cast<std::size_t>(index)];
    }
    const QTableWidget& table() const { return *table_; }
    QString ruleCaption() const { return ruleNote_->text(); }
    QString breakEvenCaption() const { return breakEvenNote_->text(); }
    const QProgressBar& progress() const { return *progress_; }
    void waitForCurves() { work_.waitForResult(); }

  protected:
    // Shown again, it says how far its work is.
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* makePriorRow();
    QTableWidget* makeTable();
    void request();
    void redraw();
    void drawCurves(const AimCurves& curves);
    void fillTable(const AimCurves& curves);
    void showProgress();

    Graph graph_;
    std::array<QLineSeries*, curveCount> curves_{};
    std::array<QScatterSeries*, curveCount> marks_{};
    HallRates rates_;
    std::optional<HuntCash> cash_;  // from cash, the yen of the curves on show
    QComboBox* choice_ = nullptr;
    RuleChoice* rule_ = nullptr;
    std::array<QDoubleSpinBox*, settingCount> weights_{};
    QSpinBox* maxGames_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* ruleNote_ = nullptr;
    QLabel* breakEvenNote_ = nullptr;
    QLabel* tableNote_ = nullptr;
    QTableWidget* table_ = nullptr;
    QTimer progressTimer_;
    LongWork<AimWork> work_{[this] { redraw(); }};

    bool active_ = false;
    bool shownOnce_ = false;
    std::int32_t chosen_ = 0;
};

}  // namespace korvale
