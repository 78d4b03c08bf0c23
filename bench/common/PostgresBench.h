#pragma once
// import_bench --postgres CONN: the imports on a PostgreSQL server, what they leave of the
// databases, and the closing line.

#include "common/BenchOptions.h"

#include <QString>

// The name of a sample database of the benchmark, and the database itself: made once on the
// server (under another name, renamed when complete) and reused by later runs, which the
// import allows since it only reads a source and writes into copies of a destination.
QString PostgresBenchSampleName(const QString& kind, int titles, int rows);
QString PostgresBenchSample(const QString& server, const QString& kind, int titles, int rows, int seed, int firstTitle);
// An empty destination of the sample's schema holding the dictionaries, made once as above.
QString PostgresBenchDestWithDictionaries(const QString& server);

// The import, into a destination and from a source `scale` times larger; the source's size
// before and after; both catalogues through runs of every ending (PostgresUntouched.h).
void MeasurePostgres(const TBenchOptions& options);
