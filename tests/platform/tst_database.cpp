#include <QElapsedTimer>
#include <QTest>

#include <chrono>
#include <future>
#include <thread>

#include "platform/Database.h"
#include "tests/support/TestSupport.h"

namespace {

const QString CREATE_BIND_SQL = QStringLiteral("CREATE TABLE tBind (ID INTEGER PRIMARY KEY AUTOINCREMENT, v);");
const QString INSERT_BIND_SQL = QStringLiteral("INSERT INTO tBind (v) VALUES (:pV);");
const QString SELECT_BIND_SQL = QStringLiteral("SELECT typeof(v), v FROM tBind;");
const QString INSERT_ORG_SQL = QStringLiteral("INSERT INTO tOrg (Name) VALUES (:pName);");

const QDateTime kZeroMidnight(kZeroDate, QTime(0, 0));

void insertBound(Database& db, FieldType type, const QVariant& value) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pV"), type, value);
    command.exec(INSERT_BIND_SQL);
}

// Reads the one bound value back through the reader that belongs to its type.
QVariant readBound(Database& db, FieldType type) {
    SqlQuery query(db);
    query.exec(QStringLiteral("SELECT v FROM tBind;"));
    if (!query.next()) {
        return QStringLiteral("<no row>");
    }
    switch (type) {
        case FieldType::String:
            return query.asString(0);
        case FieldType::Integer:
            return query.asInt(0);
        case FieldType::Boolean:
            return query.asBool(QStringLiteral("v"));
        case FieldType::Float:
            return query.asFloat(0);
        case FieldType::Date:
        case FieldType::Time:
        case FieldType::DateTime:
            return query.asDateTime(0);
    }
    return QVariant();
}

void addOrg(Database& db, const QString& name) {
    SqlQuery command(db);
    command.addParam(QStringLiteral("pName"), FieldType::String, name);
    command.exec(INSERT_ORG_SQL);
}

QStringList orgNames(Database& db, const QString& where = QString(), const QString& pattern = QString()) {
    SqlQuery query(db);
    query.addParam(QStringLiteral("pText"), FieldType::String, pattern);
    query.exec(QStringLiteral("SELECT Name FROM tOrg ") + where + QStringLiteral(" ORDER BY ID;"));
    QStringList names;
    while (query.next()) {
        names << query.asString(0);
    }
    return names;
}

// Another copy of the program in the middle of a short write: a second connection on its own thread
// that inserts "holder", keeps its write transaction open for a moment and then commits.
class WriteHolder {
  public:
    static constexpr int kHoldMs = 300;

    explicit WriteHolder(const QString& path) {
        std::promise<bool> holding;
        std::future<bool> started = holding.get_future();
        m_thread = std::thread([path, promise = std::move(holding)]() mutable {
            Database db;
            bool told = false;
            try {
                if (db.open(path)) {
                    Transaction transaction(db);
                    addOrg(db, QStringLiteral("holder"));
                    promise.set_value(true);
                    told = true;
                    std::this_thread::sleep_for(std::chrono::milliseconds(kHoldMs));
                    transaction.commit();
                }
            } catch (const DbError& e) {
                qWarning("holder: %s", qPrintable(e.text()));
            }
            if (!told) {
                promise.set_value(false);
            }
        });
        m_holding = started.get();
    }
    ~WriteHolder() { m_thread.join(); }
    bool holding() const { return m_holding; }

  private:
    std::thread m_thread;
    bool m_holding = false;
};

enum class WriteKind { Plain, AfterOpenRead, ReadThenWriteTransaction };

// Our own write while another copy holds its write transaction.
void writeWhileHeld(Database& db, WriteKind kind) {
    switch (kind) {
        case WriteKind::Plain:
            addOrg(db, QStringLiteral("mine"));
            break;
        case WriteKind::AfterOpenRead: {
            SqlQuery read(db);
            read.exec(QStringLiteral("SELECT ID FROM tOrg WHERE Name='old';"));
            if (read.next()) {
                SqlQuery(db).exec(QStringLiteral("UPDATE tOrg SET Name='mine' WHERE ID=%1;").arg(read.asInt(0)));
            }
            break;
        }
        case WriteKind::ReadThenWriteTransaction: {
            Transaction transaction(db);
            if (execScalar(db, QStringLiteral("SELECT count(*) FROM tOrg")).toInt() > 0) {
                addOrg(db, QStringLiteral("mine"));
            }
            transaction.commit();
            break;
        }
    }
}

}  // namespace

