#include "support/harness.h"

#include <QTest>

class SmokeTest : public QObject
{
    Q_OBJECT
private slots:
    void startsUntitled()
    {
        Harness h;
        QCOMPARE(h.form.caption(), QStringLiteral("Pelorin - <untitled>"));
    }
};

QTEST_MAIN(SmokeTest)
#include "tst_smoke.moc"
