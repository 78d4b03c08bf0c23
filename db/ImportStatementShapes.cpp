// Reading the copier's statements by their shape.

#include "db/ImportStatementShapes.h"

#include <QRegularExpression>

namespace {

const QRegularExpression& InsertPattern() {
    static const QRegularExpression shape(QStringLiteral("^INSERT INTO (\\S+?)\\((.*)\\) VALUES\\((.*)\\)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    return shape;
}

const QRegularExpression& SelectPattern() {
    static const QRegularExpression shape(QStringLiteral("^(select|SELECT) (.*?) +(from|FROM) (\\S+)(.*)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    return shape;
}

const QRegularExpression& RowSelectionPattern() {
    static const QRegularExpression shape(QStringLiteral("^select .*?  from (\\S+) where (\\S+) in \\(.*\\)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    return shape;
}

const QRegularExpression& UpdatePattern() {
    static const QRegularExpression shape(QStringLiteral("^UPDATE (\\S+) SET "));
    return shape;
}

const QRegularExpression& ClearingPattern() {
    static const QRegularExpression shape(
        QStringLiteral("^Update (\\S+) Set (\\S+) = NULL Where (\\S+) not in \\((Select \\S+ From \\S+)\\)$"));
    return shape;
}

// The copier's match condition on the GUID column; group 1 is the value's parameter.
const QRegularExpression& GuidConditionPattern() {
    static const QRegularExpression shape(
        QStringLiteral("\\((?i:GUID)=(:[A-Za-z_][A-Za-z0-9_]*) or \\(:[A-Za-z_][A-Za-z0-9_]*"
                       " is NULL and (?i:GUID) is NULL\\)\\)"));
    return shape;
}

QStringList TrimmedItems(const QString& list) {
    QStringList items = list.split(QLatin1Char(','));
    for (QString& item : items) item = item.trimmed();
    return items;
}

}  // namespace

std::optional<TInsertShape> InsertShapeOf(const QString& sql) {
    const QRegularExpressionMatch match = InsertPattern().match(sql);
    if (!match.hasMatch()) return std::nullopt;
    return TInsertShape{match.captured(1), TrimmedItems(match.captured(2)), TrimmedItems(match.captured(3))};
}

QString InsertText(const QString& table, const QStringList& columns, const QStringList& values) {
    if (columns.isEmpty()) return QStringLiteral("INSERT INTO ") + table + QStringLiteral(" DEFAULT VALUES");
    return QStringLiteral("INSERT INTO ") + table + QLatin1Char('(') + columns.join(QStringLiteral(", ")) +
           QStringLiteral(") VALUES(") + values.join(QStringLiteral(", ")) + QLatin1Char(')');
}

std::optional<TSelectShape> SelectShapeOf(const QString& sql) {
    const QRegularExpressionMatch match = SelectPattern().match(sql);
    if (!match.hasMatch()) return std::nullopt;
    return TSelectShape{match.captured(1), match.captured(2).split(QStringLiteral(", ")), match.captured(4),
                        sql.mid(match.capturedEnd(2))};
}

QString SelectText(const TSelectShape& shape) {
    return shape.Keyword + QLatin1Char(' ') + shape.Items.join(QStringLiteral(", ")) + shape.Rest;
}

std::optional<TRowSelectionShape> RowSelectionShapeOf(const QString& sql) {
    const QRegularExpressionMatch match = RowSelectionPattern().match(sql);
    if (!match.hasMatch()) return std::nullopt;
    return TRowSelectionShape{match.captured(1), match.captured(2)};
}

QString UpdatedTableOf(const QString& sql) {
    const QRegularExpressionMatch match = UpdatePattern().match(sql);
    return match.hasMatch() ? match.captured(1) : QString();
}

std::optional<TClearingShape> ClearingShapeOf(const QString& sql) {
    const QRegularExpressionMatch match = ClearingPattern().match(sql);
    // The column tested is the column cleared.
    if (!match.hasMatch() || match.captured(2) != match.captured(3)) return std::nullopt;
    return TClearingShape{match.captured(1), match.captured(2), match.captured(4)};
}

int GuidIndexOf(const QStringList& names) {
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(QLatin1String("GUID"), Qt::CaseInsensitive) == 0) return i;
    return -1;
}

bool NamesGuid(const QString& sql) { return sql.contains(QLatin1String("GUID"), Qt::CaseInsensitive); }

bool HasGuidCondition(const QString& sql) { return GuidConditionPattern().match(sql).hasMatch(); }

QString WithGuidConditions(const QString& sql, const std::function<QString(const QString& valueParameter)>& condition) {
    QString result;
    qsizetype copied = 0;
    for (auto it = GuidConditionPattern().globalMatch(sql); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        result += sql.mid(copied, match.capturedStart() - copied) + condition(match.captured(1));
        copied = match.capturedEnd();
    }
    return copied == 0 ? sql : result + sql.mid(copied);
}
