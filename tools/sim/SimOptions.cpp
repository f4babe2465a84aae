#include "SimOptions.h"

#include <QCommandLineParser>
#include <QLocale>
#include <tuple>

namespace {

std::optional<quint64> positiveNumber(const QString& text) {
    bool ok = false;
    const quint64 v = QLocale::c().toULongLong(text.trimmed(), &ok);
    if (!ok || v == 0)
        return std::nullopt;
    return v;
}

} // namespace

std::optional<SimOptions> parseSimOptions(const QStringList& arguments, QString* error) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated LED sign on a pseudo-terminal. Prints the device path (for "
                       "example /dev/pts/7) as its first line on stdout, then answers the "
                       "programmer as the sign does. Ends on SIGTERM, SIGINT, SIGHUP, and when "
                       "stdin (a pipe or terminal) reaches its end."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption state(
        QStringLiteral("state"),
        QStringLiteral("Keep the 1 MiB memory in <file>, saved after every erase and write. A "
                       "missing file is created with the default image in both banks and the "
                       "default firmware identification; an existing one is used as it is. "
                       "Without this option the memory is not kept."),
        QStringLiteral("file"));
    const QCommandLineOption init(
        QStringLiteral("init"),
        QStringLiteral("Write a prepared image into both banks: default, erased, bank0-bad, "
                       "bank1-bad (that bank with a bad sum and a bad tail, the other good), "
                       "pager (model tag \"POCSAG\", capcode #1 1111111, sequential lock 9, air "
                       "password 1111111111), foreign (model tag \"FOREIGN_1.00\"), "
                       "read-password=TEXT (default image with that read password)."),
        QStringLiteral("kind"));
    const QCommandLineOption firmware(
        QStringLiteral("firmware"),
        QStringLiteral("Set the 12-byte identification at 0xEFFE0: up to 12 characters, padded "
                       "with zero bytes (default of a new memory: \"POCSAG  2.52\"), or "
                       "'erased' for twelve 0xFF."),
        QStringLiteral("text"));
    const QCommandLineOption noDisplay(
        QStringLiteral("no-display"),
        QStringLiteral("The display controller is absent: pass-through frames get no answer."));
    const QCommandLineOption nak(
        QStringLiteral("nak"),
        QStringLiteral("Refuse device frame <n> (counting frames that parse, from 1) with a "
                       "negative acknowledgement 02 15; it is not carried out. Repeat the "
                       "option or give a comma-separated list for several frames."),
        QStringLiteral("n"));
    const QCommandLineOption dieAfter(
        QStringLiteral("die-after"),
        QStringLiteral("Power cut: carry out device frame <n> (memory saved), then answer "
                       "nothing more - frame <n> included - and exit."),
        QStringLiteral("n"));
    const QCommandLineOption strayEtx(
        QStringLiteral("stray-etx"),
        QStringLiteral("Put a stray 0x03 among the first bytes of every reply frame."));
    const QCommandLineOption strayBefore(
        QStringLiteral("stray-before"),
        QStringLiteral("Send one stray byte (never 02, 03, 06, 15 or 1B) just before the answer "
                       "to device frame <n>. Repeat the option or give a comma-separated list "
                       "for several frames."),
        QStringLiteral("n"));
    const QCommandLineOption writeIgnored(
        QStringLiteral("write-ignored"),
        QStringLiteral("Acknowledge write frame <n> (device frames counted from 1) but leave the "
                       "memory as it was. Repeatable, or a comma-separated list."),
        QStringLiteral("n"));
    const QCommandLineOption writeHalf(
        QStringLiteral("write-half"),
        QStringLiteral("Acknowledge write frame <n> but carry out only its first half."),
        QStringLiteral("n"));
    const QCommandLineOption eraseIgnored(
        QStringLiteral("erase-ignored"),
        QStringLiteral("Acknowledge erase frame <n> but leave the sector as it was."),
        QStringLiteral("n"));
    const QCommandLineOption stuckBit(
        QStringLiteral("stuck-bit"),
        QStringLiteral("A flash bit that keeps its value through every erase and write: "
                       "ADDRESS:BIT:VALUE, the address in hex (0x88010), the bit 0-7, the value "
                       "0 or 1. Repeatable."),
        QStringLiteral("cell"));
    const QCommandLineOption flipReply(
        QStringLiteral("flip-reply"),
        QStringLiteral("Answer read frame <n> with bit 0 of its first data byte flipped (the "
                       "reply's own sum made to match)."),
        QStringLiteral("n"));
    const QCommandLineOption garbleReply(
        QStringLiteral("garble-reply"),
        QStringLiteral("Answer read frame <n> (a bank tail, say) with every data byte scrambled "
                       "(the reply's own sum made to match)."),
        QStringLiteral("n"));
    const QCommandLineOption noise(
        QStringLiteral("noise"),
        QStringLiteral("Line noise on some answers, chosen by a pseudo-random sequence from "
                       "--seed: by default a few stray bytes (never 02, 03, 06, 15 or 1B) before "
                       "about one answer in four."));
    const QCommandLineOption noiseRate(
        QStringLiteral("noise-rate"),
        QStringLiteral("Percentage of answers --noise hits, 0 to 100 (default 25). Implies "
                       "--noise."),
        QStringLiteral("percent"));
    const QCommandLineOption noiseKind(
        QStringLiteral("noise-kind"),
        QStringLiteral("What --noise does to an answer it hits: strays (stray bytes before it, "
                       "the default), flips (one bit flipped inside a reply frame, end byte "
                       "excepted; acknowledgements are spared) or both (either, at random). "
                       "Implies --noise."),
        QStringLiteral("kind"));
    const QCommandLineOption foreign(
        QStringLiteral("foreign"),
        QStringLiteral("Answer as another firmware build may: the acknowledgement's first, third "
                       "and fourth bytes (and a negative one's second byte, never 06), the 14 "
                       "header bytes of a reply and the 0 to 3 bytes after its data are drawn at "
                       "random per answer from --seed."));
    const QCommandLineOption seed(
        QStringLiteral("seed"),
        QStringLiteral("Seed of the --noise and --foreign sequences (default 1)."),
        QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption pace(
        QStringLiteral("pace"),
        QStringLiteral("Line speed to imitate, 10 bits per byte: answers leave no faster, and "
                       "none starts before the request would have arrived at that speed. "
                       "0 = as fast as possible. Default 19200."),
        QStringLiteral("baud"), QStringLiteral("19200"));
    const QCommandLineOption log(
        QStringLiteral("log"),
        QStringLiteral("Write every frame in and out to <file>, one line each, decoded, each "
                       "line of line traffic starting 'in N bytes' or 'out N bytes'; a last "
                       "line 'total in=N out=M' on exit."),
        QStringLiteral("file"));
    const QCommandLineOption noStdin(
        QStringLiteral("no-stdin"),
        QStringLiteral("Do not end when stdin ends (stdin is only watched anyway when it is a "
                       "pipe, socket or terminal)."));
    const QCommandLineOption show(
        QStringLiteral("show"),
        QStringLiteral("Print the text of every display frame received on stdout, one line "
                       "each, as the sign's display would show it (the clock frames excepted)."));
    const QCommandLineOption line(
        QStringLiteral("line"),
        QStringLiteral("Play a line of <n> signs: once both banks have been written, the next "
                       "link request finds the sign unplugged (silent for --swap-ms), then a "
                       "fresh sign with its own memory in the state file with .1, .2 ... "
                       "appended. After the last sign the line stays silent."),
        QStringLiteral("n"));
    const QCommandLineOption swap(QStringLiteral("swap-ms"),
                                  QStringLiteral("How long a sign of --line stays unplugged "
                                                 "(default 2500)."),
                                  QStringLiteral("ms"));
    parser.addOptions({line, swap, noiseRate, noiseKind, foreign});
    parser.addOptions({state,        init,     firmware,    noDisplay,    nak,
                       dieAfter,     strayEtx, strayBefore, writeIgnored, writeHalf,
                       eraseIgnored, stuckBit, flipReply,   garbleReply,  noise,
                       seed,         pace,     log,         noStdin,      show});

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(help))
        parser.showHelp(0);
    if (parser.isSet(version))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments()[0]);
        return std::nullopt;
    }

    SimOptions o;
    o.statePath = parser.value(state);
    for (auto [option, into, least] :
         {std::tuple{&line, &o.line, 1}, std::tuple{&swap, &o.swapMs, 0}}) {
        if (!parser.isSet(*option))
            continue;
        bool ok = false;
        *into = QLocale::c().toInt(parser.value(*option), &ok);
        if (!ok || *into < least) {
            *error = QStringLiteral("--%1 takes a number from %2")
                         .arg(option->names().first())
                         .arg(least);
            return std::nullopt;
        }
    }
    if (o.line > 0 && !o.statePath.isEmpty())
        o.statePath += QStringLiteral(".1");
    if (parser.isSet(init)) {
        o.init = parseInitChoice(parser.value(init), error);
        if (!o.init)
            return std::nullopt;
    }
    if (parser.isSet(firmware)) {
        o.firmware = parseFirmwareId(parser.value(firmware), error);
        if (!o.firmware)
            return std::nullopt;
    }
    o.display = !parser.isSet(noDisplay);
    auto frameNumbers = [&](const QCommandLineOption& option, QSet<quint64>& into) {
        for (const QString& value : parser.values(option))
            for (const QString& item : value.split(QLatin1Char(','))) {
                const auto n = positiveNumber(item);
                if (!n) {
                    *error = QStringLiteral("--%1 takes frame numbers from 1, not '%2'")
                                 .arg(option.names().first(), item);
                    return false;
                }
                into.insert(*n);
            }
        return true;
    };
    if (!frameNumbers(nak, o.nakFrames) || !frameNumbers(strayBefore, o.strayBefore) ||
        !frameNumbers(writeIgnored, o.writeIgnored) || !frameNumbers(writeHalf, o.writeHalf) ||
        !frameNumbers(eraseIgnored, o.eraseIgnored) || !frameNumbers(flipReply, o.flipReply) ||
        !frameNumbers(garbleReply, o.garbleReply))
        return std::nullopt;
    for (const QString& cell : parser.values(stuckBit)) {
        const QStringList parts = cell.split(QLatin1Char(':'));
        bool okA = false, okB = false, okV = false;
        SimOptions::StuckBit b;
        if (parts.size() == 3) {
            b.address = parts[0].trimmed().toUInt(&okA, 16); // "0x" allowed
            b.bit = QLocale::c().toInt(parts[1], &okB);
            const int v = QLocale::c().toInt(parts[2], &okV);
            okB = okB && b.bit >= 0 && b.bit <= 7;
            okV = okV && (v == 0 || v == 1);
            b.value = v == 1;
        }
        if (!okA || !okB || !okV) {
            *error = QStringLiteral("--stuck-bit takes ADDRESS:BIT:VALUE, not '%1'").arg(cell);
            return std::nullopt;
        }
        o.stuckBits << b;
    }
    if (parser.isSet(dieAfter)) {
        const auto n = positiveNumber(parser.value(dieAfter));
        if (!n) {
            *error = QStringLiteral("--die-after takes a frame number from 1");
            return std::nullopt;
        }
        o.dieAfter = *n;
    }
    o.strayEtx = parser.isSet(strayEtx);
    o.noise = parser.isSet(noise) || parser.isSet(noiseRate) || parser.isSet(noiseKind);
    bool ok = false;
    if (parser.isSet(noiseRate)) {
        o.noiseRate = QLocale::c().toInt(parser.value(noiseRate), &ok);
        if (!ok || o.noiseRate < 0 || o.noiseRate > 100) {
            *error = QStringLiteral("--noise-rate takes a percentage from 0 to 100");
            return std::nullopt;
        }
    }
    if (parser.isSet(noiseKind)) {
        const QString kind = parser.value(noiseKind);
        if (kind == QLatin1String("strays")) {
            o.noiseKind = SimOptions::NoiseKind::Strays;
        } else if (kind == QLatin1String("flips")) {
            o.noiseKind = SimOptions::NoiseKind::Flips;
        } else if (kind == QLatin1String("both")) {
            o.noiseKind = SimOptions::NoiseKind::Both;
        } else {
            *error = QStringLiteral("--noise-kind takes strays, flips or both, not '%1'").arg(kind);
            return std::nullopt;
        }
    }
    o.foreign = parser.isSet(foreign);
    o.seed = QLocale::c().toUInt(parser.value(seed), &ok);
    if (!ok) {
        *error = QStringLiteral("--seed takes a number");
        return std::nullopt;
    }
    o.pace = QLocale::c().toInt(parser.value(pace), &ok);
    if (!ok || o.pace < 0 || o.pace > 10000000) {
        *error = QStringLiteral("--pace takes a line speed in baud, or 0");
        return std::nullopt;
    }
    o.logPath = parser.value(log);
    o.watchStdin = !parser.isSet(noStdin);
    o.show = parser.isSet(show);
    return o;
}
