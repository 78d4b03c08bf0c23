#pragma once
// The connection frame: the parameters of one connection (server type and driver, server,
// database, authentication, user, password, command timeout), the string they make, and
// the data-link dialog that edits that string.

#include "app/ConnectionText.h"

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class TWizardDialogs;

class TDBConnectFrame : public QWidget {
    Q_OBJECT
public:
    // The dialogs are the data-link dialog's way in (not owned).
    TDBConnectFrame(TWizardDialogs& dialogs, QWidget* parent = nullptr);

    bool ServerTypePanelVisible() const;
    void SetServerTypePanelVisible(bool visible);

    QString BuildConnectionString(unsigned databaseSelector) const;
    // The command timeout in seconds: TimeoutEdit's number, or 30 when it holds none.
    int TimeoutValue() const;

    // The fields as plain values, and set from them through the controls (a server type
    // selected anew runs its click handler; the authentication switch is applied).
    TConnectionFields Fields() const;
    void SetFields(const TConnectionFields& fields);
    // Fills the fields from a connection string as PromptDBClick reads the dialog's answer.
    void ReadConnectionString(const QString& connectionString);

    void PromptDBClick();

    QLineEdit* ServerNameEdit;
    QLineEdit* DBNameEdit;
    QRadioButton* NTAuthorizationButton;
    QRadioButton* SQLAuthorizationButton;

private:
    void MSSQLServerButtonClick();
    void PostgreSQLButtonClick();
    void NTAuthorizationButtonClick();
    void SelectServerType(TServerType type);

    TWizardDialogs& Dialogs;
    QGroupBox* GroupPanel1;
    QRadioButton* MSSQLServerButton;
    QRadioButton* PostgreSQLButton;
    QRadioButton* OtherSQLServerButton;
    QLineEdit* OLEDBDriverEdit;
    QLabel* Label3;
    QLabel* Label4;
    QLineEdit* UserNameEdit;
    QLineEdit* PasswordEdit;
    QSpinBox* TimeoutEdit;
    QPushButton* PromptDB;
};
