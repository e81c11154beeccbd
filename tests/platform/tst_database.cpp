#include <QTest>

#include <chrono>
#include <future>
#include <limits>
#include <thread>

#include "platform/Database.h"
#include "tests/support/TestSupport.h"

namespace {

void insertBound(Database& db, FieldType type, const QVariant& value) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pV"), type, value);
    command.exec(QStringLiteral("INSERT INTO tBind (v) VALUES (:pV);"));
}

// Reads the one bound value back through the reader that belongs to its type.
QVariant readBound(Database& db, FieldType type) {
    SqlQuery query(db);
    query.exec(QStringLiteral("SELECT v FROM tBind;"));
    query.next();
    return type == FieldType::String    ? QVariant(query.asString(0))
           : type == FieldType::Integer ? QVariant(query.asInt(QStringLiteral("v")))
           : type == FieldType::Boolean ? QVariant(query.asBool(QStringLiteral("v")))
           : type == FieldType::Float   ? QVariant(query.asFloat(0))
                                        : QVariant(query.asDateTime(0));
}

void addOrg(Database& db, const QString& name) {
    exec(db, QStringLiteral("INSERT INTO tOrg (Name) VALUES ('%1');").arg(name));
}

QStringList orgNames(Database& db, const QString& where = QString()) {
    return rows(db, QStringLiteral("SELECT Name FROM tOrg ") + where + QStringLiteral(" ORDER BY ID;"));
}

// The text of the DbError an action throws, or an empty text when it throws none.
QString refusal(const std::function<void()>& action) {
    try {
        action();
    } catch (const DbError& e) {
        return e.text();
    }
    return QString();
}

constexpr int kHoldMs = 300;

// Our own write while another copy holds its write transaction.
using Write = std::function<void(Database&)>;

}  // namespace

Q_DECLARE_METATYPE(FieldType)
Q_DECLARE_METATYPE(Write)

class TestDatabaseLayer : public DatabaseCase {
    Q_OBJECT

  private slots:
    void init() {
        startCase(m_ui, m_db);
        exec(db(), QStringLiteral("CREATE TABLE tBind (ID INTEGER PRIMARY KEY AUTOINCREMENT, v);"));
    }

