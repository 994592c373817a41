#include "report/format/table_format.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "report/format/table_text.h"
#include "report/model/fact_catalogue.h"
#include "report/model/figure_catalogue.h"

namespace korvale {
namespace {

std::string groupTitle(const FigureGroup& group) {
    std::string title = group.setting >= 0 ? settingName(group.setting) : "全設定";
    if (group.source == Source::Simulated) {
        title += " 実測";
    }
    return title;
}

std::string endConditionText(const EndConditions& end) {
    return fmt::format("BIG後{} REG後{}", significant(end.bigEnd), end.regEnd);
}

std::string intervalText(const Figure& figure) {
    if (!figure.ci95.known) {
        return "";
    }
    return fmt::format("{} – {}", figureText(figure.unit, figure.ci95.low),
                       figureText(figure.unit, figure.ci95.high));
}

// The keys of a block's figures in order of first appearance, each with its first figure.
std::vector<const Figure*> rowFigures(const std::vector<const FigureGroup*>& groups) {
    std::vector<const Figure*> rows;
    for (const FigureGroup* group : groups) {
        for (const Figure& figure : group->figures) {
            const bool seen = std::any_of(rows.begin(), rows.end(), [&](const Figure* row) {
                return row->key == figure.key;
            });
            if (!seen) {
                rows.push_back(&figure);
            }
        }
    }
    return rows;
}

// A few groups: a row per figure, a column per group (and one for the 95% interval of each
// measured group).
void writeFiguresByRow(TextTable& table, const std::vector<const FigureGroup*>& groups) {
    std::vector<std::string> heading = {""};
    for (const FigureGroup* group : groups) {
        heading.push_back(groupTitle(*group));
        if (group->source == Source::Simulated) {
            heading.push_back("95%区間");
        }
    }
    table.addHeading(heading);
    for (const Figure* row : rowFigures(groups)) {
        std::vector<std::string> cells = {row->label};
        for (const FigureGroup* group : groups) {
            const Figure* figure = group->find(row->key);
            cells.push_back(figure ? figureText(figure->unit, figure->value) : "");
            if (group->source == Source::Simulated) {
                cells.push_back(figure ? intervalText(*figure) : "");
            }
        }
        table.addRow(cells);
    }
}

bool detailSet(const FigureGroup& group, std::string_view key) {
    return std::any_of(group.details.begin(), group.details.end(), [&](const Figure& detail) {
        return detail.key == key && detail.value == 1.0;
    });
}

// "一回", "千G" or both for a sweep point that is best per attempt or per 1000 games.
std::string bestMark(const FigureGroup& group) {
    std::string mark;
    if (detailSet(group, figureKey::bestPerAttempt)) {
        mark += "一回";
    }
    if (detailSet(group, figureKey::bestPer1000Games)) {
        mark += mark.empty() ? "千G" : "・千G";
    }
    return mark;
}

// Many groups: a row per group, a column per figure.
void writeGroupsByRow(TextTable& table, const std::vector<const FigureGroup*>& groups) {
    const std::vector<const Figure*> columns = rowFigures(groups);
    std::vector<std::string> heading = {"設定", "終了条件"};
    for (const Figure* column : columns) {
        heading.push_back(column->label);
    }
    table.addHeading(heading);
    for (const FigureGroup* group : groups) {
        std::vector<std::string> cells = {groupTitle(*group),
                                          group->end ? endConditionText(*group->end) : ""};
        for (const Figure* column : columns) {
            const Figure* figure = group->find(column->key);
            cells.push_back(figure ? figureText(figure->unit, figure->value) : "");
        }
        table.addRow(cells);
    }
}

// Why a rule's chance to end ahead and its points show "-", when one of the block's exact
// groups does (a measured one shows "-" only before anything was measured): `lawsNone`, the
// laws were not worked out at all (an attempt with a game limit).
std::string unknownRiskNote(const std::vector<const FigureGroup*>& block, bool partial,
                            bool lawsNone) {
    const bool unknownRisk = std::any_of(block.begin(), block.end(), [](const FigureGroup* g) {
        const Figure* ahead = g->find(figureKey::pAhead);
        return g->source == Source::Exact && ahead != nullptr && !ahead->value;
    });
    if (!unknownRisk) {
        return "";
    }
    if (lawsNone) {
        return "「-」：最大ゲーム数のある挑戦の勝ち越す確率などの分布は求めていません\n";
    }
    return std::string("「-」：") + (partial ? "中断までに求まらなかったか、" : "") +
           "試行が長すぎるか、誤差の上限が0.0001を超えて、\n　　　勝ち越す確率などの分布の数値を"
           "示せない終了条件（誤差の上限はCSV・JSONに）\n";
}

// The columns of a sweep's table: those a player weighs first, under short headings, so that
// a setting's block reads in a terminal of 100 columns (every figure is in CSV and JSON). A
// figure with the cost is under its key with the cost unrounded (the sweep's own), or, with a
// game limit, rounded per attempt.
struct SweepColumn {
    std::string_view key;
    std::string_view heading;
};
constexpr std::array sweepColumns = {
    SweepColumn{figureKey::gamesPerAttempt, "一回のG数"},
    SweepColumn{figureKey::netCoinsPerAttempt, "一回の差枚"},
    SweepColumn{figureKey::netPer1000Games, "千Gの差枚"},
    SweepColumn{figureKey::limitReached, "打切り"},
    SweepColumn{figureKey::pAhead, "勝ち越す確率"},
    SweepColumn{figureKey::netCoinsP50, "50%点"},
    SweepColumn{figureKey::netCoinsP10, "10%点"},
};
constexpr std::string_view sweepLegend =
    "一回のG数・一回の差枚：一回あたりのプレイ数・差枚、千Gの差枚：千ゲームあたりの差枚\n";
constexpr std::string_view unroundedLegend = "（コストは c × ゲーム数で丸めなし）";
constexpr std::string_view roundedLegend = "（コストは一回ごとに丸め）";
constexpr std::string_view pointsLegend = "50%点・10%点：差枚の50%点・10%点";
constexpr std::string_view limitLegend = "打切り：最大ゲーム数で打ち切った割合";

// A rule's figure of a column: under its key, or its key with the cost unrounded.
const Figure* columnFigure(const FigureGroup& rule, const SweepColumn& column) {
    const Figure* figure = rule.find(std::string(column.key));
    return figure != nullptr ? figure : rule.find(unroundedCostKey(column.key));
}

// The legend under a sweep's blocks, for the columns they have.
std::string sweepLegendText(const FigureGroup& rule) {
    const bool unrounded = rule.find(unroundedCostKey(figureKey::netPer1000Games)) != nullptr;
    std::string text =
        std::string(sweepLegend) + std::string(unrounded ? unroundedLegend : roundedLegend);
    if (rule.find(figureKey::limitReached) != nullptr) {
        text += "、" + std::string(limitLegend);
    }
    return text + "、" + std::string(pointsLegend) + "\n";
}

// One setting's rules: a row per rule, its end conditions as "X/Y", its marks, then the
// columns the groups hold.
std::string sweepSettingTable(const std::vector<const FigureGroup*>& rules, bool frontierColumn) {
    std::vector<std::string> heading = {"BIG後/REG後", "最善"};
    if (frontierColumn) {
        heading.push_back("フロンティア");
    }
    std::vector<SweepColumn> columns;
    for (const SweepColumn& column : sweepColumns) {
        if (columnFigure(*rules.front(), column) != nullptr) {
            columns.push_back(column);
            heading.emplace_back(column.heading);
        }
    }
    TextTable table;
    table.addHeading(heading);
    for (const FigureGroup* rule : rules) {
        std::vector<std::string> cells = {
            fmt::format("{}/{}", significant(rule->end->bigEnd), rule->end->regEnd),
            bestMark(*rule)};
        if (frontierColumn) {
            cells.push_back(detailSet(*rule, figureKey::onFrontier) ? "○" : "");
        }
        for (const SweepColumn& column : columns) {
            const Figure* figure = columnFigure(*rule, column);
            cells.push_back(figure ? figureText(figure->unit, figure->value) : "");
        }
        table.addRow(cells);
    }
    return settingName(rules.front()->setting) + "\n" + table.text();
}

// A sweep's table, a block per setting: each setting's best rules with a mark on those on the
// frontier, or (the report holding only them) every rule on the frontier. CSV and JSON carry
// every figure of every rule reported.
std::string sweepTable(const std::vector<const FigureGroup*>& block, bool frontierOnly,
                       bool partial, bool lawsNone) {
    std::string text =
        frontierOnly
            ? "各設定の効率的フロンティア：千ゲームあたりの差枚と勝ち越す確率の両方で上回る\n"
              "終了条件がないもの（千ゲームあたりの差枚の高い順）\n\n"
        : lawsNone ? "各設定の最善の終了条件（全ての点はCSV・JSONに）\n\n"
                   : "各設定の最善の終了条件（全ての点はCSV・JSONに、効率的フロンティアは "
                     "--frontier で）\n\n";
    // A frontier not worked out (a game limit's) has no column.
    const bool frontierColumn =
        !frontierOnly && std::any_of(block.begin(), block.end(), [](const FigureGroup* g) {
            return std::any_of(g->details.begin(), g->details.end(), [](const Figure& detail) {
                return detail.key == figureKey::onFrontier && detail.value;
            });
        });
    std::vector<const FigureGroup*> shown;
    for (std::size_t i = 0; i < block.size(); ++i) {
        if (frontierOnly || !bestMark(*block[i]).empty()) {
            shown.push_back(block[i]);
        }
        const bool last = i + 1 == block.size() || block[i + 1]->setting != block[i]->setting;
        if (last && !shown.empty()) {
            text += sweepSettingTable(shown, frontierColumn) + "\n";
            shown.clear();
        }
    }
    return text + sweepLegendText(*block.front()) + unknownRiskNote(block, partial, lawsNone) +
           "\n";
}

std::string blockTitle(const FigureGroup& group) {
    std::string title{};
    switch (group.scope) {
        case Scope::LongRun:
            title = "長期の数値（通常）";
            break;
        case Scope::Attempt:
            title = "一回の挑戦（特別）";
            break;
        case Scope::History:
            title = "履歴からの判別";
            break;
        case Scope::Day:
            title = "一日の収支（朝一から）";
            break;
    }
    if (group.end) {
        title += "  " + endConditionText(*group.end);
    }
    return title;
}

bool sameBlock(const FigureGroup& a, const FigureGroup& b) {
    const bool sameEnd =
        a.end.has_value() == b.end.has_value() &&
        (!a.end || (a.end->bigEnd == b.end->bigEnd && a.end->regEnd == b.end->regEnd));
    // A group for every setting together (a history's summary) stands apart from the settings'.
    const bool sameSpan = (a.setting < 0) == (b.setting < 0);
    return a.scope == b.scope && sameSpan && (sameEnd || a.scope != Scope::Attempt);
}

// The measure of the cash put in beside the exact figures of many settings: a row per
// setting under short headings, so that it reads in a terminal of 100 columns (every figure
// and interval is in CSV and JSON).
constexpr std::array cashColumns = {
    SweepColumn{figureKey::yenPerAttempt, "収支/回"},
    SweepColumn{"", "95%区間"},
    SweepColumn{figureKey::cashInPerAttempt, "投資/回"},
    SweepColumn{figureKey::yenPerHour, "時給"},
    SweepColumn{figureKey::deepestMean, "沈み平均"},
    SweepColumn{figureKey::deepestP90, "沈み90%点"},
};
constexpr std::string_view cashLegend =
    "収支/回・投資/回：一回あたりの収支・投資（円）、95%区間：収支の95%区間、時給：時給（円）、\n"
    "沈み平均・沈み90%点：最も沈んだ差枚の平均・90%点\n";

std::string cashMeasureTable(const std::vector<const FigureGroup*>& measured) {
    TextTable table;
    std::vector<std::string> heading = {"設定"};
    for (const SweepColumn& column : cashColumns) {
        heading.emplace_back(column.heading);
    }
    table.addHeading(heading);
    for (const FigureGroup* group : measured) {
        std::vector<std::string> cells = {groupTitle(*group)};
        const Figure* yen = nullptr;
        for (const SweepColumn& column : cashColumns) {
            if (column.key.empty()) {
                cells.push_back(yen ? intervalText(*yen) : "");
                continue;
            }
            const Figure* figure = columnFigure(*group, column);
            yen = column.key == figureKey::yenPerAttempt ? figure : yen;
            cells.push_back(figure ? figureText(figure->unit, figure->value) : "");
        }
        table.addRow(cells);
    }
    return table.text() + std::string(cashLegend);
}

// Any other block: a row per figure, or for many groups a row per group. Exact groups with
// measured ones beside them (the cash put in): the exact ones by figure, the measured ones in
// a table of their own.
std::string blockTable(const std::vector<const FigureGroup*>& block, bool partial, bool lawsNone) {
    std::string text;
    TextTable table;
    std::vector<const FigureGroup*> exact;
    std::vector<const FigureGroup*> measured;
    for (const FigureGroup* group : block) {
        (group->source == Source::Simulated ? measured : exact).push_back(group);
    }
    if (block.size() > 6 && !exact.empty() && !measured.empty() && exact.size() <= 6) {
        text += blockTitle(*block.front()) + "\n";
        writeFiguresByRow(table, exact);
        return text + table.text() + unknownRiskNote(exact, partial, lawsNone) + "\n" +
               blockTitle(*block.front()) + "  現金での収支（実測）\n" +
               cashMeasureTable(measured) + "\n";
    }
    if (block.size() > 6) {
        text += blockTitle(FigureGroup{.scope = block.front()->scope}) + "\n";
        writeGroupsByRow(table, block);
    } else {
        text += blockTitle(*block.front()) + "\n";
        writeFiguresByRow(table, block);
    }
    return text + table.text() + unknownRiskNote(block, partial, lawsNone) + "\n";
}

// Series are long: the table says where to find them, and shows short ones whole.
void writeSeriesSummary(std::string& text, const FigureGroup& group) {
    for (const Series& series : group.series) {
        if (series.x.size() > 16) {
            const std::string reach =
                series.measuredTo
                    ? fmt::format("、{}まで実測", figureText(series.xUnit, *series.measuredTo))
                    : "";
            text += fmt::format("{}  {}: {}点{}（CSV・JSONに全点）\n", groupTitle(group),
                                series.label, series.x.size(), reach);
            continue;
        }
        TextTable table;
        table.addHeading({groupTitle(group) + " " + series.label, ""});
        for (std::size_t i = 0; i < series.x.size(); ++i) {
            table.addRow(
                {figureText(series.xUnit, series.x[i]), figureText(series.unit, series.value[i])});
        }
        text += table.text() + "\n";
    }
}

// The short heading of a 狙い目 curve, by its key without the unrounded cost's mark.
std::string huntHeading(const Series& series) {
    constexpr std::array<std::pair<std::string_view, std::string_view>, 9> headings = {{
        {figureKey::netCoinsPerAttempt, "一回の差枚"},
        {figureKey::gamesPerAttempt, "一回のG数"},
        {figureKey::bigPerAttempt, "一回のBIG数"},
        {figureKey::netPer1000Games, "千Gの差枚"},
        {figureKey::netPerHour, "時給（枚）"},
        {figureKey::yenPerAttempt, "一回の収支"},
        {figureKey::yenPerHour, "時給（円）"},
        {figureKey::pAhead, "勝率"},
        {figureKey::posterior, "事後確率"},
    }};
    for (const auto& [key, heading] : headings) {
        if (series.key.starts_with(key)) {
            return std::string(heading);
        }
    }
    return series.label;
}

constexpr std::string_view huntLegend =
    "一回の差枚・G数・BIG数：一回あたりの差枚・プレイ数・BIG数、千Gの差枚：千ゲームあたりの差枚、"
    "\n時給：一時間あたりの差枚（貯メダルでは円で、一時間のゲーム数は上に）、一回の収支：一回あたり"
    "の円、\n";
constexpr std::string_view huntAheadLegend =
    "勝率：差枚が0を超える確率、事後確率：そのゲーム数で見つけた台の設定の確率\n";
// Why a table has no 勝率 column: the chance to end ahead is not worked out for every rule.
constexpr std::string_view huntCappedNote =
    "事後確率：そのゲーム数で見つけた台の設定の確率\n"
    "勝率（差枚が0を超える確率）は最大ゲーム数のある挑戦では求めないため、列がありません\n";
constexpr std::string_view huntTooLongNote =
    "事後確率：そのゲーム数で見つけた台の設定の確率\n"
    "勝率（差枚が0を超える確率）は挑戦が長すぎて差枚の分布の表に収まらないため、列がありません\n";
constexpr std::string_view huntMeansOnlyNote =
    "事後確率：そのゲーム数で見つけた台の設定の確率\n"
    "勝率（差枚が0を超える確率）は平均だけを求めた表（--means-only）のため、列がありません\n";

// The legend's last lines: 勝率 explained where the table has it, and why not where it has not.
std::string huntAheadNote(const Report& report) {
    const bool withAhead =
        std::any_of(report.groups.begin(), report.groups.end(), [](const FigureGroup& group) {
            return std::any_of(group.series.begin(), group.series.end(), [](const Series& s) {
                return s.key.starts_with(figureKey::pAhead);
            });
        });
    if (withAhead) {
        return std::string(huntAheadLegend);
    }
    if (report.run.meansOnly) {
        return std::string(huntMeansOnlyNote);
    }
    return std::string(report.run.maxGames ? huntCappedNote : huntTooLongNote);
}

constexpr std::string_view huntCashNote =
    "元手が現金のときの円は各挑戦の最も沈んだ点で決まるため、初当たりでやめる終了条件"
    "（BIG後0 REG後0か1）でのみ\n出します（ほかは exact --since-big G --pay cash で実測）\n";
constexpr std::string_view huntCashShown =
    "元手が現金：円は差枚を交換した額から、千円ごとの貸し玉が交換で失う分を引いたもの\n";

// The curves a block shows: all but the coins per hour when the yen per hour stand beside them,
// so that the block keeps within 100 columns (CSV and JSON keep every curve).
std::vector<const Series*> huntColumns(const FigureGroup& group) {
    const bool withYen = std::any_of(group.series.begin(), group.series.end(), [](const Series& s) {
        return s.key.starts_with(figureKey::yenPerHour);
    });
    std::vector<const Series*> shown;
    for (const Series& series : group.series) {
        if (!(withYen && series.key.starts_with(figureKey::netPerHour))) {
            shown.push_back(&series);
        }
    }
    return shown;
}

// The 狙い目 table: the break-even counts of every setting first, then a block per setting
// (and the mixture) with a row per count of the grid and a column per curve.
std::string huntTable(const Report& report) {
    std::string text = "損益分岐（狙い目）  " + endConditionText(*report.groups.front().end) + "\n";
    TextTable breakEven;
    // From cash with the yen worked out, the break-even in yen beside the one in coins.
    const bool inYen = report.groups.front().find(figureKey::breakEvenYen) != nullptr;
    breakEven.addHeading(inYen ? std::vector<std::string>{"", "損益分岐のゲーム数（差枚）",
                                                          "損益分岐のゲーム数（円）"}
                               : std::vector<std::string>{"", "損益分岐のゲーム数"});
    for (const FigureGroup& group : report.groups) {
        std::vector<std::string> cells = {groupTitle(group)};
        for (const std::string_view key : {figureKey::breakEven, figureKey::breakEvenYen}) {
            const Figure* figure = group.find(key);
            if (figure != nullptr) {
                cells.push_back(figureText(figure->unit, figure->value));
            }
        }
        breakEven.addRow(cells);
    }
    text += breakEven.text() +
            (inYen ? "「-」：表の最後のゲーム数でも差枚（円）が0を超えない（損益分岐なし）\n\n"
                   : "「-」：表の最後のゲーム数でも差枚が0を超えない（損益分岐なし）\n\n");
    for (const FigureGroup& group : report.groups) {
        const std::vector<const Series*> shown = huntColumns(group);
        TextTable table;
        std::vector<std::string> heading = {"BIG後G数"};
        for (const Series* series : shown) {
            heading.push_back(huntHeading(*series));
        }
        table.addHeading(heading);
        const std::size_t rows = shown.empty() ? 0 : shown.front()->x.size();
        for (std::size_t i = 0; i < rows; ++i) {
            std::vector<std::string> cells = {figureText(Unit::Games, shown.front()->x[i])};
            for (const Series* series : shown) {
                cells.push_back(figureText(series->unit, series->value[i]));
            }
            table.addRow(cells);
        }
        text += (group.setting >= 0 ? groupTitle(group) : "全設定（事後確率での混合）") + "\n" +
                table.text() + "\n";
    }
    const bool unrounded =
        report.groups.front().series.front().key.ends_with(figureKey::unroundedCost);
    return text + std::string(huntLegend) + huntAheadNote(report) +
           (!report.run.paidWithCash ? ""
            : inYen                  ? std::string(huntCashShown)
                                     : std::string(huntCashNote)) +
           (unrounded ? "（コストは c × ゲーム数で丸めなし）\n" : "") + "\n";
}

}  // namespace

std::string formatTable(const Report& report) {
    std::string text{};
    if (!report.facts.empty()) {
        TextTable facts;
        for (const Fact& fact : report.facts) {
            facts.addRow({fact.label, fact.shown.empty() ? fact.value : fact.shown});
        }
        text += facts.text() + "\n";
    }
    if (report.partial) {
        // A simulation played what it shows, up to Ctrl-C or a counter's limit; the exact
        // commands played nothing.
        text += report.run.counterAtLimit
                    ? "（打ち切り: カウンターが上限に達するまでに終えた挑戦の数値です）\n\n"
                : report.kind == ReportKind::Simulation
                    ? "（中断: 途中までに遊技した分の数値です）\n\n"
                    : "（中断: 途中までに計算した分の数値です）\n\n";
    }
    const bool hunt = report.kind == ReportKind::Hunt;
    if (hunt && !report.groups.empty()) {
        text += huntTable(report);
    }
    // The laws of an attempt with a game limit are not worked out.
    const bool lawsNone = report.run.laws == LawsWorked::None;
    // Consecutive groups of one scope (and one end condition, unless it varies within a sweep)
    // make one block.
    std::size_t first = hunt ? report.groups.size() : 0;
    const bool sweep = report.kind == ReportKind::Sweep;
    while (first < report.groups.size()) {
        std::size_t last = first + 1;
        while (last < report.groups.size() &&
               (sweep ? report.groups[last].scope == report.groups[first].scope
                      : sameBlock(report.groups[first], report.groups[last]))) {
            ++last;
        }
        std::vector<const FigureGroup*> block;
        for (std::size_t i = first; i < last; ++i) {
            block.push_back(&report.groups[i]);
        }
        text += sweep ? sweepTable(block, report.run.frontierOnly, report.partial, lawsNone)
                      : blockTable(block, report.partial, lawsNone);
        for (const FigureGroup* group : block) {
            writeSeriesSummary(text, *group);
        }
        first = last;
    }
    if (report.timing) {
        TextTable timing;
        timing.addRow(
            {std::string(fact::seconds.label), fmt::format("{:.3f}", report.timing->seconds)});
        if (report.timing->gamesPerSecond) {
            timing.addRow({std::string(fact::gamesPerSecond.label),
                           fmt::format("{:.0f}", *report.timing->gamesPerSecond)});
        }
        text += timing.text();
    }
    return text;
}

}  // namespace korvale
