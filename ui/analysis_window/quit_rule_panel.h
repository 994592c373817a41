#pragma once

#include "analysis/hall/hall_rates.h"

// ヤメ時: the stopping rules of a grid of end conditions for one setting at a time, each as its
// mean net coins per 1000 games against its chance to end an attempt ahead, the rules no other
// beats on both joined by a line, and the end conditions typed in the main window marked. One
// setting at a time, chosen here: the six settings' clouds overlap and their frontiers cross,
// so together they hide one another, and a player judges one setting at a time. The sweep takes
// minutes: it is begun when the tab is first shown, goes on while the window shows it and waits
// while it is closed (what is done is kept). The setting on show is worked out first,
// its rules drawn as they come in, with the time it still needs; a setting not yet begun says
// it waits. Resting the pointer on a rule names it and its figures.

#include <QComboBox>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QScatterSeries>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "ui/analysis_window/analysis_tab.h"
#include "ui/analysis_window/chart_parts.h"
#include "ui/analysis_window/quit_rule_service.h"

namespace korvale {

class QuitRulePanel final : public QWidget, public AnalysisTab {
    Q_OBJECT

  public:
    explicit QuitRulePanel(const SweepGrid& grid = {}, QWidget* parent = nullptr);

    // Another grid, the work for the old one called off (for tests and benchmarks).
    void setGrid(const SweepGrid& grid);
    // The main window's setting (0 to 5) and the texts of its end boxes: the setting is shown,
    // the rule marked.
    void setChosenSetting(std::int32_t setting) override;
    void setTypedEnd(const QString& bigEnd, const QString& regEnd);
    // The hall's rates the tip gives each rule's yen at (from stored coins).
    void setHallRates(const HallRates& rates) override { rates_ = rates; }
    // The tab is on show: the work begins (or goes on) and the graph is drawn.
    void activate();
    // While the tab is not on show the window may hold its work (long_work.h).
    void holdWork(bool held) override;
    bool workPending() const override { return service_->pending(); }

    QWidget& page() override { return *this; }
    QString title() const override { return QStringLiteral("ヤメ時"); }
    void setMainEnd(const QString& bigEnd, const QString& regEnd) override {
        setTypedEnd(bigEnd, regEnd);
    }
    std::optional<QString> heading() const override {
        return QStringLiteral("ヤメ時の図は、実行の結果によらない各ルールの理論値です。");
    }
    void onShow(RunView& /*run*/) override { activate(); }  // it draws itself as its work comes
    QWidget* graph() override { return &graphView(); }

    // The graph alone, as グラフをPNGで保存 saves it.
    QWidget& graphView() { return *graph_.view; }

    // For tests.
    QuitRuleService& service() { return *service_; }
    QComboBox& settingChoice() { return *choice_; }
    const QScatterSeries& rulePoints() const { return *rules_; }
    const QLineSeries& frontierLine() const { return *frontier_; }
    const QScatterSeries& markedPoint() const { return *marked_; }
    const QProgressBar& progress() const { return *progress_; }
    QString gridCaption() const { return gridNote_->text(); }
    QString markCaption() const { return markNote_->text(); }
    QString statusCaption() const { return status_->text(); }
    std::int32_t shownSetting() const { return static_cast<std::int32_t>(choice_->currentIndex()); }
    // What the pointer resting at `point` of the graph is told: the drawn rule nearest to it.
    QString tipAt(const QPointF& point) const;

  protected:
    // Shown again, it says how far its work is, and follows it.
    void showEvent(QShowEvent* event) override;

  private:
    // A rule as drawn, for the pointer resting on it.
    struct DrawnRule {
        QPointF point;
        EndConditions end;
        double netPerAttempt = 0;
        RuleRisk risk;
        bool onFrontier = false;
    };

    void makeService(const SweepGrid& grid);
    void redraw();
    // Draws the rules worked out so far once more rules came in.
    void followSweep();
    void drawRules(const RuleSweep& sweep);
    void clearRules();
    void showTip(const QPointF& point, bool resting);
    // The rule typed in the main window, on the grid or worked out alone.
    void drawMark();
    void showMark(double netPer1000Games, const RuleRisk& risk, EndConditions end);
    void showProgress();
    void fitAxes();

    Graph graph_;
    QScatterSeries* rules_ = nullptr;
    QLineSeries* frontier_ = nullptr;
    QScatterSeries* marked_ = nullptr;
    QComboBox* choice_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    HallRates rates_;
    QLabel* gridNote_ = nullptr;
    QLabel* markNote_ = nullptr;
    QTimer progressTimer_;
    QuitRuleService* service_ = nullptr;
    std::vector<DrawnRule> drawn_;
    // The rules of the setting on show drawn so far, and of which setting.
    std::size_t rulesDrawn_ = 0;
    std::int32_t settingDrawn_ = -1;

    bool active_ = false;
    bool held_ = false;
    bool shownOnce_ = false;
    std::int32_t chosen_ = 0;
    QString bigEndText_ = QStringLiteral("0");
    QString regEndText_ = QStringLiteral("0");
};

}  // namespace korvale