Q_DECLARE_METATYPE(FieldType)
Q_DECLARE_METATYPE(WriteKind)

class TestDatabaseLayer : public QObject {
    Q_OBJECT

  private slots:
    void init();
    void cleanup();

    void bindsEachFieldType_data();
    void bindsEachFieldType();
    void refusesValueOfWrongType_data();
    void refusesValueOfWrongType();
    void readsNullAsZeroOrEmpty();
    void bindsNullValueAsNull_data();
    void bindsNullValueAsNull();
    void keepsCyrillicText();
    void comparesWithoutLetterCase_data();
    void comparesWithoutLetterCase();
    void likeIgnoresLetterCase_data();
    void likeIgnoresLetterCase();
    void ordersInRussianAlphabet();
    void commitsTransaction();
    void rollsBackTransactionLeftWithoutCommit();
    void rollsBackTransactionOnException();
    void nestsTransactions_data();
    void nestsTransactions();
    void writerWaitsForAnotherWriter_data();
    void writerWaitsForAnotherWriter();

  private:
    std::unique_ptr<FakeUi> m_ui;
    std::unique_ptr<TestDatabase> m_db;
};

void TestDatabaseLayer::init() {
    pinRussianLocale();
    m_ui = std::make_unique<FakeUi>();
    m_db = std::make_unique<TestDatabase>();
    SqlQuery(m_db->db).exec(CREATE_BIND_SQL);
}

void TestDatabaseLayer::cleanup() {
    m_db.reset();
    m_ui.reset();
}

void TestDatabaseLayer::bindsEachFieldType_data() {
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("storedKind");
    QTest::addColumn<QString>("storedText");
    QTest::addColumn<QVariant>("readBack");

    const QDate day(2024, 3, 5);
    QTest::newRow("string") << FieldType::String << QVariant(QStringLiteral("Бассейн №1")) << "text"
                            << "Бассейн №1" << QVariant(QStringLiteral("Бассейн №1"));
    QTest::newRow("string empty") << FieldType::String << QVariant(QStringLiteral("")) << "text"
                                  << "" << QVariant(QString());
    QTest::newRow("integer") << FieldType::Integer << QVariant(42) << "integer"
                             << "42" << QVariant(42);
    QTest::newRow("integer from text") << FieldType::Integer << QVariant(QStringLiteral(" -7 ")) << "integer"
                                       << "-7" << QVariant(-7);
    QTest::newRow("boolean true") << FieldType::Boolean << QVariant(true) << "integer"
                                  << "1" << QVariant(true);
    QTest::newRow("boolean false") << FieldType::Boolean << QVariant(false) << "integer"
                                   << "0" << QVariant(false);
    QTest::newRow("boolean from number") << FieldType::Boolean << QVariant(5) << "integer"
                                         << "1" << QVariant(true);
    QTest::newRow("float") << FieldType::Float << QVariant(1234.5) << "real"
                           << "1234.5" << QVariant(1234.5);
    QTest::newRow("float russian text") << FieldType::Float << QVariant(QStringLiteral("12,25")) << "real"
                                        << "12.25" << QVariant(12.25);
    QTest::newRow("float whole") << FieldType::Float << QVariant(3) << "real"
                                 << "3" << QVariant(3.0);
    QTest::newRow("date") << FieldType::Date << QVariant(day) << "text"
                          << "2024-03-05 00:00:00" << QVariant(QDateTime(day, QTime(0, 0)));
    QTest::newRow("date keeps its time") << FieldType::Date << QVariant(QDateTime(day, QTime(18, 30, 15))) << "text"
                                         << "2024-03-05 18:30:15" << QVariant(QDateTime(day, QTime(18, 30, 15)));
    QTest::newRow("date from short text") << FieldType::Date << QVariant(QStringLiteral("05.03.2024")) << "text"
                                          << "2024-03-05 00:00:00" << QVariant(QDateTime(day, QTime(0, 0)));
    QTest::newRow("time") << FieldType::Time << QVariant(QTime(7, 45)) << "text"
                          << "1899-12-30 07:45:00" << QVariant(QDateTime(kZeroDate, QTime(7, 45)));
    QTest::newRow("time drops the date") << FieldType::Time << QVariant(QDateTime(day, QTime(21, 0))) << "text"
                                         << "1899-12-30 21:00:00" << QVariant(QDateTime(kZeroDate, QTime(21, 0)));
    QTest::newRow("time from text") << FieldType::Time << QVariant(QStringLiteral("9:05:00")) << "text"
                                    << "1899-12-30 09:05:00" << QVariant(QDateTime(kZeroDate, QTime(9, 5)));
    QTest::newRow("date-time") << FieldType::DateTime << QVariant(QDateTime(day, QTime(23, 59, 59))) << "text"
                               << "2024-03-05 23:59:59" << QVariant(QDateTime(day, QTime(23, 59, 59)));
    QTest::newRow("date-time from text") << FieldType::DateTime << QVariant(QStringLiteral("05.03.2024 10:20:30"))
                                         << "text"
                                         << "2024-03-05 10:20:30" << QVariant(QDateTime(day, QTime(10, 20, 30)));
}

