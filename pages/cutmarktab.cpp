#include "cutmarktab.h"

namespace {

// The On and Off sequences live in two blocks: one for the cut slots, one for the scribe slots.
template<int Row>
kvd::TextField sequence(int box, int slot)
{
    return slot <= kvd::LastCutSlot ? kvd::cutSeq(Row, box, slot) : kvd::scribeSeq(Row, box, slot);
}

kvd::TextField name(int, int slot) { return kvd::processName(slot); }
kvd::TextField offUp(int box, int slot) { return kvd::cutSeq(3, box, slot); }
kvd::TextField before(int, int slot) { return kvd::beforeProcess(slot); }
kvd::TextField after(int, int slot) { return kvd::afterProcess(slot); }

} // namespace

CutMarkTab::CutMarkTab(QWidget *parent)
    : ProcessGridPage(parent, kvd::FirstCutSlot,
                      {
                          {"Process", nullptr, "", 8, 1, 5, false, name},
                          {"EditR1C", "B", "", 40, 3, 5, true, sequence<1>},
                          {"EditR2C", "B", "", 110, 3, 5, true, sequence<2>},
                          // Scribe processes have no Off/Up sequence.
                          {"EditR3C", "B", "", 180, 3, kvd::LastCutSlot, true, offUp},
                          {"EditR4C", "B", "", 250, 3, 5, true, kvd::offsetOn},
                          {"EditR5C", "B", "", 320, 3, 5, true, kvd::offsetOff},
                          {"BPCol", nullptr, "", 390, 1, 5, true, before},
                          {"APCol", nullptr, "", 410, 1, 5, true, after},
                      },
                      {
                          {"OnSeq", "On Seq.", 42},
                          {"OffSeq", "Off Seq.", 112},
                          {"OffUpSeq", "Off/Up Seq.", 182},
                          {"OffsetOn", "Offset On", 252},
                          {"OffsetOff", "Offset Off", 322},
                          {"BefProc", "Before Process", 392},
                          {"AftProc", "After Process", 412},
                      })
{
}

void CutMarkTab::ShowProcessColumn(int c)
{
    column(c).show();
}

void CutMarkTab::HideProcessColumn(int c)
{
    column(c).hideThenEmpty();
}
