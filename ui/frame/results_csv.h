#pragma once

// The window's results as one CSV text, and writing a file so that a failure says why.
//
// The text follows RFC 4180 (CRLF line ends, a field quoted when it holds a comma, a quote or a
// line break, quotes doubled) with three fields in every record: first 項目,値 records for
// the date and time, the run's setting, kind and end conditions (the values it read) and every
// box on show with its label, then an empty record, then the grid as it shows: its header row and
// every row.

#include <QDateTime>
#include <QString>
#include <string>
#include <vector>

#include "common/csv.h"  // csvRecord, which writes every record

namespace korvale {

class frmMain;

std::string resultsCsv(const frmMain& window, const QDateTime& when);

// The CSV text as a file (see writeWholeFile): UTF-8 after a byte-order mark, so that spreadsheet
// programs read the Japanese headings right.
QString saveResultsCsv(const frmMain& window, const QString& path);

}  // namespace korvale
