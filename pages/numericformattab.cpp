#include "numericformattab.h"

#include "codeedit.h"
#include "numbertext.h"
#include "radiogroup.h"
#include "record/definitionrecord.h"

#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

using kvd::Field;

enum class Kind { Text, Real, Integer, Choice };

struct Binding {
    const char *widget;
    const char *label;
    const char *caption;
    Field field;
    Kind kind;
    int limit;    // edit boxes: the longest text the user can type
    int decimals; // real boxes: decimals shown
    QRect box;
    QPoint labelAt;
    int tabStop; // place in the Tab key's order; -1 reaches the widget by clicking only
};

constexpr int Rows[] = {224, 248, 272, 296, 320, 344, 368, 392};

constexpr QRect leftBox(int row) { return {200, Rows[row], 73, 21}; }
constexpr QPoint leftLabel(int row) { return {56, Rows[row] + 2}; }
constexpr QRect rightBox(int row) { return {512, Rows[row], 73, 21}; }
constexpr QPoint rightLabel(int row) { return {368, Rows[row] + 2}; }

// In load and store order. The formats are listed by the page's rows (normal inch,
// normal metric, extra inch, extra metric), not by their place in the record.
const Binding Bindings[] = {
    {"ControllerEdit", "Controller", "Controller:", Field::ControllerName, Kind::Text, 19, 0, {248, 16, 145, 21}, {176, 18}, -1},
    {"RTDEdit", "RTDStat", "Rapid Threshold Distance (in.):", Field::RapidThresholdDistance, Kind::Real, 5, 2, {312, 56, 73, 21}, {144, 58}, 0},
    {"MAREdit", "MARStat", "Minimum Arc Radius (in.):", Field::MinArcRadius, Kind::Real, 5, 2, {312, 80, 73, 21}, {144, 82}, 1},
    {"MADEdit", "MADStat", "Minimum Arc Distance (in.):", Field::MinArcDistance, Kind::Real, 5, 2, {312, 104, 73, 21}, {144, 106}, 2},
    {"RadGroupImpDec", "ImpDecStat", "Use Implied Decimals:", Field::ImpliedDecimals, Kind::Choice, 0, 0, {184, 144, 97, 41}, {56, 168}, 3},
    {"RadGroupFRImpDec", "StaticText5", "Feedrate Implied Decimals:", Field::FeedImpliedDecimals, Kind::Choice, 0, 0, {504, 144, 97, 41}, {368, 168}, 16},
    {"NormPrecEdit", "NormPreStat", "Normal Precision / Inch:", Field::NormalPrecisionInch, Kind::Real, 5, 1, leftBox(0), leftLabel(0), 4},
    {"NormPrecMetEdit", "NormPreMetStat", "Normal Precision / Metric:", Field::NormalPrecisionMetric, Kind::Real, 5, 1, leftBox(1), leftLabel(1), 5},
    {"XPreIEdit", "XPrecInStat", "Extra Precision / Inch:", Field::ExtraPrecisionInch, Kind::Real, 5, 1, leftBox(2), leftLabel(2), 6},
    {"XPrecMetEdit", "XPreMetStat", "Extra Precision / Metric:", Field::ExtraPrecisionMetric, Kind::Real, 5, 1, leftBox(3), leftLabel(3), 7},
    {"FeedIEdit", "StaticText1", "Normal Feedrate / Inch:", Field::FeedPrecisionInch, Kind::Real, 5, 1, leftBox(4), leftLabel(4), 8},
    {"FeedMetEdit", "StaticText2", "Normal Feedrate / Metric:", Field::FeedPrecisionMetric, Kind::Real, 5, 1, leftBox(5), leftLabel(5), 9},
    {"XPrecFeedIEdit", "StaticText6", "Extra Prec. Feedrate / Inch:", Field::ExtraFeedPrecisionInch, Kind::Real, 5, 1, leftBox(6), leftLabel(6), 17},
    {"XPrecFeedMetEdit", "StaticText7", "Extra Prec. Feedrate / Metric:", Field::ExtraFeedPrecisionMetric, Kind::Real, 5, 1, leftBox(7), leftLabel(7), 18},
    {"NormPreEdit", "NorPreInStat", "Normal Precision / Inch:", Field::NormalShiftInch, Kind::Integer, 5, 0, rightBox(0), rightLabel(0), 10},
    {"NormPreMetEdit", "NorPreMetStat", "Normal Precision / Metric:", Field::NormalShiftMetric, Kind::Integer, 5, 0, rightBox(1), rightLabel(1), 11},
    {"XPreInchEdit", "XPreInch", "Extra Precision / Inch:", Field::ExtraShiftInch, Kind::Integer, 5, 0, rightBox(2), rightLabel(2), 12},
    {"XtraPrecMetEdit", "XPrecMetStat", "Extra Precision / Metric:", Field::ExtraShiftMetric, Kind::Integer, 5, 0, rightBox(3), rightLabel(3), 13},
    {"FeedIShiftEdit", "StaticText3", "Normal Feedrate / Inch:", Field::FeedShiftInch, Kind::Integer, 5, 0, rightBox(4), rightLabel(4), 14},
    {"FeedMetShiftEdit", "StaticText4", "Normal Feedrate / Metric:", Field::FeedShiftMetric, Kind::Integer, 5, 0, rightBox(5), rightLabel(5), 15},
    {"XPrecFeedIShiftEdit", "StaticText8", "Extra Prec. Feedrate / Inch:", Field::ExtraFeedShiftInch, Kind::Integer, 5, 0, rightBox(6), rightLabel(6), 19},
    {"XPrecFeedMetShiftEdit", "StaticText9", "Extra Prec. Feedrate / Metric:", Field::ExtraFeedShiftMetric, Kind::Integer, 5, 0, rightBox(7), rightLabel(7), 20},
};

