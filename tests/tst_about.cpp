#include "app/aboutform.h"
#include "support/harness.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

class AboutTest : public QObject
{
    Q_OBJECT

private slots:
    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry"); // an empty size: the size follows the text
        QTest::addColumn<QString>("text");   // empty: not checked
        QTest::addColumn<QString>("family"); // empty: no font of its own
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<bool>("bold");
        QTest::newRow("panel") << QStringLiteral("Panel1") << QRect(8, 8, 321, 169) << QString() << QString() << 0
                               << false;
        QTest::newRow("picture") << QStringLiteral("ProgramIcon") << QRect(8, 8, 201, 57) << QString() << QString()
                                 << 0 << false;
        QTest::newRow("name") << QStringLiteral("Label1") << QRect(13, 73, 0, 0) << QStringLiteral("Pelorin for Windows")
                              << QStringLiteral("Verdana") << 24 << true;
        QTest::newRow("version") << QStringLiteral("Version") << QRect(14, 102, 0, 0) << QStringLiteral("Version 1.03")
                                 << QStringLiteral("Arial") << 13 << true;
        QTest::newRow("notice") << QStringLiteral("Notice") << QRect(14, 122, 0, 0) << QString()
                                << QStringLiteral("Arial") << 12 << false;
        QTest::newRow("button") << QStringLiteral("OKButton") << QRect(130, 188, 75, 25) << QStringLiteral("OK")
                                << QString() << 0 << false;
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        QFETCH(QString, family);
        QFETCH(int, pixelSize);
        QFETCH(bool, bold);
        TAboutForm form;
        const QWidget *widget = form.findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(geometry.isEmpty() ? QRect(widget->pos(), QSize(0, 0)) : widget->geometry(), geometry);
        if (const auto *label = qobject_cast<const QLabel *>(widget)) {
            if (!text.isEmpty())
                QCOMPARE(label->text(), text);
            // Inside the panel, on one line.
            QCOMPARE(widget->parentWidget()->objectName(), QStringLiteral("Panel1"));
            QVERIFY(QRect(0, 0, 321, 169).contains(widget->geometry()));
            QVERIFY(!label->wordWrap() && !label->text().contains(u'\n'));
        }
        if (const auto *button = qobject_cast<const QPushButton *>(widget))
            QCOMPARE(button->text(), text);
        if (!family.isEmpty()) {
            QCOMPARE(widget->font().family(), family);
            QCOMPARE(widget->font().pixelSize(), pixelSize);
            QCOMPARE(widget->font().bold(), bold);
            QCOMPARE(widget->palette().color(QPalette::WindowText), QColor(Qt::black));
        }
    }

    void window()
    {
        TAboutForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("About"));
        QCOMPARE(form.minimumSize(), QSize(335, 223));
        QCOMPARE(form.maximumSize(), QSize(335, 223));
        QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(form.OKButton->isDefault());
        QVERIFY(!form.ProgramIcon->pixmap().isNull());
        QVERIFY(!form.Notice->text().isEmpty());
    }

    // Twice each: the box comes back after it was closed.
    void helpMenuShowsTheBoxUntilOkOrEnter_data()
    {
        QTest::addColumn<int>("key"); // 0: a click on OK
        QTest::newRow("click on OK") << 0;
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
    }

    void helpMenuShowsTheBoxUntilOkOrEnter()
    {
        QFETCH(int, key);
        Harness h;
        auto *about = h.form.findChild<TAboutForm *>(QStringLiteral("AboutForm"));
        QVERIFY(about && !about->isVisible()); // created hidden with the main window
        QAction *item = h.action("AboutPelorin1");
        QVERIFY(item->isEnabled());
        h.form.move(0, 0); // so that centred over the window and centred on the desktop differ

        int runs = 0;
        h.platform.whileModal = [&](QDialog &dialog) {
            ++runs;
            QCOMPARE(&dialog, about);
            // The main window takes no input meanwhile.
            QCOMPARE(QApplication::activeModalWidget(), &dialog);
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY((dialog.frameGeometry().center() - screen.center()).manhattanLength() <= 2);
            if (key == 0)
                QTest::mouseClick(about->OKButton, Qt::LeftButton);
            else
                QTest::keyClick(&dialog, Qt::Key(key));
        };
        for (int run = 1; run <= 2; ++run) {
            about->setResult(QDialog::Rejected);
            item->trigger();
            QCOMPARE(runs, run);
            QCOMPARE(about->result(), int(QDialog::Accepted)); // closed by OK, not by the harness
            QVERIFY(!about->isVisible());
        }
        QCOMPARE(h.platform.texts(ScriptedPlatform::Shown::Modal),
                 QStringList(2, QStringLiteral("AboutForm")));
    }
};

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
