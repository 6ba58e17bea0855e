#include "miscsettab.h"

#include "codeedit.h"
#include "radiogroup.h"
#include "record/definitionrecord.h"

#include <QLabel>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace {

using kvd::Field;

struct CodeBinding {
    const char *edit;
    const char *label;
    const char *caption;
    Field field;
    int limit;
    QPoint box;
    QPoint labelAt;
};

// In load and store order. The first column's labels sit 2 pixels below their box's
// top, the other columns' 4; the tab order goes by position, column by column.
const CodeBinding Codes[] = {
    {"SFEdit", "StartStat", "Start of File:", Field::StartOfFile, 9, {112, 24}, {16, 26}},
    {"EFEdit", "EndFileStat", "End of File:", Field::EndOfFile, 9, {112, 50}, {16, 52}},
    {"SPEdit", "StartProgStat", "Start of Program:", Field::StartOfProgram, 9, {112, 76}, {16, 78}},
    {"EPEdit", "EndProgStat", "End of Program:", Field::EndOfProgram, 9, {112, 102}, {16, 104}},
    {"CNCDataEdit", "StartCNCStat", "Start of CNC data:", Field::StartOfCncData, 9, {112, 128}, {16, 130}},
    {"AZIFEdit", "AbsForStat", "Abs. Zero Init:", Field::AbsZeroInit, 19, {112, 154}, {16, 156}},
    {"InchSetting", "InchLab", "Inch Setting:", Field::InchCode, 9, {328, 24}, {248, 28}},
    {"MetricSetting", "MetricLab", "Metric Setting:", Field::MetricCode, 9, {328, 50}, {248, 54}},
    {"KValSetting", "KWordLab", "Kerf Value :", Field::KerfValueWord, 9, {328, 154}, {248, 158}},
    {"KLeftSetting", "Label1", "Kerf Left:", Field::KerfLeftCode, 9, {328, 102}, {248, 106}},
    {"KRightSetting", "Label2", "Kerf Right:", Field::KerfRightCode, 9, {328, 128}, {248, 132}},
    {"KOffSetting", "Label3", "Kerf Off:", Field::KerfOffCode, 9, {328, 76}, {248, 80}},
    {"AHCOnSetting", "Label4", "AHC On::", Field::AhcOnCode, 9, {536, 24}, {456, 28}},
    {"AHCOffSetting", "Label5", "AHC Off::", Field::AhcOffCode, 9, {536, 50}, {456, 54}},
};
constexpr QSize CodeBoxSize(90, 21);

enum class Items { NoYes, AbsInc };

struct OptionBinding {
    const char *group;
    const char *label;
    const char *caption; // "&&" stands for one shown ampersand
    Items items;
    Field field;
    QPoint box;
    QPoint labelAt;
};

// In load, store and tab order: the left column, then the right one.
const OptionBinding Options[] = {
    {"RadGroupXY", "xyValuesStat", "X && Y Values Always Reqd. on Arcs.", Items::NoYes, Field::XYAlwaysOnArcs, {192, 192}, {16, 208}},
    {"RadGroupXYVals", "PlusxyStat", "Use Plus (+) on X && Y Values", Items::NoYes, Field::PlusOnXY, {192, 224}, {16, 240}},
    {"RadGroupIJVals", "PlusijValStat", "Use Plus (+) on I && J Values", Items::NoYes, Field::PlusOnIJ, {192, 256}, {16, 272}},
    {"RadGroupUnIJ", "UnsigIJValStat", "Use Unsigned I && J Values", Items::NoYes, Field::UnsignedIJ, {192, 288}, {16, 304}},
    {"RadGroupQuadArc", "QuadArcsStat", "Use Quadrant Only Arcs", Items::NoYes, Field::QuadrantArcsOnly, {192, 320}, {16, 336}},
    {"RadGroupInOutFor", "InOutForStat", "Use ESSI Input && Output Format", Items::NoYes, Field::EssiFormat, {192, 352}, {16, 368}},
    {"RadGroupKerfCompIncVal", "KerfCompIncValStat", "Kerf Comp includes Value", Items::NoYes, Field::KerfCompIncludesValue, {192, 384}, {16, 400}},
    {"RadGroupIncOnly", "IncrStat", "Use Incremental Only Output", Items::NoYes, Field::IncrementalOnly, {488, 192}, {328, 208}},
    {"RadGroupAbsOnly", "AbsOutStat", "Use Absolute Only Output", Items::NoYes, Field::AbsoluteOnly, {488, 224}, {328, 240}},
    {"RadGroupIJArcMode", "IJArcModeStat", "Use I && J Arc Mode", Items::NoYes, Field::IJArcMode, {488, 256}, {328, 272}},
    {"RadGroupArcModeAbs", "ArcAbsModeStat", "Arc Mode For Absolute Pgms.", Items::AbsInc, Field::ArcModeAbsolute, {488, 288}, {328, 304}},
    {"RadGroupArcIncr", "ArcModeIncrStat", "Arc Mode For Incremental Pgms.", Items::AbsInc, Field::ArcModeIncremental, {488, 320}, {328, 336}},
    {"ModalRadGroup", "RadLab", "Rapid Modal", Items::NoYes, Field::RapidModal, {488, 352}, {328, 368}},
    {"NonModalRadGroup", "NonModLab", "Non-Modal Motion Codes", Items::NoYes, Field::NonModalMotion, {488, 384}, {328, 400}},
};
constexpr QSize OptionBoxSize(129, 33);

