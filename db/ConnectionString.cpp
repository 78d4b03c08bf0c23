// Reading and writing OLE DB connection strings.

#include "db/ConnectionString.h"

#include "db/DbError.h"

namespace {

[[noreturn]] void RaiseMalformed(const QString& detail) {
    throw EDatabaseError(QStringLiteral("Ошибка в строке подключения: ") + detail);
}

bool IsBlank(QChar c) { return c.isSpace(); }

// Reads the name of the pair that starts at pos, up to its "=" ("==" stands for a "=" in
// the name). Returns the trimmed name and leaves pos after the "=".
QString ReadName(const QString& text, int& pos, int pairNumber) {
    QString name;
    while (pos < text.size()) {
        const QChar c = text[pos];
        if (c == QLatin1Char(';')) break;
        if (c == QLatin1Char('=')) {
            if (pos + 1 < text.size() && text[pos + 1] == QLatin1Char('=')) {
                name += c;
                pos += 2;
                continue;
            }
            ++pos;
            name = name.trimmed();
            if (name.isEmpty())
                RaiseMalformed(QStringLiteral("у элемента %1 нет имени").arg(pairNumber));
            return name;
        }
        name += c;
        ++pos;
    }
    RaiseMalformed(QStringLiteral("в элементе %1 нет знака \"=\"").arg(pairNumber));
}

// Reads a value in quotes starting at pos (on the opening quote); leaves pos after the
// closing quote and the blanks that follow it, on ";" or at the end.
QString ReadQuotedValue(const QString& text, int& pos, const QString& name) {
    const QChar quote = text[pos++];
    QString value;
    for (;;) {
        if (pos >= text.size())
            RaiseMalformed(QStringLiteral("не закрыта кавычка в значении \"%1\"").arg(name));
        const QChar c = text[pos++];
        if (c != quote) {
            value += c;
            continue;
        }
        if (pos < text.size() && text[pos] == quote) {
            value += quote;
            ++pos;
            continue;
        }
        break;
    }
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos < text.size() && text[pos] != QLatin1Char(';'))
        RaiseMalformed(
            QStringLiteral("после закрывающей кавычки значения \"%1\" стоит лишний текст").arg(name));
    return value;
}

QString ReadPlainValue(const QString& text, int& pos) {
    const int start = pos;
    while (pos < text.size() && text[pos] != QLatin1Char(';')) ++pos;
    return text.mid(start, pos - start).trimmed();
}

}  // namespace

bool TConnectionParams::Has(const QString& name) const {
    for (const auto& item : Items)
        if (item.first.compare(name, Qt::CaseInsensitive) == 0) return true;
    return false;
}

QString TConnectionParams::Value(const QString& name) const {
    for (auto it = Items.crbegin(); it != Items.crend(); ++it)
        if (it->first.compare(name, Qt::CaseInsensitive) == 0) return it->second;
    return QString();
}

QString TConnectionParams::ValueOfAny(std::initializer_list<const char*> names) const {
    for (const char* name : names) {
        const QString key = QString::fromUtf8(name);
        if (Has(key)) return Value(key);
    }
    return QString();
}

QString TConnectionParams::DataSource() const {
    return ValueOfAny({"Data Source", "Server", "Address", "Addr"});
}

QString TConnectionParams::InitialCatalog() const {
    return ValueOfAny({"Initial Catalog", "Database"});
}

QString TConnectionParams::UserId() const { return ValueOfAny({"User ID", "UID", "User"}); }

QString TConnectionParams::Password() const { return ValueOfAny({"Password", "PWD"}); }

bool TConnectionParams::IntegratedSecurity() const {
    const QString integrated = Value(QStringLiteral("Integrated Security"));
    if (integrated.compare(QLatin1String("SSPI"), Qt::CaseInsensitive) == 0 ||
        integrated.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
        integrated.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0)
        return true;
    const QString trusted = Value(QStringLiteral("Trusted_Connection"));
    return trusted.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0 ||
           trusted.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

TConnectionParams ParseConnectionString(const QString& text) {
    TConnectionParams params;
    int pos = 0;
    int pairNumber = 0;
    while (pos < text.size()) {
        // Empty pairs (";;", a trailing ";", blanks only) are allowed and mean nothing.
        int probe = pos;
        while (probe < text.size() && IsBlank(text[probe])) ++probe;
        if (probe >= text.size()) break;
        if (text[probe] == QLatin1Char(';')) {
            pos = probe + 1;
            continue;
        }
        ++pairNumber;
        const QString name = ReadName(text, pos, pairNumber);
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
        QString value;
        if (pos < text.size() && (text[pos] == QLatin1Char('"') || text[pos] == QLatin1Char('\'')))
            value = ReadQuotedValue(text, pos, name);
        else
            value = ReadPlainValue(text, pos);
        params.Items.append({name, value});
        if (pos < text.size()) ++pos;  // the ";"
    }
    return params;
}

QString QuoteConnectionValue(const QString& value) {
    const bool plain = !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('"')) &&
                       !value.contains(QLatin1Char('\'')) && value.trimmed() == value;
    if (plain) return value;
    QString doubled = value;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}
