#pragma once
// OLE DB connection strings: name=value pairs separated by ";". Names ignore letter case
// and the blanks around them; an unquoted value loses its surrounding blanks; a value in
// double (or single) quotes keeps everything up to the closing quote, ";" included, and a
// doubled quote inside stands for one. A later pair overrides an earlier one of that name.

#include <QPair>
#include <QString>
#include <QVector>
#include <initializer_list>

class TConnectionParams {
public:
    // The pairs in the order written, names trimmed, values unquoted.
    QVector<QPair<QString, QString>> Items;

    bool Has(const QString& name) const;
    // The value of the last pair with that name (letter case ignored), or empty.
    QString Value(const QString& name) const;
    // The first of several synonymous names that the string holds ("Data Source", "Server").
    QString ValueOfAny(std::initializer_list<const char*> names) const;

    QString Provider() const { return Value(QStringLiteral("Provider")); }
    QString DataSource() const;
    QString InitialCatalog() const;
    QString Location() const { return Value(QStringLiteral("Location")); }
    QString UserId() const;
    QString Password() const;
    // Integrated Security=SSPI (also "true" / "yes"), or Trusted_Connection=yes.
    bool IntegratedSecurity() const;
};

// Raises EDatabaseError "Ошибка в строке подключения: ..." for a malformed text. The message
// names the position or the pair's name, never a value (it may be a password).
TConnectionParams ParseConnectionString(const QString& text);

// A value written so that ParseConnectionString reads it back unchanged: as it stands when
// it holds nothing special, otherwise in double quotes with inner double quotes doubled.
QString QuoteConnectionValue(const QString& value);
