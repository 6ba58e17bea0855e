// Writes examples/sample.kvd: a plausible definition for a plasma table with an
// oxy-fuel torch, a zinc scribe and a punch, so a new user has something to open.

#include "record/definitionrecord.h"
#include "record/kvdfile.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace kvd;

static DefinitionRecord sample()
{
    DefinitionRecord r;
    r.setText(Field::ControllerName, QStringLiteral("Plasma Table 2.4"));
    r.setText(Field::StartOfFile, QStringLiteral("%"));
    r.setText(Field::EndOfFile, QStringLiteral("%"));
    r.setText(Field::StartOfCncData, QStringLiteral("G92X0Y0"));
    r.setText(Field::StartOfProgram, QStringLiteral("G90"));
    r.setText(Field::EndOfProgram, QStringLiteral("M30"));
    r.setText(Field::InchCode, QStringLiteral("G20"));
    r.setText(Field::MetricCode, QStringLiteral("G21"));
    r.setText(Field::KerfOffCode, QStringLiteral("G40"));
    r.setText(Field::KerfLeftCode, QStringLiteral("G41"));
    r.setText(Field::KerfRightCode, QStringLiteral("G42"));
    r.setText(Field::KerfValueWord, QStringLiteral("D"));
    r.setText(Field::AhcOnCode, QStringLiteral("M15"));
    r.setText(Field::AhcOffCode, QStringLiteral("M16"));
    r.setText(Field::AbsZeroInit, QStringLiteral("G92X0Y0"));

    r.setReal(Field::RapidThresholdDistance, 6.0);
    r.setReal(Field::MinArcRadius, 0.01);
    r.setReal(Field::MinArcDistance, 0.01);
    r.setChoice(Field::ImpliedDecimals, 0);
    r.setChoice(Field::FeedImpliedDecimals, 0);
    r.setReal(Field::NormalPrecisionInch, 2.4);
    r.setReal(Field::ExtraPrecisionInch, 2.5);
    r.setReal(Field::NormalPrecisionMetric, 3.3);
    r.setReal(Field::ExtraPrecisionMetric, 3.4);
    r.setReal(Field::FeedPrecisionInch, 3.1);
    r.setReal(Field::ExtraFeedPrecisionInch, 3.2);
    r.setReal(Field::FeedPrecisionMetric, 4.0);
    r.setReal(Field::ExtraFeedPrecisionMetric, 4.1);
    r.setInteger(Field::NormalShiftInch, 4);
    r.setInteger(Field::ExtraShiftInch, 5);
    r.setInteger(Field::NormalShiftMetric, 3);
    r.setInteger(Field::ExtraShiftMetric, 4);
    r.setInteger(Field::FeedShiftInch, 1);
    r.setInteger(Field::ExtraFeedShiftInch, 2);
    r.setInteger(Field::FeedShiftMetric, 0);
    r.setInteger(Field::ExtraFeedShiftMetric, 1);

    r.setChoice(Field::XYAlwaysOnArcs, 1);
    r.setChoice(Field::PlusOnXY, 0);
    r.setChoice(Field::PlusOnIJ, 0);
    r.setChoice(Field::UnsignedIJ, 0);
    r.setChoice(Field::QuadrantArcsOnly, 0);
    r.setChoice(Field::EssiFormat, 0);
    r.setChoice(Field::KerfCompIncludesValue, 1);
    r.setChoice(Field::IncrementalOnly, 0);
    r.setChoice(Field::AbsoluteOnly, 1);
    r.setChoice(Field::IJArcMode, 1);
    r.setChoice(Field::ArcModeAbsolute, 1);
    r.setChoice(Field::ArcModeIncremental, 1);
    r.setChoice(Field::RapidModal, 1);
    r.setChoice(Field::NonModalMotion, 0);

    // Two cut processes, one scribe, one point process.
    r.setInteger(Field::CutProcessIndex, 1);
    r.setInteger(Field::ScribeProcessIndex, 0);
    r.setInteger(Field::PointProcessIndex, 0);

    r.setText(processName(1), QStringLiteral("Plasma"));
    r.setText(cutSeq(1, 1, 1), QStringLiteral("M07"));
    r.setText(cutSeq(2, 1, 1), QStringLiteral("M08"));
    r.setText(cutSeq(3, 1, 1), QStringLiteral("M08"));
    r.setText(cutSeq(3, 2, 1), QStringLiteral("M10"));
    r.setText(offsetOn(1, 1), QStringLiteral("G41"));
    r.setText(offsetOff(1, 1), QStringLiteral("G40"));
    r.setText(beforeProcess(1), QStringLiteral("M15"));
    r.setText(afterProcess(1), QStringLiteral("M16"));

    r.setText(processName(2), QStringLiteral("Oxy-fuel"));
    r.setText(cutSeq(1, 1, 2), QStringLiteral("M14"));
    r.setText(cutSeq(1, 2, 2), QStringLiteral("G04P5"));
    r.setText(cutSeq(2, 1, 2), QStringLiteral("M15"));
    r.setText(cutSeq(3, 1, 2), QStringLiteral("M15"));
    r.setText(cutSeq(3, 2, 2), QStringLiteral("M10"));
    r.setText(offsetOn(1, 2), QStringLiteral("G41"));
    r.setText(offsetOff(1, 2), QStringLiteral("G40"));

    r.setText(processName(4), QStringLiteral("Zinc"));
    r.setText(scribeSeq(1, 1, 4), QStringLiteral("M09"));
    r.setText(scribeSeq(2, 1, 4), QStringLiteral("M13"));

    r.setText(processName(6), QStringLiteral("Punch"));
    r.setText(activateSeq(1, 6), QStringLiteral("M36"));
    r.setText(activateSeq(2, 6), QStringLiteral("G04P2"));
    r.setText(activateSeq(3, 6), QStringLiteral("M37"));
    return r;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: makesample OUTPUT.kvd\n";
        return 2;
    }
    if (const auto error = writeRecordNew(args.at(1), sample())) {
        QTextStream(stderr) << args.at(1)
                            << (error->kind == FileError::NotOpened ? QStringLiteral(" could not be opened")
                                                                    : QStringLiteral(": ") + error->message())
                            << '\n';
        return 1;
    }
    return 0;
}
