#pragma once
// Reading the fields of a result's current row so that every value arrives as the server
// holds it.
//
// The drivers' usual types would change some values on the way: decimals become doubles
// (about 15 digits), date-times become QDateTime (milliseconds), and an empty binary
// value reads as a null QByteArray, which binds as NULL. So:
// - an empty binary or text value stays an empty one;
// - PostgreSQL: numeric, money, real and every date and time type are read as the
//   server's own text ("12345678901234.5678", "2024-05-06 07:08:09.123456+03"), which a
//   literal gives back to the server unchanged;
// - SQL Server: decimal, numeric, money and time are read as text, and a date-time as text
//   with as many digits of the second as its column has (datetime 3, datetime2 up to 7),
//   which the server converts back without rounding; floats stay doubles (a double's text
//   from the driver may be cut to 15 digits);
// - SQLite: values keep their storage class (integer, real, text, blob).

#include "db/Dialect.h"

#include <QVariant>
#include <QVector>
#include <cstdint>

class QSqlQuery;

class TFieldReader {
public:
    // Looks at the query's result columns once; the query must stay positioned on a row
    // while Read is called, with its columns read in ascending order.
    TFieldReader(const QSqlQuery& query, TBackendKind kind);

    // The value of the column in the current row; a null QVariant for NULL. Raises
    // EDatabaseError when a value cannot be read whole.
    QVariant Read(int column) const;

private:
    enum class TReadAs { Driver, PostgresText, OdbcText, OdbcDateTime };

    QVariant ReadPostgresText(int column) const;
    QVariant ReadOdbcText(int column) const;
    QVariant ReadOdbcDateTime(int column) const;
    // SQLGetData of the column into the buffer; false for NULL.
    bool GetOdbcData(int column, std::int16_t targetType, void* buffer, std::intptr_t size) const;

    const QSqlQuery& Query;
    QVector<TReadAs> ReadAs;
    QVector<int> SecondDigits;  // per column: digits of the second kept in a date-time text
};

// A SQL Server date-time as ODBC gives it (SQL_TIMESTAMP_STRUCT; fraction in nanoseconds).
struct TOdbcTimestamp {
    qint16 Year = 0;
    quint16 Month = 0;
    quint16 Day = 0;
    quint16 Hour = 0;
    quint16 Minute = 0;
    quint16 Second = 0;
    quint32 Fraction = 0;
};

// "yyyy-mm-ddThh:mm:ss" followed by "." and the first digits of the fraction (none when
// digits is 0). SQL Server reads this ISO 8601 form the same under every language and
// DATEFORMAT of the login; with a blank instead of the "T", a Russian login (day, month,
// year) would read the date of a datetime column with day and month swapped or refuse it.
QString OdbcTimestampText(const TOdbcTimestamp& value, int digits);
