#include <QTest>

#include "common/unitPeriod.h"
#include "tests/support/TestSupport.h"

class TestPeriod : public DatabaseCase {
    Q_OBJECT

  private slots:
    void answersWholeDays_data() {
        QTest::addColumn<QDateTime>("beg");
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<QDateTime>("answerBeg");
        QTest::addColumn<QDateTime>("answerEnd");
        const auto row = [](const char* name, const char* beg, const char* end, const char* answerBeg,
                            const char* answerEnd) {
            QTest::newRow(name) << at(beg) << at(end) << at(answerBeg) << at(answerEnd);
        };
        row("times of day", "2024-03-01 08:30:00", "2024-03-31 10:15:00", "2024-03-01 00:00:00", "2024-03-31 23:59:59");
        row("end before begin", "2024-05-10 09:00:00", "2024-05-01 09:00:00", "2024-05-10 00:00:00",
            "2024-05-01 23:59:59");
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
};

QTEST_MAIN(TestPeriod)
#include "tst_period.moc"
