#include "app/PathraImportForm.h"

#include "app/ConnectionAttempt.h"
#include "app/DBConnectFrame.h"
#include "app/ErrorHandler.h"
#include "app/EscapeKeyState.h"
#include "app/TitleListView.h"
#include "app/WizardDialogs.h"
#include "db/ImportDBModule.h"
#include "support/Log.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
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
    // A connection still being opened is given up; it never reaches this window.
    Attempt.reset();
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
    // "Подключение к ..." while a forward press waits for its connection; a long name is cut,
    // and the buttons keep their places when it goes.
    ConnectingLabel = Named(new QLabel(Panel1), "ConnectingLabel");
    QSizePolicy labelPolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    labelPolicy.setRetainSizeWhenHidden(true);
    ConnectingLabel->setSizePolicy(labelPolicy);
    ConnectingLabel->hide();
    CancelShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    CancelShortcut->setEnabled(false);
    connect(CancelShortcut, &QShortcut::activated, this, [this] { CancelConnecting(); });
    auto* layout = new QHBoxLayout(Panel1);
    layout->setContentsMargins(4, 8, 4, 8);
    layout->addWidget(Button1);
    layout->addSpacing(8);
    layout->addWidget(ConnectingLabel, 1);
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

void TPathraImportForm::Button2Click() {
    if (ConnectionPending()) return;
    const int page = Notebook1->currentIndex();
    if (page == LogPage) {
        close();
        return;
    }
    // The connection pages go on once their connection has opened (ConnectionOpened).
    if (page == 0) {
        StartOpening(Module.ADOConnectionSource, *DBConnectFrame1, false);
        return;
    }
    if (page == 1) {
        StartOpening(Module.ADOConnectionDest, *DBConnectFrame2, ItemCount() == 0);
        return;
    }
    if (page == TitlePage) RunImport();
    if (Notebook1->currentIndex() < LogPage) Notebook1->setCurrentIndex(Notebook1->currentIndex() + 1);
}

void TPathraImportForm::Button3Click() {
    if (ConnectionPending()) return;
    const int page = Notebook1->currentIndex();
    Notebook1->setCurrentIndex(page == LogPage ? TitlePage : std::max(page - 1, 0));
}

void TPathraImportForm::Button1Click() {
    if (ConnectionPending()) {
        CancelConnecting();
        return;
    }
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
    CancelConnecting();
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
