#pragma once

#include "processgrid.h"

// "Cutting/Scribing": one column of code boxes per cut (1-3) and scribe (4-5) process.
class CutMarkTab : public ProcessGridPage
{
    Q_OBJECT

public:
    explicit CutMarkTab(QWidget *parent = nullptr);

    void activateColumn1() { column(1).activate(); }
    void ShowProcessColumn(int column); // 2..5
    void HideProcessColumn(int column); // 2..5: hides, then empties
};
