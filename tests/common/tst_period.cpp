#include <QDateEdit>
#include <QTest>

#include "common/unitPeriod.h"
#include "tests/support/TestSupport.h"

namespace {

QDateEdit* picker(TfrmPeriod& dialog, const char* name) {
    return dialog.findChild<QDateEdit*>(QString::fromLatin1(name));
}

QDateTime at(int year, int month, int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

}  // namespace

class TestPeriod : public DatabaseCase {
    Q_OBJECT

  private slots:
    void answersWholeDays_data() {
        QTest::addColumn<QDateTime>("beg");
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<QDateTime>("answerBeg");
        QTest::addColumn<QDateTime>("answerEnd");
        QTest::newRow("times of day") << at(2024, 3, 1, 8, 30) << at(2024, 3, 31, 10, 15) << at(2024, 3, 1, 0, 0)
                                      << at(2024, 3, 31, 23, 59, 59);
        QTest::newRow("same day") << at(2024, 2, 29, 12, 0) << at(2024, 2, 29, 12, 0) << at(2024, 2, 29, 0, 0)
                                  << at(2024, 2, 29, 23, 59, 59);
        QTest::newRow("end before begin")
            << at(2024, 5, 10, 9, 0) << at(2024, 5, 1, 9, 0) << at(2024, 5, 10, 0, 0) << at(2024, 5, 1, 23, 59, 59);
    }
    void answersWholeDays() {
        QFETCH(QDateTime, beg);
        QFETCH(QDateTime, end);
        TfrmPeriod dialog(nullptr);
        dialog.SetPeriod({beg, end});
        QCOMPARE(pressButton(dialog, "btnOk"), int(QDialog::Accepted));
        QTEST(dialog.FPeriod.Beg, "answerBeg");
        QTEST(dialog.FPeriod.End, "answerEnd");
    }
    void cancelKeepsGivenPeriod() {
        const TPeriod given{at(2024, 3, 1, 8, 30), at(2024, 3, 31, 10, 15)};
        TfrmPeriod dialog(nullptr);
        dialog.SetPeriod(given);
        picker(dialog, "dtpFirst")->setDate(QDate(2024, 4, 1));
        QCOMPARE(pressButton(dialog, "btnCancel"), int(QDialog::Rejected));
        QCOMPARE(dialog.FPeriod.Beg, given.Beg);
        QCOMPARE(dialog.FPeriod.End, given.End);
    }
};

QTEST_MAIN(TestPeriod)
#include "tst_period.moc"
