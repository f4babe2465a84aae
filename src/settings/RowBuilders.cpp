#include "settings/RowBuilders.h"

#include "core/Messages.h"
#include "editor/EditorError.h"
#include "editor/FeatureRules.h"
#include "editor/PasswordRules.h"
#include "settings/EditSession.h"

#include <QJsonObject>
#include <QRegularExpression>
#include <array>

using namespace layout;

namespace settings::rows {

namespace L = msg::label;

namespace {

QString onOff(bool on) {
    return on ? msg::cli::on : msg::cli::off;
}

QString recordCaption(At at, const QString& field) {
    return capcodeCaption(at.a) + QLatin1Char(' ') + L::functionBit(at.b) + QLatin1Char(' ') +
           field;
}

// One field of a capcode's serial output record, changed as the window does it: the record as
// its edits show it, the field typed over, then collected back.
RuleOutcome setRecordField(S& s, At at,
                           const std::function<void(serialrules::FunctionBitTexts&)>& change) {
    const int c = at.a;
    serialrules::CapcodeRecordTexts texts = s.shownRecord(c);
    change(texts[at.b]);
    // Checked first, so a refused value changes nothing.
    ParamImage changed = s.image();
    try {
        serialrules::collectCapcodeRecord(changed, c, texts);
    } catch (const ConversionError& e) {
        return RuleOutcome::error(e.text());
    }
    s.image() = changed;
    return RuleOutcome::ok();
}

} // namespace

QString orNone(const QString& text) {
    return text.isEmpty() ? QStringLiteral("(") + msg::cli::none + QLatin1Char(')') : text;
}
Value boxValue(bool on) {
    return {onOff(on), on};
}
Value textValue(const QString& text) {
    return {text, text};
}
Value optionalText(const QString& text) {
    return {orNone(text), text};
}
Value numberValue(int n, const QString& unit) {
    return {QString::number(n) + QLatin1Char(' ') + unit, n};
}
// A list's item as its caption; a list without a selection names the code it could not show.
Value itemValue(const S& s, const I& i, int code) {
    const QStringList& captions = i.row->items;
    const int item = s.item(i.path);
    const QString text =
        item >= 0 && item < captions.size() ? captions.at(item) : msg::cli::unknownCode(code);
    return textValue(text);
}

QString capcodeCaption(int c) {
    return shown::capcodeSelectorCaptions().at(c);
}
QChar bitLetter(int f) {
    return QChar(u'A' + f);
}
QList<int> span(int first, int count) {
    QList<int> out;
    for (int i = 0; i < count; ++i)
        out << first + i;
    return out;
}

shown::Synthesizer synth(const S& s) {
    return shown::synthesizer(s.image(), s.tuning().bandMultiplier);
}
QString mhz(quint32 f) { // units of 100 Hz
    return QStringLiteral("%1.%2").arg(f / 10000).arg(f % 10000, 4, 10, QLatin1Char('0'));
}

// --- Running rules ----------------------------------------------------------------------------

// The rules were given the held record (the command line holds none); the page's refresh
// runs as the window's does, after a refusal too.
EditOutcome runEdit(S& s, const I& i, const Input& in) {
    const EditOutcome o = i.row->edit(s, i, in);
    if (o.showSerialFeatures && !o.collectError.refused())
        s.showSerialFeatures();
    return o;
}

RuleOutcome editRule(S& s, const I& i, const Input& in) {
    const EditOutcome o = runEdit(s, i, in);
    return o.refused() ? o.outcome : o.collectError;
}

// "1,3,9" (or blanks between): the outputs switched on at power-up, every other one off, each
// as its box is set.
RuleOutcome setPowerUpOutputs(S& s, const I& i, const Input& in) {
    std::array<bool, kOutputCount> on{};
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    for (const QString& piece : in.text.split(separators, Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = piece.toInt(&ok);
        if (!ok || n < 1 || n > kOutputCount)
            return RuleOutcome::error(msg::cli::notOutputList(in.text));
        on[n - 1] = true;
    }
    for (int o = 0; o < kOutputCount; ++o)
        s.setBox(i.memberKey(o), on[o]);
    return RuleOutcome::ok();
}

// Every byte of capcode c's serial output record: each function bit's fields.
QList<int> capcodeRecordBytes(int c) {
    QList<int> out;
    for (int f = 0; f < kFunctionBits; ++f) {
        for (Record r : {Record::Header, Record::Trailer, Record::Timeout})
            out << recordLen(r, c, f) << span(recordChar(r, c, f, 0), kRecordChars);
        out << span(funCmdCode(c, f, 0), kFunCmdCodeLen) << intFunCmd(c, f);
    }
    return out;
}

// The function bits that hold anything, as `show --json` lists them.
QJsonArray functionBitsJson(const ParamImage& image) {
    QJsonArray bits;
    for (int c = 0; c < kCapcodeCount; ++c)
        for (int f = 0; f < kFunctionBits; ++f) {
            const QString header = shown::recordPairs(image, Record::Header, c, f);
            const QString trailer = shown::recordPairs(image, Record::Trailer, c, f);
            const QString timeout = shown::recordPairs(image, Record::Timeout, c, f);
            const bool intFunCmd = flags::isOn(image, flags::intFunCmd(c, f));
            bool fcSet = false;
            for (int l = 0; l < kFunCmdCodeLen; ++l)
                fcSet = fcSet || image.at(funCmdCode(c, f, l)) != 0;
            const QString fc = fcSet ? shown::funCmdPairs(image, c, f) : QString();
            if (header.isEmpty() && trailer.isEmpty() && timeout.isEmpty() && fc.isEmpty() &&
                !intFunCmd)
                continue;
            bits.append(QJsonObject{{"capcode", c + 1},
                                    {"bit", QString(bitLetter(f))},
                                    {"header", header},
                                    {"trailer", trailer},
                                    {"timeout", timeout},
                                    {"fc", fc},
                                    {"intFunCmd", intFunCmd}});
        }
    return bits;
}

// --- Row builders -----------------------------------------------------------------------------

// A control whose objectName is a stem and a number computed from the positions.
ByAt<QString> numberedAt(const char* stem, int (*n)(At)) {
    return [stem, n](At at) { return numbered(stem, n(at)); };
}

// A check box that is one flag of the image: it shows the flag, and its rule sets it.
Setting flagBox(const char* key, ByAt<QString> caption, ByAt<QString> control,
                ByAt<flags::Flag> flag, const char* help) {
    return {
        .key = key,
        .kind = Kind::Box,
        .caption = caption,
        .control = control,
        .bytes = [flag](At at) { return QList<int>{flag(at).offset}; },
        .rule =
            [flag](S& s, const I& i, const Input& in) {
                flags::setOn(s.image(), flag(i.at), in.checked);
                return RuleOutcome::ok();
            },
        .show = [flag](S& s, const I& i) { s.setBox(i.path, flags::isOn(s.image(), flag(i.at))); },
        .help = help};
}

// A drop-down list whose items stand for the codes of one image byte.
Setting codedList(const char* key, ByAt<QString> caption, ByAt<QString> control, ByAt<int> offset,
                  const shown::CodedList& list, Unknown unknown, const char* help) {
    return {.key = key,
            .kind = Kind::List,
            .caption = caption,
            .control = control,
            .bytes = [offset](At at) { return QList<int>{offset(at)}; },
            .read = [offset](const S& s,
                             const I& i) { return itemValue(s, i, s.image().at(offset(i.at))); },
            .rule =
                [offset, &list](S& s, const I& i, const Input& in) {
                    if (const std::optional<int> code = list.codeOf(in.item))
                        s.image().set(offset(i.at), quint8(*code));
                    return RuleOutcome::ok();
                },
            .show =
                [offset, &list, unknown](S& s, const I& i) {
                    const std::optional<int> item = list.itemOf(s.image().at(offset(i.at)));
                    if (item || unknown != Unknown::Kept)
                        s.setItem(i.path, item.value_or(unknown == Unknown::NoItem ? -1 : 0));
                },
            .items = list.captions(),
            .help = help};
}

// An edit of a number of seconds or minutes kept in one byte (0..255).
Setting byteNumber(const char* key, const QString& caption, const char* control, int offset,
                   int tag, const QString& unit, const char* help) {
    return {.key = key,
            .kind = Kind::Number,
            .caption = caption,
            .control = control,
            .bytes = [offset](At) { return QList<int>{offset}; },
            .read = [offset, unit](const S& s,
                                   const I&) { return numberValue(s.image().at(offset), unit); },
            .edit =
                [tag](S& s, const I&, const Input& in) {
                    return featurerules::byteSettingExit(s.image(), tag, in.text,
                                                         s.pendingRecord());
                },
            .help = help};
}

// An access password: up to ten characters in place of a number.
Setting password(const char* key, const QString& caption, const char* control, int offset, int tag,
                 QString (*shownText)(const ParamImage&), const char* help) {
    return {
        .key = key,
        .kind = Kind::Text,
        .caption = caption,
        .control = control,
        .bytes = [offset](At) { return span(offset, kPasswordLen); },
        .read = [shownText](const S& s, const I&) { return optionalText(shownText(s.image())); },
        .edit =
            [tag](S& s, const I&, const Input& in) {
                return passwordrules::accessPasswordExit(s.image(), tag, in.text);
            },
        .help = help};
}

// A function command password (1 or 2): its length byte, then its characters.
Setting fcPassword(const char* key, const QString& caption, const char* control, int which,
                   int lengthOffset, const char* help) {
    return {.key = key,
            .kind = Kind::Text,
            .caption = caption,
            .control = control,
            .bytes = [lengthOffset](At) { return span(lengthOffset, 1 + kPasswordLen); },
            .read = [which](const S& s,
                            const I&) { return optionalText(shown::fcPassword(s.image(), which)); },
            .edit =
                [which](S& s, const I&, const Input& in) {
                    return passwordrules::fcPasswordExit(s.image(), which, in.text);
                },
            .help = help};
}

// A field of a capcode's serial output record, as pairs ("0D;0A;"): its length byte and its
// characters, or the function command code.
Setting recordField(const char* key, Kind kind, const QString& field, const char* stem,
                    ByAt<QList<int>> bytes, std::function<Value(const S&, At)> read,
                    TypeOver typeOver, const char* help) {
    return {.key = key,
            .kind = kind,
            .layout = Layout::InRecordLine,
            .caption = [field](At at) { return recordCaption(at, field); },
            .control = [stem](At at) { return numbered(stem, at.b); },
            .bytes = std::move(bytes),
            // The capcode's record is collected whole, as the window collects it.
            .alsoWrites = [](At at) { return capcodeRecordBytes(at.a); },
            .read = [read](const S& s, const I& i) { return read(s, i.at); },
            .rule =
                [typeOver](S& s, const I& i, const Input& in) {
                    return setRecordField(s, i.at, [&](auto& t) { typeOver(t, in); });
                },
            .help = help};
}
Setting recordPairs(const char* key, Record r, const QString& field, const char* stem,
                    const char* help) {
    return recordField(
        key, Kind::RecordText, field, stem,
        [r](At at) {
            return QList<int>{recordLen(r, at.a, at.b)} +
                   span(recordChar(r, at.a, at.b, 0), kRecordChars);
        },
        [r](const S& s, At at) {
            return optionalText(shown::recordPairs(s.image(), r, at.a, at.b));
        },
        [r](serialrules::FunctionBitTexts& t, const Input& in) {
            (r == Record::Header    ? t.header
             : r == Record::Trailer ? t.trailer
                                    : t.timeout) = in.text;
        },
        help);
}

// A value shown but never typed: its caption (none when only `show --json` gives it) and how
// it reads.
Setting shownValue(const char* key, const QString& caption, QList<int> bytes,
                   Value (*read)(const S&), bool inDiff) {
    return {.key = key,
            .kind = Kind::Shown,
            .layout = caption.isEmpty() ? Layout::Hidden : Layout::Line,
            .caption = caption,
            .bytes = std::move(bytes),
            .read = [read](const S& s, const I&) { return read(s); },
            .help = "",
            .inDiff = inDiff};
}
Setting laidOut(Layout layout, Setting row) {
    row.layout = layout;
    return row;
}

} // namespace settings::rows
