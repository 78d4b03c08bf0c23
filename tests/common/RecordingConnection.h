#pragma once
// A connection for checking statement texts without a server. Open() only marks it
// connected; Run() (and OpenCursor) records the exact text and the parameters and answers with whatever
// Responder returns (an empty TRowSet when Responder is unset). Its Dialect() is the one of
// its ConnectionString's provider, SQL Server when the string names none.
//
//   TRecordingConnection connection;
//   connection.Open();
//   connection.Responder = [](const QString& sql, const QVector<TBoundParam>&, bool) {
//       return sql.contains("sp_pkeys") ? MakeRowSet({"COLUMN_NAME"}, {{"Код_титула"}}) : TRowSet();
//   };
//   ... run the code under test with it ...
//   EXPECT_EQ(connection.Statements.at(0), "...");

#include "db/ADOConnection.h"

#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

class TRecordingConnection : public TADOConnection {
public:
    // Every text given to Run, and its parameters, in order.
    QStringList Statements;
    QVector<QVector<TBoundParam>> Params;
    std::function<TRowSet(const QString& sql, const QVector<TBoundParam>& params, bool wantRows)> Responder;

    void Open() override { IsConnected = true; }
    void Close() override { IsConnected = false; }
    bool Connected() const override { return IsConnected; }
    TRowSet Run(const QString& sql, const QVector<TBoundParam>& params, bool wantRows) override;
    // Recorded and answered as Run, the answer then read row by row.
    std::unique_ptr<TRowCursor> OpenCursor(const QString& sql, const QVector<TBoundParam>& params) override {
        return std::make_unique<TRowSetCursor>(Run(sql, params, true));
    }

private:
    bool IsConnected = false;
};

// A row set with these column names (type ftWideString unless types are given) and rows.
// RowsAffected stays -1, as for any statement that returns rows; set it for an answer to
// ExecSQL.
TRowSet MakeRowSet(const QStringList& columns, const QVector<QVector<QVariant>>& rows,
                   const QVector<TFieldType>& types = {});
