#include "signcmd/IniFile.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString stripBlanks(const QString& s) {
    qsizetype from = 0, to = s.size();
    while (from < to && (s[from] == u' ' || s[from] == u'\t'))
        ++from;
    while (to > from && (s[to - 1] == u' ' || s[to - 1] == u'\t'))
        --to;
    return s.mid(from, to - from);
}

} // namespace

IniFile IniFile::fromBytes(const QByteArray& bytes) {
    IniFile f;
    QString text;
    if (bytes.startsWith("\xFF\xFE")) {
        f.utf16_ = true;
        QStringDecoder decode(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless);
        text = decode(bytes.mid(2));
    } else {
        text = QString::fromLatin1(bytes);
    }
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype i = start;
        while (i < text.size() && text[i] != u'\r' && text[i] != u'\n')
            ++i;
        Line line{text.mid(start, i - start), {}};
        if (i < text.size()) {
            const bool crlf = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
            line.end = text.mid(i, crlf ? 2 : 1);
            i += crlf ? 2 : 1;
        }
        f.lines_.append(line);
        start = i;
    }
    return f;
}

QByteArray IniFile::toBytes() const {
    QString text;
    for (const Line& l : lines_)
        text += l.text + l.end;
    if (!utf16_)
        return text.toLatin1();
    QStringEncoder encode(QStringEncoder::Utf16LE, QStringEncoder::Flag::Stateless);
    return QByteArray("\xFF\xFE", 2) + QByteArray(encode(text));
}

bool IniFile::isSection(const QString& text, QString* name) {
    const QString t = stripBlanks(text);
    if (!t.startsWith(u'['))
        return false;
    const qsizetype close = t.indexOf(u']');
    *name = stripBlanks(t.mid(1, close < 0 ? -1 : close - 1));
    return true;
}

bool IniFile::isKey(const QString& text, QString* name, QString* value) {
    const QString t = stripBlanks(text);
    if (t.startsWith(u';') || t.startsWith(u'['))
        return false;
    const qsizetype eq = t.indexOf(u'=');
    if (eq < 0)
        return false;
    *name = stripBlanks(t.left(eq));
    *value = stripBlanks(t.mid(eq + 1));
    return true;
}

int IniFile::findSection(const QString& section) const {
    for (int i = 0; i < lines_.size(); ++i) {
        QString name;
        if (isSection(lines_[i].text, &name) && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniFile::findKey(int sectionLine, const QString& key) const {
    for (int i = sectionLine + 1; i < lines_.size(); ++i) {
        QString name, value;
        if (isSection(lines_[i].text, &name))
            break;
        if (isKey(lines_[i].text, &name, &value) && name.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

bool IniFile::contains(const QString& section, const QString& key) const {
    const int s = findSection(section);
    return s >= 0 && findKey(s, key) >= 0;
}

QString IniFile::value(const QString& section, const QString& key) const {
    const int s = findSection(section);
    const int k = s < 0 ? -1 : findKey(s, key);
    if (k < 0)
        return {};
    QString name, value;
    isKey(lines_[k].text, &name, &value);
    if (value.size() >= 2 && ((value.startsWith(u'"') && value.endsWith(u'"')) ||
                              (value.startsWith(u'\'') && value.endsWith(u'\''))))
        value = value.mid(1, value.size() - 2);
    return value.left(kValueLimit);
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    auto terminateLast = [this] {
        if (!lines_.isEmpty() && lines_.last().end.isEmpty())
            lines_.last().end = kCrLf;
    };
    const int s = findSection(section);
    if (s < 0) {
        terminateLast();
        lines_.append({QLatin1Char('[') + section + QLatin1Char(']'), kCrLf});
        lines_.append({key + QLatin1Char('=') + value, kCrLf});
        return;
    }
    const int k = findKey(s, key);
    if (k >= 0) {
        QString name, old;
        isKey(lines_[k].text, &name, &old);
        lines_[k].text = name + QLatin1Char('=') + value; // the file's spelling of the key
        if (lines_[k].end.isEmpty())
            lines_[k].end = kCrLf;
        return;
    }
    // After the last key line of the section, before its trailing comments and blank lines.
    int after = s;
    for (int i = s + 1; i < lines_.size(); ++i) {
        QString name, v;
        if (isSection(lines_[i].text, &name))
            break;
        if (isKey(lines_[i].text, &name, &v))
            after = i;
    }
    if (lines_[after].end.isEmpty())
        lines_[after].end = kCrLf;
    lines_.insert(after + 1, {key + QLatin1Char('=') + value, kCrLf});
}
