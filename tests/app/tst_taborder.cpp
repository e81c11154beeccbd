
#include <functional>
#include <memory>

#include "app/UnitEdUser.h"
#include "app/UnitHeard.h"
#include "app/UnitParamApl.h"
#include "app/prompt.h"
#include "cards/UnitCard.h"
#include "cards/UnitSelSeans.h"
#include "cards/UnitWizDay.h"
#include "cards/UnitWizard.h"
#include "clients/UnitEdClient.h"
#include "clients/UnitEdOrg.h"
#include "common/UnitConst.h"
#include "common/UnitDopInfoCard.h"
#include "common/UnitSelSpr.h"
#include "common/unitPeriod.h"
#include "facility/UnitEdCena.h"
#include "facility/UnitEdCenaVS.h"
#include "facility/UnitEdSeans.h"
#include "facility/UnitEdTC.h"
#include "facility/UnitEdVS.h"
#include "facility/UnitEdZal.h"
#include "facility/UnitSchedEmpl.h"
#include "reservations/UnitRezOrg.h"
#include "tests/support/TestSupport.h"

namespace {

using OpenForm = std::function<std::unique_ptr<QWidget>(Database& db, TfrmAPL& main)>;
const QString kEnd = "2026-01-01 00:00:00";
const QString kHall = "INSERT INTO tZal (NameZal, CountMest) VALUES ('Бассейн', 20)";
const QString kContract = "INSERT INTO tRezOrg (Num, ID_Org, Summa) VALUES (7, %1, 100)";

// A widget as the form names it: the inner parts of spin boxes, calendars and grids answer for their owner.
QString formName(QWidget* widget, const QWidget& form) {
    for (; widget && widget != &form; widget = widget->parentWidget()) {
        if (!widget->objectName().isEmpty() && !widget->objectName().startsWith(QLatin1String("qt_"))) {
            return widget->objectName();
        }
    }
    return "?";
}

// The widgets Tab reaches, one round from where the form opens. A form that sets no focus of its own gets it
// where its window's activation puts it, the first widget Tab reaches from the window.
QStringList tabChain(QWidget& form) {
    if (!form.focusWidget()) {
        QTest::keyClick(&form, Qt::Key_Tab);
    }
    QWidget* const first = form.focusWidget();
    QStringList chain;
    QWidget* current = first;
    // Enough presses for every field's sections and a few rows of values; a trap stops here.
    for (int press = 0; current && press < 100; ++press) {
        const QString name = formName(current, form);
        if (chain.isEmpty() || chain.last() != name) {
            chain << name;
        }
        QTest::keyClick(current, Qt::Key_Tab);
        current = form.focusWidget();
        if (current == first && chain.size() > 1) {
            break;
        }
    }
    return chain;
}

// A form of the database loaded with the ID its setup answers, or on a new record.
template <class Form>
OpenForm onRecord(void (Form::*load)(int), int (*setup)(Database&) = nullptr) {
    return [=](Database& db, TfrmAPL&) -> std::unique_ptr<QWidget> {
        auto form = std::make_unique<Form>(db, nullptr);
        (form.get()->*load)(setup ? setup(db) : -1);
        return form;
    };
}

template <class Form, class... Args>
OpenForm ofDatabase(Args... args) {
    return [=](Database& db, TfrmAPL&) -> std::unique_ptr<QWidget> {
        return std::make_unique<Form>(db, args..., nullptr);
    };
}

template <class Form, class... Args>
OpenForm plain(Args... args) {
    return [=](Database&, TfrmAPL&) -> std::unique_ptr<QWidget> { return std::make_unique<Form>(args..., nullptr); };
}

}  // namespace

Q_DECLARE_METATYPE(OpenForm)

class TestTabOrder : public MainWindowCase {
    Q_OBJECT

