// Creates the database file from the schema when it does not exist yet; an existing file is left alone.
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include "platform/Database.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        QTextStream(stderr) << "usage: velorma_initdb SCHEMA.sql DATABASE\n";
        return 2;
    }
    const QString schemaPath = QString::fromLocal8Bit(argv[1]);
    const QString target = QString::fromLocal8Bit(argv[2]);
    if (QFile::exists(target)) {
        return 0;
    }
    QFile schema(schemaPath);
    if (!schema.open(QIODevice::ReadOnly)) {
        QTextStream(stderr) << "cannot read " << schemaPath << "\n";
        return 1;
    }
    const QString partial = target + QStringLiteral(".new");
    QFile::remove(partial);
    QFile::remove(partial + QStringLiteral(".lock"));
    try {
        QFile(partial).open(QIODevice::WriteOnly);
        Database db;
        if (!db.open(partial, Database::Mode::Exclusive)) {
            QTextStream(stderr) << "cannot open " << partial << "\n";
            return 1;
        }
        db.runScript(QString::fromUtf8(schema.readAll()));
        db.close();
    } catch (const DbError& e) {
        QTextStream(stderr) << e.text() << "\n";
        return 1;
    }
    QFile::remove(partial + QStringLiteral(".lock"));
    return QFile::rename(partial, target) ? 0 : 1;
}
