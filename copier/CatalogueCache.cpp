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

const TCopyPlan* TCatalogueRunCache::FindPlan(const QString& key) const {
    const auto found = Plans.constFind(key);
    return found == Plans.constEnd() ? nullptr : &found.value();
}

void TCatalogueRunCache::KeepPlan(const QString& key, const TCopyPlan& plan) { Plans.insert(key, plan); }

void TCatalogueRunCache::Keep(const QString& key, const TTableCatalogue& catalogue) { Tables.insert(key, catalogue); }

QString TCatalogueRunCache::KeyOf(const QString& table, const TStringList& matchColumns, bool keyFirst,
                                  const TADOConnection& source, const TADOConnection& dest) {
    // Table names are told apart exactly, as the catalogue statements receive them.
    const QChar bar = QLatin1Char('|');
    return table + bar + matchColumns.Strings().join(QStringLiteral(", ")) + bar + (keyFirst ? QLatin1Char('1') : QLatin1Char('0')) +
           bar + QString::number(reinterpret_cast<quintptr>(&source)) + bar + QString::number(reinterpret_cast<quintptr>(&dest));
}
