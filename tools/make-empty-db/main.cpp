// Builds the empty saved-tracks table that the installer ships:
// make-empty-db SCHEMA.sql OUTPUT.db
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-empty-db SCHEMA.sql OUTPUT.db\n");
        return 2;
    }
    QFile schema(QString::fromLocal8Bit(argv[1]));
    if (!schema.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString output = QString::fromLocal8Bit(argv[2]);
    QFile::remove(output);
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
        db.setDatabaseName(output);
        ok = db.open();
        for (const QString &statement : QString::fromUtf8(schema.readAll()).split(u';', Qt::SkipEmptyParts)) {
            if (!ok || statement.trimmed().isEmpty())
                continue;
            QSqlQuery query(db);
            if (!query.exec(statement)) {
                std::fprintf(stderr, "%s\n", qPrintable(query.lastError().text()));
                ok = false;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QString::fromLatin1(QSqlDatabase::defaultConnection));
    return ok ? 0 : 1;
}
