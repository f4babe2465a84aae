#include "app/production/ProductionSetup.h"

#include "app/WindowMemory.h"
#include "core/Messages.h"
#include "image/ParamImage.h"
#include "image/TableFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace production {

namespace {
const QString kTemplate = QStringLiteral("production/template");
const QString kUnits = QStringLiteral("production/units");
const QString kPorts = QStringLiteral("production/ports");
const QString kLog = QStringLiteral("production/log");

namespace pm = msg::production;
} // namespace

Setup Setup::remembered(const WindowMemory& memory) {
    return {memory.text(kTemplate), memory.text(kUnits), memory.texts(kPorts), memory.text(kLog)};
}

void Setup::remember(WindowMemory& memory) const {
    memory.setText(kTemplate, templatePath);
    memory.setText(kUnits, unitsPath);
    memory.setTexts(kPorts, ports);
    memory.setText(kLog, logPath);
}

QString defaultLogFor(const QString& unitsPath) {
    const QFileInfo units(unitsPath);
    return units.absolutePath() + QLatin1Char('/') + units.completeBaseName() +
           QStringLiteral(".jsonl");
}

Checked check(const Setup& setup) {
    Checked c;
    if (setup.templatePath.isEmpty())
        c.errors << pm::noTemplate;
    if (setup.unitsPath.isEmpty())
        c.errors << pm::noUnits;
    if (setup.ports.isEmpty())
        c.errors << pm::noPorts;
    if (setup.logPath.isEmpty())
        c.errors << pm::noLog;

    ParamImage templ;
    bool templateUsable = false;
    if (!setup.templatePath.isEmpty()) {
        const tablefile::OpenResult r =
            tablefile::open(QFileInfo(setup.templatePath).absoluteFilePath(), templ);
        const QString name = QFileInfo(setup.templatePath).fileName();
        if (r.outcome == tablefile::Outcome::Unreadable)
            c.errors << pm::fileProblem(name, r.message + QLatin1Char(' ') + r.detail);
        else if (r.outcome == tablefile::Outcome::Refused)
            c.errors << pm::fileProblem(name, r.message);
        else
            templateUsable = true;
        if (QFile f(setup.templatePath); templateUsable && f.open(QIODevice::ReadOnly))
            c.fingerprint = QString::fromLatin1(
                QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex().left(8));
    }
    if (!setup.unitsPath.isEmpty()) {
        QFile units(setup.unitsPath);
        const QString name = QFileInfo(setup.unitsPath).fileName();
        if (!units.open(QIODevice::ReadOnly)) {
            c.errors << pm::fileProblem(name,
                                        msg::openError + QLatin1Char(' ') + units.errorString());
        } else if (templateUsable) {
            c.templateImage = templ.toByteArray();
            c.plan = batch::makePlan(c.templateImage, units.readAll(), name);
            if (c.plan.exitCode != 0)
                c.errors << c.plan.errors;
        }
    }
    return c;
}

} // namespace production
