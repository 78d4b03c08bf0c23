#pragma once
// A sample SQLite database whose schema indexes every column that refers to another table,
// as a working road database does: the title's rows are then found without reading every
// row of a table. Made once beside the sample file and reused.

#include <QString>

// "<sample>-indexed.db" beside the sample file, made from a copy of it when missing.
// Raises Exception when it cannot be made.
QString IndexedSampleFile(const QString& samplePath);
