#pragma once
// One statement on a database of its own connection, for the benchmark's checks and set-up.

#include <QString>
#include <QStringList>
#include <QVariant>

// Every row, its fields joined by "|".
QStringList BenchRows(const QString& connection, const QString& sql);
// The first field of the first row, or a null QVariant.
QVariant BenchScalar(const QString& connection, const QString& sql);
void BenchExecute(const QString& connection, const QString& sql);
