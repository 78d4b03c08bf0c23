#pragma once
// Reading SQL Server values whole through ODBC: decimal, numeric, money and time are read as
// the driver's text, and a date-time as text with as many digits of the second as its
// column has (datetime 3, datetime2 up to 7), which the server converts back without
// rounding; Qt would make doubles of decimals and keep milliseconds of a date-time. Floats
// stay doubles (a double's text from the driver may be cut to 15 digits); every other
// column is read as the driver gives it.

#include "db/ValueReading.h"

#include <QString>
#include <QVector>
#include <cstdint>

class TMssqlFieldReader : public TFieldReader {
public:
    explicit TMssqlFieldReader(const QSqlQuery& query);
    QVariant Read(int column) const override;

private:
    enum class TReadAs { Driver, OdbcText, OdbcDateTime };

    QVariant ReadOdbcText(int column) const;
    QVariant ReadOdbcDateTime(int column) const;
    // SQLGetData of the column into the buffer; false for NULL.
    bool GetOdbcData(int column, std::int16_t targetType, void* buffer, std::intptr_t size) const;

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
