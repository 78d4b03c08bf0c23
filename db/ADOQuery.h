#pragma once
// A statement bound to one connection: text, open (rows, all fetched to the client, or read
// as they are used), execute (rows affected), row navigation, fields, named parameters.

#include "db/ADOConnection.h"

#include <QString>
#include <QVariant>
#include <QVector>
#include <deque>
#include <memory>

class TADOQuery;

// A field of the query's current row.
// Without a current row (an empty result) every field reads as NULL.
class TField {
public:
    TField(const TADOQuery* query, int index) : Query(query), Index(index) {}
    QString FieldName() const;
    TFieldType DataType() const;
    QString AsString() const;  // booleans read "True" / "False"; NULL reads ""
    int AsInteger() const;     // NULL reads 0; a text that is no number raises
    QVariant Value() const;    // NULL is a null QVariant
    bool IsNull() const;

private:
    const TADOQuery* Query;
    int Index;
};

class TParameter {
public:
    QString Name;
    TFieldType DataType = TFieldType::ftUnknown;
    QVariant Value;
};

class TADOQuery {
public:
    explicit TADOQuery(TADOConnection* connection = nullptr) : Connection(connection) {}

    TADOConnection* Connection;

    // Replaces the whole text; the named parameters are those the new text holds.
    void SetSQL(const QString& text);
    const QString& SQL() const { return Text; }

    // Open runs the text again even when the query is open. A statement that returns no
    // rows leaves the query open, without fields and empty; ExecSQL of one that returns
    // rows discards them.
    void Open();      // runs a statement that returns rows; positioned on the first row
    // As Open, but the rows are read from the connection as the query moves over them, a few
    // ahead at most (RowsAhead), so that what is held does not follow the size of the result.
    // RecordCount then counts the rows read so far, and First cannot go back.
    void OpenStreamed();
    int ExecSQL();    // runs a statement that returns none; the rows affected
    // Opens the query on rows that another statement has read already, as though its own
    // text had returned them.
    void OpenWith(const TRowSet& rows);
    void Close();
    bool Active() const { return IsOpen; }
    int RowsAffected() const { return Affected; }

    bool Eof() const;
    bool IsEmpty() const;
    void First();
    void Next();
    int RecordCount() const;
    // The rows from the current one on that are at hand, reading up to count of them.
    int RowsAhead(int count);
    // The values of the row offset rows after the current one (0: the current row); offset
    // below RowsAhead's answer.
    const QVector<QVariant>& RowAhead(int offset) const;

    int FieldCount() const;
    TField Fields(int index) const;                // zero-based
    TField FieldByName(const QString& name) const; // letter case ignored; missing name raises

    // Raises "Параметр \"Name\" не найден" for a name the text does not hold.
    TParameter& ParamByName(const QString& name);
    // The position of the parameter of that name among Parameters(), or -1; valid until the
    // text is set again.
    int ParamIndex(const QString& name) const;
    TParameter& ParamAt(int index) { return Params[index]; }
    const QVector<TParameter>& Parameters() const { return Params; }
    // The parameters as the connection takes them (TADOConnection::Run, RunBatch).
    QVector<TBoundParam> BoundParameters() const;

    // The columns of the result.
    const QVector<TColumnInfo>& Columns() const { return Rows.Columns; }
    // The values of the current row; nullptr without one.
    const QVector<QVariant>* CurrentValues() const;
    // The number of the current row, counted from 0.
    int CurrentRow() const { return Row; }

private:
    // The connection, or EDatabaseError "Запрос не связан с подключением".
    TADOConnection& CheckedConnection() const;

    // Reads rows from the cursor until count are at hand or it has no more.
    void ReadAhead(int count);

    QString Text;
    QVector<TParameter> Params;
    TRowSet Rows;  // of a streamed query only the columns
    std::unique_ptr<TRowCursor> Cursor;  // of a streamed query
    std::deque<QVector<QVariant>> Ahead; // of a streamed query: the current row, then the rows read after it
    bool CursorEnded = false;
    int Row = 0;
    bool IsOpen = false;
    int Affected = -1;
};
