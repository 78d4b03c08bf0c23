#pragma once
// Texts that every front end gives its messages the same way.

#include "support/MessageKinds.h"

#include <QString>

// The title of a message box of this kind ("Ошибка", "Подтверждение", "Предупреждение",
// "Информация"); empty for a custom box, whose title is the front end's own.
QString MessageKindTitle(TMsgDlgType type);

// An error text as a message box shows it: "." appended unless it ends in punctuation.
QString WithClosingPunctuation(const QString& message);
