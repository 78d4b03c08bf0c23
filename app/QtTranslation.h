#pragma once
// Qt's own texts (standard buttons, context menus, the file chooser) in the window's language.

class QTranslator;

// Loads Qt's Russian translation from Qt's translations folder and installs it on the
// application. Returns the installed translator (owned by the application), or nullptr when
// the translation is not there (Qt's texts then stay in English).
QTranslator* InstallQtTranslation();
