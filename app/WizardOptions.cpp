#include "app/WizardOptions.h"

#include "db/BackendRegistry.h"

namespace {

void CheckConnectionOption(const QString& option, const QString& value) {
    if (value.trimmed().isEmpty()) throw EWizardUsage(option + QStringLiteral(": the connection string is empty"));
    try {
        BackendOf(ParseConnectionString(value));
    } catch (const Exception& error) {
        throw EWizardUsage(option + QStringLiteral(": ") + error.message());
    }
}

}  // namespace

TWizardOptions ParseWizardArguments(const QStringList& arguments) {
    TWizardOptions options;
    for (int i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        QString value;
        bool hasValue = false;
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        if (name.startsWith(QLatin1String("--")) && equals > 0) {
            value = name.mid(equals + 1);
            name = name.left(equals);
            hasValue = true;
        }
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            options.Help = true;
            continue;
        }
        QString* target = name == QLatin1String("--source") ? &options.Source
                          : name == QLatin1String("--dest") ? &options.Dest
                                                            : nullptr;
        if (!target) throw EWizardUsage(QStringLiteral("unknown argument \"%1\"").arg(arguments[i]));
        if (!hasValue) {
            if (i + 1 >= arguments.size()) throw EWizardUsage(name + QStringLiteral(" needs a connection string"));
            value = arguments[++i];
        }
        if (!target->isNull()) throw EWizardUsage(name + QStringLiteral(" is given twice"));
        CheckConnectionOption(name, value);
        *target = value;
    }
    return options;
}

QString WizardUsageText() {
    return QStringLiteral(
        "Usage: road-import-wizard [--source CONN] [--dest CONN]\n"
        "Opens the import wizard. --source and --dest fill the source and the destination page\n"
        "from an OLE DB connection string, for example\n"
        "  \"Provider=SQLite;Location=/path/source.db\"\n"
        "  \"Provider=SQLOLEDB.1;Data Source=host;Initial Catalog=Road;Integrated Security=SSPI\"\n"
        "  \"Provider=PostgreSQL OLE DB Provider;Data Source=host:5432;Location=road;User ID=u;Password=p\"\n");
}
