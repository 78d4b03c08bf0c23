#include "app/DataLinkDialog.h"

#include "app/ConnectionText.h"
#include "db/ADOConnection.h"
#include "db/ConnectionString.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

TDataLinkDialog::TDataLinkDialog(const QString& initialString, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DataLinkDialog"));
    setWindowTitle(QStringLiteral("Свойства связи с данными"));

    ProviderBox = new QComboBox(this);
    ProviderBox->setObjectName(QStringLiteral("ProviderBox"));
    ProviderBox->addItems({QStringLiteral("Microsoft SQL Server"), QStringLiteral("PostgreSQL"),
                           QStringLiteral("Файл SQLite")});
    ServerLabel = new QLabel(QStringLiteral("Сервер:"), this);
    ServerEdit = new QLineEdit(this);
    ServerEdit->setObjectName(QStringLiteral("ServerEdit"));
    DatabaseLabel = new QLabel(this);
    DatabaseEdit = new QLineEdit(this);
    DatabaseEdit->setObjectName(QStringLiteral("DatabaseEdit"));
    BrowseButton = new QPushButton(QStringLiteral("..."), this);
    BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
    BrowseButton->setFixedWidth(30);
    WindowsAuthButton = new QRadioButton(QStringLiteral("Авторизация Windows NT"), this);
    WindowsAuthButton->setObjectName(QStringLiteral("WindowsAuthButton"));
    ServerAuthButton = new QRadioButton(QStringLiteral("Авторизация SQL-сервера"), this);
    ServerAuthButton->setObjectName(QStringLiteral("ServerAuthButton"));
    UserEdit = new QLineEdit(this);
    UserEdit->setObjectName(QStringLiteral("UserEdit"));
    PasswordEdit = new QLineEdit(this);
    PasswordEdit->setObjectName(QStringLiteral("PasswordEdit"));
    PasswordEdit->setEchoMode(QLineEdit::Password);
    TestButton = new QPushButton(QStringLiteral("Проверить подключение"), this);
    TestButton->setObjectName(QStringLiteral("TestButton"));
    TestResultLabel = new QLabel(this);
    TestResultLabel->setObjectName(QStringLiteral("TestResultLabel"));
    TestResultLabel->setWordWrap(true);
    TestResultLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* databaseRow = new QHBoxLayout;
    databaseRow->addWidget(DatabaseEdit);
    databaseRow->addWidget(BrowseButton);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Поставщик:"), ProviderBox);
    form->addRow(ServerLabel, ServerEdit);
    form->addRow(DatabaseLabel, databaseRow);
    form->addRow(WindowsAuthButton);
    form->addRow(ServerAuthButton);
    form->addRow(QStringLiteral("Пользователь:"), UserEdit);
    form->addRow(QStringLiteral("Пароль:"), PasswordEdit);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("OkButton"));
    buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("CancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(TestButton, 0, Qt::AlignLeft);
    layout->addWidget(TestResultLabel);
    layout->addStretch();
    layout->addWidget(buttons);
    setMinimumWidth(420);

    connect(ProviderBox, &QComboBox::currentIndexChanged, this, &TDataLinkDialog::ProviderChanged);
    connect(WindowsAuthButton, &QRadioButton::toggled, this, &TDataLinkDialog::AuthenticationChanged);
    connect(BrowseButton, &QPushButton::clicked, this, &TDataLinkDialog::ChooseFile);
    connect(TestButton, &QPushButton::clicked, this, &TDataLinkDialog::TestConnection);

    ServerAuthButton->setChecked(true);
    ReadInitialString(initialString);
    ProviderChanged();
    AuthenticationChanged();
}

void TDataLinkDialog::ReadInitialString(const QString& text) {
    // A string this dialog cannot read starts it from its defaults; Cancel still returns it.
    TConnectionParams params;
    TBackendKind backend = TBackendKind::SqlServer;
    try {
        params = ParseConnectionString(text);
        backend = BackendOf(params);
    } catch (const std::exception&) {
        return;
    }
    switch (backend) {
    case TBackendKind::SqlServer:
        ProviderBox->setCurrentIndex(SqlServerProvider);
        DatabaseEdit->setText(params.InitialCatalog());
        break;
    case TBackendKind::PostgreSql:
        ProviderBox->setCurrentIndex(PostgreSqlProvider);
        DatabaseEdit->setText(params.Location());
        break;
    case TBackendKind::Sqlite:
        ProviderBox->setCurrentIndex(SqliteProvider);
        DatabaseEdit->setText(params.Location().isEmpty() ? params.DataSource() : params.Location());
        return;
    }
    ServerEdit->setText(params.DataSource());
    (params.IntegratedSecurity() ? WindowsAuthButton : ServerAuthButton)->setChecked(true);
    UserEdit->setText(params.UserId());
    PasswordEdit->setText(params.Password());
}

void TDataLinkDialog::ProviderChanged() {
    const bool file = ProviderBox->currentIndex() == SqliteProvider;
    DatabaseLabel->setText(file ? QStringLiteral("Файл базы данных:") : QStringLiteral("База данных:"));
    BrowseButton->setVisible(file);
    for (QWidget* widget : {static_cast<QWidget*>(ServerLabel), static_cast<QWidget*>(ServerEdit),
                            static_cast<QWidget*>(WindowsAuthButton), static_cast<QWidget*>(ServerAuthButton)})
        widget->setEnabled(!file);
    AuthenticationChanged();
}

void TDataLinkDialog::AuthenticationChanged() {
    const bool credentials = ProviderBox->currentIndex() != SqliteProvider && ServerAuthButton->isChecked();
    UserEdit->setEnabled(credentials);
    PasswordEdit->setEnabled(credentials);
}

void TDataLinkDialog::ChooseFile() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Файл базы данных SQLite"), DatabaseEdit->text(),
                                                      QStringLiteral("Базы данных SQLite (*.db *.sqlite *.sqlite3);;Все файлы (*)"));
    if (!path.isEmpty()) DatabaseEdit->setText(path);
}

QString TDataLinkDialog::ConnectionString() const {
    TConnectionFields fields;
    fields.DBName = DatabaseEdit->text();
    switch (ProviderBox->currentIndex()) {
    case SqliteProvider:
        // A file needs neither a server nor credentials.
        fields.ServerType = TServerType::Other;
        fields.Driver = QStringLiteral("SQLite");
        return BuildConnectionString(fields, 1);
    case PostgreSqlProvider: fields.ServerType = TServerType::PostgreSQL; break;
    default: fields.ServerType = TServerType::MSSQLServer; break;
    }
    fields.ServerName = ServerEdit->text();
    fields.NTAuthorization = WindowsAuthButton->isChecked();
    fields.UserName = UserEdit->text();
    fields.Password = PasswordEdit->text();
    return BuildConnectionString(fields, 1);
}

void TDataLinkDialog::TestConnection() {
    TADOConnection connection;
    connection.ConnectionString = ConnectionString();
    try {
        connection.Open();
        TestResultLabel->setText(connection.Connected() ? QStringLiteral("Проверка подключения выполнена успешно.")
                                                        : QStringLiteral("Подключение не установлено."));
    } catch (const std::exception& error) {
        TestResultLabel->setText(QStringLiteral("Ошибка подключения: ") + QString::fromUtf8(error.what()));
    }
    connection.Close();
}
