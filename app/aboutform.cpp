#include "aboutform.h"

#include "pelorinform.h"
#include "platform/platform.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <qdrawutil.h>

namespace {

constexpr QSize ClientSize(335, 223);
constexpr QRect PanelRect(8, 8, 321, 169);
constexpr QRect PictureRect(8, 8, 201, 57);
constexpr QRect OKButtonRect(130, 188, 75, 25);

// White, with a lowered outer and a raised inner bevel one pixel each.
class Panel : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        qDrawShadeRect(&p, rect(), palette(), true, 1);
        qDrawShadeRect(&p, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
    }
};

// The picture at the top of the panel: the program's torch cutting a curved path across
// a steel-blue plate.
QPixmap aboutPicture()
{
    QPixmap pixmap(PictureRect.size());
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient plate(0, 0, 0, 57);
    plate.setColorAt(0, QColor(58, 120, 196));
    plate.setColorAt(1, QColor(22, 62, 124));
    p.setPen(Qt::NoPen);
    p.setBrush(plate);
    p.drawRoundedRect(QRectF(0.5, 0.5, 200, 56), 7, 7);

    // The cut already made: a kerf line with a glowing end under the torch.
    QPainterPath kerf;
    kerf.moveTo(70, 44);
    kerf.cubicTo(95, 28, 120, 52, 150, 36);
    kerf.cubicTo(165, 28, 178, 34, 190, 44);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(250, 250, 255), 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(kerf);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 200, 80, 120));
    p.drawEllipse(QPointF(70, 44), 7, 7);

    // The torch over the start of the cut.
    p.setBrush(QColor(214, 218, 226));
    const QPointF nozzle[] = {{56, 6}, {84, 6}, {76, 34}, {64, 34}};
    p.drawPolygon(nozzle, 4);
    p.setBrush(QColor(120, 126, 138));
    p.drawRect(QRectF(60, 2, 20, 6));
    p.setBrush(QColor(255, 164, 32));
    const QPointF flame[] = {{64, 35}, {76, 35}, {70, 46}};
    p.drawPolygon(flame, 3);
    p.setBrush(QColor(255, 244, 200));
    const QPointF core[] = {{67.5, 35}, {72.5, 35}, {70, 41}};
    p.drawPolygon(core, 3);

    // Sparks thrown off to the left.
    p.setPen(QPen(QColor(255, 210, 90), 1.2, Qt::SolidLine, Qt::RoundCap));
    const QLineF sparks[] = {{62, 46, 50, 50}, {63, 48, 54, 55}, {61, 44, 46, 43}, {64, 49, 60, 55}};
    p.drawLines(sparks, 4);

    // A grid of reference marks, as on a cutting table.
    p.setPen(QPen(QColor(255, 255, 255, 70), 1));
    for (int x = 12; x <= 36; x += 12) {
        for (int y = 14; y <= 44; y += 15) {
            p.drawLine(QPointF(x - 2.5, y), QPointF(x + 2.5, y));
            p.drawLine(QPointF(x, y - 2.5), QPointF(x, y + 2.5));
        }
    }
    return pixmap;
}

QLabel *addLabel(QWidget *parent, const char *objectName, const QString &text, const QString &family,
                 int pixelHeight, bool bold, QPoint position)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(objectName));
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    // Sized when the box is first shown: measuring now would load three faces that most
    // runs never draw.
    label->move(position);
    return label;
}

} // namespace

TAboutForm::TAboutForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About"));
    // A dialog border: fixed size, no minimise or maximise button.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(ClientSize);
    // The main window takes no input while the box is open, however it is shown.
    setModal(true);

    auto *panel = new Panel(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(PanelRect);

    ProgramIcon = new QLabel(panel);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setGeometry(PictureRect);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(aboutPicture());

    Label1 = addLabel(panel, "Label1", QStringLiteral("Pelorin for Windows"), QStringLiteral("Verdana"), 24, true,
                      QPoint(13, 73));
    Version = addLabel(panel, "Version", QStringLiteral("Version 1.03"), QStringLiteral("Arial"), 13, true,
                       QPoint(14, 102));
    Notice = addLabel(panel, "Notice", QStringLiteral("Copyright \u00a9 2026 Pelorin Software. All rights reserved."),
                      QStringLiteral("Arial"), 12, false, QPoint(14, 122));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(OKButtonRect);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TAboutForm::OKButtonClick);
}

void TAboutForm::showEvent(QShowEvent *event)
{
    for (QLabel *label : {Label1, Version, Notice})
        label->adjustSize();
    QDialog::showEvent(event);
    // In the middle of the desktop, not over the main window.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TAboutForm::OKButtonClick()
{
    accept();
}

void TPelorinForm::AboutPelorin1Click()
{
    m_platform.runModal(*m_aboutForm);
}
