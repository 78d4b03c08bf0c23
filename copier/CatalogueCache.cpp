#include "copier/CatalogueCache.h"

namespace {
TCatalogueRunCache* CurrentCache = nullptr;
}

TCatalogueRunCache::TCatalogueRunCache() : Previous(CurrentCache) { CurrentCache = this; }

TCatalogueRunCache::~TCatalogueRunCache() { CurrentCache = Previous; }

TCatalogueRunCache* TCatalogueRunCache::Current() { return CurrentCache; }

const TTableCatalogue* TCatalogueRunCache::Find(const QString& key) const {
    const auto found = Tables.constFind(key);
    return found == Tables.constEnd() ? nullptr : &found.value();
}

void TCatalogueRunCache::Keep(const QString& key, const TTableCatalogue& catalogue) { Tables.insert(key, catalogue); }

QString TCatalogueRunCache::KeyOf(const QString& table, const TStringList& matchColumns, bool keyFirst,
                                  const TADOConnection& source, const TADOConnection& dest) {
    // Table names are told apart exactly, as the catalogue statements receive them.
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(table, matchColumns.Strings().join(QStringLiteral(", ")), keyFirst ? QStringLiteral("1") : QStringLiteral("0"))
        .arg(reinterpret_cast<quintptr>(&source))
        .arg(reinterpret_cast<quintptr>(&dest));
}
