// The reference from road objects to inter-node sections, which the schema does not
// declare: put in place in the source for the copy, so that the copier carries
// Дорожный_объект.Код_участка like every other reference, and removed after it.

#include "titles/TitlePreparation.h"

#include "db/ADOQuery.h"
#include "db/Dialect.h"
#include "titles/HousekeepingLog.h"

QString AddSectionLink(TADOConnection& connection) {
    try {
        TADOQuery query(&connection);
        // References to sections that do not exist would keep the key from being added.
        query.SetSQL(QStringLiteral(
            "Update Дорожный_объект Set Код_участка = NULL Where Код_участка not in (Select Код_участка From "
            "Межузловой_участок)"));
        query.ExecSQL();
        connection.Dialect().AddForeignKey(connection, QStringLiteral("Дорожный_объект"), QStringLiteral("Код_участка"),
                                           QStringLiteral("Межузловой_участок"), QStringLiteral("Код_участка"));
    } catch (...) {
        const QString reason = CurrentErrorMessage();
        LogHousekeepingError(QStringLiteral("Ошибка создания связей"), reason);
        return reason;
    }
    return QString();
}

void DropSectionLink(TADOConnection& connection) {
    try {
        connection.Dialect().DropForeignKeys(connection, QStringLiteral("Дорожный_объект"),
                                             QStringLiteral("Межузловой_участок"));
    } catch (...) {
        LogHousekeepingError(QStringLiteral("Ошибка удаления связей"), CurrentErrorMessage());
    }
}
