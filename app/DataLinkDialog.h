#pragma once
// The data-link dialog: edits one connection string by provider (each backend the registry
// knows: SQL Server, PostgreSQL, an SQLite file), server, database or file, authentication,
// user and password, and tests the connection on request. The string it gives back has the connection frame's shape.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TBackend;

class TDataLinkDialog : public QDialog {
    Q_OBJECT
public:
    explicit TDataLinkDialog(const QString& initialString, QWidget* parent = nullptr);

    // The string the fields describe now.
    QString ConnectionString() const;
    // Opens a connection on ConnectionString() and shows the driver's answer under the fields.
    void TestConnection();

private:
    void ReadInitialString(const QString& text);
    // The backend of the provider chosen in ProviderBox, which lists them in the registry's order.
    const TBackend& ChosenBackend() const;
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
