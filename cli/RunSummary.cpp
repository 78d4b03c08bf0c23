#include "cli/RunSummary.h"

#include "cli/OutputFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString OutcomeName(TRunOutcome outcome) {
    switch (outcome) {
    case TRunOutcome::Saved: return QStringLiteral("saved");
    case TRunOutcome::Declined: return QStringLiteral("declined");
    case TRunOutcome::Stopped: return QStringLiteral("stopped");
    case TRunOutcome::Failed: return QStringLiteral("failed");
    case TRunOutcome::Refused: return QStringLiteral("refused");
    }
    return QString();
}

QJsonObject CountsObject(const TTableCounts& counts) {
    QJsonObject failures;
    for (auto failure = counts.Failures.cbegin(); failure != counts.Failures.cend(); ++failure)
        failures.insert(FailureKindName(failure.key()), failure.value());
    return QJsonObject{{QStringLiteral("inserted"), counts.Inserted}, {QStringLiteral("reused"), counts.Reused},
                       {QStringLiteral("updated"), counts.Updated},   {QStringLiteral("failed"), counts.Failed},
                       {QStringLiteral("failures"), failures},        {QStringLiteral("pulled_in"), counts.PulledIn}};
}

// A code that is a whole number is written as one.
QJsonValue TitleCode(const QString& code) {
    bool ok = false;
    const qlonglong number = code.toLongLong(&ok);
    return ok ? QJsonValue(number) : QJsonValue(code);
}

// Only a saved run leaves its titles in the destination.
QJsonValue DestCode(const TRunSummary& summary, const QString& code) {
    const auto found = summary.TitleDestCodes.constFind(code);
    if (summary.Outcome != TRunOutcome::Saved || found == summary.TitleDestCodes.cend()) return QJsonValue::Null;
    return QJsonValue(*found);
}

}  // namespace

void TRunSummary::NoteRow(const TRowRecord& row) {
    if (row.DestKey && row.Table.compare(QStringLiteral("Титул"), Qt::CaseInsensitive) == 0)
        TitleDestCodes.insert(row.SourceKey, *row.DestKey);
}

QByteArray RunSummaryJson(const TRunSummary& summary) {
    QJsonArray titles;
    for (const TRunTitle& title : summary.Titles)
        titles.append(QJsonObject{{QStringLiteral("code"), TitleCode(title.Code)},
                                  {QStringLiteral("dest_code"), DestCode(summary, title.Code)},
                                  {QStringLiteral("name"), title.Name}});
    QJsonObject tables;
    for (int i = 0; i < summary.Counts.Tables().size(); ++i)
        if (summary.Counts.At(i).AnyRow()) tables.insert(summary.Counts.Tables()[i], CountsObject(summary.Counts.At(i)));
    const QJsonObject root{{QStringLiteral("outcome"), OutcomeName(summary.Outcome)},
                           {QStringLiteral("titles"), titles},
                           {QStringLiteral("tables"), tables},
                           {QStringLiteral("total"), CountsObject(summary.Counts.Total())}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

void CheckSummaryFileWritable(const QString& path) { CheckOutputFileWritable(QStringLiteral("--summary"), path); }

QString WriteRunSummary(const QString& path, const TRunSummary& summary) {
    TOutputFile file(path);
    file.Write(RunSummaryJson(summary));
    return file.Finish();
}