static_assert(std::size(Codes) == MiscSetTab::CodeCount);
static_assert(std::size(Options) == MiscSetTab::OptionCount);

// A label has no buddy here, so it would show a stored "&&" as two ampersands.
QString shownCaption(const char *stored)
{
    return QString::fromLatin1(stored).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

} // namespace

MiscSetTab::MiscSetTab(QWidget *parent) : TabPage(parent)
{
    for (int i = 0; i < CodeCount; ++i) {
        const CodeBinding &b = Codes[i];
        m_codes[size_t(i)] = addEdit(b.edit, QRect(b.box, CodeBoxSize), b.limit, true);
        addLabel(b.label, shownCaption(b.caption), b.labelAt);
    }
    for (int i = 0; i < OptionCount; ++i) {
        const OptionBinding &b = Options[i];
        const bool arcMode = b.items == Items::AbsInc;
        m_options[size_t(i)] = addRadioGroup(b.group, QRect(b.box, OptionBoxSize),
                                             arcMode ? QStringLiteral("ABS") : QStringLiteral("No"),
                                             arcMode ? QStringLiteral("INC") : QStringLiteral("Yes"));
        addLabel(b.label, shownCaption(b.caption), b.labelAt);
    }

    // The code boxes tab down each column, columns left to right; the option groups follow
    // in table order.
    std::vector<QWidget *> chain(m_codes.begin(), m_codes.end());
    std::stable_sort(chain.begin(), chain.end(), [](const QWidget *a, const QWidget *b) {
        return std::make_pair(a->x(), a->y()) < std::make_pair(b->x(), b->y());
    });
    chain.insert(chain.end(), m_options.begin(), m_options.end());
    for (size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    nameBoxesWhenListened();
}

void MiscSetTab::nameBoxes()
{
    // The labels' captions, without buddies to carry them.
    for (int i = 0; i < CodeCount; ++i)
        m_codes[size_t(i)]->setAccessibleName(shownCaption(Codes[i].caption));
    for (int i = 0; i < OptionCount; ++i)
        m_options[size_t(i)]->setAccessibleName(shownCaption(Options[i].caption));
}

void MiscSetTab::LoadMiscSetTab(const kvd::DefinitionRecord &record)
{
    for (int i = 0; i < CodeCount; ++i)
        m_codes[size_t(i)]->loadText(record.text(Codes[i].field));
    for (int i = 0; i < OptionCount; ++i)
        m_options[size_t(i)]->setItemIndex(record.choice(Options[i].field));
}

void MiscSetTab::StoreMiscSetTab(kvd::DefinitionRecord &record) const
{
    for (int i = 0; i < CodeCount; ++i)
        record.setText(Codes[i].field, m_codes[size_t(i)]->text());
    for (int i = 0; i < OptionCount; ++i)
        record.setChoice(Options[i].field, m_options[size_t(i)]->itemIndex());
}

int MiscSetTab::offsetOf(const QWidget *widget) const
{
    for (int i = 0; i < CodeCount; ++i)
        if (m_codes[size_t(i)] == widget)
            return kvd::fieldSpec(Codes[i].field).offset;
    for (int i = 0; i < OptionCount; ++i)
        if (m_options[size_t(i)] == widget)
            return kvd::fieldSpec(Options[i].field).offset;
    return -1;
}

bool MiscSetTab::loadField(const kvd::DefinitionRecord &record, int offset)
{
    for (int i = 0; i < CodeCount; ++i) {
        if (kvd::fieldSpec(Codes[i].field).offset == offset) {
            m_codes[size_t(i)]->loadText(record.text(Codes[i].field));
            return true;
        }
    }
    for (int i = 0; i < OptionCount; ++i) {
        if (kvd::fieldSpec(Options[i].field).offset == offset) {
            m_options[size_t(i)]->setItemIndex(record.choice(Options[i].field));
            return true;
        }
    }
    return false;
}
