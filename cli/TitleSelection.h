#pragma once
// Ticking the titles named on the command line in the filled title list.

#include <QStringList>

class TTitleFrontEnd;

// Ticks every item whose caption is one of the codes (the key list then follows the list's
// order, not the codes'). Raises EUsageError naming the codes that no item carries.
void TickTitleCodes(TTitleFrontEnd& list, const QStringList& codes);

// Ticks every item.
void TickAllTitles(TTitleFrontEnd& list);
