#include "cutscribelist.h"

#include "pages/cutmarktab.h"
#include "record/definitionrecord.h"

#include <QAction>

#include <algorithm>

CutScribeList::CutScribeList(CutMarkTab &page, QAction *addCut, QAction *addMark, QAction *delCut, QAction *delMark)
    : m_page(page), m_addCut(addCut), m_addMark(addMark), m_delCut(delCut), m_delMark(delMark)
{
}

void CutScribeList::LoadCutMarkTab(const kvd::DefinitionRecord &record)
{
    // There is always a cut process: a negative count from a damaged file would leave
    // column 1 showing the previous file's codes and saving them into this one.
    CutIndex = std::max<int>(record.integer(kvd::Field::CutProcessIndex), 0);
    // A scribe count below "none" reads as none: left as it stood, Add would show column 5
    // alone and the next save would store a count that hides what was typed there.
    ScribeIndex = std::max<int>(record.integer(kvd::Field::ScribeProcessIndex), -1);
    const int cuts = CutIndex + 1;
    const int scribes = ScribeIndex + 1;

    if (scribes == 0)
        m_addMark->setEnabled(true);
    m_delCut->setEnabled(cuts >= 2);
    m_delMark->setEnabled(scribes >= 1);

    // Counts beyond the columns there are only repeat the last column's step.
    for (int i = 1; i <= std::min(cuts, 3); ++i) {
        m_page.fillColumn(i, record);
        if (i == 1)
            m_page.activateColumn1();
        else
            m_page.ShowProcessColumn(i);
        m_addCut->setEnabled(i < 3);
    }
    for (int j = 1; j <= std::min(scribes, 2); ++j) {
        const int c = kvd::FirstScribeSlot + j - 1;
        m_page.fillColumn(c, record);
        m_page.ShowProcessColumn(c);
        m_addMark->setEnabled(j < 2);
    }
}

void CutScribeList::StoreCutMarkTab(kvd::DefinitionRecord &record) const
{
    record.setInteger(kvd::Field::CutProcessIndex, static_cast<qint16>(CutIndex));
    record.setInteger(kvd::Field::ScribeProcessIndex, static_cast<qint16>(ScribeIndex));
    m_page.storeBoxes(record);
}

void CutScribeList::AddCutClick()
{
    ++CutIndex;
    if (CutIndex == 1) {
        m_page.ShowProcessColumn(2);
    } else {
        m_page.ShowProcessColumn(3);
        m_addCut->setEnabled(false);
    }
    m_delCut->setEnabled(true);
}

void CutScribeList::AddMarkClick()
{
    ++ScribeIndex;
    if (ScribeIndex == 0) {
        m_page.ShowProcessColumn(4);
    } else {
        m_page.ShowProcessColumn(5);
        m_addMark->setEnabled(false);
    }
    m_delMark->setEnabled(true);
}

void CutScribeList::DelCutProcessClick()
{
    if (CutIndex == 1) {
        m_page.HideProcessColumn(2);
        m_delCut->setEnabled(false);
    } else {
        m_page.HideProcessColumn(3);
        m_addCut->setEnabled(true);
    }
    --CutIndex;
}

void CutScribeList::DelMarkProcessClick()
{
    if (ScribeIndex == 0) {
        m_page.HideProcessColumn(4);
        m_delMark->setEnabled(false);
    } else {
        m_page.HideProcessColumn(5);
        m_addMark->setEnabled(true);
    }
    --ScribeIndex;
}

ProcessState CutScribeList::state(int counter, int first, int last, const QAction *add, const QAction *del) const
{
    ProcessState s{counter, 0, add->isEnabled(), del->isEnabled()};
    for (int c = first; c <= last; ++c)
        if (c == 1 || m_page.column(c).shown())
            s.shown |= 1u << (c - 1);
    return s;
}

void CutScribeList::setState(const ProcessState &state, int first, int last, QAction *add, QAction *del)
{
    for (int c = std::max(first, 2); c <= last; ++c) {
        const bool shown = state.shown & (1u << (c - 1));
        if (shown != m_page.column(c).shown()) {
            if (shown)
                m_page.ShowProcessColumn(c);
            else
                m_page.HideProcessColumn(c);
        }
    }
    add->setEnabled(state.canAdd);
    del->setEnabled(state.canDelete);
}

ProcessState CutScribeList::cutState() const
{
    return state(CutIndex, 1, kvd::LastCutSlot, m_addCut, m_delCut);
}

ProcessState CutScribeList::scribeState() const
{
    return state(ScribeIndex, kvd::FirstScribeSlot, kvd::LastScribeSlot, m_addMark, m_delMark);
}

void CutScribeList::setCutState(const ProcessState &state)
{
    setState(state, 1, kvd::LastCutSlot, m_addCut, m_delCut);
    CutIndex = state.counter;
}

void CutScribeList::setScribeState(const ProcessState &state)
{
    setState(state, kvd::FirstScribeSlot, kvd::LastScribeSlot, m_addMark, m_delMark);
    ScribeIndex = state.counter;
}