  private slots:
    void opensOnFirstInputAndTabsInOrder_data() {
        QTest::addColumn<OpenForm>("open");
        QTest::addColumn<QString>("chain");
        const auto row = [](const char* tag, const OpenForm& open, const char* chain) {
            QTest::newRow(tag) << open << QString::fromLatin1(chain);
        };
        row(
            "sign-in",
            [](Database&, TfrmAPL& main) {
                auto prompt = std::make_unique<Tfprompt>(main);
                prompt->show();
                return prompt;
            },
            "login password BitOk cbMonopolno");
        row(
            "parameters", [](Database&, TfrmAPL& main) { return std::make_unique<TfrmParAlp>(main, nullptr); },
            "VLE_ParApl btnSave btnCancel");
        row("user, comment before password", onRecord(&TfrmEdUser::LoadUser),
            "leUserName leInfo lePasw cbUroven btnSave btnCancel");
        row("selector", onRecord(&TfrmSelectSpr::LoadSpr, [](Database&) { return int(lkClients); }),
            "DBGridSpr btnSelect btnCancel");
        row("saved card",
            onRecord(&TfrmCard::LoadCard,
                     [](Database& db) { return addCard(db, 1, 0, kEnd, addClient(db, "Иванов", "Иван")); }),
            "leNumCard leClient btnSelClient leOrg btnFisLico btnSelOrg cbZal cbSeans cbTypeCen mcSelDates "
            "modeWizardHelp btnWizardStart DBGridSpr leVidSporta btnSelVS btnDelTC btnAdd cbChangeNamePRN btnPrintCard "
            "btnSave btnCancel");
        row("saved club card",
            onRecord(&TfrmCard::LoadCard,
                     [](Database& db) { return addCard(db, 1, 1, kEnd, addClient(db, "Иванов", "Иван")); }),
            "leNumCard dtBeg dtEnd leClient btnSelClient leOrg btnFisLico btnSelOrg cbZal cbTypeCen DBGridSpr "
            "leVidSporta btnSelVS btnDelTC btnAdd cbChangeNamePRN btnTXT btnPrintCard btnSave btnCancel");
        row("client", onRecord(&TfrmClient::LoadEdClient),
            "leFamily leName leOtch leAddress cbProf leInfo dtpBrichDay cbPol cbNoRGS btnSave btnClose btnRotateLeft "
            "btnRotateRight");
        row("organisation", onRecord(&TfrmEdOrg::LoadEdOrg), "leNameOrg leInfo btnSave btnClose");
        row("sports-type wizard", ofDatabase<TfrmWiz>(0),
            "leVidSporta btnSelClient DTPSeans btnAdd btnDel edKolvo btnCalcAll DBGridSelect btnSave btnClose");
        row("weekday wizard", plain<TfrmWizDay>(),
            "day_1 Seans_1 day_2 Seans_2 day_3 Seans_3 day_4 Seans_4 day_5 Seans_5 day_6 Seans_6 day_7 Seans_7 "
            "btnCalc btnClose");
        row("time-slot chooser", plain<TfrmSelSeans>(QList<TSeansEntry>(), 1), "cbSeans cbSaveSel btnSelect");
        row("period", plain<TfrmPeriod>(), "dtpFirst dtpEnd btnOk btnCancel");
        row("extra text", plain<TfrmDopInfo>(), "MemoTXT cbPrintTXT btnCancel");
        row("saved hall", onRecord(&TfrmZal::LoadEdZal, [](Database& db) { return insert(db, kHall); }),
            "leNameZal leCountMest leRezPos leInfo btnNewSeans btnEdSeans btnDelSeans DBGridSpr btnTXT BitBtn1 btnSave "
            "btnClose");
        row("time slot", onRecord(&TfrmSeans::LoadEdSeans), "dtpBegS leLongS btnSave btnClose");
        row("hall prices", ofDatabase<TfrmSetCena>(),
            "cbTypeCen btnNewTC btnEditTC btnDelTC TimeBegin TimeEnd btnSetPeriod btnDelPeriod leCena dtpDateCena "
            "edVznos btnSetCena btndelCena DBGridPeriod rgVidCard DBGridSpr btnClose");
        row("price type", onRecord(&TfrmEdTC::LoadEdTC),
            "leName leInfo leCountSeans leStrahSumma cbAllTC btnSave btnClose");
        row("saved reservation",
            onRecord(&TfrmRezOrg::LoadRezOrg,
                     [](Database& db) {
                         return insert(db, kContract.arg(insert(db, "INSERT INTO tOrg (Name) VALUES ('Динамо')")));
                     }),
            "leOrg btnSelOrg leDog leSumma cbZal cbSeans mcSelDates edCountPos btnNewSeans DBGridSpr btnSave btnClose");
        row("sports type", onRecord(&TfrmEdVS::LoadEdVS), "leNameOrg leInfo btnSave btnClose");
        row("timetable", onRecord(&TfrmRaspSan::LoadRasp), "cbZal TimeSeans cbDay btnCost btnClose DBGrid1");
        row("sports-type prices", ofDatabase<TfrmSetCenaVS>(),
            "cbTypeCen btnNewTC btnEditTC btnDelTC leCena dtpDateCena edVznos btnSetCena btndelCena DBGridSpr "
            "btnClose");
    }
    void opensOnFirstInputAndTabsInOrder() {
        QFETCH(OpenForm, open);
        const std::unique_ptr<QWidget> form = open(db(), *m_main);
        QTEST(tabChain(*form).join(QLatin1Char(' ')), "chain");
    }
};

QTEST_MAIN(TestTabOrder)
#include "tst_taborder.moc"
