#include "facility/UnitEdSeans.h"

#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "facility/UnitEdZal.h"
#include "platform/Database.h"
#include "platform/FormWidgets.h"
#include "platform/UiSeam.h"

namespace {

const QString SELECT_SEANS_SQL = QStringLiteral("SELECT * FROM tSeans WHERE ID=%1;");
const QString UPDATE_SEANS_SQL = QStringLiteral("UPDATE tSeans SET TimeBeg=:pTimS, CountTime=:pCountTime WHERE ID=%1;");
const QString INSERT_SEANS_SQL =
    QStringLiteral("INSERT INTO tSeans (ID_Zal, TimeBeg, CountTime) VALUES (%1, :pTimS, :pCountTime);");
const QString COUNT_SAME_TIME_SQL =
    QStringLiteral("SELECT COUNT(*) FROM tSeans WHERE ((ID_Zal=%1) AND (TimeBeg=:pTimS));");

const QString kTitle = QStringLiteral("Сеанс");
const QString kNotFilled = QStringLiteral("Не заполнены обязательные поля!");
const QString kSameTime = QStringLiteral("Сеанс с таким временем уже есть!");
const QTime kDefaultBegin(9, 0);

}  // namespace

TfrmSeans::TfrmSeans(Database& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setupUi();
}

void TfrmSeans::setupUi() {
    setObjectName(QStringLiteral("frmSeans"));
    setWindowTitle(kTitle);

    dtpBegS = newTimePicker(this, "dtpBegS", kDefaultBegin);
    leLongS = named(new UpDownEdit(this), "leLongS");
    auto* fields = new QVBoxLayout;
    Label1 = named(addLabelled(*fields, QStringLiteral("1. Начало:"), dtpBegS), "Label1");
    addLabelled(*fields, QStringLiteral("2. Дл-сть:"), leLongS);

    layOutSaveCloseForm(*this, fields, QSize(240, 150), btnSave, btnClose);

    connect(btnSave, &QPushButton::clicked, this, &TfrmSeans::btnSaveClick);
}

void TfrmSeans::LoadEdSeans(int id) {
    FIDSeans = id;
    if (const auto* hall = qobject_cast<const TfrmZal*>(parent())) {
        FZalID = hall->ZalID;
    }
    if (id <= 0) {
        setWindowTitle(kTitle + QStringLiteral(": НОВЫЙ"));
        return;
    }
    SqlQuery query(m_db);
    query.exec(SELECT_SEANS_SQL.arg(id));
    if (query.next()) {
        dtpBegS->setTime(query.asDateTime(QStringLiteral("TimeBeg")).time());
        leLongS->setValue(query.asInt(QStringLiteral("CountTime")));
    }
}

void TfrmSeans::btnSaveClick() {
    SaveAnswer answer(*this);
    if (!leLongS->hasNumber() || leLongS->value() == 0) {
        showMessage(this, kNotFilled);
        answer.keepOpen();
        return;
    }
    SqlQuery command(m_db);
    bindSeans(command);
    if (FIDSeans >= 1) {
        command.exec(UPDATE_SEANS_SQL.arg(FIDSeans));
        requireChanged(command);
        return;
    }
    // The editor goes on with the row just inserted, now a stored slot; an equal start time is only pointed out.
    FIDSeans = insertSeans(command);
    setWindowTitle(kTitle);
    if (countSameTime() > 1) {
        showMessage(this, kSameTime);
    }
    answer.keepOpen();
}

// The slot's ID is taken only once it is stored under a hall that still exists.
int TfrmSeans::insertSeans(SqlQuery& command) {
    Transaction transaction(m_db);
    requireRecord(m_db, QStringLiteral("tZal"), FZalID);
    command.exec(INSERT_SEANS_SQL.arg(FZalID));
    const int id = int(command.lastInsertId());
    transaction.commit();
    return id;
}

void TfrmSeans::bindSeans(SqlQuery& command) const {
    command.addParam(QStringLiteral("pTimS"), FieldType::Time, dtpBegS->time())
        .addParam(QStringLiteral("pCountTime"), FieldType::Integer, leLongS->value());
}

int TfrmSeans::countSameTime() {
    SqlQuery query(m_db);
    bindSeans(query);
    query.exec(COUNT_SAME_TIME_SQL.arg(FZalID));
    return query.next() ? query.asInt(0) : 0;
}