void TestDatabaseLayer::bindsEachFieldType() {
    QFETCH(FieldType, type);
    QFETCH(QVariant, value);
    QFETCH(QString, storedKind);
    QFETCH(QString, storedText);
    QFETCH(QVariant, readBack);

    insertBound(m_db->db, type, value);
    QCOMPARE(rows(m_db->db, SELECT_BIND_SQL), QStringList(storedKind + QLatin1Char('|') + storedText));
    const QVariant read = readBound(m_db->db, type);
    if (readBack.typeId() == QMetaType::QDateTime) {
        QCOMPARE(read.toDateTime(), readBack.toDateTime());
    } else {
        QCOMPARE(read, readBack);
    }
}

void TestDatabaseLayer::refusesValueOfWrongType_data() {
    QTest::addColumn<FieldType>("type");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("word as float") << FieldType::Float << QVariant(QStringLiteral("да"));
    QTest::newRow("empty text as float") << FieldType::Float << QVariant(QStringLiteral(""));
    QTest::newRow("word as integer") << FieldType::Integer << QVariant(QStringLiteral("abc"));
    QTest::newRow("fraction text as integer") << FieldType::Integer << QVariant(QStringLiteral("1,5"));
    QTest::newRow("word as boolean") << FieldType::Boolean << QVariant(QStringLiteral("да"));
    QTest::newRow("word as date") << FieldType::Date << QVariant(QStringLiteral("abc"));
    QTest::newRow("impossible date") << FieldType::Date << QVariant(QStringLiteral("31.02.2024"));
    QTest::newRow("word as date-time") << FieldType::DateTime << QVariant(QStringLiteral("вчера"));
    QTest::newRow("impossible time") << FieldType::Time << QVariant(QStringLiteral("25:00:00"));
}

void TestDatabaseLayer::refusesValueOfWrongType() {
    QFETCH(FieldType, type);
    QFETCH(QVariant, value);

    QVERIFY_THROWS_EXCEPTION(DbError, insertBound(m_db->db, type, value));
    QCOMPARE(scalar(m_db->db, QStringLiteral("SELECT count(*) FROM tBind")).toInt(), 0);

    // A declared parameter refuses a new value the same way and keeps the statement from running.
    SqlQuery command(m_db->db);
    command.addParam(QStringLiteral("pV"), type, QVariant());
    QVERIFY_THROWS_EXCEPTION(DbError, command.setParamValue(QStringLiteral("pV"), value));
    QCOMPARE(scalar(m_db->db, QStringLiteral("SELECT count(*) FROM tBind")).toInt(), 0);
}

void TestDatabaseLayer::readsNullAsZeroOrEmpty() {
    SqlQuery(m_db->db).exec(QStringLiteral("INSERT INTO tBind (v) VALUES (NULL);"));
    SqlQuery query(m_db->db);
    query.exec(QStringLiteral("SELECT v FROM tBind;"));
    QVERIFY(query.next());
    QCOMPARE(query.asInt(0), 0);
    QCOMPARE(query.asInt(QStringLiteral("v")), 0);
    QCOMPARE(query.asFloat(0), 0.0);
    QCOMPARE(query.asString(0), QString());
    QVERIFY(!query.asBool(QStringLiteral("v")));
    QCOMPARE(query.asDateTime(0), kZeroMidnight);
}

void TestDatabaseLayer::bindsNullValueAsNull_data() {
    QTest::addColumn<FieldType>("type");
    QTest::newRow("integer") << FieldType::Integer;
    QTest::newRow("boolean") << FieldType::Boolean;
    QTest::newRow("float") << FieldType::Float;
    QTest::newRow("date") << FieldType::Date;
    QTest::newRow("time") << FieldType::Time;
    QTest::newRow("date-time") << FieldType::DateTime;
}

