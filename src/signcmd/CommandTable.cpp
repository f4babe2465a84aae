#include "signcmd/CommandTable.h"

#include "core/Messages.h"

namespace signcmd {

namespace {

QStringList range(int from, int to, int width = 1) {
    QStringList l;
    for (int i = from; i <= to; ++i)
        l << QStringLiteral("%1").arg(i, width, 10, QLatin1Char('0'));
    return l;
}

const QStringList kOnOff{QStringLiteral("ON"), QStringLiteral("OFF")};

std::array<Command, kCommandCount> build() {
    using C = Coding;
    const QStringList listA{"0(DD-MMM-YY)", "1(MMM DD,YY)", "2(MM/DD/YY)", "3(DD/MM/YY)",
                            "4(MM-DD-YY)",  "5(DD-MM-YY)",  "6(MM.DD.YY)", "7(DD.MM.YY)",
                            "8(MM DD YY)",  "9(DD MM YY)"};
    const QStringList listB{"1(1 Line)",
                            "2(2 Lines)",
                            "A(2 Lines With Timer On 2'nd Line)",
                            "B(2 Lines With Timer On 1'st Line)",
                            "a(2 Lines With Default Msg On 2'nd Line)",
                            "b(2 Lines With Default Msg On 1'st Line)"};
    const QStringList listC{"0(Fly To Left)",  "1(Enter To Right)",  "2(Extended To Buttom)",
                            "3(Fly From Top)", "4(Fly From Buttom)", "5(Raining)",
                            "6(Snow Flakes)",  "7(Appear)",          "8(Animation)"};
    const QStringList listD{"0(Continue)", "1(Run To Left)", "2(Curtain Right)", "3(Curtain Down)",
                            "4(Fly Away)", "5(Sink)",        "6(Flash & Inver)", "7(Vapor)",
                            "8(Dissolve)", "9(Flash)",       "A(Disappear)",     "B(Animation)"};
    return {{
        {0, "MKLEDTM", "Timer Display On/Off", "ComboBox1", kOnOff, 0, C::Text, "OFF"},
        {1, "MKLEDDT", "Timer Date On/Off", "ComboBox2", kOnOff, 0, C::Text, "OFF"},
        {2, "MKLEDDATE", "Timer Date Setting", "Edit1", {}, 6, C::Text, "000000"},
        {3, "MKLEDDTMD", "Timer Date Mode", "ComboBox7", listA, 0, C::Index0, "0"},
        {4, "MKLEDTIME", "Timer Time Setting", "Edit2", {}, 6, C::Text, "000000"},
        {5,
         "MKLEDLANG",
         "Timer Month Language Of Date",
         "ComboBox8",
         {"ENG", "FRA"},
         0,
         C::Text,
         "ENG"},
        {6,
         "MKLEDTMD",
         "Timer Display Mode",
         "ComboBox9",
         {"1(After Every Msg)", "2(After All Msg)"},
         0,
         C::Index1,
         "2"},
        {7, "MKLEDSHTM", "Timer Display Hold Time", "Edit5", {}, 6, C::Text, "003"},
        {8, "MKLEDBZ", "Buzzer On/Off", "ComboBox3", kOnOff, 0, C::Text, "ON"},
        {9, "MKLEDBZTM", "Buzzer On Time", "Edit6", {}, 6, C::Text, "008"},
        {10, "MKLEDBZTY", "Buzzer Music Type", "ComboBox10", range(0, 9), 0, C::Text, "9"},
        {11, "MKLEDTYPE", "LED Sign Type", "ComboBox11", listB, 0, C::TypeCode, "2"},
        {12,
         "MKLEDMESG",
         "Default Message",
         "Edit12",
         {},
         50,
         C::Text,
         "Marovelkin Wireless LED Moving Sign..."},
        {13, "MKLEDMGCT", "Message Counter", "ComboBox12", {"01", "24", "AU"}, 0, C::Text, "AU"},
        {14, "MKLEDCLRDY", "Auto Clear Delay Time", "Edit7", {}, 6, C::Text, "000"},
        {15, "MKLEDCLRCT", "Auto Clear Count Times", "Edit8", {}, 6, C::Text, "000"},
        {16, "MKLEDRESCM", "Clear By \"Reset\" Command", "ComboBox4", kOnOff, 0, C::Text, "OFF"},
        {17,
         "MKLEDTMSM",
         "Time Stamp Mode",
         "ComboBox13",
         {"OFF", "In The Head", "In The End"},
         0,
         C::Index0,
         "0"},
        {18, "MKLEDMGTM", "Non Scroll Hold Time", "Edit11", {}, 6, C::Text, "003"},
        {19, "MKLEDSPEED", "Scroll Speed Control", "ComboBox14", range(1, 5), 0, C::Text, "5"},
        {20,
         "MKLEDSEQU",
         "Message Display Sequence",
         "ComboBox15",
         {"FIFO", "LIFO"},
         0,
         C::Index0,
         "1"},
        {21, "MKLEDAPPM", "Appear Message Mode", "ComboBox16", listC, 0, C::Index0, "4"},
        {22, "MKLEDDISM", "Disappear Message Mode", "ComboBox17", listD, 0, C::Index0, "B"},
        {23, "MKLEDPRIM", "Priority Message", "ComboBox18", range(0, 4), 0, C::Text, "0"},
        {24, "MKLEDRLYTM", "Priority Message Relay On Time", "Edit9", {}, 6, C::Text, "000"},
        {25,
         "MKLEDPRICAP",
         "Priority Message Capcode Selection",
         "Edit3",
         {},
         6,
         C::Text,
         "000000"},
        {26, "MKLEDMDCAP", "Mail Drop Capcode Selection", "Edit4", {}, 6, C::Text, "000000"},
        {27, "MKLEDMDTOOF", "Mail Drop Time Out Off", "ComboBox5", kOnOff, 0, C::Text, "OFF"},
        {28, "MKLEDPRICT", "Prriority Message Counter", "ComboBox19", range(1, 5), 0, C::Text, "1"},
        {29, "MKLEDPRICLR", "Priority Message Clear", "ComboBox6", kOnOff, 0, C::Text, "OFF"},
        {30, "MKLEDAUCT", "Automatic Message Counter", "ComboBox20", range(1, 24, 2), 0, C::Text,
         "24"},
        {31,
         "MKLEDPCLRDY",
         "Priority Message Auto Clear Delay Time",
         "Edit10",
         {},
         6,
         C::Text,
         "000"},
        {32, "MKLEDMGNO", "Message Number Of Sequence", "ComboBox21", kOnOff, 0, C::Text, "OFF"},
        {33, "MKLEDTMHR", "Timer Hour Type", "ComboBox22", {"12", "24"}, 0, C::Text, "24"},
    }};
}

int base(Coding c) {
    return c == Coding::Index1 ? 1 : 0;
}

} // namespace

const std::array<Command, kCommandCount>& commands() {
    static const std::array<Command, kCommandCount> table = build();
    return table;
}

const std::array<int, kCommandCount>& controlOrder() {
    static constexpr std::array<int, kCommandCount> order{
        0, 1, 8,  16, 27, 29, 2,  4,  25, 26, 7,  9,  14, 15, 24, 31, 3,
        5, 6, 10, 11, 13, 17, 18, 19, 20, 21, 22, 23, 28, 30, 32, 33, 12};
    return order;
}

QString defaultValue(const QString& keyword) {
    for (const Command& c : commands())
        if (keyword == QLatin1String(c.keyword))
            return QString::fromLatin1(c.defaultValue);
    return QStringLiteral(" ");
}

QString encode(const Command& c, const ControlValue& v) {
    switch (c.coding) {
    case Coding::Text:
        return v.text;
    case Coding::Index0:
    case Coding::Index1:
        if (v.index < 0)
            return v.text; // typed text that is no item: sent and saved as typed
        return QString::number(v.index + base(c.coding), 16).toUpper();
    case Coding::TypeCode:
        if (v.index < 0 || v.index >= 6)
            return v.text;
        return QString(QLatin1Char(kTypeCodes[v.index]));
    }
    return v.text;
}

std::optional<ControlValue> decode(const Command& c, const QString& stored,
                                   const ControlValue& before) {
    switch (c.coding) {
    case Coding::Text: {
        ControlValue v{stored, int(c.items.indexOf(stored))};
        return v;
    }
    case Coding::Index0:
    case Coding::Index1: {
        bool ok = false;
        const qlonglong n = stored.toLongLong(&ok, 16);
        const qlonglong index = ok ? n - base(c.coding) : -1;
        if (!ok)
            return std::nullopt;
        // No item is selected; the code stays as the list's typed text, so saving writes
        // it back instead of an empty value that the file could no longer be opened with.
        if (index < 0 || index >= c.items.size())
            return ControlValue{stored, -1};
        return ControlValue{c.items.at(int(index)), int(index)};
    }
    case Coding::TypeCode: {
        const int i = stored.isEmpty()
                          ? -1
                          : int(QByteArray(kTypeCodes).indexOf(char(stored.at(0).toLatin1())));
        if (i < 0 || stored.at(0).unicode() > 0x7F)
            return before;
        return ControlValue{c.items.at(i), i};
    }
    }
    return before;
}

QString conversionError(const QString& stored) {
    return msg::notInteger(stored);
}

} // namespace signcmd
