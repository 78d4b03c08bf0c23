#pragma once
// Whether an import leaves both databases' catalogues as it found them, however it ends: the
// built road-import between fresh copies of a source and a destination, saved, declined,
// failed (a check of the destination refuses the commit), killed with SIGKILL, and with the
// destination's or the source's session ended by the server in the middle of the copy. The
// catalogues (pg_class, pg_attribute with the dropped columns, pg_index and pg_constraint of
// the schema public) are read before the run, while it is held in the middle of its copy,
// and after it.

#include <QString>
#include <QVector>

struct TEndingCheck {
    QString Ending;
    bool Untouched = false;
    QString Detail;  // what differed, or how the run ended
};

// source and dest: names of databases on the server, copied afresh for every run; titles:
// the keys 1..titles are imported.
QVector<TEndingCheck> CheckCataloguesUntouched(const QString& server, const QString& source, const QString& dest,
                                               int titles, const QString& logFile);
