#include "pelorinform.h"
#include "platform/qtplatform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelorin"));
    QApplication::setApplicationVersion(QStringLiteral("1.03"));

    QtPlatform platform;
    TPelorinForm form(platform);
    form.show();
    return app.exec();
}
