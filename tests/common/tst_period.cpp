#include <QTest>

#include "common/unitPeriod.h"
#include "tests/support/TestSupport.h"

class TestPeriod : public DatabaseCase {
    Q_OBJECT

  private slots:
    // Whole days, whatever the times of day, even for an end before the begin.
    void answersWholeDays() {
        TfrmPeriod dialog(nullptr);
        dialog.SetPeriod({at("2024-05-10 08:30:00"), at("2024-05-01 10:15:00")});
        QCOMPARE(pressButton(dialog, "btnOk"), int(QDialog::Accepted));
        QCOMPARE(dialog.FPeriod.Beg, at("2024-05-10 00:00:00"));
        QCOMPARE(dialog.FPeriod.End, at("2024-05-01 23:59:59"));
    }
};

QTEST_MAIN(TestPeriod)
#include "tst_period.moc"
