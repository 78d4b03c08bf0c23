#include "cli/TitleSelection.h"

#include "cli/CliOptions.h"
#include "titles/TitleFrontEnd.h"

// A code matches a caption as written, or as the same number ("007" for "7").
static bool CodeMatches(const QString& code, const QString& caption) {
    if (code == caption) return true;
    bool codeIsNumber = false, captionIsNumber = false;
    const qlonglong codeValue = code.toLongLong(&codeIsNumber);
    const qlonglong captionValue = caption.trimmed().toLongLong(&captionIsNumber);
    return codeIsNumber && captionIsNumber && codeValue == captionValue;
}

void TickTitleCodes(TTitleFrontEnd& list, const QStringList& codes) {
    QStringList unknown;
    for (const QString& code : codes) {
        bool found = false;
        for (int i = 0; i < list.ItemCount(); ++i)
            if (CodeMatches(code, list.ItemCaption(i))) {
                list.SetItemChecked(i, true);
                found = true;
            }
        if (!found && !unknown.contains(code)) unknown.append(code);
    }
    if (unknown.size() == 1)
        throw EUsageError(QStringLiteral("the source has no title with the code %1 (see --list-titles)").arg(unknown.first()));
    if (!unknown.isEmpty())
        throw EUsageError(QStringLiteral("the source has no titles with the codes %1 (see --list-titles)")
                              .arg(unknown.join(QStringLiteral(", "))));
}

void TickAllTitles(TTitleFrontEnd& list) {
    for (int i = 0; i < list.ItemCount(); ++i) list.SetItemChecked(i, true);
}
