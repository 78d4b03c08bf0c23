#pragma once
// import_bench on SQLite files: the sample files (made once in the folder and reused), the
// floor and the indexed schemas besides the imports, and the closing line of ratios.

#include "common/BenchOptions.h"
#include "common/ImportMeasure.h"

// Makes (or finds) the sample files of the run in dir.
TDatabases SqliteDatabases(const TBenchOptions& options, const QString& dir);

// The import, the large destination and source, the floors and the indexed imports, measured
// in rounds; prints each and the closing line.
void MeasureSqlite(const TBenchOptions& options, const QString& dir);
