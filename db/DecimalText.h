#pragma once
// Decimal numbers written as text, as exact decimal types (decimal, numeric, money) travel
// between the databases: no digit is lost on the way, and two texts are compared by the
// number they write, not by their spelling ("12.50" is "12.5").

#include <QString>
#include <QStringView>
#include <optional>

// The number a text writes, in one spelling per number: an optional "-", the significant
// digits without leading or trailing zeros with a point after the first, "e" and the power
// of ten of the first digit ("-12.50" -> "-1.25e1", "0.003" -> "3e-3", "0" and "-0.00" ->
// "0"); the spelling reads back as the same number. Blanks around the
// number, a "+" sign and an exponent ("1.5E+3") are read. No value for a text that is not
// a decimal number.
std::optional<QString> CanonicalDecimal(QStringView text);

// Whether two texts write the same decimal number (false when either is no number).
bool SameDecimal(QStringView a, QStringView b);

// The shortest text that reads back as exactly this double ("0.30000000000000004").
QString ShortestDoubleText(double value);
