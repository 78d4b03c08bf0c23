#pragma once
// The --key-map file: one CSV line (UTF-8, LF line ends) per source row the run handled, in
// the order handled, after a header line:
//   table,source_key,dest_key,outcome,failure,pulled_in
// outcome is inserted, reused, updated or failed; a failed row has its kind in failure
// (key, reference, value, probe, insert, update) and an empty dest_key; pulled_in is yes for
// a row that a reference pulled in, else no. Lines are written as rows are handled, so a
// large run holds none of them in memory; the file takes its place when the run has ended.

#include "cli/OutputFile.h"
#include "copier/RunCounts.h"

#include <QString>
#include <QStringList>

class TKeyMapFile {
public:
    explicit TKeyMapFile(const QString& path);

    void AddRow(const TRowRecord& row);
    // Puts the file in place; returns the reason when it cannot, or an empty text.
    QString Finish() { return File.Finish(); }

private:
    void WriteLine(const QStringList& fields);

    TOutputFile File;
};

// A CSV field: as it stands, or in double quotes (inner ones doubled) when it holds a comma,
// a double quote or a line break.
QString CsvField(const QString& value);
