#include "pelorinform.h"

#include "platform/platform.h"

void TPelorinForm::FilePrintClick()
{
}
