#include "TMainFormUnit.h"

#include "TVersionInfoUnit.h"

TMainForm::TMainForm()
{
    setObjectName(QStringLiteral("MainForm"));
    resize(960, 640);
}

void TMainForm::FormCreate()
{
    setWindowTitle(QStringLiteral("Marvane Player ") + GetProgramVersionString());
}
