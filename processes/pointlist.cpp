#include "pointlist.h"

#include "pages/codestab.h"
#include "pages/cutmarktab.h"
#include "record/definitionrecord.h"

#include <QAction>

#include <algorithm>

PointList::PointList(CodesTab &page, QAction *addPoint, QAction *delPoint)
    : m_page(page), m_addPoint(addPoint), m_delPoint(delPoint)
{
}

void PointList::LoadCodesTab(const kvd::DefinitionRecord &record)
{
    // A count below "none" reads as none, so that Add starts at column 1 and what is typed
    // there is saved with a count that shows it again.
    const int count = std::max<int>(record.integer(kvd::Field::PointProcessIndex), -1) + 1;
    if (count == 0)
        m_addPoint->setEnabled(true);
    m_delPoint->setEnabled(count > 0);

    // A count above five only repeats column 5's step, so each column is filled once.
    for (int c = 1; c <= std::min(count, ProcessGridPage::Columns); ++c) {
        m_page.fillColumn(c, record);
        if (c == 1)
            m_page.activateColumn1();
        else
            m_page.showColumn(c);
        m_addPoint->setEnabled(c < ProcessGridPage::Columns);
    }
    PointIndex = count - 1;
}

void PointList::StoreCodesTab(kvd::DefinitionRecord &record) const
{
    record.setInteger(kvd::Field::PointProcessIndex, static_cast<qint16>(PointIndex));
    m_page.storeBoxes(record);
}

void PointList::AddPointProcessClick()
{
    ++PointIndex;
    const int k = PointIndex;
    if (k == 0) {
        m_page.activateColumn1();
    } else if (k >= 1 && k <= 3) {
        m_page.showColumn(k + 1);
    } else {
        m_page.showColumn(5);
        m_addPoint->setEnabled(false);
    }
    m_delPoint->setEnabled(true);
}

void PointList::DelPointProcessClick()
{
    const int m = PointIndex + 1;
    if (m == 1) {
        m_page.deactivateColumn1();
        m_delPoint->setEnabled(false);
    } else if (m >= 2 && m <= 4) {
        m_page.hideColumn(m);
    } else {
        m_page.hideColumn(5);
        m_addPoint->setEnabled(true);
    }
    PointIndex = m - 2;
}

ProcessState PointList::state() const
{
    ProcessState s{PointIndex, 0, m_addPoint->isEnabled(), m_delPoint->isEnabled()};
    for (int c = 1; c <= ProcessGridPage::Columns; ++c)
        if (c == 1 ? m_page.column(1).active() : m_page.column(c).shown())
            s.shown |= 1u << (c - 1);
    return s;
}

void PointList::setState(const ProcessState &state)
{
    for (int c = 1; c <= ProcessGridPage::Columns; ++c) {
        const bool shown = state.shown & (1u << (c - 1));
        if (c == 1 && shown != m_page.column(1).active()) {
            if (shown)
                m_page.activateColumn1();
            else
                m_page.deactivateColumn1();
        } else if (c > 1 && shown != m_page.column(c).shown()) {
            if (shown)
                m_page.showColumn(c);
            else
                m_page.hideColumn(c);
        }
    }
    m_addPoint->setEnabled(state.canAdd);
    m_delPoint->setEnabled(state.canDelete);
    PointIndex = state.counter;
}

void ResetProcessColumns(CutMarkTab &cutMarkTab, CodesTab &codesTab)
{
    for (int column = 2; column <= 5; ++column)
        cutMarkTab.HideProcessColumn(column);
    codesTab.deactivateColumn1();
    for (int column = 2; column <= 5; ++column)
        codesTab.hideColumn(column);
}
