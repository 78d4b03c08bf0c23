#include "common/QuietFrontEnd.h"

#include <cstdio>

void TQuietFrontEnd::TickTitles(const QSet<int>& keys) {
    for (TItem& item : Items) item.Checked = keys.contains(item.Caption.toInt());
}

void TQuietFrontEnd::AddItem(const QString& caption, const QStringList& subItems) {
    Items.append(TItem{caption, subItems.value(0), false});
}

int TQuietFrontEnd::MessageDlg(const QString& text, TMsgDlgType, TMsgDlgButtons) {
    std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    return mrCancel;
}

void TQuietFrontEnd::AddMemoLine(const QString& line) {
    if (line.startsWith(QStringLiteral("Не удалось добавить запись"))) ++FailedRows;
}