void TestDatabaseLayer::bindsNullValueAsNull() {
    QFETCH(FieldType, type);
    insertBound(m_db->db, type, QVariant());
    QCOMPARE(rows(m_db->db, SELECT_BIND_SQL), QStringList(QStringLiteral("null|")));
}

void TestDatabaseLayer::keepsCyrillicText() {
    const QString text = QStringLiteral("Ёжиков Пётр «Спортивный клуб» — ЪЫЬ эюя");
    addOrg(m_db->db, text);
    QCOMPARE(orgNames(m_db->db), QStringList(text));
    QCOMPARE(scalar(m_db->db, QStringLiteral("SELECT length(Name) FROM tOrg")).toInt(), text.size());
}

void TestDatabaseLayer::comparesWithoutLetterCase_data() {
    QTest::addColumn<QString>("sought");
    QTest::addColumn<QStringList>("found");

    QTest::newRow("latin lower") << "admin" << QStringList{"Admin"};
    QTest::newRow("latin upper") << "ADMIN" << QStringList{"Admin"};
    QTest::newRow("cyrillic lower") << "иванов" << QStringList{"Иванов", "ИВАНОВ"};
    QTest::newRow("cyrillic mixed") << "иВаНоВ" << QStringList{"Иванов", "ИВАНОВ"};
    QTest::newRow("yo upper and lower") << "ёлкин" << QStringList{"ЁЛКИН"};
    QTest::newRow("yo is not ye") << "елкин" << QStringList{};
    QTest::newRow("prefix is not equal") << "иван" << QStringList{};
}

void TestDatabaseLayer::comparesWithoutLetterCase() {
    QFETCH(QString, sought);
    QFETCH(QStringList, found);
    for (const QString& name : QStringList{"Admin", "Иванов", "ИВАНОВ", "Петров", "ЁЛКИН"}) {
        addOrg(m_db->db, name);
    }
    QCOMPARE(orgNames(m_db->db, QStringLiteral("WHERE Name=:pText"), sought), found);

    SqlQuery login(m_db->db);
    login.addParam(QStringLiteral("pLogin"), FieldType::String, sought);
    login.exec(QStringLiteral("SELECT count(*) FROM tUserApl WHERE name=:pLogin;"));
    QVERIFY(login.next());
    QCOMPARE(login.asInt(0), sought.compare(QStringLiteral("admin"), Qt::CaseInsensitive) == 0 ? 1 : 0);
}

void TestDatabaseLayer::likeIgnoresLetterCase_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("found");

    QTest::newRow("cyrillic start") << "ив%" << QStringList{"Иванов", "ИВАШОВ"};
    QTest::newRow("cyrillic anywhere") << "%ив%" << QStringList{"Иванов", "ИВАШОВ", "Сивцов"};
    QTest::newRow("cyrillic upper pattern") << "%ИВА%" << QStringList{"Иванов", "ИВАШОВ"};
    QTest::newRow("one letter") << "_ванов" << QStringList{"Иванов"};
    QTest::newRow("latin") << "%SPORT%" << QStringList{"Sport Club"};
    QTest::newRow("yo") << "ёж%" << QStringList{"Ёжиков"};
    QTest::newRow("whole word only") << "ив" << QStringList{};
}

void TestDatabaseLayer::likeIgnoresLetterCase() {
    QFETCH(QString, pattern);
    QFETCH(QStringList, found);
    for (const QString& name : QStringList{"Иванов", "ИВАШОВ", "Сивцов", "Петров", "Sport Club", "Ёжиков", "Ежов"}) {
        addOrg(m_db->db, name);
    }
    QCOMPARE(orgNames(m_db->db, QStringLiteral("WHERE Name LIKE :pText"), pattern), found);
}

void TestDatabaseLayer::ordersInRussianAlphabet() {
    const QStringList sorted = {"абрамов", "Борисов",   "Егоров", "Еж",    "Ёж",     "Ёлкин",
                                "Жуков",   "жуковский", "Эмин",   "юрьев", "Яковлев"};
    for (const QString& name : QStringList{"Яковлев", "Ёлкин", "Жуков", "Эмин", "Ёж", "абрамов", "юрьев", "Егоров",
                                           "Борисов", "жуковский", "Еж"}) {
        addOrg(m_db->db, name);
    }
    QCOMPARE(rows(m_db->db, QStringLiteral("SELECT Name FROM tOrg ORDER BY Name")), sorted);
    QStringList descending = sorted;
    std::reverse(descending.begin(), descending.end());
    QCOMPARE(rows(m_db->db, QStringLiteral("SELECT Name FROM tOrg ORDER BY Name DESC")), descending);
}

