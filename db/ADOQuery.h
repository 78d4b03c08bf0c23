#pragma once
// A statement bound to one connection: text, open (rows, all fetched to the client) or
// execute (rows affected), row navigation, fields, named parameters.

#include "db/ADOConnection.h"

#include <QString>
#include <QVariant>
#include <QVector>

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

    int FieldCount() const;
    TField Fields(int index) const;                // zero-based
    TField FieldByName(const QString& name) const; // letter case ignored; missing name raises

    // Raises "Параметр \"Name\" не найден" for a name the text does not hold.
    TParameter& ParamByName(const QString& name);
    const QVector<TParameter>& Parameters() const { return Params; }
    // The parameters as the connection takes them (TADOConnection::Run, RunBatch).
    QVector<TBoundParam> BoundParameters() const;

    // Used by TField.
    const TRowSet& Result() const { return Rows; }
    int CurrentRow() const { return Row; }

private:
    // The connection, or EDatabaseError "Запрос не связан с подключением".
    TADOConnection& CheckedConnection() const;

    QString Text;
    QVector<TParameter> Params;
    TRowSet Rows;
    int Row = 0;
    bool IsOpen = false;
    int Affected = -1;
};
