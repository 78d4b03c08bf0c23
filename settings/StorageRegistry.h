#pragma once
// The process-wide lists of storage managers and storages, so that a storage can find its
// manager and hear when one goes. Created on first use; at program end the managers still
// listed are destroyed.

#include <QList>

class TStorage;
class TStorageManager;

namespace StorageRegistry {

QList<TStorageManager*>& Managers();
void AddManager(TStorageManager* manager);
void RemoveManager(TStorageManager* manager);

void AddStorage(TStorage* storage);
void RemoveStorage(TStorage* storage);

}  // namespace StorageRegistry
