// Makes the demo database of the embedded engine in its data folder.

#include "demo/suite_database.h"
#include "platform/db/embedded/embedded_provider.h"
#include "platform/error.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Creates a database of the suite with sample data in the embedded engine's data folder "
        "(RP_PANELCTA_DATOS, else \"datos\" beside the program)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("name"),
                                 QStringLiteral("Database name (default DEMO)."));
    const demo::SampleOptions defaults;
    const QCommandLineOption lines(QStringLiteral("lines"), QStringLiteral("Journal lines."),
                                   QStringLiteral("count"), QString::number(defaults.journalLines));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the sample data."),
                                  QStringLiteral("number"), QString::number(defaults.seed));
    parser.addOptions({lines, seed});
    parser.process(application);

    QTextStream out(stdout);
    QTextStream err(stderr);
    demo::SuiteOptions options;
    bool linesValid = false;
    bool seedValid = false;
    options.sample.journalLines = parser.value(lines).toInt(&linesValid);
    options.sample.seed = parser.value(seed).toULongLong(&seedValid);
    if (!linesValid || options.sample.journalLines < 0 || !seedValid) {
        err << "make_demo_db: --lines takes a count and --seed a whole number\n";
        return 2;
    }
    const QStringList names = parser.positionalArguments();
    const QString name = names.isEmpty() ? QStringLiteral("DEMO") : names.first();

    QElapsedTimer timer;
    timer.start();
    try {
        demo::createSuiteDatabase(name, options);
    } catch (const platform::Error &error) {
        err << "make_demo_db: " << name << ": " << error.description() << " (" << error.number()
            << ")\n";
        return 1;
    }
    out << "Created " << name << " in " << platform::db::embedded::dataFolder() << " with "
        << options.sample.journalLines << " journal lines in " << timer.elapsed() / 1000.0
        << " s; log in as " << demo::administratorUser().name << "\n";
    return 0;
}
