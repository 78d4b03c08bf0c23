#pragma once
// The text of road-import --help.

#include <QString>

QString CliHelpText();
