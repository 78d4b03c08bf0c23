#include "cli/RunSummary.h"

#include "cli/CliOptions.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

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

}  // namespace

QByteArray RunSummaryJson(const TRunSummary& summary) {
    QJsonArray titles;
    for (const auto& title : summary.Titles)
        titles.append(QJsonObject{{QStringLiteral("code"), TitleCode(title.first)}, {QStringLiteral("name"), title.second}});
    QJsonObject tables;
    for (int i = 0; i < summary.Counts.Tables().size(); ++i)
        if (summary.Counts.At(i).AnyRow()) tables.insert(summary.Counts.Tables()[i], CountsObject(summary.Counts.At(i)));
    const QJsonObject root{{QStringLiteral("outcome"), OutcomeName(summary.Outcome)},
                           {QStringLiteral("titles"), titles},
                           {QStringLiteral("tables"), tables},
                           {QStringLiteral("total"), CountsObject(summary.Counts.Total())}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

void CheckSummaryFileWritable(const QString& path) {
    QFile file(path);
    const bool existed = file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        throw EUsageError(QStringLiteral("--summary: cannot write \"%1\": %2").arg(path, file.errorString()));
    file.close();
    if (!existed) file.remove();  // it is written when the run has ended
}

QString WriteRunSummary(const QString& path, const TRunSummary& summary) {
    // Written whole or not at all: a script never reads half a summary.
    QSaveFile file(path);
    file.setDirectWriteFallback(true);  // a folder the user may not add files to
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    file.write(RunSummaryJson(summary));
    if (!file.commit()) return file.errorString();
    return QString();
}
