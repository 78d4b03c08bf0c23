#include "support/MessageTexts.h"

QString MessageKindTitle(TMsgDlgType type) {
    switch (type) {
    case TMsgDlgType::mtError: return QStringLiteral("Ошибка");
    case TMsgDlgType::mtConfirmation: return QStringLiteral("Подтверждение");
    case TMsgDlgType::mtWarning: return QStringLiteral("Предупреждение");
    case TMsgDlgType::mtInformation: return QStringLiteral("Информация");
    case TMsgDlgType::mtCustom: break;
    }
    return QString();
}

QString WithClosingPunctuation(const QString& message) {
    static const QString closing = QStringLiteral(".!?:;,\u2026");
    if (!message.isEmpty() && closing.contains(message.back())) return message;
    return message + QLatin1Char('.');
}
