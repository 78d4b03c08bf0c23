#pragma once
// The non-visual container of the program's two connections and the queries bound to them.
// Created at start-up before any window, it lives until the program ends; the single
// instance is reachable program-wide through ImportDBModule.

#include "db/ADOConnection.h"
#include "db/ADOQuery.h"

class TImportDBModule {
public:
    TImportDBModule();
    ~TImportDBModule();
    TImportDBModule(const TImportDBModule&) = delete;
    TImportDBModule& operator=(const TImportDBModule&) = delete;

    TADOConnection ADOConnectionSource;
    TADOConnection ADOConnectionDest;
    TADOQuery SourceQuery{&ADOConnectionSource};
    TADOQuery DestQuery{&ADOConnectionDest};
    TADOQuery SourceDictQuery{&ADOConnectionSource};
    TADOQuery DestDictQuery{&ADOConnectionDest};
};

// The program's instance; set by the constructor, cleared by the destructor.
extern TImportDBModule* ImportDBModule;
