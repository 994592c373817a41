#pragma once

// The table of a setting posterior, as the live run's and a pasted history's both show it: a
// row per setting with its posterior and the answer from the counts alone, and a line beneath
// with P(設定４以上), P(設定５以上) and the next 1000 games' expected net coins.

#include <QString>
#include <QTableWidget>
#include <QWidget>

#include "analysis/inference/setting_estimate.h"

namespace korvale {

enum PosteriorColumn { SettingColumn, PosteriorColumn, CountOnlyColumn, MarkColumn };

// Writes a cell of a figures table, made on first use with its alignment; an unchanged text is
// left alone.
void setTableCell(QTableWidget& table, int row, int column, const QString& text,
                  Qt::Alignment alignment = Qt::AlignRight);

// Six rows; with `markColumn` a fourth column for a mark beside one setting.
QTableWidget* makePosteriorTable(QWidget* parent, bool markColumn);

// Fills the rows from the estimate; with a `mark`, `marked` (0..5) gets it in the fourth column
// and the others none (a table without marks may hold other figures there).
void fillPosteriorTable(QTableWidget& table, const SettingEstimate& estimate, int marked = -1,
                        const QString& mark = {});

// "P(設定４以上) 12.34%　P(設定５以上) 5.67%" and "次の1000Gの差枚の期待値 -12.3枚", a line each,
// so that no line wraps inside a figure in the narrow window.
QString posteriorSummary(const SettingEstimate& estimate);

}  // namespace korvale
