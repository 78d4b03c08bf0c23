#pragma once
// The floor an import is measured against: the same rows of the same tables copied by
// INSERT INTO ... SELECT ... from the source file into the destination file (attached), in
// one transaction, without remapping any key. The destination assigns each row's key as the
// import lets it; foreign keys are not checked, since no value is translated.

#include "titles/ImportPlan.h"

#include <QString>

struct TFloorResult {
    long long Rows = 0;
    double Seconds = 0;
};

// Copies, for every table of the plan marked to be copied, the rows its selection names.
// Raises on a database error.
TFloorResult CopyAtFloor(const QString& sourcePath, const QString& destPath, const TImportPlan& plan);
