// Regular identifiers: names that a statement can hold unquoted.

#include "db/RegularIdentifier.h"

#include <QList>
#include <QStringList>

namespace {

bool IsAsciiDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

bool IsIdentifierStart(char32_t c) { return c == U'_' || QChar::isLetter(c); }

bool IsIdentifierPart(char32_t c, const TIdentifierRule& rule) {
    if (IsIdentifierStart(c)) return true;
    if (rule.AnyScriptDigits ? QChar::isDigit(c) : IsAsciiDigit(c)) return true;
    return c < 0x80 && rule.SignsInside.contains(QChar(static_cast<char16_t>(c)));
}

}  // namespace

bool IsRegularIdentifier(const QString& name, const TIdentifierRule& rule) {
    if (name.isEmpty() || name.size() > rule.MaxLength) return false;
    const QList<uint> codePoints = name.toUcs4();
    // A lone surrogate comes back as U+FFFD, which is no letter.
    if (!IsIdentifierStart(codePoints.first())) return false;
    for (const uint c : codePoints) {
        if (!IsIdentifierPart(c, rule)) return false;
        if (rule.NoAsciiCapitals && c >= U'A' && c <= U'Z') return false;
    }
    return !(rule.ReservedWords && rule.ReservedWords->contains(name.toUpper()));
}

QSet<QString> WordSet(const char* words) {
    const QStringList list = QString::fromLatin1(words).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return QSet<QString>(list.begin(), list.end());
}
