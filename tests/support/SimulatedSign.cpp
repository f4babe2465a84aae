#include "SimulatedSign.h"

bool SimulatedSign::start(const QString& statePath, const QStringList& arguments) {
    stop();
    proc_ = std::make_unique<QProcess>();
    QStringList args{QStringLiteral("--state"), statePath};
    if (!arguments.contains(QStringLiteral("--pace")))
        args << QStringLiteral("--pace") << QStringLiteral("0");
    args << arguments;
    proc_->setProcessChannelMode(QProcess::SeparateChannels);
    proc_->start(QStringLiteral(LEDSIGN_SIM_PATH), args);
    if (!proc_->waitForStarted(5000))
        return false;
    while (!proc_->canReadLine()) {
        if (!proc_->waitForReadyRead(5000))
            return false;
    }
    device_ = QString::fromLocal8Bit(proc_->readLine()).trimmed();
    return !device_.isEmpty();
}

void SimulatedSign::stop() {
    if (!proc_)
        return;
    if (proc_->state() != QProcess::NotRunning) {
        proc_->closeWriteChannel();
        if (!proc_->waitForFinished(3000)) {
            proc_->terminate();
            proc_->waitForFinished(3000);
        }
    }
    proc_.reset();
}

QString SimulatedSign::output() {
    if (!proc_)
        return {};
    proc_->waitForReadyRead(50);
    return QString::fromLocal8Bit(proc_->readAllStandardOutput());
}

void addSignColumn() {
    QTest::addColumn<bool>("foreignSign");
}

QTestData& newSignRow(bool foreign, const char* tag) {
    return QTest::addRow("%s%s", foreign ? "foreign sign: " : "", tag) << foreign;
}

void onBothSigns() {
    addSignColumn();
    QTest::newRow("plain sign") << false;
    QTest::newRow("foreign sign") << true;
}

QStringList signOfRow(const QStringList& arguments) {
    QFETCH(bool, foreignSign);
    if (!foreignSign)
        return arguments;
    // Each case draws other bytes, the same on every run.
    quint32 seed = 7;
    for (const char* c = QTest::currentTestFunction(); *c; ++c)
        seed = seed * 31 + quint8(*c);
    return arguments + QStringList{QStringLiteral("--foreign"), QStringLiteral("--seed"),
                                   QString::number(seed)};
}

QByteArray signMemory(const QString& statePath) {
    return fileBytes(statePath);
}

QByteArray bankIn(const QByteArray& memory, int bank) {
    return memory.mid(wire::bankBase(bank), layout::kBankSize);
}

bool writeMemory(const QString& statePath, const QByteArray& memory) {
    return writeFileBytes(statePath, memory);
}

void useTestTiming(Exchange& ex) {
    ExchangeTiming& t = ex.timing();
    t.pollMs = 5;
    t.quietPollMs = 2;
    t.passPollUs = 1000;
    t.passPolls = 200;
    t.connectWaitMs = 10;
}

void useQuickLinkTiming(Exchange& ex) {
    useTestTiming(ex);
    ex.timing().quietPollMs = 1;
    ex.timing().polls = 30;
}

bool SignRig::start(const QStringList& arguments, const QByteArray& memory) {
    if (!memory.isEmpty() && !writeMemory(state, memory))
        return false;
    if (!sim.start(state, QStringList{QStringLiteral("--log"), log} + arguments))
        return false;
    link.portName = sim.device();
    return true;
}

QStringList SignRig::lineArgs() const {
    return {QStringLiteral("--port"), link.portName, QStringLiteral("--poll-ms"),
            QStringLiteral("5"), QStringLiteral("-q")};
}

QStringList SignRig::traffic(const QString& command) const {
    QFile f(log);
    QStringList out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QString l = QString::fromLatin1(line);
        const qsizetype at = l.indexOf(QLatin1Char(' ') + command + QLatin1Char(' '));
        if (l.startsWith(QLatin1String("in ")) && at >= 0)
            out << l.mid(at + 1);
    }
    return out;
}

QList<int> SignRig::clockStages() const {
    QFile f(log);
    QList<int> out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (!line.startsWith("display ") || !line.contains("code 0x62"))
            continue;
        out << line.split(' ').last().toInt(nullptr, 16);
    }
    return out;
}

QByteArray preparedMemory(const QStringList& arguments) {
    SignRig rig;
    if (!rig.start(arguments))
        return {};
    rig.sim.stop();
    return rig.memory();
}
