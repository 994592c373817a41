#pragma once

// スランプグラフ: the net coins of the run. Per-mode run: net coins over the games played, a
// point at every bonus. Attempt run: the total net coins over the attempts, and beneath it how
// the net coins of one attempt are spread.

#include <QLineSeries>
#include <QWidget>
#include <memory>
#include <optional>

#include "analysis/outcome/law_bins.h"
#include "analysis/outcome/outcome_law.h"
#include "ui/analysis_window/analysis_tab.h"
#include "ui/analysis_window/chart_parts.h"
#include "ui/analysis_window/run_feed.h"
#include "ui/analysis_window/run_view.h"

namespace korvale {

class SlumpPanel final : public QWidget, public AnalysisTab {
    Q_OBJECT

  public:
    explicit SlumpPanel(QWidget* parent = nullptr);

    // `expectedPerStep`: the exact expected net coins per game (per-mode run) or per attempt,
    // drawn as a straight line the curve settles around; none while it is not known.
    // `law`: attempt run, the exact law of an attempt, drawn over the histogram as the counts
    // it leads one to expect; null while it is not known, and `noLaw` then says why, under the
    // histogram's title (the legend names only what is drawn).
    void redraw(const RunFeed& feed, std::optional<double> expectedPerStep,
                std::shared_ptr<const OutcomeLaw> law = nullptr, const QString& noLaw = {});

    // What is drawn, for tests: the net coins curve and the histogram's outline.
    QWidget& page() override { return *this; }
    QString title() const override { return QStringLiteral("スランプグラフ"); }
    void onShow(RunView& run) override {
        redraw(run.feed(), run.expectedNetPerStep(), run.law(), run.noLawReason());
    }
    QWidget* graph() override { return this; }  // nothing but graphs
    RunWork drawsOn() const override { return {.exact = true}; }

    const QLineSeries& netLine() const { return *net_; }
    const QLineSeries& spreadLine() const { return *spread_; }
    const QLineSeries& exactSpreadLine() const { return *exactSpread_; }
    const QChart& spreadChart() const { return *spreadGraph_.chart; }

  private:
    Graph netGraph_;
    Graph spreadGraph_;
    QLineSeries* net_ = nullptr;
    QLineSeries* zero_ = nullptr;
    QLineSeries* expected_ = nullptr;
    QLineSeries* spread_ = nullptr;
    QLineSeries* spreadZero_ = nullptr;
    QLineSeries* exactSpread_ = nullptr;
    std::shared_ptr<const OutcomeLaw> binnedFrom_;
    BinnedLaw binned_;
};

}  // namespace korvale
