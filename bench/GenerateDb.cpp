// Writes a database of a complex that has worked ten years: 100 000 clients, 200 000 cards,
// 2 000 000 visits, 1 000 000 events, prices changing a few times a year. Same seed, same file.
#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTextStream>

#include <random>

#include "platform/Database.h"

namespace {

const QString INSERT_USER_SQL =
    QStringLiteral("INSERT INTO tUserApl (name, passw, koment, uroven) VALUES (:a, '', :b, 2)");
const QString INSERT_HALL_SQL = QStringLiteral("INSERT INTO tZal (NameZal, CountMest, info) VALUES (:a, :b, '')");
const QString INSERT_BAND_SQL =
    QStringLiteral("INSERT INTO tPeriodCena (ID_Zal, TimeBegin, TimeEnd) VALUES (:a, :b, :c)");
const QString INSERT_SPORT_SQL = QStringLiteral("INSERT INTO tVidSport (NameVidSp, info) VALUES (:a, '')");
const QString INSERT_TYPECEN_SQL = QStringLiteral(
    "INSERT INTO tTypeCen (Name, KolvoSeans, StrahSumma, Zal_ID, VidSportaID) VALUES (:a, :b, 50, :c, :d)");
const QString INSERT_PRICE_SQL = QStringLiteral(
    "INSERT INTO tCenaSeans (ID_Period, ID_TypeCen, DateSet, Cena, StrahVosn) VALUES (:a, :b, :c, :d, 30)");
const QString INSERT_ORG_SQL = QStringLiteral("INSERT INTO tOrg (Name, info) VALUES (:a, :b)");
const QString INSERT_CONTRACT_SQL = QStringLiteral("INSERT INTO tRezOrg (Num, ID_Org, Summa) VALUES (:a, :b, :c)");
const QString INSERT_CLIENT_SQL = QStringLiteral(
    "INSERT INTO tClient (Family, Name, Otchestvo, Sex, Birthday, Adres) VALUES (:a, :b, :c, :d, :e, :f)");
const QString INSERT_CARD_SQL = QStringLiteral(
    "INSERT INTO tCard (DateRec, Num, TypeCard, DateOpen, DateClose, ID_Client, ID_Org, SumCard, StrahVosn, "
    "ID_TypeCen) VALUES (:a, :b, :c, :a, :d, :e, :f, :g, 30, :h)");
const QString INSERT_VISIT_SQL =
    QStringLiteral("INSERT INTO tWorkGurnal (DateWork, ID_Zal, ID_Card, Cena, ID_USER) VALUES (:a, :b, :c, :d, :e)");
const QString INSERT_EVENT_SQL =
    QStringLiteral("INSERT INTO tListActionUsers (dt_action, id_user, kod_action, ActionStr) VALUES (:a, :b, :c, :d)");

constexpr int kUsers = 10;
constexpr int kHalls = 8;
constexpr int kBandsPerHall = 3;
constexpr int kSports = 15;
constexpr int kPriceTypes = 20;
constexpr int kPriceChangesPerYear = 4;
constexpr int kOrgs = 2000;
constexpr int kContracts = 10000;
constexpr int kClients = 100000;
constexpr int kCards = 200000;
constexpr int kVisits = 2000000;
constexpr int kEvents = 1000000;
constexpr int kYears = 10;
const QList<int> kSubscriptionDays = {30, 30, 90, 180};
const QDate kFirstDay(2016, 1, 1);

const QStringList kMaleFamilies =
    QString::fromUtf8(
        "Иванов Смирнов Кузнецов Попов Васильев Петров Соколов Михайлов Новиков Фёдоров Морозов Волков Алексеев "
        "Лебедев "
        "Семёнов Егоров Павлов Козлов Степанов Николаев Орлов Андреев Макаров Никитин Захаров Зайцев Соловьёв Борисов "
        "Яковлев Григорьев Романов Воробьёв Сергеев Кузьмин Фролов Александров Дмитриев Королёв Гусев Киселёв Ильин "
        "Максимов Поляков Сорокин Виноградов Ковалёв Белов Медведев Антонов Тарасов Жуков Баранов Филиппов Комаров")
        .split(QLatin1Char(' '));
const QStringList kMaleNames =
    QString::fromUtf8(
        "Александр Алексей Андрей Антон Артём Борис Вадим Василий Виктор Владимир Дмитрий Евгений Иван Игорь Илья "
        "Кирилл Максим Михаил Никита Николай Олег Павел Роман Сергей Степан Юрий Ярослав")
        .split(QLatin1Char(' '));
const QStringList kFemaleNames =
    QString::fromUtf8(
        "Анна Алёна Валентина Вера Галина Дарья Екатерина Елена Ирина Ксения Людмила Марина Мария Наталья Ольга "
        "Полина Светлана Татьяна Юлия Яна")
        .split(QLatin1Char(' '));
const QStringList kFathers =
    QString::fromUtf8(
        "Александров Алексеев Андреев Борисов Васильев Викторов Владимиров Дмитриев Евгеньев Иванов Игорев Михайлов "
        "Николаев Олегов Павлов Петров Сергеев Юрьев")
        .split(QLatin1Char(' '));
const QStringList kStreets =
    QString::fromUtf8("Ленина Гагарина Мира Советская Садовая Лесная Школьная Набережная Победы Пушкина")
        .split(QLatin1Char(' '));
const QStringList kHallNames =
    QString::fromUtf8(
        "Бассейн;Малый бассейн;Тренажерный зал;Зал аэробики;Зал единоборств;Теннисный корт;Сауна;Игровой зал")
        .split(QLatin1Char(';'));
const QStringList kSportNames =
    QString::fromUtf8(
        "Плавание;Аквааэробика;Фитнес;Йога;Бокс;Дзюдо;Теннис;Волейбол;Баскетбол;Пилатес;Стретчинг;Карате;Самбо;"
        "Силовая тренировка;Детское плавание")
        .split(QLatin1Char(';'));
const QStringList kOrgWords =
    QString::fromUtf8(
        "Вектор Альфа Ромашка Восход Гарант Импульс Меридиан Прогресс Сигма Старт Техно Успех Феникс Эталон Янтарь")
        .split(QLatin1Char(' '));
const QStringList kEventTexts =
    QString::fromUtf8(
        "Запуск программы;Завершение программы;Запись карты № %1;Изменение карты № %1;Посещение по карте № %1")
        .split(QLatin1Char(';'));

class Generator {
  public:
    explicit Generator(Database& db) : m_db(db) {
        for (int day = 0; day <= kYears * 366; ++day) {
            m_days << kFirstDay.addDays(day).toString(QStringLiteral("yyyy-MM-dd"));
        }
    }

