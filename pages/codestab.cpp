#include "codestab.h"

namespace {

kvd::TextField name(int, int slot) { return kvd::processName(slot); }
kvd::TextField before(int, int slot) { return kvd::beforeProcess(slot); }
kvd::TextField after(int, int slot) { return kvd::afterProcess(slot); }

} // namespace

CodesTab::CodesTab(QWidget *parent)
    : ProcessGridPage(parent, kvd::FirstPointSlot,
                      {
                          {"PCProcess", nullptr, "", 8, 1, 5, false, name},
                          {"PCEditR1C", "B", "", 40, 4, 5, true, kvd::activateSeq},
                          {"PCEditR2C", "B", "", 130, 3, 5, true, kvd::offsetOn},
                          {"PCEditR3C", "B", "", 200, 3, 5, true, kvd::offsetOff},
                          {"BPCol", nullptr, "Edit", 270, 1, 5, true, before},
                          {"APCol", nullptr, "Edit", 290, 1, 5, true, after},
                      },
                      {
                          {"ActSeqStat", "Activate Seq.", 42},
                          {"OffStat", "Offset On", 132},
                          {"OfOffStat", "Offset Off", 202},
                          {"BefProcStat", "Before Process", 272},
                          {"AftProcStat", "After Process", 292},
                      })
{
}
