// Reading a field as the driver gives it, keeping an empty value empty.

#include "db/ValueReading.h"

#include "db/DbError.h"
#include "db/ValueBinding.h"

#include <QSqlQuery>
#include <QSqlRecord>

QVariant TFieldReader::Read(int column) const {
    const QVariant value = Query.value(column);
    if (value.isNull()) return QVariant();
    return WithEmptyKept(value);
}

void RaiseUnreadableField(const QSqlQuery& query, int column) {
    throw EDatabaseError(QStringLiteral("Не удалось прочитать значение поля \"%1\" без потерь")
                             .arg(query.record().fieldName(column)));
}
