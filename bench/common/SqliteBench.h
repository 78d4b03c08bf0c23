#pragma once
// import_bench on SQLite files: the sample files (made once in the folder and reused), the
// floor and the indexed schemas besides the imports, and the closing line of ratios.

#include "common/BenchOptions.h"
#include "common/ImportMeasure.h"

// A sample file of the folder, made once (files are made under another name and renamed when
// complete), and a fresh copy of a destination written out to the disk before the clock starts.
QString SampleFile(const QString& dir, const QString& kind, int titles, int rows, int seed, int firstTitle);
QString WorkCopy(const QString& dir, const QString& path);
// The floor of a plan's rows between two files (FloorCopy.h), measured.
TMeasure MeasureFloor(const QString& sourcePath, const QString& destPath, const TImportPlan& plan);

// Makes (or finds) the sample files of the run in dir.
TDatabases SqliteDatabases(const TBenchOptions& options, const QString& dir);

// The import, the large destination and source, the floors and the indexed imports, measured
// in rounds; prints each and the closing line.
void MeasureSqlite(const TBenchOptions& options, const QString& dir);
