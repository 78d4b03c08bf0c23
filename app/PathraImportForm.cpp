#include "app/PathraImportForm.h"

#include "app/DBConnectFrame.h"
#include "app/ErrorHandler.h"
#include "app/EscapeKeyState.h"
#include "app/TitleListView.h"
#include "app/WizardDialogs.h"
#include "db/ImportDBModule.h"
#include "support/EAbort.h"
#include "support/Log.h"
#include "titles/TitlePreparation.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const int LogPage = 3;
const int TitlePage = 2;

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* PanelButton(const QString& caption, const char* name, QWidget* parent) {
    auto* button = Named(new QPushButton(caption, parent), name);
    button->setFixedSize(75, 25);
    button->setAutoDefault(true);  // Enter presses the button that has the focus
    return button;
}

}  // namespace

QFont WizardFont() {
    QFont font(QFontDatabase::families().contains(QStringLiteral("Tahoma")) ? QStringLiteral("Tahoma")
                                                                           : QStringLiteral("DejaVu Sans"));
    font.setPointSize(8);
    return font;
}

TPathraImportForm::TPathraImportForm(TImportDBModule& module, TWizardDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      Module(module), Dialogs(dialogs) {
    setObjectName(QStringLiteral("PathraImportForm"));
    setWindowTitle(ApplicationTitle());
    setFont(WizardFont());
    resize(565, 400);
    setMinimumSize(565, 400);
    EscapeState = new TEscapeKeyState(this);

    Notebook1 = Named(new QStackedWidget(this), "Notebook1");
    Notebook1->addWidget(CreateConnectionPage("GroupBox1", QStringLiteral("Подключение к исходной базе данных"), DBConnectFrame1));
    Notebook1->addWidget(CreateConnectionPage("GroupBox2", QStringLiteral("Подключение к базе данных OrvaneInfo/Road"), DBConnectFrame2));
    Notebook1->addWidget(CreateTitlePage());
    Notebook1->addWidget(CreateLogPage());
    DBConnectFrame1->setObjectName(QStringLiteral("DBConnectFrame1"));
    DBConnectFrame2->setObjectName(QStringLiteral("DBConnectFrame2"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(0);
    layout->addWidget(Notebook1, 1);
    layout->addWidget(CreateButtonPanel());

    connect(Notebook1, &QStackedWidget::currentChanged, this, [this] { Notebook1PageChanged(); });
    CreateStorage();
    FormCreate();
}

TPathraImportForm::~TPathraImportForm() {
    // The callbacks and the asker refer to this window; nothing may call them afterwards.
    ClearCallbacks();
    SetLogSwitchOffNotice(nullptr);
}

QWidget* TPathraImportForm::CreateConnectionPage(const char* groupName, const QString& caption, TDBConnectFrame*& frame) {
    auto* page = new QWidget;
    auto* group = Named(new QGroupBox(caption, page), groupName);
    frame = new TDBConnectFrame(Dialogs, group);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(frame);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group);
    return page;
}

QWidget* TPathraImportForm::CreateTitlePage() {
    auto* page = new QWidget;
    auto* GroupBox3 = Named(new QGroupBox(QStringLiteral("Титулы"), page), "GroupBox3");
    ListView1 = CreateTitleListView(GroupBox3);

    ToolBar1 = Named(new QToolBar(GroupBox3), "ToolBar1");
    ToolBar1->setIconSize(QSize(16, 16));
    QAction* tickAll = ToolBar1->addAction(TickAllIcon(), QStringLiteral("Выделить все"));
    QAction* clearAll = ToolBar1->addAction(ClearAllIcon(), QStringLiteral("Снять все выделение"));
    for (auto [action, name] : {std::pair{tickAll, "ToolButton1"}, std::pair{clearAll, "ToolButton5"}}) {
        QWidget* button = ToolBar1->widgetForAction(action);
        button->setObjectName(QString::fromLatin1(name));
        button->setFixedSize(26, 26);
    }
    connect(tickAll, &QAction::triggered, this, [this] { Guarded(&TPathraImportForm::ToolButton1Click); });
    connect(clearAll, &QAction::triggered, this, [this] { Guarded(&TPathraImportForm::ToolButton5Click); });

    SearchEdit = Named(new QLineEdit(GroupBox3), "SearchEdit");
    SearchEdit->setFixedWidth(225);
    SpeedButton1 = Named(new QToolButton(GroupBox3), "SpeedButton1");
    SpeedButton1->setIcon(SearchIcon());
    SpeedButton1->setToolTip(QStringLiteral("Поиск титула"));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setFixedSize(26, 26);
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { Guarded(&TPathraImportForm::SpeedButton1Click); });

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ToolBar1);
    bottom->addWidget(SearchEdit);
    bottom->addWidget(SpeedButton1);
    bottom->addStretch();
    auto* groupLayout = new QVBoxLayout(GroupBox3);
    groupLayout->addWidget(ListView1, 1);
    groupLayout->addLayout(bottom);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(GroupBox3);
    return page;
}