void TestDatabaseLayer::commitsTransaction() {
    {
        Transaction transaction(m_db->db);
        addOrg(m_db->db, QStringLiteral("Первая"));
        addOrg(m_db->db, QStringLiteral("Вторая"));
        transaction.commit();
    }
    Database other;
    QVERIFY(other.open(m_db->path()));
    QCOMPARE(orgNames(other), QStringList({"Первая", "Вторая"}));
}

void TestDatabaseLayer::rollsBackTransactionLeftWithoutCommit() {
    addOrg(m_db->db, QStringLiteral("До"));
    {
        Transaction transaction(m_db->db);
        addOrg(m_db->db, QStringLiteral("Брошенная"));
    }
    QCOMPARE(orgNames(m_db->db), QStringList(QStringLiteral("До")));
    addOrg(m_db->db, QStringLiteral("После"));
    Database other;
    QVERIFY(other.open(m_db->path()));
    QCOMPARE(orgNames(other), QStringList({"До", "После"}));
}

void TestDatabaseLayer::rollsBackTransactionOnException() {
    auto failingSave = [this] {
        Transaction transaction(m_db->db);
        addOrg(m_db->db, QStringLiteral("Половина"));
        SqlQuery(m_db->db).exec(QStringLiteral("INSERT INTO tNoSuchTable (x) VALUES (1);"));
        transaction.commit();
    };
    QVERIFY_THROWS_EXCEPTION(DbError, failingSave());
    QCOMPARE(orgNames(m_db->db), QStringList());
}

void TestDatabaseLayer::nestsTransactions_data() {
    QTest::addColumn<bool>("commitInner");
    QTest::addColumn<bool>("commitOuter");
    QTest::addColumn<QStringList>("kept");

    QTest::newRow("both committed") << true << true << QStringList{"внешняя", "внутренняя", "снова внешняя"};
    QTest::newRow("inner rolled back") << false << true << QStringList{"внешняя", "снова внешняя"};
    QTest::newRow("outer rolled back") << true << false << QStringList{};
    QTest::newRow("both rolled back") << false << false << QStringList{};
}

void TestDatabaseLayer::nestsTransactions() {
    QFETCH(bool, commitInner);
    QFETCH(bool, commitOuter);
    QFETCH(QStringList, kept);
    {
        Transaction outer(m_db->db);
        addOrg(m_db->db, QStringLiteral("внешняя"));
        {
            Transaction inner(m_db->db);
            addOrg(m_db->db, QStringLiteral("внутренняя"));
            if (commitInner) {
                inner.commit();
            }
        }
        addOrg(m_db->db, QStringLiteral("снова внешняя"));
        if (commitOuter) {
            outer.commit();
        }
    }
    Database other;
    QVERIFY(other.open(m_db->path()));
    QCOMPARE(orgNames(other), kept);
}

void TestDatabaseLayer::writerWaitsForAnotherWriter_data() {
    QTest::addColumn<WriteKind>("kind");
    QTest::newRow("plain insert") << WriteKind::Plain;
    QTest::newRow("update while a read is open") << WriteKind::AfterOpenRead;
    QTest::newRow("transaction that reads then writes") << WriteKind::ReadThenWriteTransaction;
}

void TestDatabaseLayer::writerWaitsForAnotherWriter() {
    QFETCH(WriteKind, kind);
    addOrg(m_db->db, QStringLiteral("old"));

    QElapsedTimer clock;
    {
        WriteHolder holder(m_db->path());
        QVERIFY(holder.holding());
        clock.start();
        try {
            writeWhileHeld(m_db->db, kind);
        } catch (const DbError& e) {
            QFAIL(qPrintable(e.text()));
        }
    }
    // The write went through only after the holder had committed, so it waited.
    QVERIFY2(clock.elapsed() >= WriteHolder::kHoldMs / 2, qPrintable(QString::number(clock.elapsed())));
    const QStringList names = orgNames(m_db->db);
    QVERIFY(names.contains(QStringLiteral("holder")));
    QVERIFY(names.contains(QStringLiteral("mine")));
}

QTEST_GUILESS_MAIN(TestDatabaseLayer)
#include "tst_database.moc"
