// Decimal texts: one spelling per number, compared by the number they write.

#include "db/DecimalText.h"

#include <QLocale>

namespace {

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

}  // namespace

std::optional<QString> CanonicalDecimal(QStringView text) {
    text = text.trimmed();
    qsizetype pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == QLatin1Char('-') || text[pos] == QLatin1Char('+')))
        negative = text[pos++] == QLatin1Char('-');

    // Every digit of the mantissa, and how many of them stand before the point.
    QString digits;
    qsizetype integerDigits = 0;
    bool point = false;
    bool anyDigit = false;
    for (; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (IsDigit(c)) {
            anyDigit = true;
            digits += c;
            if (!point) ++integerDigits;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return std::nullopt;

    long long exponent = 0;
    if (pos < text.size() && (text[pos] == QLatin1Char('e') || text[pos] == QLatin1Char('E'))) {
        ++pos;
        bool expNegative = false;
        if (pos < text.size() && (text[pos] == QLatin1Char('-') || text[pos] == QLatin1Char('+')))
            expNegative = text[pos++] == QLatin1Char('-');
        const qsizetype start = pos;
        while (pos < text.size() && IsDigit(text[pos]) && pos - start < 9) exponent = exponent * 10 + text[pos++].digitValue();
        if (pos == start) return std::nullopt;
        if (expNegative) exponent = -exponent;
    }
    if (pos != text.size()) return std::nullopt;

    // Leading zeros move the first significant digit; trailing zeros say nothing.
    qsizetype first = 0;
    while (first < digits.size() && digits[first] == QLatin1Char('0')) ++first;
    if (first == digits.size()) return QStringLiteral("0");
    qsizetype last = digits.size();
    while (digits[last - 1] == QLatin1Char('0')) --last;
    const long long power = exponent + integerDigits - first - 1;
    QString significant = digits.mid(first, last - first);
    if (significant.size() > 1) significant.insert(1, QLatin1Char('.'));
    return (negative ? QStringLiteral("-") : QString()) + significant + QLatin1Char('e') + QString::number(power);
}

bool SameDecimal(QStringView a, QStringView b) {
    const std::optional<QString> left = CanonicalDecimal(a);
    const std::optional<QString> right = CanonicalDecimal(b);
    return left && right && *left == *right;
}

QString ShortestDoubleText(double value) {
    return QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest);
}