    void run() {
        SqlQuery(m_db).exec(QStringLiteral("PRAGMA cache_size=-262144"));  // 256 MiB: fewer spills mid-transaction
        Transaction transaction(m_db);
        step("users", [this] { users(); });
        step("halls, bands, sports, prices", [this] { halls(); });
        step("organisations, contracts", [this] { orgs(); });
        step("clients", [this] { clients(); });
        step("cards", [this] { cards(); });
        step("visits", [this] { visits(); });
        step("events", [this] { events(); });
        transaction.commit();
    }

  private:
    template <class Step>
    void step(const char* what, Step body) {
        QElapsedTimer timer;
        timer.start();
        body();
        QTextStream(stdout) << what << ": " << timer.elapsed() << " ms" << Qt::endl;
    }

    // A statement prepared once and run for every row.
    QSqlQuery prepare(const QString& sql) { return SqlQuery(m_db).prepared(sql); }
    static void run(QSqlQuery& query, const QVariantList& values) {
        static const char* const names[] = {":a", ":b", ":c", ":d", ":e", ":f", ":g", ":h"};
        for (int i = 0; i < values.size(); ++i) {
            query.bindValue(QString::fromLatin1(names[i]), values.at(i));
        }
        if (!query.exec()) {
            throw DbError(QStringLiteral("insert failed"), query.lastQuery());
        }
    }

    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    template <class List>
    const auto& pick(const List& list) {
        return list.at(between(0, int(list.size()) - 1));
    }
    int lastDay() const { return int(m_days.size()) - 1; }
    QString dateTime(int day, int seconds) const {
        return m_days.at(day) + QString::asprintf(" %02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
    }
    QString openHours() { return dateTime(0, between(7 * 3600, 22 * 3600)).mid(10); }

    void users() {
        QSqlQuery insert = prepare(INSERT_USER_SQL);
        for (int user = 2; user <= kUsers; ++user) {
            run(insert, {QStringLiteral("Кассир %1").arg(user), QStringLiteral("смена %1").arg(user % 2 + 1)});
        }
    }

    void halls() {
        QSqlQuery hall = prepare(INSERT_HALL_SQL);
        QSqlQuery band = prepare(INSERT_BAND_SQL);
        const int bounds[] = {7, 12, 17, 23};
        for (int id = 1; id <= kHalls; ++id) {
            run(hall, {kHallNames.at(id - 1), between(10, 60)});
            for (int b = 0; b < kBandsPerHall; ++b) {
                run(band, {id, QStringLiteral("1899-12-30 %1:00:00").arg(bounds[b], 2, 10, QLatin1Char('0')),
                           QStringLiteral("1899-12-30 %1:00:00").arg(bounds[b + 1], 2, 10, QLatin1Char('0'))});
            }
        }
        QSqlQuery sport = prepare(INSERT_SPORT_SQL);
        for (const QString& name : kSportNames) {
            run(sport, {name});
        }
        QSqlQuery type = prepare(INSERT_TYPECEN_SQL);
        QSqlQuery price = prepare(INSERT_PRICE_SQL);
        for (int id = 1; id <= kPriceTypes; ++id) {
            const int visits = 4 * between(1, 6);
            run(type, {QStringLiteral("Абонемент на %1 занятий").arg(visits), visits, between(1, kHalls),
                       between(1, kSports)});
        }
        for (int band = 1; band <= kHalls * kBandsPerHall; ++band) {
            for (int type = 1; type <= kPriceTypes; ++type) {
                double cost = between(150, 400);
                for (int change = 0; change < kYears * kPriceChangesPerYear; ++change) {
                    cost *= 1.0 + between(0, 5) / 100.0;
                    const int day = change * 365 / kPriceChangesPerYear + between(0, 20);
                    run(price, {band, type, dateTime(day, 0), qRound(cost)});
                }
            }
        }
    }

    void orgs() {
        QSqlQuery org = prepare(INSERT_ORG_SQL);
        for (int id = 1; id <= kOrgs; ++id) {
            run(org, {QStringLiteral("ООО «%1-%2»").arg(pick(kOrgWords)).arg(id),
                      QStringLiteral("г. Тверь, ул. %1, %2").arg(pick(kStreets)).arg(between(1, 120))});
        }
        QSqlQuery contract = prepare(INSERT_CONTRACT_SQL);
        for (int num = 1; num <= kContracts; ++num) {
            run(contract, {num, between(1, kOrgs), between(10, 500) * 100.0});
        }
    }

    void clients() {
        QSqlQuery client = prepare(INSERT_CLIENT_SQL);
        for (int id = 1; id <= kClients; ++id) {
            const bool male = between(0, 1) == 0;
            const QString family = pick(kMaleFamilies) + (male ? QString() : QStringLiteral("а"));
            const QString name = male ? pick(kMaleNames) : pick(kFemaleNames);
            const QString father = pick(kFathers) + (male ? QStringLiteral("ич") : QStringLiteral("на"));
            const QString birthday = dateTime(between(0, 364), 0).replace(0, 4, QString::number(between(1950, 2012)));
            run(client, {family, name, father, male ? 1 : 0, birthday,
                         QStringLiteral("ул. %1, д. %2, кв. %3")
                             .arg(pick(kStreets))
                             .arg(between(1, 120))
                             .arg(between(1, 200))});
        }
    }

    void cards() {
        QSqlQuery card = prepare(INSERT_CARD_SQL);
        int numbers[2] = {0, 0};
        for (int id = 1; id <= kCards; ++id) {
            // Cards come in the order they were sold: the day grows with the ID.
            const int day = int(qint64(id) * (lastDay() - 400) / kCards);
            const int type = between(0, 4) == 0 ? 1 : 0;
            const int length = type == 1 ? 365 : pick(kSubscriptionDays);
            m_cardDays.push_back({day, day + length});
            run(card, {dateTime(day, between(9 * 3600, 21 * 3600)), ++numbers[type], type,
                       dateTime(day + length, 86399), between(1, kClients), between(0, 19) == 0 ? between(1, kOrgs) : 0,
                       between(10, 120) * 100.0, between(1, kPriceTypes)});
        }
    }

    void visits() {
        QSqlQuery visit = prepare(INSERT_VISIT_SQL);
        for (int i = 0; i < kVisits; ++i) {
            const int card = between(1, kCards);
            const auto& days = m_cardDays.at(card - 1);
            run(visit, {dateTime(between(days.first, days.second), between(7 * 3600, 22 * 3600)), between(1, kHalls),
                        card, between(2, 6) * 50.0, between(1, kUsers)});
        }
    }

    void events() {
        QSqlQuery event = prepare(INSERT_EVENT_SQL);
        const qint64 span = qint64(lastDay()) * 86400;
        for (int i = 0; i < kEvents; ++i) {
            const qint64 at = span * i / kEvents;
            const int code = between(0, 4);
            const QString text = code < 2 ? kEventTexts.at(code) : kEventTexts.at(code).arg(between(1, 150000));
            run(event, {dateTime(int(at / 86400), int(at % 86400)), between(1, kUsers), code < 2 ? 0 : 1, text});
        }
    }

    Database& m_db;
    std::mt19937 m_random{7};
    QStringList m_days;
    std::vector<std::pair<int, int>> m_cardDays;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        QTextStream(stderr) << "usage: velorma_gendb SCHEMA.sql NEW_DATABASE\n";
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[2]);
    QFile schema(QString::fromLocal8Bit(argv[1]));
    if (QFile::exists(target) || !schema.open(QIODevice::ReadOnly) || !QFile(target).open(QIODevice::WriteOnly)) {
        QTextStream(stderr) << "the schema must be readable and the database must not exist yet\n";
        return 1;
    }
    try {
        Database db;
        if (!db.open(target, Database::Mode::Exclusive)) {
            QTextStream(stderr) << "cannot open " << target << "\n";
            return 1;
        }
        db.runScript(QString::fromUtf8(schema.readAll()));
        Generator(db).run();
    } catch (const DbError& e) {
        QTextStream(stderr) << e.text() << "\n";
        return 1;
    }
    return 0;
}