struct Text {
    const char *name;
    const char *caption;
    QPoint at;
    bool heading; // drawn over its frame's top edge
};

const Text Texts[] = {
    {"default1", "(0.0 defaults to 6.00)", {392, 58}, false},
    {"default2", "(0.0 defaults to 0.01)", {392, 82}, false},
    {"default3", "(0.0 defaults to 0.01)", {392, 106}, false},
    {"DecFromStat", "Decimal Formats:", {56, 200}, true},
    {"DecShifValStat", "Decimal Shifts Values:", {368, 200}, true},
};

struct Frame {
    const char *name;
    QRect geometry;
    const char *group; // what the boxes in the frame are, where the same captions recur
};

const Frame Frames[] = {
    {"RMMBevel", {128, 48, 385, 89}, nullptr},
    {"Bevel1", {48, 208, 241, 217}, "Decimal Formats"},
    {"DecShiftBev", {352, 208, 249, 217}, "Decimal Shifts Values"},
};

} // namespace

NumericFormatTab::NumericFormatTab(QWidget *parent)
    : TabPage(parent), m_separator(numbertext::decimalSeparatorOf(locale()))
{
    // Frames first, so that everything else is drawn over them.
    for (const Frame &f : Frames) {
        auto *frame = new QFrame(this);
        frame->setObjectName(QLatin1String(f.name));
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        frame->setGeometry(f.geometry);
    }

    m_boxes.resize(std::size(Bindings));
    for (std::size_t i = 0; i < std::size(Bindings); ++i) {
        const Binding &b = Bindings[i];
        const QString caption = QString::fromLatin1(b.caption);
        QLabel *label = addLabel(b.label, caption, b.labelAt);
        QWidget *box;
        if (b.kind == Kind::Choice)
            box = m_boxes[i].group = addRadioGroup(b.widget, b.box, QStringLiteral("No"), QStringLiteral("Yes"));
        else
            box = m_boxes[i].edit = addEdit(b.widget, b.box, b.limit, false);
        label->setBuddy(box); // the label names the box; none of these captions holds an ampersand
    }

    for (const Text &t : Texts) {
        QLabel *label = addLabel(t.name, QString::fromLatin1(t.caption), t.at);
        label->setAutoFillBackground(t.heading);
    }

    // Tab order: a radio group is entered through its buttons.
    std::vector<std::pair<int, std::size_t>> stops;
    for (std::size_t i = 0; i < std::size(Bindings); ++i) {
        if (Bindings[i].tabStop < 0)
            m_boxes[i].edit->setFocusPolicy(Qt::ClickFocus);
        else
            stops.emplace_back(Bindings[i].tabStop, i);
    }
    std::sort(stops.begin(), stops.end());
    QWidget *previous = nullptr;
    const auto chain = [&previous](QWidget *next) {
        if (previous)
            QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (const auto &stop : stops) {
        const Box &box = m_boxes[stop.second];
        if (box.group) {
            for (QRadioButton *button : box.group->findChildren<QRadioButton *>())
                chain(button);
        } else {
            chain(box.edit);
        }
    }
    nameBoxesWhenListened();
}

void NumericFormatTab::nameBoxes()
{
    // The frames of formats and of shifts repeat each other's captions: the frame tells them apart.
    for (std::size_t i = 0; i < std::size(Bindings); ++i) {
        const Binding &b = Bindings[i];
        QWidget *box = m_boxes[i].edit ? static_cast<QWidget *>(m_boxes[i].edit) : m_boxes[i].group;
        for (const Frame &f : Frames)
            if (f.group && f.geometry.contains(b.box))
                box->setAccessibleName(QString::fromLatin1(f.group) + QStringLiteral(", ")
                                       + QString::fromLatin1(b.caption));
    }
}

void NumericFormatTab::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LocaleChange)
        m_separator = numbertext::decimalSeparatorOf(locale());
    TabPage::changeEvent(event);
}

