#include "app/DataLinkDialog.h"

#include "app/ConnectionAttempt.h"
#include "app/ConnectionText.h"
#include "db/ADOConnection.h"
#include "db/BackendRegistry.h"
#include "db/ConnectionString.h"
#include "db/DatabaseName.h"

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
    for (const TBackend* backend : Backends()) ProviderBox->addItem(backend->Caption());
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

TDataLinkDialog::~TDataLinkDialog() = default;

void TDataLinkDialog::ReadInitialString(const QString& text) {
    // A string this dialog cannot read starts it from its defaults; Cancel still returns it.
    TConnectionParams params;
    const TBackend* backend = nullptr;
    try {
        params = ParseConnectionString(text);
        backend = &BackendOf(params);
    } catch (const std::exception&) {
        return;
    }
    ProviderBox->setCurrentIndex(static_cast<int>(Backends().indexOf(backend)));
    const TDataLinkFields fields = backend->DataLinkFields(params);
    DatabaseEdit->setText(fields.Database);
    if (backend->FileDatabase()) return;
    ServerEdit->setText(fields.Server);
    (fields.IntegratedSecurity ? WindowsAuthButton : ServerAuthButton)->setChecked(true);
    UserEdit->setText(fields.User);
    PasswordEdit->setText(fields.Password);
}

const TBackend& TDataLinkDialog::ChosenBackend() const {
    return *Backends().at(qMax(0, ProviderBox->currentIndex()));
}

void TDataLinkDialog::ProviderChanged() {
    const bool file = ChosenBackend().FileDatabase();
    DatabaseLabel->setText(file ? QStringLiteral("Файл базы данных:") : QStringLiteral("База данных:"));
    BrowseButton->setVisible(file);
    for (QWidget* widget : {static_cast<QWidget*>(ServerLabel), static_cast<QWidget*>(ServerEdit),
                            static_cast<QWidget*>(WindowsAuthButton), static_cast<QWidget*>(ServerAuthButton)})
        widget->setEnabled(!file);
    AuthenticationChanged();
}

void TDataLinkDialog::AuthenticationChanged() {
    const bool credentials = !ChosenBackend().FileDatabase() && ServerAuthButton->isChecked();
    UserEdit->setEnabled(credentials);
    PasswordEdit->setEnabled(credentials);
}

void TDataLinkDialog::ChooseFile() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Файл базы данных SQLite"), DatabaseEdit->text(),
                                                      QStringLiteral("Базы данных SQLite (*.db *.sqlite *.sqlite3);;Все файлы (*)"));
    if (!path.isEmpty()) DatabaseEdit->setText(path);
}

QString TDataLinkDialog::ConnectionString() const {
    const TBackend& backend = ChosenBackend();
    TConnectionFields fields;
    fields.Driver = backend.Provider();
    fields.ServerType = ServerTypeOfDriver(fields.Driver);
    fields.DBName = DatabaseEdit->text();
    // A file needs neither a server nor credentials.
    if (backend.FileDatabase()) return BuildConnectionString(fields, 1);
    fields.ServerName = ServerEdit->text();
    fields.NTAuthorization = WindowsAuthButton->isChecked();
    fields.UserName = UserEdit->text();
    fields.Password = PasswordEdit->text();
    return BuildConnectionString(fields, 1);
}

void TDataLinkDialog::TestConnection() {
    if (TestPending()) return;
    // As the wizard does: without a database name, a server would open its default one.
    if (DatabaseEdit->text().trimmed().isEmpty()) {
        TestResultLabel->setText(QStringLiteral("Не задано имя базы данных."));
        return;
    }
    const QString text = ConnectionString();
    auto work = [text] {
        // Opened and closed on the attempt's thread; nothing of it is kept.
        OpenConnection(text, TADOConnection().CommandTimeout);
        return TAttemptOutcome();
    };
    auto done = [this, text](TAttemptOutcome& outcome) {
        EndTest(outcome.Error.isEmpty() ? QStringLiteral("Проверка подключения выполнена успешно.")
                                        : ConnectionErrorText(text, outcome.Error));
    };
    Test = std::make_unique<TConnectionAttempt>(work, this, done);
    TestResultLabel->setText(QStringLiteral("Подключение к %1...").arg(DatabaseName(text)));
    TestButton->setEnabled(false);
    setCursor(Qt::BusyCursor);
}

bool TDataLinkDialog::TestPending() const { return Test && Test->Pending(); }

void TDataLinkDialog::EndTest(const QString& result) {
    Test.reset();
    unsetCursor();
    TestButton->setEnabled(true);
    TestResultLabel->setText(result);
}

void TDataLinkDialog::CancelTest() {
    if (TestPending()) EndTest(QStringLiteral("Проверка подключения отменена."));
}

void TDataLinkDialog::reject() {
    if (TestPending()) {
        CancelTest();
        return;
    }
    QDialog::reject();
}

void TDataLinkDialog::closeEvent(QCloseEvent* event) {
    CancelTest();
    QDialog::closeEvent(event);
}
