#pragma once
// Reading the fields of a result's current row so that every value arrives as the server
// holds it. The drivers' usual types would change some values on the way (decimals become
// doubles, date-times lose digits of the second, an empty binary value reads as a null one,
// which binds as NULL); a backend whose driver changes values reads those columns its own
// way (db/postgres/PostgresValueReading.h, db/mssql/MssqlValueReading.h). Here: the driver's
// value, an empty binary or text value kept as an empty one.

#include <QVariant>

class QSqlQuery;

class TFieldReader {
public:
    // The query must stay positioned on a row while Read is called, with its columns read in
    // ascending order.
    explicit TFieldReader(const QSqlQuery& query) : Query(query) {}
    virtual ~TFieldReader() = default;

    // The value of the column in the current row; a null QVariant for NULL. Raises
    // EDatabaseError when a value cannot be read whole.
    virtual QVariant Read(int column) const;

protected:
    const QSqlQuery& Query;
};

// Raises EDatabaseError "Не удалось прочитать значение поля \"name\" без потерь".
[[noreturn]] void RaiseUnreadableField(const QSqlQuery& query, int column);
