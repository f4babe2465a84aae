#include "cli/ArgParser.h"

#include "cli/Commands.h"
#include "core/Messages.h"

namespace cli {

ArgParser::ArgParser(const QStringList& args, const QString& description)
    : args_(args), command_(args.value(0)) {
    parser_.setApplicationDescription(description);
    // Not addHelpOption(): its --help-all lists Qt's own options, which mean nothing here.
    parser_.addOption(
        {{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")});
    parser_.addOption({{QStringLiteral("q"), QStringLiteral("quiet")},
                       QStringLiteral("No status line, progress bar or notes on standard error.")});
}

void ArgParser::addPositional(const QString& name, const QString& description,
                              const QString& syntax) {
    parser_.addPositionalArgument(name, description, syntax);
    positionalNames_ << name;
}

void ArgParser::addOption(const QCommandLineOption& option) {
    parser_.addOption(option);
}

void ArgParser::addSeamOptions(const QString& inputName, const QString& inputDescription) {
    parser_.addOption(
        {QStringLiteral("yes"), QStringLiteral("Answer Yes to the questions the sign's data raises "
                                               "(the default answer is No).")});
    parser_.addOption({inputName, inputDescription, QStringLiteral("text")});
    seamOptions_ = true;
    inputName_ = inputName;
}

std::optional<int> ArgParser::parse(int least, int most) {
    if (!parser_.parse(args_))
        return usageError(parser_.errorText());
    if (parser_.isSet(QStringLiteral("help"))) {
        out() << helpText();
        out().flush();
        return kExitOk;
    }
    const QStringList pos = parser_.positionalArguments();
    if (pos.size() < least)
        return usageError(msg::cli::missingArgument(positionalNames_.value(pos.size(), "?")));
    if (pos.size() > most)
        return usageError(msg::cli::unexpectedArgument(pos.at(most)));
    return std::nullopt;
}

CliSeam::Presets ArgParser::presets() const {
    CliSeam::Presets p;
    p.quiet = quiet();
    if (seamOptions_) {
        p.yes = parser_.isSet(QStringLiteral("yes"));
        if (parser_.isSet(inputName_))
            p.input = parser_.value(inputName_);
    }
    return p;
}

int ArgParser::usageError(const QString& text) const {
    err() << command_ << ": " << text << '\n' << msg::cli::tryHelp(command_) << Qt::endl;
    return kExitUsage;
}

QString ArgParser::helpText() const {
    // QCommandLineParser names the executable in its usage line; the subcommand belongs there.
    QString text = parser_.helpText();
    const QString usage = QStringLiteral("Usage: ");
    const qsizetype at = text.indexOf(usage);
    if (at >= 0) {
        const qsizetype end = text.indexOf(QLatin1Char(' '), at + usage.size());
        if (end > 0)
            text.replace(at + usage.size(), end - at - usage.size(), command_);
    }
    return text;
}

} // namespace cli
