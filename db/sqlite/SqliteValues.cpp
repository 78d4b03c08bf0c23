// Decimal texts as the integers or doubles SQLite stores them as, without loss.

#include "db/sqlite/SqliteValues.h"

#include "db/DbError.h"
#include "db/DecimalText.h"
#include "db/RawText.h"
#include "db/SqlText.h"
#include "db/ValueBinding.h"

#include <optional>

namespace {

// The text of a whole number that fits in 64 bits, or nothing.
std::optional<qlonglong> WholeNumberOf(const QString& canonical) {
    const qsizetype e = canonical.indexOf(QLatin1Char('e'));
    const qsizetype power = canonical.mid(e + 1).toLongLong();
    const bool negative = canonical.startsWith(QLatin1Char('-'));
    const QString digits = canonical.mid(negative ? 1 : 0, e - (negative ? 1 : 0)).remove(QLatin1Char('.'));
    if (digits == QLatin1String("0")) return 0;
    if (power < 0 || digits.size() > power + 1 || power > 18) return std::nullopt;
    bool ok = false;
    const qlonglong value =
        (QString(negative ? QStringLiteral("-") : QString()) + digits + QString(power + 1 - digits.size(), QLatin1Char('0')))
            .toLongLong(&ok);
    if (!ok) return std::nullopt;
    return value;
}

}  // namespace

QVariant SqliteValueOfDecimalText(const QString& text) {
    const std::optional<QString> canonical = CanonicalDecimal(text);
    if (!canonical) return text;
    if (const std::optional<qlonglong> whole = WholeNumberOf(*canonical)) return *whole;
    bool ok = false;
    const double real = text.trimmed().toDouble(&ok);
    if (ok && SameDecimal(ShortestDoubleText(real), text)) return real;
    throw EDatabaseError(QStringLiteral("Значение %1 нельзя записать в базу SQLite без потери точности").arg(text));
}

QVariant SqliteBindValueOf(const TBoundParam& param) {
    if (IsRawText(param.Value)) return param.Value.value<TRawText>().Bytes;
    if (!param.Value.isNull() && IsExactDecimalType(param.DataType) && param.Value.typeId() == QMetaType::QString)
        return SqliteValueOfDecimalText(param.Value.toString());
    return BindValueOf(param);
}

QString WithTextCasts(const QString& sql, const QStringList& names) {
    QString text;
    text.reserve(sql.size() + 16 * names.size());
    for (int pos = 0; pos < sql.size();) {
        const int skipped = SkipQuotedOrComment(sql, pos);
        if (skipped != pos) {
            text += QStringView(sql).mid(pos, skipped - pos);
            pos = skipped;
            continue;
        }
        const int length = PlaceholderNameLength(sql, pos);
        if (length == 0 || !names.contains(sql.mid(pos + 1, length), Qt::CaseInsensitive)) {
            text += length == 0 ? sql.mid(pos, 1) : sql.mid(pos, length + 1);
            pos += length == 0 ? 1 : length + 1;
            continue;
        }
        text += QStringLiteral("CAST(") + sql.mid(pos, length + 1) + QStringLiteral(" AS TEXT)");
        pos += length + 1;
    }
    return text;
}
