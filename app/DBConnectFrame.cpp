#include "app/DBConnectFrame.h"

#include "app/ErrorHandler.h"
#include "app/WizardDialogs.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// TimeoutEdit: 30 to 3600 seconds; a number outside is brought to the nearer bound when the
// focus leaves, and a text that is no number counts as 30.
class TTimeoutSpin : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    void fixup(QString& input) const override {
        bool ok = false;
        const qlonglong value = input.trimmed().toLongLong(&ok);
        input = QString::number(ok ? qBound(qlonglong(minimum()), value, qlonglong(maximum())) : minimum());
    }
};

}  // namespace

TDBConnectFrame::TDBConnectFrame(TWizardDialogs& dialogs, QWidget* parent) : QWidget(parent), Dialogs(dialogs) {
    auto* ConnPanel = Named(new QWidget(this), "ConnPanel");
    GroupPanel1 = Named(new QGroupBox(QStringLiteral("Тип сервера баз данных"), ConnPanel), "GroupPanel1");
    MSSQLServerButton = Named(new QRadioButton(QStringLiteral("Microsoft SQL Server"), GroupPanel1), "MSSQLServerButton");
    PostgreSQLButton = Named(new QRadioButton(QStringLiteral("PostgreSQL"), GroupPanel1), "PostgreSQLButton");
    OtherSQLServerButton = Named(new QRadioButton(QStringLiteral("Другой"), GroupPanel1), "OtherSQLServerButton");
    auto* OLEDBDriverTextLabel = Named(new QLabel(QStringLiteral("Драйвер:"), GroupPanel1), "OLEDBDriverTextLabel");
    OLEDBDriverEdit = Named(new QLineEdit(GroupPanel1), "OLEDBDriverEdit");
    auto* typeLayout = new QGridLayout(GroupPanel1);
    typeLayout->addWidget(MSSQLServerButton, 0, 0);
    typeLayout->addWidget(PostgreSQLButton, 0, 1);
    typeLayout->addWidget(OtherSQLServerButton, 0, 2);
    typeLayout->addWidget(OLEDBDriverTextLabel, 1, 0);
    typeLayout->addWidget(OLEDBDriverEdit, 1, 1, 1, 2);

    auto* Panel1 = Named(new QWidget(ConnPanel), "Panel1");
    auto* Label1 = Named(new QLabel(QStringLiteral("Имя сервера:"), Panel1), "Label1");
    ServerNameEdit = Named(new QLineEdit(Panel1), "ServerNameEdit");
    auto* Label2 = Named(new QLabel(QStringLiteral("Имя базы:"), Panel1), "Label2");
    DBNameEdit = Named(new QLineEdit(Panel1), "DBNameEdit");
    NTAuthorizationButton = Named(new QRadioButton(QStringLiteral("Авторизация Windows NT"), Panel1), "NTAuthorizationButton");
    SQLAuthorizationButton = Named(new QRadioButton(QStringLiteral("Авторизация SQL-сервера"), Panel1), "SQLAuthorizationButton");
    Label3 = Named(new QLabel(QStringLiteral("Пользователь:"), Panel1), "Label3");
    UserNameEdit = Named(new QLineEdit(Panel1), "UserNameEdit");
    Label4 = Named(new QLabel(QStringLiteral("Пароль:"), Panel1), "Label4");
    PasswordEdit = Named(new QLineEdit(Panel1), "PasswordEdit");
    PasswordEdit->setEchoMode(QLineEdit::Password);
    auto* TimeoutLabel = Named(new QLabel(QStringLiteral("Таймаут выполнения команд, сек:"), Panel1), "TimeoutLabel");
    TimeoutEdit = Named(new TTimeoutSpin(Panel1), "TimeoutEdit");
    TimeoutEdit->setRange(30, 3600);
    TimeoutEdit->setValue(30);
    TimeoutEdit->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    PromptDB = Named(new QPushButton(QStringLiteral("Мастер подключения..."), Panel1), "PromptDB");

    auto* fields = new QGridLayout(Panel1);
    fields->setContentsMargins(0, 0, 0, 0);
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(ServerNameEdit, 0, 1, 1, 2);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(DBNameEdit, 1, 1, 1, 2);
    fields->addWidget(NTAuthorizationButton, 2, 0, 1, 3);
    fields->addWidget(SQLAuthorizationButton, 3, 0, 1, 3);
    fields->addWidget(Label3, 4, 0);
    fields->addWidget(UserNameEdit, 4, 1, 1, 2);
    fields->addWidget(Label4, 5, 0);
    fields->addWidget(PasswordEdit, 5, 1, 1, 2);
    fields->addWidget(TimeoutLabel, 6, 0, 1, 2);
    fields->addWidget(TimeoutEdit, 6, 2);
    fields->addWidget(PromptDB, 7, 2);
    fields->setColumnStretch(1, 1);
    fields->setRowStretch(8, 1);

    auto* connLayout = new QVBoxLayout(ConnPanel);
    connLayout->setContentsMargins(0, 0, 0, 0);
    connLayout->addWidget(GroupPanel1);
    connLayout->addWidget(Panel1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(ConnPanel);

    // The design's choices, before the handlers exist: the driver field starts empty.
    MSSQLServerButton->setChecked(true);
    SQLAuthorizationButton->setChecked(true);
    // Handlers run when a button becomes selected, by the user or from code alike.
    connect(MSSQLServerButton, &QRadioButton::toggled, this, [this](bool on) { if (on) MSSQLServerButtonClick(); });
    connect(PostgreSQLButton, &QRadioButton::toggled, this, [this](bool on) { if (on) PostgreSQLButtonClick(); });
    connect(NTAuthorizationButton, &QRadioButton::toggled, this, &TDBConnectFrame::NTAuthorizationButtonClick);
    // Both choices share the handler: restored settings may select one while neither is.
    connect(SQLAuthorizationButton, &QRadioButton::toggled, this, &TDBConnectFrame::NTAuthorizationButtonClick);
    connect(PromptDB, &QPushButton::clicked, this, [this] { RunGuarded(Dialogs, [this] { PromptDBClick(); }); });

    NTAuthorizationButtonClick();
}

bool TDBConnectFrame::ServerTypePanelVisible() const { return !GroupPanel1->isHidden(); }
void TDBConnectFrame::SetServerTypePanelVisible(bool visible) { GroupPanel1->setVisible(visible); }

void TDBConnectFrame::MSSQLServerButtonClick() { OLEDBDriverEdit->setText(QLatin1String(MSSQLDriver)); }
void TDBConnectFrame::PostgreSQLButtonClick() { OLEDBDriverEdit->setText(QLatin1String(PostgreSQLDriver)); }

void TDBConnectFrame::NTAuthorizationButtonClick() {
    const bool sql = SQLAuthorizationButton->isChecked();
    for (QWidget* widget : {static_cast<QWidget*>(Label3), static_cast<QWidget*>(Label4),
                            static_cast<QWidget*>(UserNameEdit), static_cast<QWidget*>(PasswordEdit)})
        widget->setEnabled(sql);
}

void TDBConnectFrame::SelectServerType(TServerType type) {
    switch (type) {
    case TServerType::MSSQLServer: MSSQLServerButton->setChecked(true); break;
    case TServerType::PostgreSQL: PostgreSQLButton->setChecked(true); break;
    case TServerType::Other: OtherSQLServerButton->setChecked(true); break;
    case TServerType::None: break;
    }
}

TConnectionFields TDBConnectFrame::Fields() const {
    TConnectionFields fields;
    fields.ServerType = MSSQLServerButton->isChecked()      ? TServerType::MSSQLServer
                        : PostgreSQLButton->isChecked()     ? TServerType::PostgreSQL
                        : OtherSQLServerButton->isChecked() ? TServerType::Other
                                                            : TServerType::None;
    fields.Driver = OLEDBDriverEdit->text();
    fields.ServerName = ServerNameEdit->text();
    fields.DBName = DBNameEdit->text();
    fields.NTAuthorization = NTAuthorizationButton->isChecked();
    fields.UserName = UserNameEdit->text();
    fields.Password = PasswordEdit->text();
    return fields;
}

void TDBConnectFrame::SetFields(const TConnectionFields& fields) {
    SelectServerType(fields.ServerType);
    OLEDBDriverEdit->setText(fields.Driver);
    ServerNameEdit->setText(fields.ServerName);
    DBNameEdit->setText(fields.DBName);
    (fields.NTAuthorization ? NTAuthorizationButton : SQLAuthorizationButton)->setChecked(true);
    NTAuthorizationButtonClick();
    UserNameEdit->setText(fields.UserName);
    PasswordEdit->setText(fields.Password);
}

QString TDBConnectFrame::BuildConnectionString(unsigned databaseSelector) const {
    return ::BuildConnectionString(Fields(), databaseSelector);
}

int TDBConnectFrame::TimeoutValue() const {
    bool ok = false;
    const int value = TimeoutEdit->text().trimmed().toInt(&ok);
    return ok ? value : 30;
}

void TDBConnectFrame::ReadConnectionString(const QString& connectionString) {
    TConnectionFields fields = Fields();
    ReadConnectionText(fields, connectionString);
    SetFields(fields);
}

void TDBConnectFrame::PromptDBClick() {
    const QString answer = Dialogs.PromptDataSource(BuildConnectionString(1));
    ReadConnectionString(answer + QLatin1Char(';'));
}
