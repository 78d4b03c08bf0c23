#include "copier/RunCounts.h"

#include <algorithm>

QString FailureKindName(TRowFailureKind kind) {
    switch (kind) {
    case TRowFailureKind::Key: return QStringLiteral("key");
    case TRowFailureKind::Reference: return QStringLiteral("reference");
    case TRowFailureKind::Value: return QStringLiteral("value");
    case TRowFailureKind::Probe: return QStringLiteral("probe");
    case TRowFailureKind::Insert: return QStringLiteral("insert");
    case TRowFailureKind::Update: return QStringLiteral("update");
    }
    return QString();
}

QString FailureKindCaption(TRowFailureKind kind) {
    switch (kind) {
    case TRowFailureKind::Key: return QStringLiteral("код не прочитан");
    case TRowFailureKind::Reference: return QStringLiteral("ссылка не разрешена");
    case TRowFailureKind::Value: return QStringLiteral("значение не передано");
    case TRowFailureKind::Probe: return QStringLiteral("поиск не удался");
    case TRowFailureKind::Insert: return QStringLiteral("добавление отклонено");
    case TRowFailureKind::Update: return QStringLiteral("обновление отклонено");
    }
    return QString();
}

QString RowOutcomeName(TRowOutcome outcome) {
    switch (outcome) {
    case TRowOutcome::Inserted: return QStringLiteral("inserted");
    case TRowOutcome::Reused: return QStringLiteral("reused");
    case TRowOutcome::Updated: return QStringLiteral("updated");
    case TRowOutcome::Failed: return QStringLiteral("failed");
    }
    return QString();
}

void TTableCounts::Add(const TTableCounts& other) {
    Inserted += other.Inserted;
    Reused += other.Reused;
    Updated += other.Updated;
    Failed += other.Failed;
    PulledIn += other.PulledIn;
    for (auto failure = other.Failures.cbegin(); failure != other.Failures.cend(); ++failure)
        Failures[failure.key()] += failure.value();
}

TTableCounts& TRunCounts::Of(const QString& table) {
    int index = Names.IndexOf(table);
    if (index < 0) {
        index = Names.Add(table);
        Counts.append(TTableCounts());
    }
    return Counts[index];
}

void TRunCounts::CountRow(const TRowRecord& row) {
    TTableCounts& counts = Of(row.Table);
    switch (row.Outcome) {
    case TRowOutcome::Inserted: ++counts.Inserted; break;
    case TRowOutcome::Reused: ++counts.Reused; break;
    case TRowOutcome::Updated: ++counts.Updated; break;
    case TRowOutcome::Failed:
        ++counts.Failed;
        ++counts.Failures[row.Failure];
        break;
    }
    if (row.PulledIn && row.Outcome != TRowOutcome::Failed) ++counts.PulledIn;
    if (RowHandled) RowHandled(row);
}

TTableCounts TRunCounts::Total() const {
    TTableCounts total;
    for (const TTableCounts& counts : Counts) total.Add(counts);
    return total;
}

namespace {

const QStringList CountHeaders = {QStringLiteral("Добавлено"), QStringLiteral("Найдено"), QStringLiteral("Обновлено"),
                                  QStringLiteral("Ошибок"), QStringLiteral("По ссылке")};

QVector<int> CountColumns(const TTableCounts& counts) {
    return {counts.Inserted, counts.Reused, counts.Updated, counts.Failed, counts.PulledIn};
}

QString CountsLine(const QString& name, int nameWidth, const QVector<int>& values) {
    QString line = name.leftJustified(nameWidth);
    for (int c = 0; c < values.size(); ++c)
        line += QStringLiteral("  ") + QString::number(values[c]).rightJustified(CountHeaders[c].size());
    return line;
}

QString FailuresLine(const QString& table, const TTableCounts& counts) {
    QStringList kinds;
    for (auto failure = counts.Failures.cbegin(); failure != counts.Failures.cend(); ++failure)
        kinds << FailureKindCaption(failure.key()) + QStringLiteral(": ") + QString::number(failure.value());
    return QStringLiteral("Ошибки в таблице ") + table + QStringLiteral(": ") + kinds.join(QStringLiteral(", "));
}

}  // namespace

QStringList FormatRunCounts(const TRunCounts& counts) {
    const QString totalName = QStringLiteral("Всего");
    const QString tableHeader = QStringLiteral("Таблица");
    int nameWidth = static_cast<int>(std::max(totalName.size(), tableHeader.size()));
    for (int i = 0; i < counts.Tables().size(); ++i)
        if (counts.At(i).AnyRow()) nameWidth = std::max(nameWidth, static_cast<int>(counts.Tables()[i].size()));

    QStringList lines{QStringLiteral("Итоги импорта по таблицам:")};
    QString header = tableHeader.leftJustified(nameWidth);
    for (const QString& caption : CountHeaders) header += QStringLiteral("  ") + caption;
    lines << header;
    for (int i = 0; i < counts.Tables().size(); ++i)
        if (counts.At(i).AnyRow()) lines << CountsLine(counts.Tables()[i], nameWidth, CountColumns(counts.At(i)));
    lines << CountsLine(totalName, nameWidth, CountColumns(counts.Total()));
    for (int i = 0; i < counts.Tables().size(); ++i)
        if (counts.At(i).Failed > 0) lines << FailuresLine(counts.Tables()[i], counts.At(i));
    return lines;
}
