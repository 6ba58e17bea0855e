#pragma once

#include "processgrid.h"

// " Point Process Codes": one column of code boxes per point process (slots 6-10).
class CodesTab : public ProcessGridPage
{
    Q_OBJECT

public:
    explicit CodesTab(QWidget *parent = nullptr);

    void activateColumn1() { column(1).activate(); }
    void deactivateColumn1() { column(1).deactivateThenEmpty(); }
    void showColumn(int c) { column(c).show(); }          // 2..5
    void hideColumn(int c) { column(c).hideThenEmpty(); } // 2..5: hidden, then emptied
};
