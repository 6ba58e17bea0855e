#include "app/aboutform.h"
#include "support/harness.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

TAboutForm *aboutForm(const Harness &h)
{
    return h.form.findChild<TAboutForm *>(QStringLiteral("AboutForm"));
}

} // namespace

class AboutTest : public QObject
{
    Q_OBJECT

private slots:
    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry"); // an empty size: the size follows the text
        QTest::addColumn<QString>("text");
        QTest::newRow("panel") << QStringLiteral("Panel1") << QRect(8, 8, 321, 169) << QString();
        QTest::newRow("picture") << QStringLiteral("ProgramIcon") << QRect(8, 8, 201, 57) << QString();
        QTest::newRow("name") << QStringLiteral("Label1") << QRect(13, 73, 0, 0)
                              << QStringLiteral("Pelorin for Windows");
        QTest::newRow("version") << QStringLiteral("Version") << QRect(14, 102, 0, 0) << QStringLiteral("Version 1.03");
        QTest::newRow("notice") << QStringLiteral("Notice") << QRect(14, 122, 0, 0) << QString();
        QTest::newRow("button") << QStringLiteral("OKButton") << QRect(130, 188, 75, 25) << QStringLiteral("OK");
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        TAboutForm form;
        const QWidget *widget = form.findChild<QWidget *>(name);
        QVERIFY(widget);
        if (geometry.isEmpty())
            QCOMPARE(widget->pos(), geometry.topLeft());
        else
            QCOMPARE(widget->geometry(), geometry);
        if (const auto *label = qobject_cast<const QLabel *>(widget); label && !text.isEmpty())
            QCOMPARE(label->text(), text);
        if (const auto *button = qobject_cast<const QPushButton *>(widget))
            QCOMPARE(button->text(), text);
        // Everything but the button lies within the panel.
        if (name != QLatin1String("Panel1") && name != QLatin1String("OKButton")) {
            QCOMPARE(widget->parentWidget()->objectName(), QStringLiteral("Panel1"));
            QVERIFY(QRect(0, 0, 321, 169).contains(widget->geometry()));
        }
    }

    void fonts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<bool>("bold");
        QTest::newRow("name") << QStringLiteral("Label1") << QStringLiteral("Verdana") << 24 << true;
        QTest::newRow("version") << QStringLiteral("Version") << QStringLiteral("Arial") << 13 << true;
        QTest::newRow("notice") << QStringLiteral("Notice") << QStringLiteral("Arial") << 12 << false;
    }

    void fonts()
    {
        QFETCH(QString, name);
        QFETCH(QString, family);
        QFETCH(int, pixelSize);
        QFETCH(bool, bold);
        TAboutForm form;
        const auto *label = form.findChild<QLabel *>(name);
        QVERIFY(label);
        QCOMPARE(label->font().family(), family);
        QCOMPARE(label->font().pixelSize(), pixelSize);
        QCOMPARE(label->font().bold(), bold);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
    }

    void windowAndContents()
    {
        TAboutForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("About"));
        QCOMPARE(form.minimumSize(), QSize(335, 223));
        QCOMPARE(form.maximumSize(), QSize(335, 223));
        QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(form.OKButton->isDefault());
        QVERIFY(!form.ProgramIcon->pixmap().isNull());
        QVERIFY(form.ProgramIcon->hasScaledContents());
        // The notice is one line of text.
        QVERIFY(!form.Notice->text().isEmpty());
        QVERIFY(!form.Notice->text().contains(QLatin1Char('\n')));
        QVERIFY(!form.Notice->wordWrap());
    }

    void helpMenuShowsTheBoxModally()
    {
        Harness h;
        TAboutForm *about = aboutForm(h);
        QVERIFY(about);
        QVERIFY(!about->isVisible()); // created hidden with the main window
        QAction *item = h.action("AboutPelorin1");
        QVERIFY(item->isEnabled());
        h.form.move(0, 0); // so that centred over the window and centred on the desktop differ

        bool ran = false;
        h.platform.whileModal = [&](QDialog &dialog) {
            ran = true;
            QCOMPARE(&dialog, about);
            QVERIFY(dialog.isVisible());
            // The main window takes no input meanwhile.
            QCOMPARE(QApplication::activeModalWidget(), &dialog);
            const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY((dialog.frameGeometry().center() - screen.center()).manhattanLength() <= 2);
            QTest::mouseClick(about->OKButton, Qt::LeftButton);
            QVERIFY(!dialog.isVisible());
        };
        item->trigger();

        QVERIFY(ran);
        QCOMPARE(h.platform.texts(ScriptedPlatform::Shown::Modal), QStringList{QStringLiteral("AboutForm")});
        QCOMPARE(about->result(), int(QDialog::Accepted));
        QVERIFY(!about->isVisible());
    }

    void closesWithOkOrEnter_data()
    {
        QTest::addColumn<int>("key"); // 0: a click on OK
        QTest::newRow("click on OK") << 0;
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("Enter") << int(Qt::Key_Enter);
    }

    void closesWithOkOrEnter()
    {
        QFETCH(int, key);
        Harness h;
        TAboutForm *about = aboutForm(h);
        // Twice: the box comes back after it was closed.
        for (int run = 0; run < 2; ++run) {
            about->setResult(QDialog::Rejected);
            h.platform.whileModal = [&](QDialog &dialog) {
                if (key == 0)
                    QTest::mouseClick(about->OKButton, Qt::LeftButton);
                else
                    QTest::keyClick(&dialog, Qt::Key(key));
            };
            h.form.AboutPelorin1Click();
            QCOMPARE(about->result(), int(QDialog::Accepted));
            QVERIFY(!about->isVisible());
        }
    }
};

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
