#include "titles/HousekeepingLog.h"

#include "support/Exception.h"
#include "support/Log.h"

#include <exception>

QString CurrentErrorMessage() {
    try {
        throw;
    } catch (const Exception& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Неизвестная ошибка");
    }
}

void LogHousekeepingError(const QString& message, const QString& errorMessage) {
    WriteLog(message, 1);
    WriteLog(errorMessage, 1);
}
