#pragma once
// Whether a name can stand in a statement as it is, without brackets or quotes: a regular
// identifier of the dialect. Names read from a catalogue come from databases made elsewhere,
// and the statements paste them in as text, so a name that is not regular never enters one.

#include <QSet>
#include <QString>

struct TIdentifierRule {
    // Signs allowed after the first character, beside letters, digits and "_".
    QString SignsInside;
    // Digits of any script (SQL Server), or the ASCII digits only.
    bool AnyScriptDigits = false;
    // ASCII capitals are refused where the server folds unquoted names to lower case, so
    // the name written unquoted would reach another object.
    bool NoAsciiCapitals = false;
    int MaxLength = 128;
    // Upper-case words that the dialect reserves.
    const QSet<QString>* ReservedWords = nullptr;
};

// A letter (of any alphabet) or "_" first; then letters, digits, "_" and the rule's signs;
// not empty, not longer than the rule allows, not a reserved word.
bool IsRegularIdentifier(const QString& name, const TIdentifierRule& rule);

// The set of the blank-separated words of a text (a dialect's reserved words).
QSet<QString> WordSet(const char* words);
