// What the quicker start-up must leave as it was: labels sized as adjustSize() would size
// them, and the program icon drawn at each of its sizes.
#include "app/aboutform.h"
#include "app/artwork.h"
#include "support/harness.h"

#include <QLabel>
#include <QPainter>
#include <QTest>

class QuickStartTest : public QObject
{
    Q_OBJECT
private slots:
    void labelsFitTheirText()
    {
        Harness h;
        for (int i = h.form.PageControl->count() - 1; i >= 0; --i)
            h.form.PageControl->setCurrentIndex(i); // a page sizes its labels when it is first shown
        TAboutForm about;
        about.show(); // and so does the box
        const QList<QLabel *> labels = h.form.PageControl->findChildren<QLabel *>() + about.findChildren<QLabel *>();
        QVERIFY(labels.size() > 70);
        for (QLabel *label : labels) {
            if (label->text().isEmpty())
                continue; // the about box's picture
            const QSize measured = label->size();
            label->adjustSize();
            // The pages' labels keep one height whatever their text.
            const bool onPage = label->window() == &h.form;
            QCOMPARE(measured, QSize(label->width(), onPage ? 17 : label->height()));
        }
    }

    void programIconAtEverySize()
    {
        const QIcon icon = programIcon();
        QCOMPARE(icon.availableSizes(), QList<QSize>({{16, 16}, {32, 32}, {48, 48}, {256, 256}}));
        for (int size : {16, 32, 48, 256}) {
            const QImage image = icon.pixmap(size, size).toImage();
            QCOMPARE(image.size(), QSize(size, size));
            // The blue plate fills the middle of the left edge; the corners stay clear.
            QCOMPARE(image.pixelColor(size / 8, size / 2).rgb(), QColor(32, 96, 176).rgb());
            QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        }
    }
};

QTEST_MAIN(QuickStartTest)
#include "tst_quickstart.moc"