void NumericFormatTab::LoadNumericFormatTab(const kvd::DefinitionRecord &record)
{
    for (std::size_t i = 0; i < m_boxes.size(); ++i)
        loadBox(i, record);
}

void NumericFormatTab::loadBox(std::size_t i, const kvd::DefinitionRecord &record)
{
    const Binding &b = Bindings[i];
    Box &box = m_boxes[i];
    switch (b.kind) {
    case Kind::Text:
        box.edit->loadText(record.text(b.field));
        break;
    case Kind::Real:
        box.real.bits = record.realBits(b.field);
        box.real.shownText = numbertext::showReal(record.real(b.field), b.decimals, m_separator);
        box.edit->loadText(*box.real.shownText);
        break;
    case Kind::Integer:
        box.edit->loadText(numbertext::showInteger(record.integer(b.field)));
        break;
    case Kind::Choice:
        box.group->setItemIndex(record.choice(b.field));
        break;
    }
}

int NumericFormatTab::offsetOf(const QWidget *widget) const
{
    for (std::size_t i = 0; i < m_boxes.size(); ++i)
        if (m_boxes[i].edit == widget || m_boxes[i].group == widget)
            return kvd::fieldSpec(Bindings[i].field).offset;
    return -1;
}

bool NumericFormatTab::loadField(const kvd::DefinitionRecord &record, int offset)
{
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        if (kvd::fieldSpec(Bindings[i].field).offset == offset) {
            loadBox(i, record);
            return true;
        }
    }
    return false;
}

std::vector<NumericFormatTab::RealMemory> NumericFormatTab::realMemories() const
{
    std::vector<RealMemory> out;
    for (const Box &box : m_boxes)
        out.push_back(box.real);
    return out;
}

void NumericFormatTab::setRealMemory(std::size_t index, const RealMemory &memory)
{
    m_boxes[index].real = memory;
}

std::optional<QString> NumericFormatTab::StoreNumericFormatTab(kvd::DefinitionRecord &record)
{
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        const Binding &b = Bindings[i];
        Box &box = m_boxes[i];
        switch (b.kind) {
        case Kind::Text:
            record.setText(b.field, box.edit->text());
            break;
        case Kind::Real: {
            // The loaded pair stays: an edit undone after a save still writes the loaded bits.
            const QString text = box.edit->text();
            if (box.real.shownText == text) {
                record.setRealBits(b.field, box.real.bits);
                break;
            }
            const numbertext::RealResult parsed = numbertext::parseReal(text, m_separator);
            if (parsed.error)
                return parsed.error;
            record.setReal(b.field, parsed.value);
            break;
        }
        case Kind::Integer: {
            const numbertext::IntegerResult parsed = numbertext::parseInteger(box.edit->text());
            if (parsed.error)
                return parsed.error;
            record.setInteger(b.field, parsed.value);
            break;
        }
        case Kind::Choice:
            record.setChoice(b.field, box.group->itemIndex());
            break;
        }
    }
    return std::nullopt;
}
