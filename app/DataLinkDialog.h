#pragma once
// The data-link dialog: edits one connection string by provider (SQL Server, PostgreSQL or
// an SQLite file), server, database or file, authentication, user and password, and tests
// the connection on request. The string it gives back has the connection frame's shape.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TDataLinkDialog : public QDialog {
    Q_OBJECT
public:
    // The provider choices, in the order of ProviderBox.
    enum TProvider { SqlServerProvider, PostgreSqlProvider, SqliteProvider };

    explicit TDataLinkDialog(const QString& initialString, QWidget* parent = nullptr);

    // The string the fields describe now.
    QString ConnectionString() const;
    // Opens a connection on ConnectionString() and shows the driver's answer under the fields.
    void TestConnection();

private:
    void ReadInitialString(const QString& text);
    void ProviderChanged();
    void AuthenticationChanged();
    void ChooseFile();

    QComboBox* ProviderBox;
    QLabel* ServerLabel;
    QLineEdit* ServerEdit;
    QLabel* DatabaseLabel;
    QLineEdit* DatabaseEdit;
    QPushButton* BrowseButton;
    QRadioButton* WindowsAuthButton;
    QRadioButton* ServerAuthButton;
    QLineEdit* UserEdit;
    QLineEdit* PasswordEdit;
    QPushButton* TestButton;
    QLabel* TestResultLabel;
};