QWidget* TPathraImportForm::CreateLogPage() {
    auto* page = new QWidget;
    Memo = Named(new QPlainTextEdit(page), "Memo");
    Memo->setReadOnly(true);
    // Fixed pitch, so that the run's table of counts reads as a table.
    QFont memoFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    memoFont.setPointSize(WizardFont().pointSize());
    Memo->setFont(memoFont);
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* strip = new QWidget(page);
    strip->setFixedHeight(41);
    GroupBox7 = Named(new QGroupBox(strip), "GroupBox7");
    ProgressBar1 = Named(new QProgressBar(GroupBox7), "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setMaximumHeight(14);
    auto* groupLayout = new QVBoxLayout(GroupBox7);
    groupLayout->setContentsMargins(6, 0, 6, 2);
    groupLayout->addWidget(ProgressBar1);
    auto* stripLayout = new QVBoxLayout(strip);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    stripLayout->addWidget(GroupBox7);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(Memo, 1);
    layout->addWidget(strip);
    return page;
}

QWidget* TPathraImportForm::CreateButtonPanel() {
    auto* Panel1 = Named(new QWidget(this), "Panel1");
    Panel1->setFixedHeight(41);
    Button1 = PanelButton(QStringLiteral("Отмена"), "Button1", Panel1);
    Button3 = PanelButton(QStringLiteral("<< Назад"), "Button3", Panel1);
    Button2 = PanelButton(QStringLiteral("Далее >>"), "Button2", Panel1);
    Button2->setDefault(true);
    Button3->setEnabled(false);
    connect(Button1, &QPushButton::clicked, this, [this] { Guarded(&TPathraImportForm::Button1Click); });
    connect(Button2, &QPushButton::clicked, this, [this] { Guarded(&TPathraImportForm::Button2Click); });
    connect(Button3, &QPushButton::clicked, this, [this] { Guarded(&TPathraImportForm::Button3Click); });
    auto* layout = new QHBoxLayout(Panel1);
    layout->setContentsMargins(4, 8, 4, 8);
    layout->addWidget(Button1);
    layout->addStretch();
    layout->addWidget(Button3);
    layout->addSpacing(6);
    layout->addWidget(Button2);
    return Panel1;
}

void TPathraImportForm::Guarded(void (TPathraImportForm::*handler)()) {
    RunGuarded(Dialogs, [this, handler] { (this->*handler)(); });
}

void TPathraImportForm::FormCreate() {
    DBConnectFrame1->SetServerTypePanelVisible(false);
    DBConnectFrame2->SetServerTypePanelVisible(false);
    // The wizard starts with Windows authentication.
    DBConnectFrame1->NTAuthorizationButton->setChecked(true);
    DBConnectFrame2->NTAuthorizationButton->setChecked(true);
    Notebook1->setCurrentIndex(0);
    Notebook1PageChanged();
    LogLevel = 1;
    // A log that stops being writable (a full disk) switches off; the memo says so once. The
    // line is added from the event loop, never from inside the log call.
    QPointer<QPlainTextEdit> memo = Memo;
    SetLogSwitchOffNotice([memo](const QString& file, const QString& reason) {
        QMetaObject::invokeMethod(
            memo,
            [memo, file, reason] {
                if (memo)
                    memo->appendPlainText(QStringLiteral("Журнал \"%1\" не записывается (%2); запись журнала отключена")
                                              .arg(file, reason));
            },
            Qt::QueuedConnection);
    });
}

void TPathraImportForm::Notebook1PageChanged() {
    const int page = Notebook1->currentIndex();
    const int last = Notebook1->count() - 1;
    Button3->setEnabled(page > 0);
    Button2->setVisible(true);
    Button1->setEnabled(true);
    Button3->setText(page == last ? QStringLiteral("В начало") : QStringLiteral("<< Назад"));
    Button2->setText(page == last       ? QStringLiteral("Закрыть")
                     : page == last - 1 ? QStringLiteral("Начать")
                                        : QStringLiteral("Далее >>"));
    Button1->setText(QStringLiteral("Отмена"));
}

void TPathraImportForm::OpenConnection(TADOConnection& connection, TDBConnectFrame& frame) {
    connection.Close();
    connection.ConnectionString = frame.BuildConnectionString(1);
    connection.CommandTimeout = frame.TimeoutValue();
    connection.Open();
    if (!connection.Connected()) throw EAbort();
    // After the opening: an unreachable server reports its own error first.
    if (frame.DBNameEdit->text().trimmed().isEmpty()) throw Exception(QStringLiteral("Не задано имя базы данных"));
}

void TPathraImportForm::Button2Click() {
    const int page = Notebook1->currentIndex();
    if (page == LogPage) {
        close();
        return;
    }
    if (page == 0) {
        OpenConnection(Module.ADOConnectionSource, *DBConnectFrame1);
        ClearItems();
    } else if (page == 1) {
        OpenConnection(Module.ADOConnectionDest, *DBConnectFrame2);
        if (ItemCount() == 0)
            FillListFromTable(QStringLiteral("Титул"), *this, QStringLiteral("Код_титула, Наименование"), false, QString(),
                              QString(), Module.SourceQuery);
    } else if (page == TitlePage) {
        RunImport();
    }
    if (Notebook1->currentIndex() < LogPage) Notebook1->setCurrentIndex(Notebook1->currentIndex() + 1);
}

void TPathraImportForm::RunImport() {
    Running = true;
    CloseRequested = false;
    SetQuestionAsker(this);
    try {
        RunTitleImport(*this, Plan, Module.ADOConnectionSource, Module.ADOConnectionDest);
    } catch (const EAbort&) {
        Running = false;
        throw;
    } catch (...) {
        Running = false;
        // A preparation that failed may have left its columns behind; a window that is
        // closing will not get another chance to remove them.
        if (CloseRequested) DropImportSchemaChanges(Plan, Module.ADOConnectionSource, Module.ADOConnectionDest);
        if (CloseRequested) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        throw;
    }
    Running = false;
    if (CloseRequested) close();
}

void TPathraImportForm::Button3Click() {
    const int page = Notebook1->currentIndex();
    Notebook1->setCurrentIndex(page == LogPage ? TitlePage : std::max(page - 1, 0));
}

void TPathraImportForm::Button1Click() {
    if (Notebook1->currentIndex() == LogPage) {
        AbortRequested = true;
        return;
    }
    close();
}

void TPathraImportForm::closeEvent(QCloseEvent* event) {
    if (Running) {
        // Stopped like "Отмена", answered "No" to every question, then closed by RunImport
        // once the run has rolled back and cleaned up.
        CloseRequested = true;
        AbortRequested = true;
        event->ignore();
        return;
    }
    event->accept();
}

void TPathraImportForm::keyPressEvent(QKeyEvent* event) {
    // Enter anywhere that does not use it itself presses the default button.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && Button2->isVisible() && Button2->isEnabled()) {
        Button2->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TPathraImportForm::ToolButton1Click() {
    for (int i = 0; i < ItemCount(); ++i) SetItemChecked(i, true);
}

void TPathraImportForm::ToolButton5Click() {
    for (int i = 0; i < ItemCount(); ++i) SetItemChecked(i, false);
}

void TPathraImportForm::SpeedButton1Click() { Search(SearchEdit->text(), *ListView1, 1); }

int TPathraImportForm::ItemCount() const { return ListView1->topLevelItemCount(); }
QString TPathraImportForm::ItemCaption(int index) const { return ListView1->topLevelItem(index)->text(0); }
QString TPathraImportForm::ItemSubItem(int index) const { return ListView1->topLevelItem(index)->text(1); }
bool TPathraImportForm::ItemChecked(int index) const {
    return ListView1->topLevelItem(index)->checkState(0) == Qt::Checked;
}
void TPathraImportForm::SetItemChecked(int index, bool checked) {
    ListView1->topLevelItem(index)->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}
void TPathraImportForm::ClearItems() { ListView1->clear(); }

void TPathraImportForm::AddItem(const QString& caption, const QStringList& subItems) {
    auto* item = new QTreeWidgetItem(ListView1, QStringList{caption} + subItems);
    item->setFlags((item->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
    item->setCheckState(0, Qt::Unchecked);
}

void TPathraImportForm::BeginUpdate() { ListView1->setUpdatesEnabled(false); }
void TPathraImportForm::EndUpdate() { ListView1->setUpdatesEnabled(true); }

int TPathraImportForm::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    return Dialogs.MessageDlg(text, type, buttons);
}

void TPathraImportForm::ShowTitlePage() { Notebook1->setCurrentIndex(TitlePage); }

int TPathraImportForm::Ask(const QString& message, TMsgDlgType type, TMsgDlgButtons buttons) {
    // A window that is closing keeps nothing of the run: continue no, keep no, save no.
    if (CloseRequested) return mrNo;
    return Dialogs.ShowCenteredMessage(message, type, buttons);
}

void TPathraImportForm::ClearMemo() { Memo->clear(); }
void TPathraImportForm::AddMemoLine(const QString& line) { Memo->appendPlainText(line); }
void TPathraImportForm::ShowLogPage() { Notebook1->setCurrentIndex(LogPage); }

void TPathraImportForm::TableStart(const QString& name, int rows, int tableCount, int tableNumber) {
    GroupBox7->setTitle(TableStartCaption(name, rows, tableCount, tableNumber));
    GroupBox7->repaint();
    // A range of 0 to 0 would turn the bar into a busy indicator.
    ProgressBar1->setRange(0, std::max(rows, 1));
    ProgressBar1->setValue(0);
    Button3->setEnabled(false);
    Button2->setEnabled(false);
    AbortRequested = false;
}

void TPathraImportForm::RowProgress(const QString& name, int rowsDone) {
    if (GroupBox7->title().contains(name)) ProgressBar1->setValue(rowsDone);
    // After every row, so that a click or a key reaches the very next abort check.
    QCoreApplication::processEvents();
}

void TPathraImportForm::CheckAbort() {
    if (AbortRequested || CloseRequested) {
        AbortRequested = false;
        throw EAbort();
    }
    if (EscapeState->EscapeHeldInFront()) throw EAbort();
}

void TPathraImportForm::ResetDisplay() {
    GroupBox7->setTitle(QStringLiteral("Импорт завершен"));
    ProgressBar1->setValue(0);
    Button3->setEnabled(true);
    Button2->setEnabled(true);
    Button1->setEnabled(true);
}
