// libFuzzer target: any bytes as the text that `kvdtool create` and `set --from` read. The
// text is refused with one message per fault, each naming its line, or it gives a record
// whose `dump --all` builds that same record again. No window is involved, so this runs
// thousands of inputs a second.

#include "tools/kvdtool/assignment.h"
#include "tools/kvdtool/dump.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace kvdtool;

[[noreturn]] void breach(const char *what, const QByteArray &detail = QByteArray())
{
    std::fprintf(stderr, "property broken: %s\n%s\n", what, detail.constData());
    std::abort();
}

// What create does with a text: the record, or the messages.
std::vector<QByteArray> build(const QByteArray &text, const QByteArray &source, Rules rules, kvd::DefinitionRecord &record)
{
    std::vector<Assignment> assignments;
    std::vector<QByteArray> errors;
    parseLines(text, source, rules, assignments, errors);
    findRepeats(assignments, errors);
    if (errors.empty())
        errors = applyAssignments(assignments, record);
    return errors;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    kvd::DefinitionRecord record;
    const std::vector<QByteArray> errors = build(text, "in", Rules::Exact, record);
    for (const QByteArray &e : errors) {
        if (!e.startsWith("in:") || e.contains('\n'))
            breach("a message that does not name its line, or spans lines", e);
    }

    if (!errors.empty())
        return 0;

    // set's rules refuse more (choices other than 0 and 1) but never read a value differently.
    kvd::DefinitionRecord stored;
    if (build(text, "in", Rules::Store, stored).empty() && stored != record)
        breach("set's rules read a value differently", text);

    const QByteArray dump = dumpText(record, true);
    kvd::DefinitionRecord rebuilt;
    const std::vector<QByteArray> again = build(dump, "dump", Rules::Exact, rebuilt);
    if (!again.empty())
        breach("the dump of an accepted text is refused", again.front());
    if (rebuilt != record)
        breach("the dump of an accepted text builds another record", dump);
    return 0;
}
