#pragma once
// The refusal of titles whose names the destination already holds.

#include <QString>

class TADOConnection;
class TTitleFrontEnd;

// The index of the last item whose first sub-item (the title's name) equals name exactly,
// or -1.
int FindTitleItem(const TTitleFrontEnd& list, const QString& name);

// Reads the names of the titles keyed by keyList (a comma list) from the source, asks the
// destination which of them it holds, unticks those items and returns their names, each
// but the last followed by ", " and a carriage return; empty when there is none. Errors of
// the two queries reach the caller.
QString FindDuplicateTitles(TTitleFrontEnd& list, TADOConnection& source, TADOConnection& dest,
                            const QString& keyList);

// The text of the error box that shows the result of FindDuplicateTitles.
QString DuplicateTitlesMessage(const QString& duplicates);
