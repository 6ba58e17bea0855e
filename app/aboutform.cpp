#include "aboutform.h"

#include "pelorinform.h"
#include "platform/platform.h"

TAboutForm::TAboutForm(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About"));
}

void TAboutForm::OKButtonClick()
{
    accept();
}

void TPelorinForm::AboutPelorin1Click()
{
    m_platform.runModal(*m_aboutForm);
}
