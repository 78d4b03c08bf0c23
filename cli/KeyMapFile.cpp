#include "cli/KeyMapFile.h"

TKeyMapFile::TKeyMapFile(const QString& path) : File(path) {
    WriteLine({QStringLiteral("table"), QStringLiteral("source_key"), QStringLiteral("dest_key"),
               QStringLiteral("outcome"), QStringLiteral("failure"), QStringLiteral("pulled_in")});
}

void TKeyMapFile::AddRow(const TRowRecord& row) {
    const bool failed = row.Outcome == TRowOutcome::Failed;
    WriteLine({row.Table, row.SourceKey, row.DestKey ? QString::number(*row.DestKey) : QString(),
               RowOutcomeName(row.Outcome), failed ? FailureKindName(row.Failure) : QString(),
               row.PulledIn ? QStringLiteral("yes") : QStringLiteral("no")});
}

void TKeyMapFile::WriteLine(const QStringList& fields) {
    QStringList written;
    for (const QString& field : fields) written << CsvField(field);
    File.Write((written.join(QLatin1Char(',')) + QLatin1Char('\n')).toUtf8());
}

QString CsvField(const QString& value) {
    if (!value.contains(QLatin1Char(',')) && !value.contains(QLatin1Char('"')) && !value.contains(QLatin1Char('\n')) &&
        !value.contains(QLatin1Char('\r')))
        return value;
    QString doubled = value;
    doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}
