#pragma once
// Reading PostgreSQL values whole: numeric, money, real and every date and time type are
// read as the server's own text ("12345678901234.5678", "2024-05-06 07:08:09.123456+03"),
// which a literal gives back to the server unchanged; the driver would make doubles and
// milliseconds of them. Every other column is read as the driver gives it.

#include "db/ValueReading.h"

#include <QVector>

// Whether values of the type (a PostgreSQL type OID) are read as the server's text.
bool IsPostgresTextRead(int oid);

class TPostgresFieldReader : public TFieldReader {
public:
    explicit TPostgresFieldReader(const QSqlQuery& query);
    QVariant Read(int column) const override;

private:
    QVariant ReadServerText(int column) const;

    QVector<bool> AsServerText;  // per column
};
