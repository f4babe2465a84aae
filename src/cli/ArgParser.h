#pragma once

#include "cli/CliSeam.h"

#include <QCommandLineParser>
#include <QStringList>
#include <optional>

namespace cli {

// The command line of one subcommand: QCommandLineParser with the options every subcommand
// shares (-h/--help, -q/--quiet), optional answers for the user seam (--yes, --input), and
// the exit rules (help: 0, bad usage: 2 with the reason on standard error).
//
//   ArgParser p(args, "Prints the settings of a table file.");
//   p.addPositional("file", "The table file (.tbl).");
//   p.addOption({"json", "Print one JSON object."});
//   if (auto done = p.parse(1, 1))
//       return *done;
//   CliSeam seam(p.presets());
class ArgParser {
  public:
    ArgParser(const QStringList& args, const QString& description);

    void addPositional(const QString& name, const QString& description, const QString& syntax = {});
    void addOption(const QCommandLineOption& option);
    // --yes (answer Yes to the sign's questions) and --input TEXT (the answer to a text box).
    void addSeamOptions(const QString& inputName = QStringLiteral("input"),
                        const QString& inputDescription = QStringLiteral(
                            "Answer a text input box (for example a password) with <text>."));

    // Parses; nullopt to go on, else the exit code to return at once (help shown, or a usage
    // error reported). The number of positional arguments must lie in [least, most].
    std::optional<int> parse(int least, int most);

    QStringList positional() const { return parser_.positionalArguments(); }
    bool isSet(const QString& name) const { return parser_.isSet(name); }
    QString value(const QString& name) const { return parser_.value(name); }
    QStringList values(const QString& name) const { return parser_.values(name); }
    bool quiet() const { return parser_.isSet(QStringLiteral("quiet")); }
    CliSeam::Presets presets() const;

    // Reports a usage error of this subcommand on standard error; returns kExitUsage.
    int usageError(const QString& text) const;

  private:
    QString helpText() const;

    QStringList args_;
    QString command_; // "ledsign show"
    QCommandLineParser parser_;
    QStringList positionalNames_;
    bool seamOptions_ = false;
    QString inputName_;
};

} // namespace cli
