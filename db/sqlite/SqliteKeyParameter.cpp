// One key of a selection as a parameter of an SQLite statement.

#include "db/sqlite/SqliteKeyParameter.h"

bool SqliteKeyAsParameter(QString& sql, QVector<TBoundParam>& params) {
    static const QString in = QStringLiteral(" in (");
    if (!sql.endsWith(QLatin1Char(')'))) return false;
    const qsizetype open = sql.lastIndexOf(in);
    if (open < 0) return false;
    const qsizetype start = open + in.size();
    const QStringView literal = QStringView(sql).mid(start, sql.size() - 1 - start);
    // A whole number as the copier writes one: an optional minus and at most 18 digits, so
    // that it fits a 64-bit integer and reads back the same.
    const qsizetype digits = literal.size() - (literal.startsWith(QLatin1Char('-')) ? 1 : 0);
    if (digits < 1 || digits > 18) return false;
    for (qsizetype i = literal.size() - digits; i < literal.size(); ++i)
        if (literal[i] < QLatin1Char('0') || literal[i] > QLatin1Char('9')) return false;
    const qlonglong key = literal.toLongLong();
    sql = sql.left(start) + QStringLiteral(":RoadImportKey)");
    params.append({QStringLiteral("RoadImportKey"), TFieldType::ftLargeint, key});
    return true;
}
