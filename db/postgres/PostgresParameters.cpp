// Placeholders as the server's numbered parameters, their typing, and values as text.

#include "db/postgres/PostgresParameters.h"

#include "db/DbError.h"
#include "db/SqlText.h"
#include "db/ValueBinding.h"
#include "db/postgres/PostgresStatement.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QUuid>
#include <cmath>

namespace {

// What follows a placeholder that only meets "is NULL": the test itself, and the column it
// is paired with ("is NULL and col is NULL").
const QRegularExpression IsNullTest(QStringLiteral("\\s+is\\s+null\\b"), QRegularExpression::CaseInsensitiveOption);
const QRegularExpression PairedColumn(QStringLiteral("\\s+is\\s+null\\s+and\\s+(\\w+|\"(?:[^\"]|\"\")+\")\\s+is\\s+null\\b"),
                                      QRegularExpression::CaseInsensitiveOption |
                                          QRegularExpression::UseUnicodePropertiesOption);

bool MeetsIsNull(const QString& sql, const TPlaceholder& placeholder) {
    return IsNullTest.match(sql, placeholder.Start + placeholder.Length + 1, QRegularExpression::NormalMatch,
                            QRegularExpression::AnchorAtOffsetMatchOption)
        .hasMatch();
}

QString PairedColumnOf(const QString& sql, const TPlaceholder& placeholder) {
    const QRegularExpressionMatch match =
        PairedColumn.match(sql, placeholder.Start + placeholder.Length + 1, QRegularExpression::NormalMatch,
                           QRegularExpression::AnchorAtOffsetMatchOption);
    return match.hasMatch() ? match.captured(1) : QString();
}

int NumberOf(const QStringList& names, const QString& name) {
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0) return i + 1;
    return 0;
}

}  // namespace

TPostgresPreparedText PostgresPreparedText(const QString& sql) {
    const QVector<TPlaceholder> placeholders = PlaceholdersOf(sql);
    TPostgresPreparedText prepared;
    QStringList notOnlyIsNull;
    for (const TPlaceholder& placeholder : placeholders) {
        if (!NumberOf(prepared.Names, placeholder.Name)) prepared.Names.append(placeholder.Name);
        if (!MeetsIsNull(sql, placeholder)) notOnlyIsNull.append(placeholder.Name);
    }
    QString text, typing;
    bool typingNeeded = false;
    int copied = 0;
    for (const TPlaceholder& placeholder : placeholders) {
        const QString before = sql.mid(copied, placeholder.Start - copied);
        const QString parameter = QLatin1Char('$') + QString::number(NumberOf(prepared.Names, placeholder.Name));
        text += before + parameter;
        const QString column = NumberOf(notOnlyIsNull, placeholder.Name) ? QString() : PairedColumnOf(sql, placeholder);
        typingNeeded = typingNeeded || !column.isEmpty();
        typing += before + (column.isEmpty() ? parameter
                                             : QStringLiteral("coalesce(") + parameter + QStringLiteral(", ") + column +
                                                   QLatin1Char(')'));
        copied = placeholder.Start + placeholder.Length + 1;
    }
    prepared.Text = (text + sql.mid(copied)).toUtf8();
    if (typingNeeded) prepared.TypingText = (typing + sql.mid(copied)).toUtf8();
    return prepared;
}

QVector<std::optional<QByteArray>> PostgresParameterTexts(const QStringList& names,
                                                          const QVector<TBoundParam>& params) {
    QVector<std::optional<QByteArray>> texts;
    texts.reserve(names.size());
    for (int i = 0; i < names.size(); ++i) {
        // Parameters usually come in the order of their first placeholder.
        const TBoundParam* param =
            i < params.size() && params[i].Name == names[i] ? &params[i] : FindPostgresParam(params, names[i]);
        texts.append(PostgresParameterText(param->Value));
    }
    return texts;
}

std::optional<QByteArray> PostgresParameterText(const QVariant& value) {
    if (value.isNull()) return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QByteArray("true") : QByteArray("false");
    case QMetaType::Double:
    case QMetaType::Float: {
        const double number = value.toDouble();
        if (std::isnan(number)) return QByteArray("NaN");
        if (std::isinf(number)) return number < 0 ? QByteArray("-Infinity") : QByteArray("Infinity");
        return QString::number(number, 'g', QLocale::FloatingPointShortest).toLatin1();
    }
    case QMetaType::QByteArray:
        return QByteArray("\\x") + value.toByteArray().toHex();
    case QMetaType::QDateTime: {
        const QDateTime moment = value.toDateTime();
        if (moment.isValid()) return PostgresDateTimeText(moment).toUtf8();
        break;
    }
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate).toLatin1();
    case QMetaType::QTime:
        return value.toTime().toString(QStringLiteral("hh:mm:ss.zzz")).toLatin1();
    case QMetaType::QUuid:
        return value.toUuid().toString(QUuid::WithoutBraces).toLatin1();
    default:
        break;
    }
    const QString text = WithEmptyKept(value).toString();
    // The text would end at the NUL on its way to the server, and the value with it.
    if (text.contains(QChar(0)))
        throw EDatabaseError(QStringLiteral("Текст содержит символ NUL, который PostgreSQL хранить не может"));
    return text.toUtf8();
}
