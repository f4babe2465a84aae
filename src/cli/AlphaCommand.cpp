// `ledsign alpha`: Direct Send of the "Alpha Data" dialog from a script, with the same
// messages.
#include "alpha/DirectSend.h"
#include "cli/Commands.h"
#include "core/Messages.h"

#include <QFile>

namespace cli {

namespace {

const QString kId = QStringLiteral("id");
const QString kRussian = QStringLiteral("russian");
const QString kHex = QStringLiteral("hex");

// The whole of standard input, its line ends made CR LF as the dialog's message area gives
// them; the line end that closes the last line is not part of the message.
QString standardInputText() {
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return {};
    return alpha::joinLines(QString::fromUtf8(in.readAll()), true);
}

} // namespace

int runAlpha(const QStringList& args) {
    ArgParser p(
        args, QStringLiteral("Sends one alpha message straight to the sign, as the Alpha Data "
                             "dialog's Direct Send does. The text comes from the argument or, with "
                             "'-', from standard input (line ends become CR LF; the final one is "
                             "dropped). Without a text the dialog's sample is sent: \"Alpha\", or "
                             "\"20212223\" with --hex."));
    addLineOptions(p);
    p.addOption({kId, QStringLiteral("The message ID, a decimal number (default 0)."),
                 QStringLiteral("n"), QStringLiteral("0")});
    p.addOption({kRussian, QStringLiteral("Send it as a Russian message.")});
    p.addOption({kHex, QStringLiteral("The text is pairs of hexadecimal digits, one byte each "
                                      "(ASCII(8 bits)).")});
    addPauseOption(p, QStringLiteral("How long the sign's display is given after the frame, in "
                                     "milliseconds (default 1500)."));
    p.addPositional(QStringLiteral("text"), QStringLiteral("The message, or - for standard input."),
                    QStringLiteral("[text | -]"));
    if (auto done = p.parse(0, 1))
        return *done;

    alpha::Message message;
    message.id = p.value(kId);
    message.russian = p.isSet(kRussian);
    message.form = p.isSet(kHex) ? alpha::Form::Hex8 : alpha::Form::Text7;
    const QStringList text = p.positional();
    if (text.isEmpty())
        message.text = alpha::sampleText(message.form);
    else if (text.first() == QLatin1String("-"))
        message.text = standardInputText();
    else
        message.text = alpha::joinLines(text.first());

    SignLine line(p.presets());
    if (auto bad = takeLineOptions(p, line))
        return *bad;
    alpha::DirectSend send(line.exchange, line.link);
    if (auto bad = takePauseOption(p, &send.pauseMs))
        return *bad;
    return line.finish(send.run(message) ? kExitOk : kExitFailure);
}

} // namespace cli
