#include "cli/TerminalFrontEnd.h"

#include "cli/Interrupt.h"
#include "support/EAbort.h"
#include "support/MessageTexts.h"

namespace {

const QString SaveQuestion = QStringLiteral("Импорт прошел успешно, сохранить?");
const QString ContinueQuestion = QStringLiteral("Операция прервана пользователем. Продолжить?");
const QString KeepCopiedQuestion = QStringLiteral("Сохранить уже перенесенные данные?");

QString BoxTitle(TMsgDlgType type) {
    const QString title = MessageKindTitle(type);
    return title.isEmpty() ? QStringLiteral("road-import") : title;
}

QString ButtonCaption(int answer) {
    switch (answer) {
    case mrYes: return QStringLiteral("Да");
    case mrNo: return QStringLiteral("Нет");
    case mrOk: return QStringLiteral("OK");
    case mrCancel: return QStringLiteral("Отмена");
    case mrIgnore: return QStringLiteral("Игнорировать");
    default: return QString::number(answer);
    }
}

}  // namespace

TTerminalFrontEnd::TTerminalFrontEnd(TConsole& console, const TRunAnswers& answers)
    : Console(console), Answers(answers) {}

int TTerminalFrontEnd::ItemCount() const { return static_cast<int>(Items.size()); }
QString TTerminalFrontEnd::ItemCaption(int index) const { return Items[index].Caption; }
QString TTerminalFrontEnd::ItemSubItem(int index) const {
    const QStringList& subItems = Items[index].SubItems;
    return subItems.isEmpty() ? QString() : subItems.first();
}
bool TTerminalFrontEnd::ItemChecked(int index) const { return Items[index].Checked; }
void TTerminalFrontEnd::SetItemChecked(int index, bool checked) { Items[index].Checked = checked; }
void TTerminalFrontEnd::ClearItems() { Items.clear(); }
void TTerminalFrontEnd::AddItem(const QString& caption, const QStringList& subItems) {
    Items.append(TItem{caption, subItems, false});
}

void TTerminalFrontEnd::ShowBox(const QString& text, TMsgDlgType type) {
    ++MessageCount;
    Console.ErrText(BoxTitle(type) + QStringLiteral(": ") + text);
}

void TTerminalFrontEnd::ShowAnswer(int answer, const QString& reason) {
    Console.ErrText(QStringLiteral("-> ") + ButtonCaption(answer) + QStringLiteral(" (") + reason + QStringLiteral(")"));
}

int TTerminalFrontEnd::MessageDlg(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    ShowBox(text, type);
    if (buttons.testFlag(TMsgDlgBtn::mbIgnore)) return AnswerDuplicateBox();
    if (buttons.testFlag(TMsgDlgBtn::mbOK)) return mrOk;
    const int answer = buttons.testFlag(TMsgDlgBtn::mbNo) ? mrNo : mrCancel;
    ShowAnswer(answer, QStringLiteral("no option answers this box"));
    return answer;
}

int TTerminalFrontEnd::AnswerDuplicateBox() {
    if (!Answers.IgnoreDuplicates) {
        ShowAnswer(mrCancel, QStringLiteral("--on-duplicate cancel"));
        return mrCancel;
    }
    // "Игнорировать" repeats the preparation on the titles still ticked. When the box comes
    // back with the ticks unchanged (a name the destination matches without regard to case),
    // ignoring again would loop for ever: the run is refused instead.
    QVector<bool> ticks;
    for (const TItem& item : Items) ticks.append(item.Checked);
    if (IgnoredBefore && ticks == TicksAtLastIgnore) {
        ShowAnswer(mrCancel, QStringLiteral("the same titles were reported again, ignoring them cannot go on"));
        return mrCancel;
    }
    IgnoredBefore = true;
    TicksAtLastIgnore = ticks;
    ShowAnswer(mrIgnore, QStringLiteral("--on-duplicate ignore"));
    return mrIgnore;
}

int TTerminalFrontEnd::Ask(const QString& message, TMsgDlgType type, TMsgDlgButtons) {
    ShowBox(message, type);
    if (message == SaveQuestion) {
        // An interrupt that came too late for the abort checks still keeps the run unsaved.
        if (InterruptRequested()) {
            StopAsked = true;
            ShowAnswer(mrNo, QStringLiteral("interrupted"));
            return mrNo;
        }
        const int answer = Answers.Save ? mrYes : mrNo;
        SaveDeclined = !Answers.Save;
        ShowAnswer(answer, Answers.Save ? QStringLiteral("--save yes") : QStringLiteral("--save no"));
        return answer;
    }
    if (message == ContinueQuestion || message == KeepCopiedQuestion) {
        StopAsked = true;
        ShowAnswer(mrNo, QStringLiteral("interrupted"));
        return mrNo;
    }
    ShowAnswer(mrNo, QStringLiteral("no option answers this question"));
    return mrNo;
}

void TTerminalFrontEnd::AddMemoLine(const QString& line) { Console.OutLine(line); }

QString TTerminalFrontEnd::ProgressLine() const {
    return Caption + QStringLiteral("  ") + QString::number(ProgressPosition) + QLatin1Char('/') +
           QString::number(ProgressMax);
}

void TTerminalFrontEnd::TableStart(const QString& name, int rows, int tableCount, int tableNumber) {
    ProgressName = name;
    Caption = TableStartCaption(name, rows, tableCount, tableNumber);
    ProgressMax = rows;
    ProgressPosition = 0;
    Console.SetProgress(ProgressLine());
}

void TTerminalFrontEnd::RowProgress(const QString& name, int rowsDone) {
    // A nested copy reports its own table: the line keeps showing the table announced.
    if (name != ProgressName) return;
    ProgressPosition = rowsDone;
    Console.UpdateProgress(ProgressLine());
}

void TTerminalFrontEnd::CheckAbort() {
    // Unlike the window's "Отмена", the request is not dropped when a table starts: an
    // interrupt during the preparation stops the run at its first check.
    if (InterruptRequested()) throw EAbort();
}

void TTerminalFrontEnd::ResetDisplay() {
    Caption = QStringLiteral("Импорт завершен");
    ProgressName.clear();
    ProgressPosition = 0;
    Console.ClearProgress();
}
