#pragma once
// Settings files of a test: both registry roots relocated into a fresh temporary folder, and
// direct access to the files, independent of the code under test.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <ostream>

// Texts in failure messages as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

class TRegistryFiles {
public:
    TRegistryFiles();
    ~TRegistryFiles();

    QString UserFile() const;
    QString MachineFile() const;
    // Points the machine's root at a place where nothing can be written.
    void MakeMachineUnwritable();
    void MakeUserUnwritable();

    // keyPath with slashes ("Software/Company/Product/Forms"); absent values read as a null text.
    static QString Value(const QString& file, const QString& keyPath, const QString& subkey, const QString& name);
    static void SetValue(const QString& file, const QString& keyPath, const QString& subkey, const QString& name,
                         const QString& text);
    static QByteArray Text(const QString& file);

private:
    QTemporaryDir Dir;
    QByteArray OldUser, OldMachine;
};

// The process that writes while another does, for the test of simultaneous saves.
int RunWriterProcess(const QString& id);
