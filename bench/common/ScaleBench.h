#pragma once
// import_bench --scale: the import of one title at a real road's size, into a destination
// holding its dictionaries, the log written and the import saved. On SQLite a title of ~95k
// and of ~475k rows, and the floor of the larger; with --postgres also PostgreSQL to
// PostgreSQL at ~4.8k, ~48k, ~95k and ~475k rows, and an SQLite source into PostgreSQL on
// the ~48k rows. Each once, with its peak memory; the closing line holds the ratios and their
// targets.

#include "common/BenchOptions.h"

#include <QString>

void MeasureAtScale(const TBenchOptions& options, const QString& dir);
