#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A private-profile (.ini) file read and edited the way Windows' own private-profile functions
// do, so files go both ways unchanged: names match without regard to case, blanks around
// names and values are dropped, one pair of quotes around a value is removed, ";" starts a
// comment line, lines without "=" and lines before the first section are ignored, the first
// of duplicate keys and sections wins, a value is cut at 254 characters. Writing replaces a key
// on its own line, adds a new key after the last key line of its section and a new section at
// the end; every other byte stays as it was. 8-bit (Latin-1), or UTF-16LE after FF FE.
class IniFile {
  public:
    static constexpr int kValueLimit = 254;

    // An empty file when bytes is empty.
    static IniFile fromBytes(const QByteArray& bytes);
    QByteArray toBytes() const;

    // Empty for a missing key.
    QString value(const QString& section, const QString& key) const;
    bool contains(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);

  private:
    struct Line {
        QString text;
        QString end; // "\r\n", "\n", "\r" or "" for a last line without one
    };
    int findSection(const QString& section) const;
    int findKey(int sectionLine, const QString& key) const;
    static bool isSection(const QString& text, QString* name);
    static bool isKey(const QString& text, QString* name, QString* value);

    QList<Line> lines_;
    bool utf16_ = false;
};
