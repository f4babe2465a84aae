// The units table of `ledsign batch`: any bytes as UTF-8 CSV, read and checked against the
// default template as a batch does before it touches a sign.
#include "FuzzInput.h"
#include "batch/BatchPlan.h"
#include "image/ParamImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QByteArray templ = ParamImage().toByteArray();
    const QByteArray csv(reinterpret_cast<const char*>(data), qsizetype(size));
    const batch::Plan plan = batch::makePlan(templ, csv, QStringLiteral("u.csv"));
    // A usable plan has units and no errors; an unusable one errors and no units.
    if ((plan.exitCode == 0) != plan.errors.isEmpty() ||
        (plan.exitCode == 0) == plan.units.isEmpty())
        qFatal("exit %d with %d errors and %d units", plan.exitCode, int(plan.errors.size()),
               int(plan.units.size()));
    // Every error names a line of the file: CR, LF and CRLF each end one.
    const int lines = int(csv.count('\n') + csv.count('\r') - csv.count("\r\n")) + 1;
    for (const QString& e : plan.errors) {
        bool ok = false;
        const int line = e.section(QLatin1Char(':'), 1, 1).toInt(&ok);
        if (!ok || line < 1 || line > lines)
            qFatal("an error without a line of the file: %s", qPrintable(e));
    }
    for (const batch::Unit& u : plan.units) {
        if (u.image.size() != 4096 || u.label.trimmed().isEmpty())
            qFatal("a unit without its image or its name");
        for (const QChar c : batch::printable(u.label))
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                qFatal("a control character shown raw");
    }
    return 0;
}
