#pragma once
// The data-link dialog: edits one connection string by provider (each backend the registry
// knows: SQL Server, PostgreSQL, an SQLite file), server, database or file, authentication,
// user and password, and tests the connection on request. The string it gives back has the connection frame's shape.
//
// The test runs off the window's thread (ConnectionAttempt.h): while it runs, the result line
// reads "Подключение к <database>...", and "Отмена" or Escape gives the test up and leaves the
// dialog open with its fields; the close box gives it up and closes the dialog.

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TBackend;
class TConnectionAttempt;

class TDataLinkDialog : public QDialog {
    Q_OBJECT
public:
    explicit TDataLinkDialog(const QString& initialString, QWidget* parent = nullptr);
    ~TDataLinkDialog() override;

    // The string the fields describe now.
    QString ConnectionString() const;
    // Starts opening a connection on ConnectionString(); the driver's answer shows under the
    // fields once it has come.
    void TestConnection();
    bool TestPending() const;

    // While a test runs, gives the test up instead of closing the dialog.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CancelTest();
    void EndTest(const QString& result);
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
    std::unique_ptr<TConnectionAttempt> Test;
};
