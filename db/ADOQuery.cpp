// Queries: statement text, named parameters, the fetched rows and their fields.

#include "db/ADOQuery.h"

#include "db/DbError.h"
#include "db/SqlText.h"
#include "db/StatementCache.h"

#include <QByteArray>
#include <cmath>
#include <limits>

namespace {

[[noreturn]] void RaiseNotInteger(const QVariant& value, const QString& field) {
    throw EDatabaseError(QStringLiteral("Значение \"%1\" поля \"%2\" не является целым числом")
                             .arg(value.toString(), field));
}

}  // namespace

// ---- TField ----

QString TField::FieldName() const { return Query->Columns()[Index].Name; }

TFieldType TField::DataType() const { return Query->Columns()[Index].DataType; }

QVariant TField::Value() const {
    const QVector<QVariant>* row = Query->CurrentValues();
    return row ? row->at(Index) : QVariant();  // no current row reads as NULL
}

bool TField::IsNull() const { return Value().isNull(); }

QString TField::AsString() const {
    const QVariant value = Value();
    if (value.isNull()) return QString();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    return value.toString();
}

int TField::AsInteger() const {
    const QVariant value = Value();
    if (value.isNull()) return 0;
    bool ok = false;
    qlonglong number = value.toLongLong(&ok);
    if (!ok) {
        // A fractional number reads rounded, as the platform's float fields do.
        const double real = value.toDouble(&ok);
        if (!ok || !std::isfinite(real)) RaiseNotInteger(value, FieldName());
        number = std::llround(real);
    }
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
        RaiseNotInteger(value, FieldName());
    return static_cast<int>(number);
}

// ---- TADOQuery ----

void TADOQuery::SetSQL(const QString& text) {
    Close();
    Text = text;
    QVector<TParameter> params;
    for (const QString& name : CachedParameterNames(text)) {
        TParameter param;
        param.Name = name;
        for (const TParameter& old : Params)
            if (old.Name.compare(name, Qt::CaseInsensitive) == 0) {
                param.DataType = old.DataType;
                param.Value = old.Value;
                break;
            }
        params.append(param);
    }
    Params = params;
}

TADOConnection& TADOQuery::CheckedConnection() const {
    if (!Connection) throw EDatabaseError(QStringLiteral("Запрос не связан с подключением"));
    return *Connection;
}

void TADOQuery::Open() { OpenWith(CheckedConnection().Run(Text, BoundParameters(), true)); }

void TADOQuery::OpenStreamed() {
    TADOConnection& connection = CheckedConnection();
    Close();
    Cursor = connection.OpenCursor(Text, BoundParameters());
    Rows.Columns = Cursor->Columns();
    IsOpen = true;
    ReadAhead(1);
}

void TADOQuery::ReadAhead(int count) {
    QVector<QVariant> row;
    while (static_cast<int>(Ahead.size()) < count && !CursorEnded) {
        if (Cursor->Next(row)) Ahead.push_back(std::move(row));
        else CursorEnded = true;
    }
}

void TADOQuery::OpenWith(const TRowSet& rows) {
    Close();
    Rows = rows;
    Affected = Rows.RowsAffected;
    Row = 0;
    IsOpen = true;
}

int TADOQuery::ExecSQL() {
    TADOConnection& connection = CheckedConnection();
    Close();
    Affected = connection.Run(Text, BoundParameters(), false).RowsAffected;
    return Affected;
}

void TADOQuery::Close() {
    IsOpen = false;
    Rows = TRowSet();
    Cursor.reset();
    Ahead.clear();
    CursorEnded = false;
    Row = 0;
}

bool TADOQuery::Eof() const { return !IsOpen || (Cursor ? Ahead.empty() : Row >= Rows.Rows.size()); }

bool TADOQuery::IsEmpty() const { return Cursor ? Row == 0 && Ahead.empty() : Rows.Rows.isEmpty(); }

void TADOQuery::First() {
    if (Cursor && Row > 0) throw EDatabaseError(QStringLiteral("Курсор запроса не возвращается к первой записи"));
    Row = 0;
}

void TADOQuery::Next() {
    if (!Cursor) {
        if (Row < Rows.Rows.size()) ++Row;
        return;
    }
    if (Ahead.empty()) return;
    Ahead.pop_front();
    ++Row;
    ReadAhead(1);
}

int TADOQuery::RecordCount() const {
    return Cursor ? Row + static_cast<int>(Ahead.size()) : static_cast<int>(Rows.Rows.size());
}

int TADOQuery::RowsAhead(int count) {
    if (!Cursor) return qBound(0, static_cast<int>(Rows.Rows.size()) - Row, count);
    ReadAhead(count);
    return qMin(count, static_cast<int>(Ahead.size()));
}

const QVector<QVariant>& TADOQuery::RowAhead(int offset) const {
    return Cursor ? Ahead[static_cast<size_t>(offset)] : Rows.Rows[Row + offset];
}

const QVector<QVariant>* TADOQuery::CurrentValues() const {
    if (!IsOpen) return nullptr;
    if (Cursor) return Ahead.empty() ? nullptr : &Ahead.front();
    return Row >= 0 && Row < Rows.Rows.size() ? &Rows.Rows[Row] : nullptr;
}

int TADOQuery::FieldCount() const { return static_cast<int>(Rows.Columns.size()); }

TField TADOQuery::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw EDatabaseError(QStringLiteral("Недопустимый номер поля: %1").arg(index));
    return TField(this, index);
}

TField TADOQuery::FieldByName(const QString& name) const {
    for (int i = 0; i < FieldCount(); ++i)
        if (Rows.Columns[i].Name.compare(name, Qt::CaseInsensitive) == 0) return TField(this, i);
    throw EDatabaseError(QStringLiteral("Поле \"%1\" не найдено").arg(name));
}

QVector<TBoundParam> TADOQuery::BoundParameters() const {
    QVector<TBoundParam> bound;
    bound.reserve(Params.size());
    for (const TParameter& param : Params) bound.append({param.Name, param.DataType, param.Value});
    return bound;
}

int TADOQuery::ParamIndex(const QString& name) const {
    // The name is nearly always asked as the text spells it: that is found without folding case.
    for (int i = 0; i < Params.size(); ++i)
        if (Params[i].Name == name) return i;
    for (int i = 0; i < Params.size(); ++i)
        if (Params[i].Name.compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

TParameter& TADOQuery::ParamByName(const QString& name) {
    const int index = ParamIndex(name);
    if (index < 0) throw EDatabaseError(QStringLiteral("Параметр \"%1\" не найден").arg(name));
    return Params[index];
}
