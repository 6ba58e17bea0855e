#include "qtplatform.h"

#include <QPrinter>

std::unique_ptr<PrintTarget> QtPlatform::choosePrinter(QWidget *)
{
    return nullptr;
}