    // A value is stored in its column's form and read back as its type, or refused and nothing stored.
    void bindsOrRefusesEachFieldType_data() {
        QTest::addColumn<FieldType>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QVariant>("readBack");
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const auto refused = [](const char* name, FieldType type, const QVariant& value) {
            QTest::newRow(name) << type << value << QStringList() << QVariant();
        };
        const auto row = [](const char* name, FieldType type, const QVariant& value, const char* stored,
                            const QVariant& readBack) {
            QTest::newRow(name) << type << value << QStringList(QString::fromUtf8(stored)) << readBack;
        };
        row("integer from text", FieldType::Integer, QStringLiteral(" -7 "), "integer|-7", -7);
        row("boolean false", FieldType::Boolean, false, "integer|0", false);
        row("boolean from number", FieldType::Boolean, 5, "integer|1", true);
        row("float", FieldType::Float, 1234.5, "real|1234.5", 1234.5);
        // A date or time is stored as text and read back as the date-time that text gives.
        const auto dateRow = [](const char* name, FieldType type, const QVariant& value, const char* stored) {
            QTest::newRow(name) << type << value << QStringList(QStringLiteral("text|") + stored)
                                << QVariant(at(stored));
        };
        dateRow("date keeps its time", FieldType::Date, at("2024-03-05 18:30:15"), "2024-03-05 18:30:15");
        dateRow("date from short text", FieldType::Date, "05.03.2024", "2024-03-05 00:00:00");
        dateRow("time drops the date", FieldType::Time, at("2024-03-05 21:00:00"), "1899-12-30 21:00:00");
        dateRow("time from text", FieldType::Time, "9:05:00", "1899-12-30 09:05:00");
        dateRow("date-time from text", FieldType::DateTime, "05.03.2024 10:20:30", "2024-03-05 10:20:30");
        // No value: NULL, read as the type's zero; but text stays text.
        row("null string", FieldType::String, QVariant(), "text|", QString());
        row("empty string", FieldType::String, QString(""), "text|", QString());
        row("null integer", FieldType::Integer, QVariant(), "null|", 0);
        row("null float", FieldType::Float, QVariant(), "null|", 0.0);
        row("null date-time", FieldType::DateTime, QVariant(), "null|", QDateTime(kZeroDate, QTime(0, 0)));
        refused("word as float", FieldType::Float, "да");
        refused("long word as float", FieldType::Float, QString(100000, QLatin1Char('x')));
        refused("empty text as float", FieldType::Float, "");
        refused("NaN as float", FieldType::Float, nan);
        refused("infinity as float", FieldType::Float, -inf);
        refused("text inf as float", FieldType::Float, "inf");
        refused("word as integer", FieldType::Integer, "abc");
        refused("fraction text as integer", FieldType::Integer, "1,5");
        refused("NaN as integer", FieldType::Integer, nan);
        refused("beyond 32 bits as integer", FieldType::Integer, 2147483647.6);
        refused("text beyond 32 bits as integer", FieldType::Integer, "3000000000");
        refused("word as boolean", FieldType::Boolean, "да");
        refused("word as date", FieldType::Date, "abc");
        refused("impossible date", FieldType::Date, "31.02.2024");
        refused("invalid date", FieldType::Date, QDate());
        refused("year 10000", FieldType::Date, QDate(10000, 1, 1));
        refused("impossible time", FieldType::Time, "25:00:00");
    }
    void bindsOrRefusesEachFieldType() {
        QFETCH(FieldType, type);
        QFETCH(QVariant, value);
        QFETCH(QStringList, stored);
        if (!stored.isEmpty()) {
            insertBound(db(), type, value);
            QTEST(readBound(db(), type), "readBack");
        } else {
            QVERIFY(!refusal([&] { insertBound(db(), type, value); }).isEmpty());
            // A declared parameter refuses a new value the same way, in a short Russian text.
            SqlQuery command(db());
            command.addParam(QStringLiteral("pV"), type, QVariant());
            const QString text = refusal([&] { command.setParamValue(QStringLiteral("pV"), value); });
            QVERIFY2(text.startsWith(QStringLiteral("Значение \"")) && text.size() < 150, qPrintable(text));
        }
        QCOMPARE(rows(db(), QStringLiteral("SELECT typeof(v), v FROM tBind;")), stored);
    }
    // A pattern of many "%" ends at once on a long name: trying every split at each would not end in years.
    void comparesWithoutLetterCase_data() {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("sought");
        QTest::addColumn<QStringList>("found");
        const auto row = [](const char* name, const char* where, const QString& sought, const QStringList& found) {
            QTest::newRow(name) << QString(where) << sought << found;
        };
        row("= latin upper", "=", "ADMIN", {"Admin"});
        row("= yo upper and lower", "=", "ёлкин", {"ЁЛКИН"});
        row("= yo is not ye", "=", "елкин", {});
        row("like one letter", "LIKE", "_ванов", {"Иванов", "ИВАНОВ"});
        row("like yo", "LIKE", "ёж%", {"Ёжиков"});
        row("like whole word only", "LIKE", "ив", {});
        row("like many percents", "LIKE", QString("%а").repeated(20) + "%я%", {QString(300, u'а') + "Я"});
    }
    void comparesWithoutLetterCase() {
        QFETCH(QString, where);
        QFETCH(QString, sought);
        for (const char* name :
             {"Admin", "Иванов", "ИВАНОВ", "ИВАШОВ", "Сивцов", "Петров", "Sport Club", "Ёжиков", "Ежов", "ЁЛКИН"}) {
            addOrg(db(), QString::fromUtf8(name));
        }
        addOrg(db(), QString(300, u'а'));
        addOrg(db(), QString(300, u'а') + "Я");
        QTEST(orgNames(db(), QStringLiteral("WHERE Name %1 '%2'").arg(where, sought)), "found");
    }
    void ordersInRussianAlphabet() {
        const QStringList sorted = {"абрамов", "Борисов",   "Егоров", "Еж",    "Ёж",     "Ёлкин",
                                    "Жуков",   "жуковский", "Эмин",   "юрьев", "Яковлев"};
        for (auto name = sorted.crbegin(); name != sorted.crend(); ++name) {
            addOrg(db(), *name);
        }
        QCOMPARE(rows(db(), QStringLiteral("SELECT Name FROM tOrg ORDER BY Name")), sorted);
    }
    void nestsTransactions_data() {
        QTest::addColumn<bool>("commitInner");
        QTest::addColumn<bool>("commitOuter");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("both committed") << true << true
                                        << QStringList{"внешняя", "внутренняя", "снова внешняя", "после"};
        QTest::newRow("inner rolled back") << false << true << QStringList{"внешняя", "снова внешняя", "после"};
        QTest::newRow("outer left by an exception") << true << false << QStringList{"после"};
    }
    void nestsTransactions() {
        QFETCH(bool, commitInner);
        QFETCH(bool, commitOuter);
        try {
            Transaction outer(db());
            addOrg(db(), QStringLiteral("внешняя"));
            {
                Transaction inner(db());
                addOrg(db(), QStringLiteral("внутренняя"));
                if (commitInner) {
                    inner.commit();
                }
            }
            addOrg(db(), QStringLiteral("снова внешняя"));
            if (!commitOuter) {  // a save that fails halfway leaves by an exception
                exec(db(), QStringLiteral("INSERT INTO tNoSuchTable (x) VALUES (1);"));
            }
            outer.commit();
        } catch (const DbError&) {
            QVERIFY(!commitOuter);
        }
        // The connection writes on its own again after the transaction has ended.
        addOrg(db(), QStringLiteral("после"));
        Database other;
        QVERIFY(other.open(m_db->path()));
        QTEST(orgNames(other), "kept");
    }
    void writerWaitsForAnotherWriter_data() {
        QTest::addColumn<Write>("write");
        QTest::newRow("update while a read is open") << Write([](Database& db) {
            SqlQuery read(db);
            read.exec(QStringLiteral("SELECT ID FROM tOrg WHERE Name='old';"));
            if (read.next()) {
                exec(db, QStringLiteral("UPDATE tOrg SET Name='mine' WHERE ID=%1;").arg(read.asInt(0)));
            }
        });
        QTest::newRow("transaction that reads then writes") << Write([](Database& db) {
            Transaction transaction(db);
            if (execScalar(db, QStringLiteral("SELECT count(*) FROM tOrg")).toInt() > 0) {
                addOrg(db, QStringLiteral("mine"));
            }
            transaction.commit();
        });
    }
    void writerWaitsForAnotherWriter() {
        QFETCH(Write, write);
        addOrg(db(), QStringLiteral("old"));
        std::promise<void> holding;
        {
            // Another copy of the program in the middle of a short write, on a connection and thread of its own.
            const std::future<void> holder = std::async(std::launch::async, [path = m_db->path(), &holding] {
                Database other;
                other.open(path);
                try {
                    Transaction transaction(other);
                    addOrg(other, QStringLiteral("holder"));
                    holding.set_value();
                    std::this_thread::sleep_for(std::chrono::milliseconds(kHoldMs));
                    transaction.commit();
                } catch (const DbError&) {
                    holding.set_exception(std::current_exception());
                }
            });
            holding.get_future().get();
            QCOMPARE(refusal([&] { write(db()); }), QString());
        }
        QCOMPARE(orgNames(db(), QStringLiteral("WHERE Name IN ('holder', 'mine')")).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestDatabaseLayer)
#include "tst_database.moc"
