#include "settings/StorageRegistry.h"

#include "settings/Storage.h"
#include "settings/StorageManager.h"

namespace {

struct TLists {
    QList<TStorageManager*> Managers;
    QList<TStorage*> Storages;
    bool Closing = false;

    ~TLists() {
        Closing = true;
        // A manager deletes itself from the list as it goes.
        while (!Managers.isEmpty()) delete Managers.first();
    }
};

TLists& Lists() {
    static TLists lists;
    return lists;
}

}  // namespace

namespace StorageRegistry {

QList<TStorageManager*>& Managers() { return Lists().Managers; }

void AddManager(TStorageManager* manager) { Lists().Managers.append(manager); }

void RemoveManager(TStorageManager* manager) {
    TLists& lists = Lists();
    lists.Managers.removeAll(manager);
    if (lists.Closing) return;
    for (TStorage* storage : std::as_const(lists.Storages)) storage->ManagerRemoved();
}

void AddStorage(TStorage* storage) { Lists().Storages.append(storage); }

void RemoveStorage(TStorage* storage) { Lists().Storages.removeAll(storage); }

}  // namespace StorageRegistry
