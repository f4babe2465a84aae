#pragma once

#include <QString>
#include <QStringList>

// Every text the tool shows to the user, in one place, spelled exactly as the sign's
// technicians know them (blanks before "!" included).
namespace msg {

inline const QString appTitle = QStringLiteral("LED SIGN");
inline const QString windowCaption =
    QStringLiteral("Marovelkin LED Sign Programmer Version " LEDSIGN_VERSION);
inline const QString captionZrd = QStringLiteral("ZRD");
inline const QString captionTrux = QStringLiteral("Trux");
inline const QString captionVersion = QStringLiteral("Version");

// Table files
inline const QString openError = QStringLiteral("Open Error!");
inline const QString saveError = QStringLiteral("Save Error!");
// Why a named pipe, a device or a folder is neither opened nor replaced as a table file.
inline const QString notRegularFile = QStringLiteral("not a regular file");
inline QString filePagerFormat(const QString& name) {
    return QStringLiteral("The [") + name +
           QStringLiteral("] is not correct format for Marovelkin LED sign, copy capcode and "
                          "frequency Only !");
}
// After the caption's file name while the settings differ from it.
inline const QString modifiedMark = QStringLiteral(" *");
inline QString saveChangesQuestion(const QString& fileName) {
    return QStringLiteral("Save changes to ") + fileName + QLatin1Char('?');
}
inline QString fileRefused(const QString& name) {
    return QStringLiteral("The [") + name +
           QStringLiteral("] is not correct format, the file will discard !");
}

// Serial line and exchange
inline const QString portInUse = QStringLiteral("Error opening comm port. Port already in use?");
inline const QString portOpenError = QStringLiteral("Error opening comm port.");
inline const QString transmitError = QStringLiteral("Transmit Error!");
inline const QString transmitSuccess = QStringLiteral("Transmit Success!");
inline const QString connectionSuccess = QStringLiteral("Connection Success !");
inline const QString connectionFail = QStringLiteral("Connection Fail !");
inline const QString boardNotFound = QStringLiteral("The target board is not found !");
// Second line under an open failure: the likely cause, when the system tells it.
inline const QString portNoPermission = QStringLiteral(
    "You may not use this port: your user must be in the \"dialout\" group (log in again "
    "after adding it).");
inline const QString portHeldElsewhere = QStringLiteral("Another program holds this port.");
inline const QString portMissing = QStringLiteral("There is no such port.");
inline const QString portNotSerial = QStringLiteral("This is not a serial port.");

// Connection dialog
inline const QString connectionCaption = QStringLiteral("Connection");
inline const QString selectPort = QStringLiteral("Please Select Port");
inline const QString connectButton = QStringLiteral("OK");
inline const QString connectCancelButton = QStringLiteral("Cancel");
inline const QString rebootSign = QStringLiteral("Please Reboot LED Sign !");
inline const QString connectingInitial = QStringLiteral("Connection ......");
inline QString connecting(int dots) {
    return QStringLiteral("Connection") + QString(dots, QLatin1Char('.'));
}

// Read, write, verify, firmware
inline const QString notPocsag = QStringLiteral("The firmware is not POCSAG ! ");
inline const QString overwriteQuestion =
    QStringLiteral("The program data is wrong ! Are you sure to overwrite ?");
inline QString verifyErrorHtag(int sequence) {
    return QStringLiteral("Verify Error! ") + QStringLiteral("Htag = ") + QString::number(sequence);
}
inline const QString verifySuccess = QStringLiteral("Verify Success!");
// A Write stopped on request between its two banks.
inline const QString writeStoppedBeforeErase =
    QStringLiteral("Stopped before anything was erased: the sign holds its old settings.");
inline QString writeStoppedBetweenBanks(int written, int other) {
    return QStringLiteral("Stopped after bank ") + QString::number(written) +
           QStringLiteral(": it holds the new settings, bank ") + QString::number(other) +
           QStringLiteral(" still the old ones; both are valid.");
}
inline const QString verifyError = QStringLiteral("Verify Error!");
inline const QString copyUnconfirmed =
    QStringLiteral("Data Can not be confirmed ! Are you sure to copy it ?");
inline const QString readError = QStringLiteral("Read Error!");
inline const QString readErrorFirmware = QStringLiteral("Read Error !");
inline const QString readPasswordCaption = QStringLiteral("Check Read Password");
inline const QString readPasswordPrompt = QStringLiteral("Please Input Read Password");
inline const QString readPasswordError = QStringLiteral("Read Password Error !");
inline const QString readSuccess = QStringLiteral("Read Sucess!");
inline const QString readPagerFormat = QStringLiteral(
    "The data of TZRD is not correct format for Marovelkin LED sign, copy capcode and frequency "
    "Only !");
inline const QString readRefused =
    QStringLiteral("The data of TZRD is not correct format, the data will discard !");
inline const QString firmwareOld = QStringLiteral("This is old version !");
// What the sign held is kept before it is overwritten; when that fails nothing is erased.
inline QString backupFailed(const QString& reason) {
    return QStringLiteral("The sign's settings could not be backed up (") + reason +
           QStringLiteral("). Nothing was written to the sign.");
}
inline QString backupFailedAfterRead(const QString& reason) {
    return QStringLiteral("The settings read from the sign could not be backed up (") + reason +
           QStringLiteral(").");
}
// The backup folder, when it may not hold backups (shown inside backupFailed's brackets).
inline QString backupFolderLink(const QString& link, const QString& target) {
    return link + QStringLiteral(" (a link to ") + target + QLatin1Char(')');
}
inline QString backupFolderShared(const QString& folder) {
    return QStringLiteral("the backup folder ") + folder +
           QStringLiteral(" is open to other users: make it private with chmod 700");
}
inline QString backupFolderNotOwned(const QString& folder) {
    return QStringLiteral("the backup folder ") + folder +
           QStringLiteral(" belongs to another user");
}
inline QString backupFolderNotFolder(const QString& folder) {
    return QStringLiteral("the backup folder ") + folder + QStringLiteral(" is not a folder");
}
inline QString backupFolderNotMade(const QString& folder) {
    return QStringLiteral("the backup folder ") + folder + QStringLiteral(" cannot be created");
}
// What each backup holds, by the operation that read it.
inline const QString backupOpRead = QStringLiteral("read");
inline const QString backupOpBeforeWrite = QStringLiteral("before write");
inline const QString backupOpCompare = QStringLiteral("compare");
inline const QString backupOpUnknown = QStringLiteral("unknown"); // a file the index does not name
inline const QString bank0StillDamaged = QStringLiteral(
    "Bank 0 is still damaged: its repair did not read back as written. Bank 1 is untouched.");
inline const QString bank0TailFails =
    QStringLiteral("Bank 0: its checksum or check words do not match its data.");
inline const QString signAlreadyHolds =
    QStringLiteral("The sign already holds these settings in both banks; nothing was written.");
inline const QString signHoldsSettings = QStringLiteral("The sign holds these settings.");
inline QString firmwareId(const QString& model, const QString& version) {
    return QStringLiteral("Model : ") + model + QStringLiteral("  Version = ") + version;
}

// Status bar texts
inline const QString statusReady = QStringLiteral(" Ready");
inline const QString statusReadyDots = QStringLiteral(" Ready ......");
inline const QString statusError = QStringLiteral(" Error");
inline const QString statusVerify = QStringLiteral(" Verify ......");
inline const QString statusErase = QStringLiteral(" Erase ......");
inline const QString statusWrite = QStringLiteral(" Write ......");
inline const QString statusRead = QStringLiteral(" Read ......");
inline const QString statusWaiting = QStringLiteral(" Waiting ......");

// Editor rules
inline const QString insertNumericSpaced = QStringLiteral("Please insert a numeric !");
inline const QString insertNumeric = QStringLiteral("Please insert a numeric!");
inline const QString capcodeRange =
    QStringLiteral("Please insert a number between 0000007 to 2097151");
inline const QString channelSpacingError = QStringLiteral("Channel Spacing Error!");
inline QString frequencyRange(const QString& lo3, const QString& hi3) {
    return QStringLiteral("Frequency setting error( ") + lo3 +
           QStringLiteral("0000 < = Frequency < = ") + hi3 + QStringLiteral("0000 )");
}
inline QString notInteger(const QString& text) {
    return QStringLiteral("'") + text + QStringLiteral("' is not a valid integer value");
}
inline QString notFloat(const QString& text) {
    return QStringLiteral("'") + text + QStringLiteral("' is not a valid floating point value");
}
inline const QString delayRange = QStringLiteral("Please insert a number between 0 and 65000 !");
inline const QString byteRange = QStringLiteral("Please insert a number between 0 and 255 !");
inline QString periodRange(const QString& maximum) {
    return QStringLiteral("Please insert a number between 0 and ") + maximum;
}
inline const QString inputHex = QStringLiteral("Please Input Heximal!");
inline const QString passwordError = QStringLiteral("Password Error!");

// Side tools
inline const QString sendSuccess = QStringLiteral("Send Success!");
inline const QString sendError = QStringLiteral("Send Error!");

// Captions of the window's groups, labels and check boxes, by which the window and the
// command line's `show` name each setting (list items live in editor/ShownValues.h).
namespace label {
inline const QString frequencyGroup = QStringLiteral("Frequency");
inline const QString rangeOfFreq = QStringLiteral("Range Of Freq.");
inline const QString freq = QStringLiteral("Freq.");
inline const QString freqUnit = QStringLiteral("00Hz");
inline const QString polarity = QStringLiteral("Polarity");
inline const QString baudRate = QStringLiteral("Baud Rate");
inline const QString pllR = QStringLiteral("PLLR:");
inline const QString pllN = QStringLiteral("PLLN:");
inline const QString mult = QStringLiteral("MULT:");
inline const QString channel = QStringLiteral("CHANNEL:");
inline const QString capcodeGroup = QStringLiteral("Capcode(Decimal Address)");
inline const QString capcodeOn = QStringLiteral("ON");
inline const QString funBit = QStringLiteral("Fun Bit:");
inline const QString testMode = QStringLiteral("Test Mode");
inline const QString serialGroup = QStringLiteral("Serial Output Settings");
inline const QString serialOutputOn = QStringLiteral("Serial Output ON");
inline const QString parameters = QStringLiteral("Parameters");
inline const QString msgTimeOutDelay = QStringLiteral("Msg Time Out Delay");
inline const QString seconds = QStringLiteral("Sec");
inline const QString selectCapcode = QStringLiteral("Select Capcode:");
inline const QString endCode = QStringLiteral("End_Code(HEX)");
inline const QString uartBaud = QStringLiteral("UART Baud");
inline const QString dataBits = QStringLiteral("Data Bits");
inline const QString parity = QStringLiteral("Parity");
inline const QString stopBits = QStringLiteral("Stop Bits");
inline const QString funCmdChecksum = QStringLiteral("Fun. Cmd. Checksum");
inline const QString funCmdEnable = QStringLiteral("Fun. Cmd. Enable");
inline const QString funCmdFilterDisable = QStringLiteral("Fun. Cmd. Output Filter Disable");
inline const QString insertCrBeforeLf = QStringLiteral("Insert CR Before Detected LF");
inline const QString insertLfAfterCr = QStringLiteral("Insert LF After Detected CR");
inline const QString fcAsPassword = QStringLiteral("FC as a Password");
inline const QString serialLed = QStringLiteral("Serial O/P Marovelkin LED");
inline const QString rtsEnable = QStringLiteral("RTS Enable");
inline QString functionBit(int f) {
    return QStringLiteral("Function Bit ") + QChar(u'A' + f);
}
inline const QString headerChars = QStringLiteral("Header Chars.");
inline const QString trailerChars = QStringLiteral("Trailer Chars.");
inline const QString timeoutChars = QStringLiteral("Timeout Chars.");
inline const QString intFunCmd = QStringLiteral("Int. Fun. Cmd.");
inline const QString outputFeatures = QStringLiteral("Output Features");
inline const QString funCmdPassword1 = QStringLiteral("Fun. Cmd. Password 1");
inline const QString funCmdPassword2 = QStringLiteral("Fun. Cmd. Password 2");
inline const QString preScaler = QStringLiteral("Pre-Scaler of Period");
inline QString outputPeriod(int i) {
    return QStringLiteral("Output ") + QString::number(i + 1) + QStringLiteral(" Period");
}
inline const QString periodUnit = QStringLiteral("S");
inline const QString powerUpOutput = QStringLiteral("Power Up Output "); // trailing blank
inline const QString roeEnable = QStringLiteral("Power & Receiving Output Enable");
inline const QString orcEnable = QStringLiteral("Out Of Range Output Enable");
inline const QString features = QStringLiteral("Features");
inline const QString sequentialLock = QStringLiteral("Sequential Lock");
inline const QString language = QStringLiteral("Language");
inline const QString outOfRangeTimeOut = QStringLiteral("Out Of Range Time Out");
inline const QString minutes = QStringLiteral("Min");
inline const QString airPassword = QStringLiteral("Air Prm. PW");
inline const QString readPassword = QStringLiteral("Read Password");

// Main window: page tabs, buttons, value panels, menus and the dialogs created at start.
inline const QString pageCode = QStringLiteral("Capcode & Freq & Features");
inline const QString pageFeatures = QStringLiteral("Serial Output Features");
inline const QString linkButton = QStringLiteral("Link(F6)");
inline QString capcodeColumn(int f) {
    return QString(QChar(u'A' + f));
}
inline const QString noValue = QStringLiteral("0000"); // PLL labels before the first refresh
inline const QString noMultiplier = QStringLiteral("0");
inline QString prescalerMaximum(const QString& seconds) {
    return QStringLiteral("Max.=") + seconds + QStringLiteral(" sec");
}
inline const QString menuFile = QStringLiteral("File");
inline const QString menuOpen = QStringLiteral("Open");
inline const QString menuSave = QStringLiteral("Save");
inline const QString menuSaveAs = QStringLiteral("Save As...");
inline const QString menuExit = QStringLiteral("Exit");
inline const QString menuOpenRecent = QStringLiteral("Open Recent");
inline const QString menuEdit = QStringLiteral("Edit");
inline const QString menuUndo = QStringLiteral("Undo");
inline const QString menuRedo = QStringLiteral("Redo");
inline const QString menuPager = QStringLiteral("Pager");
inline const QString menuRead = QStringLiteral("Read");
inline const QString menuWrite = QStringLiteral("Write");
inline const QString menuVerify = QStringLiteral("Verify");
inline const QString menuSystem = QStringLiteral("System");
inline const QString menuNormalMode = QStringLiteral("Normal Mode");
inline const QString menuCheckFirmware = QStringLiteral("Check Firmware");
inline const QString menuAdmin = QStringLiteral("Admin");
inline const QString menuLedSignCommand = QStringLiteral("LED Sign Command");
inline const QString menuAdminMode = QStringLiteral("Admin Mode");
inline const QString menuLink = QStringLiteral("Link");
inline const QString menuOpenBackup = QStringLiteral("Open Backup...");
inline const QString menuCompareWithSign = QStringLiteral("Compare With Sign");
inline const QString menuBackUpBeforeWrite = QStringLiteral("Back Up Before Write");
inline const QString menuBackups = QStringLiteral("Backups...");
// An opened backup is an untitled copy: the caption names what it was copied from.
inline QString backupCopy(const QString& file) {
    return QStringLiteral("Untitled, a copy of ") + file;
}
inline const QString untitled = QStringLiteral("Untitled");
// The Backups window
inline const QString backupsCaption = QStringLiteral("Backups");
inline const QString backupsTime = QStringLiteral("Time");
inline const QString backupsPort = QStringLiteral("Port");
inline const QString backupsOperation = QStringLiteral("Operation");
inline const QString backupsCapcode1 = QStringLiteral("Capcode #1");
inline const QString backupsFirmware = QStringLiteral("Firmware");
inline const QString backupsFilter = QStringLiteral("Filter");
inline const QString backupsOpen = QStringLiteral("Open");
inline const QString backupsCompare = QStringLiteral("Compare With Sign");
inline const QString backupsShowInFolder = QStringLiteral("Show In Folder");
inline const QString backupsClose = QStringLiteral("Close");
inline const QString compareBackup = QStringLiteral("Backup");
inline QString backupsFolder(const QString& folder) {
    return QStringLiteral("Folder: ") + folder;
}
inline QString backupsUnreadable(int lines) {
    return QString::number(lines) +
           (lines == 1 ? QStringLiteral(" line of the index could not be read; it is kept.")
                       : QStringLiteral(" lines of the index could not be read; they are kept."));
}
inline const QString compareCaption = QStringLiteral("Compare With Sign");
inline const QString compareSetting = QStringLiteral("Setting");
inline const QString compareSign = QStringLiteral("Sign");
inline const QString compareWindow = QStringLiteral("Window");
inline const QString alphaDataCaption = QStringLiteral("Alpha Data");
inline const QString ledSignCommandCaption = QStringLiteral("LED Sign Command");
inline const QString passwordDialogCaption = QStringLiteral("Password Dialog");
} // namespace label

// What the window tells about itself: where its settings came from, the linked port, Verify's
// differences, the support bundle and About.
namespace window {
// After the caption's file name when the settings were read from a sign, not from the file.
inline QString readFrom(const QString& port) {
    return QStringLiteral("read from ") + port;
}
inline const QString notLinked = QStringLiteral("not linked");
inline QString linkedPort(const QString& port, const QString& firmwareVersion) {
    return firmwareVersion.isEmpty() ? port : port + QStringLiteral(" \u00b7 ") + firmwareVersion;
}
inline const QString verifyCaption = QStringLiteral("Verify");
inline const QString verifySign = QStringLiteral("Sign");
inline const QString verifyFile = QStringLiteral("File");
inline const QString menuHelp = QStringLiteral("Help");
inline const QString menuSupportBundle = QStringLiteral("Save Support Bundle...");
inline const QString menuAbout = QStringLiteral("About");
inline const QString supportCaption = QStringLiteral("Save Support Bundle");
inline const QString supportIntro =
    QStringLiteral("The bundle holds these files. No password of any sign is in it.");
inline const QString supportWithImages = QStringLiteral("Include the backed-up images");
inline const QString supportSaveButton = QStringLiteral("Save...");
inline QString supportSaved(const QString& path) {
    return QStringLiteral("Support bundle saved: ") + path;
}
inline QString supportFailed(const QString& reason) {
    return QStringLiteral("The support bundle could not be saved: ") + reason;
}
// The Connection dialog's Test: its first line while the checks run, and when they are done.
inline QString testRunning(const QString& port) {
    return QStringLiteral("Testing ") + port + QStringLiteral(" ...");
}
inline QString testSummary(int failed, int total) {
    if (failed == 0)
        return QStringLiteral("All %1 checks passed").arg(total);
    return QStringLiteral("%1 of %2 checks failed").arg(failed).arg(total);
}
inline const QString aboutCaption = QStringLiteral("About LED Sign Programmer");
inline QString aboutText(const QString& version, const QString& qtVersion) {
    return QStringLiteral("<p><b>LED Sign Programmer</b> ") + version +
           QStringLiteral("</p><p>Configures wireless LED moving signs: their parameters in "
                          "table files, read from, written to and verified on the sign.</p>"
                          "<p>Qt ") +
           qtVersion +
           QStringLiteral("</p><p>Licence: GNU General Public License, version 3 or (at your "
                          "option) any later version. This program comes with ABSOLUTELY NO "
                          "WARRANTY.</p>");
}
} // namespace window

// Editing: serial output, output features, passwords, language
namespace editout {
// A value the rule has no message of its own for: one that cannot fit its byte or field.
inline const QString endCodeRange = QStringLiteral("Please insert an end code between 00 and FF !");
inline const QString passwordTooLong =
    QStringLiteral("Please insert a password of at most 10 characters !");
inline QString passwordCharacter(const QString& character) {
    return QStringLiteral("The character '") + character +
           QStringLiteral("' cannot be stored in a password !");
}
} // namespace editout

// LED Sign Command: command table, command files, sending
namespace signcmd {
inline const QString commandGroup = QStringLiteral("Command");
inline const QString send = QStringLiteral("Send");
inline const QString saveIniFile = QStringLiteral("Save INI File");
inline const QString openIniFile = QStringLiteral("Open INI File");
inline const QString fileFilter = QStringLiteral("Table files (*.ini)");
inline const QString fileSuffix = QStringLiteral("ini");
// A text whose display frame would not fit the sign's buffer; nothing is sent.
inline QString textTooLong(qsizetype frameBytes, int limit) {
    return QStringLiteral("The text is too long for the sign: its frame would take ") +
           QString::number(frameBytes) + QStringLiteral(" bytes, the sign takes at most ") +
           QString::number(limit) + QStringLiteral(". Nothing was sent.");
}
} // namespace signcmd

// Alpha Data and the access-code dialogs
namespace alpha {
inline const QString enterPassword = QStringLiteral("Enter password:");
inline const QString okButton = QStringLiteral("OK");
inline const QString cancelButton = QStringLiteral("Cancel");
inline const QString statusGroup = QStringLiteral("Status");
inline const QString id = QStringLiteral("ID(Dec)");
inline const QString battery = QStringLiteral("Battery");
inline const QString volts = QStringLiteral("V");
inline const QString date = QStringLiteral("Date");
inline const QString format = QStringLiteral("Format");
inline const QString form7Bits = QStringLiteral("ASCII(7 bits)");
inline const QString form8Bits = QStringLiteral("ASCII(8 bits)");
inline const QString normal = QStringLiteral("Normal");
inline const QString russian = QStringLiteral("Russian");
inline const QString directSend = QStringLiteral("Direct Send");
// The battery list; "0.9 " has its trailing blank.
inline const QStringList batteryItems{
    QStringLiteral("0.8"), QStringLiteral("0.9 "), QStringLiteral("1.0"), QStringLiteral("1.1"),
    QStringLiteral("1.2"), QStringLiteral("1.3"),  QStringLiteral("1.4"), QStringLiteral("1.5")};
inline QString noByteFor(QChar ch) {
    return QStringLiteral("The character '") + ch +
           QStringLiteral("' cannot be sent as ASCII(7 bits) text; send its code as ASCII(8 "
                          "bits) instead.");
}
} // namespace alpha

// Command line (`ledsign`)
namespace cli {
inline const QString fullImage = QStringLiteral("full image");
inline const QString modelTag = QStringLiteral("Model tag");
inline const QString funCmdCode = QStringLiteral("FC");
inline const QString on = QStringLiteral("ON");
inline const QString off = QStringLiteral("OFF");
inline const QString none = QStringLiteral("none");
inline QString unknownCode(int value) {
    return QStringLiteral("(no item for ") + QString::number(value) + QLatin1Char(')');
}
inline const QString outputsCaption = QStringLiteral("outputs"); // after "Power Up Output "
// `ledsign backups`: the header line, and the index lines that could not be read.
inline const QString backupsHeader =
    QStringLiteral("time\tport\toperation\tcapcode1\tfirmware\tfile");
inline QString backupIndexUnreadable(const QString& index, const QList<int>& lines) {
    QStringList numbers;
    for (int n : lines)
        numbers << QString::number(n);
    return index + QStringLiteral(": line ") + numbers.join(QStringLiteral(", ")) +
           QStringLiteral(" could not be read (kept as it is)");
}

inline QString diffSetting(const QString& caption, const QString& from, const QString& to) {
    // Some window captions carry their own colon ("PLLR:").
    const QString lead = caption.endsWith(QLatin1Char(':')) ? caption + QLatin1Char(' ')
                                                            : caption + QStringLiteral(": ");
    return lead + from + QStringLiteral(" -> ") + to;
}
inline QString diffBytes(int first, int last, const QString& from, const QString& to) {
    return (first == last ? QStringLiteral("Byte ") + QString::number(first)
                          : QStringLiteral("Bytes ") + QString::number(first) + QLatin1Char('-') +
                                QString::number(last)) +
           QStringLiteral(": ") + from + QStringLiteral(" -> ") + to;
}
inline QString diffManyBytes(int first, int last) {
    return QStringLiteral("Bytes ") + QString::number(first) + QLatin1Char('-') +
           QString::number(last) + QStringLiteral(": ") + QString::number(last - first + 1) +
           QStringLiteral(" bytes differ");
}
inline QString diffChecksum(const QString& from, const QString& to) {
    return QStringLiteral("Bytes 4094-4095: ") + from + QStringLiteral(" -> ") + to +
           QStringLiteral(" (the checksum, which every Write computes anew: no difference)");
}
inline QString fileExists(const QString& path) {
    return path + QStringLiteral(": the file exists (use --force to replace it)");
}
inline QString fileReason(const QString& path, const QString& reason) {
    return path + QStringLiteral(": ") + reason;
}
inline QString notKeyValue(const QString& arg) {
    return QStringLiteral("not KEY=VALUE: ") + arg;
}
inline QString unknownKey(const QString& key, const QStringList& keys) {
    return QStringLiteral("unknown key '") + key + QStringLiteral("'; the keys are: ") +
           keys.join(QStringLiteral(", "));
}
inline QString notAnItem(const QString& key, const QString& value, const QString& items) {
    return key + QStringLiteral(" cannot take '") + value + QStringLiteral("'; it takes ") + items;
}
inline QString notOutputList(const QString& value) {
    return QStringLiteral("'") + value +
           QStringLiteral("' is no list of outputs 1..9 (for example 1,3,9; empty for none)");
}
inline QString changeRefused(const QString& change, const QString& path) {
    return QStringLiteral("refused: ") + change + QStringLiteral("; ") + path +
           QStringLiteral(" is unchanged");
}
inline QString unknownCommand(const QString& name) {
    return QStringLiteral("unknown command '") + name + QLatin1Char('\'');
}
inline QString missingArgument(const QString& name) {
    return QStringLiteral("missing argument: ") + name;
}
inline QString unexpectedArgument(const QString& arg) {
    return QStringLiteral("unexpected argument: ") + arg;
}
inline QString missingOption(const QString& name) {
    return QStringLiteral("missing option: --") + name;
}
inline QString badPollMs(const QString& value) {
    return QStringLiteral("--poll-ms takes milliseconds from 1 to 1000, not '") + value +
           QLatin1Char('\'');
}
inline QString badPauseMs(const QString& value) {
    return QStringLiteral("--pause-ms takes milliseconds from 0 to 60000, not '") + value +
           QLatin1Char('\'');
}
inline QString tryHelp(const QString& command) {
    return QStringLiteral("Try '") + command + QStringLiteral(" --help'.");
}
inline QString answered(bool yes) {
    return yes ? QStringLiteral("-> Yes (--yes)")
               : QStringLiteral("-> No (pass --yes to answer Yes)");
}
inline QString inputCancelled(const QString& prompt) {
    return prompt + QStringLiteral(": no value given, cancelled");
}
inline QString argumentNotInLocale(const QString& shown) {
    return QStringLiteral("the argument '") + shown +
           QStringLiteral("' is not valid in the character encoding of the locale; rename the "
                          "file, or run under a locale whose encoding holds the name");
}
} // namespace cli

// The wire trace: one line per event, what went over the line in the line's own terms.
namespace trace {
inline const QString menuOpenFolder = QStringLiteral("Open Trace Folder");
inline const QString symbolicLink =
    QStringLiteral("it is a symbolic link; a trace is never written through one");
inline const QString folderRefused = QStringLiteral(
    "the trace folder could not be made private to this user (or is a symbolic link)");
inline const QString notWritten = QStringLiteral("not every line could be written");
inline const QString incomplete =
    QStringLiteral("Trace Error! The trace could not be written in full.");
inline QString hexAddress(quint32 a) {
    return QStringLiteral("0x") + QString::number(a, 16).toUpper();
}
inline QString seq(int s) {
    return QStringLiteral(" seq ") + QString::number(s);
}
inline QString link(int s) {
    return QStringLiteral("link") + seq(s);
}
inline QString erase(quint32 a, int s) {
    return QStringLiteral("erase ") + hexAddress(a) + seq(s);
}
inline QString write(quint32 a, int n, int s) {
    return QStringLiteral("write ") + hexAddress(a) + QLatin1Char(' ') + QString::number(n) +
           QStringLiteral(" bytes") + seq(s);
}
inline QString read(quint32 a, int n, int s) {
    return QStringLiteral("read ") + hexAddress(a) + QLatin1Char(' ') + QString::number(n) +
           QStringLiteral(" bytes") + seq(s);
}
inline QString passThrough(const QString& what, int s) {
    return QStringLiteral("pass-through ") + what + seq(s);
}
inline QString command(int c, int s) {
    return QStringLiteral("command ") + QString::number(c) + seq(s);
}
inline const QString displayProbe = QStringLiteral("display probe");
inline const QString displayUnreadable = QStringLiteral("unreadable display frame");
inline QString clock(int stage) {
    return QStringLiteral("clock stage ") + QString::number(stage);
}
inline QString displayText(const QString& code, const QString& text) {
    return QStringLiteral("display code '") + code + QStringLiteral("' \"") + text +
           QLatin1Char('"');
}
inline QString unreadableFrame(int n) {
    return QStringLiteral("unreadable frame of ") + QString::number(n) + QStringLiteral(" bytes");
}
inline QString ack(int s) {
    return QStringLiteral("acknowledgement") + seq(s);
}
inline QString nak(int s) {
    return QStringLiteral("negative acknowledgement") + seq(s);
}
inline QString unexpected(int n) {
    return QStringLiteral("unexpected answer of ") + QString::number(n) + QStringLiteral(" bytes");
}
inline QString reply(int n, quint32 a, int s) {
    return QStringLiteral("reply of ") + QString::number(n) + QStringLiteral(" bytes from ") +
           hexAddress(a) + seq(s);
}
inline QString unreadableReply(int n) {
    return QStringLiteral("unreadable reply of ") + QString::number(n) + QStringLiteral(" bytes");
}
inline QString timeOut(int polls, bool reply, int partial) {
    QString t = QStringLiteral("time-out after ") + QString::number(polls) +
                QStringLiteral(" polls waiting for ") +
                (reply ? QStringLiteral("a reply") : QStringLiteral("an acknowledgement"));
    if (partial > 0)
        t += QStringLiteral(" (") + QString::number(partial) + QStringLiteral(" bytes came)");
    return t;
}
inline QString opened(const QString& port, quint32 baud, int bits, char parity, int stop) {
    return QStringLiteral("opened ") + port + QLatin1Char(' ') + QString::number(baud) +
           QLatin1Char(' ') + QString::number(bits) + QLatin1Char(parity) + QString::number(stop);
}
// What failed, by the serial port's error code.
inline QString failure(int code) {
    switch (code) {
    case 1:
        return QStringLiteral("line speed refused");
    case 7:
        return QStringLiteral("not open");
    case 8:
        return QStringLiteral("open failed");
    case 9:
        return QStringLiteral("write failed");
    case 10:
        return QStringLiteral("read failed");
    case 11:
        return QStringLiteral("close failed");
    case 12:
        return QStringLiteral("purge failed");
    case 14:
        return QStringLiteral("no serial line");
    case 15:
        return QStringLiteral("settings refused");
    case 18:
        return QStringLiteral("status failed");
    default:
        return QStringLiteral("error code ") + QString::number(code);
    }
}
inline QString closed(const QString& port) {
    return QStringLiteral("closed ") + port;
}
inline QString portError(const QString& port, const QString& what, const QString& reason) {
    return QStringLiteral("error ") + port + QStringLiteral(": ") + what +
           (reason.isEmpty() ? QString() : QStringLiteral(" (") + reason + QLatin1Char(')'));
}
} // namespace trace

// The line check (`ledsign doctor`, the Connection dialog's "Test").
namespace doctor {
inline const QString testButton = QStringLiteral("Test");
inline const QString reportCaption = QStringLiteral("Line Test");
inline QString badReads(const QString& value) {
    return QStringLiteral("--reads takes a number from 2 to 20, not '") + value + QLatin1Char('\'');
}
inline const QString closeButton = QStringLiteral("Close");
// The verdict column: passed, failed, or neither (the line gave too little to judge by).
inline const QString verdictPassed = QStringLiteral("passed");
inline const QString verdictFailed = QStringLiteral("failed");
inline const QString verdictNotJudged = QStringLiteral("not judged");
// A finding without its verdict, as Write shows the one it stops on.
inline QString finding(const QString& name, const QString& text, const QString& fix) {
    QString l = name + QStringLiteral(": ") + text;
    if (!fix.isEmpty())
        l += QStringLiteral(" -> ") + fix;
    return l;
}
inline QString line(const QString& verdict, const QString& name, const QString& text,
                    const QString& fix) {
    const QString column = verdict == verdictNotJudged ? QStringLiteral("--") : verdict;
    return column.leftJustified(8, QLatin1Char(' ')) + finding(name, text, fix);
}
inline const QString portName = QStringLiteral("Port");
inline QString portSerial(const QString& path) {
    return path + QStringLiteral(" is a serial device");
}
inline QString portMissing(const QString& path) {
    return path + QStringLiteral(" does not exist");
}
inline QString portFolder(const QString& path) {
    return path + QStringLiteral(" is a folder, not a serial device");
}
inline QString portPlainFile(const QString& path) {
    return path + QStringLiteral(" is a plain file, not a serial device");
}
inline QString portNoSerialLine(const QString& path) {
    return path + QStringLiteral(" is no serial line");
}
inline const QString fixPortMissing =
    QStringLiteral("plug the adapter in and take its name from `ledsign ports` (USB adapters are "
                   "/dev/ttyUSB0 or /dev/ttyACM0)");
inline const QString fixPortWrong = QStringLiteral(
    "name the adapter's device, for example /dev/ttyUSB0 (`ledsign ports` lists them)");
inline const QString accessName = QStringLiteral("Access");
inline QString accessGranted(const QString& mode) {
    return QStringLiteral("this user may read and write it (") + mode + QLatin1Char(')');
}
inline QString accessRefused(const QString& mode) {
    return QStringLiteral("this user may not read and write it (") + mode + QLatin1Char(')');
}
inline QString fixJoinGroup(const QString& group) {
    return QStringLiteral("sudo adduser \"$USER\" ") + group +
           QStringLiteral(", then log out and in again");
}
inline QString fixLogInAgain(const QString& group) {
    return QStringLiteral("log out and in again: this login began before the user joined ") + group;
}
inline const QString holdersName = QStringLiteral("Other programs");
inline const QString noHolder = QStringLiteral("no other process holds it");
inline QString process(const QString& name, const QString& pid) {
    return name + QStringLiteral(" (pid ") + pid + QLatin1Char(')');
}
inline QString heldBy(const QString& processes) {
    return QStringLiteral("held by ") + processes;
}
inline const QString fixHolder =
    QStringLiteral("close that program (or end it: kill PID), then test again");
inline const QString modemManagerName = QStringLiteral("ModemManager");
inline const QString modemManagerAbsent = QStringLiteral("ModemManager is not running");
inline const QString modemManagerIgnores =
    QStringLiteral("ModemManager runs and leaves this port alone");
inline const QString modemManagerProbes =
    QStringLiteral("ModemManager runs and may probe this port while the tool talks on it");
inline QString udevMatch(const QString& vendor, const QString& product) {
    return QStringLiteral("ATTRS{idVendor}==\"") + vendor +
           QStringLiteral("\", ATTRS{idProduct}==\"") + product + QStringLiteral("\", ");
}
inline QString fixModemManager(const QString& match) {
    return QStringLiteral("put the line '") + match +
           QStringLiteral("ENV{ID_MM_DEVICE_IGNORE}=\"1\"' into "
                          "/etc/udev/rules.d/99-ledsign.rules, then sudo udevadm control "
                          "--reload && sudo udevadm trigger, and plug the adapter in again");
}
inline const QString linkName = QStringLiteral("Link");
inline QString linkAnswered(int attempt, bool display) {
    return QStringLiteral("the sign answered at attempt ") + QString::number(attempt) +
           (display ? QStringLiteral(", its display too")
                    : QStringLiteral(", its display did not"));
}
inline QString linkGarbled(int attempts) {
    return QStringLiteral("not judged: answers came, none of them whole, in ") +
           QString::number(attempts) + QStringLiteral(" attempts");
}
inline QString linkOpenFailed(const QString& why) {
    return QStringLiteral("the port would not open: ") + why;
}
inline QString linkSilent(int attempts) {
    return QStringLiteral("no answer after ") + QString::number(attempts) +
           QStringLiteral(" attempts");
}
inline const QString fixOpen =
    QStringLiteral("close what holds the port, or unplug the adapter and plug it in again");
inline const QString fixSilent = QStringLiteral(
    "check the sign's power and the cable into its programming socket, reboot the sign and "
    "test again; then try another cable or adapter");
inline const QString firmwareName = QStringLiteral("Firmware");
inline const QString firmwareSilent = QStringLiteral("no identification came");
inline const QString firmwareGarbled = QStringLiteral("the identification came garbled");
inline QString firmwareWritten(const QString& id) {
    return id + QStringLiteral(" (this tool writes it)");
}
inline QString firmwareRefused(const QString& id) {
    return id + QStringLiteral(" (this tool does not write this model)");
}
inline const QString fixFirmware =
    QStringLiteral("program this sign with the tool made for its model");
inline QString bankName(int bank) {
    return QStringLiteral("Bank ") + QString::number(bank);
}
inline const QString bankValid =
    QStringLiteral("valid: its sum and check words agree with its data");
inline const QString bankInvalid =
    QStringLiteral("not valid: its sum or check words disagree with its data");
inline const QString notJudgedNoisy = QStringLiteral("not judged: the line is too noisy");
inline const QString notJudgedSilent = QStringLiteral("not judged: no answer");
inline QString notJudgedOneAnswer(int reads) {
    return QStringLiteral("not judged: 1 of ") + QString::number(reads) +
           QStringLiteral(" reads was answered");
}
inline const QString fixBank = QStringLiteral(
    "write a table file to the sign (Pager > Write, or `ledsign write`): both banks are "
    "written again");
inline const QString banksName = QStringLiteral("Banks");
inline QString banksState(bool equal, int running) {
    return (equal ? QStringLiteral("equal; ") : QStringLiteral("differ; ")) +
           (running < 0 ? QStringLiteral("neither is valid: the sign runs without its settings")
                        : QStringLiteral("the sign runs bank ") + QString::number(running));
}
inline const QString qualityName = QStringLiteral("Line quality");
inline QString counted(int n, const char* one, const char* many) {
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? one : many);
}
inline QString readsAgreed(int bank0Reads, int bank1Reads) {
    return QString::number(bank0Reads) + QStringLiteral(" of ") + QString::number(bank0Reads) +
           QStringLiteral(" reads of bank 0 and ") + QString::number(bank1Reads) +
           QStringLiteral(" of ") + QString::number(bank1Reads) +
           QStringLiteral(" of bank 1 agreed; every answer came whole, at the first attempt");
}
// What the line did wrong, joined with "; ".
inline QString linkAttempts(int attempts) {
    return QStringLiteral("Link needed ") + QString::number(attempts) + QStringLiteral(" attempts");
}
inline QString negativeAnswers(int n) {
    return counted(n, "negative acknowledgement", "negative acknowledgements");
}
inline QString timeOuts(int n) {
    return counted(n, "time-out", "time-outs");
}
inline QString brokenReplies(int n) {
    return counted(n, "reply", "replies") + QStringLiteral(" broken off or run on");
}
inline QString strayBytes(int n) {
    return counted(n, "stray byte", "stray bytes");
}
inline const QString ofFirmware = QStringLiteral("the firmware identification");
inline QString ofBank(int bank) {
    return QStringLiteral("bank ") + QString::number(bank);
}
inline QString readsDiffered(int differing, int reads, const QString& of, int fewest, int most) {
    QString t = QString::number(differing) + QStringLiteral(" of ") + QString::number(reads) +
                QStringLiteral(" reads of ") + of + QStringLiteral(" differed");
    if (most > 0)
        t += QStringLiteral(" in ") +
             (fewest == most ? QString() : QString::number(fewest) + QStringLiteral(" to ")) +
             counted(most, "byte", "bytes");
    return t;
}
inline QString noTwoAgreed(int reads, const QString& of) {
    return QStringLiteral("no two of ") + QString::number(reads) + QStringLiteral(" reads of ") +
           of + QStringLiteral(" agreed");
}
inline QString silentSinceLink(int timeOuts) {
    return QStringLiteral("no answer since the link (") + doctor::timeOuts(timeOuts) +
           QLatin1Char(')');
}
inline QString stoppedAnswering(int reads) {
    return QStringLiteral("the sign stopped answering: no answer to the last ") +
           QString::number(reads) + QStringLiteral(" reads");
}
inline const QString fixLine = QStringLiteral(
    "check the cable and the adapter: plug them in firmly, try another cable or adapter and a "
    "shorter run, keep the cable away from power lines, then test again");
inline const QString firmwareGarbledWrite = finding(firmwareName, firmwareGarbled, fixSilent);
} // namespace doctor

// ledsign batch: a line of signs programmed from one template and a table of units.
namespace batch {
inline const QString notUtf8 = QStringLiteral("not UTF-8 text");
inline const QString strayQuote = QStringLiteral("a quote inside a field that is not quoted");
inline const QString openQuote = QStringLiteral("a quoted field is never closed");
inline const QString noUnitColumn = QStringLiteral("the first column must be 'unit'");
inline const QString noUnits = QStringLiteral("no units below the header");
inline const QString interrupted = QStringLiteral("interrupted");
inline const QString portFailed = QStringLiteral("the port failed; this station stopped");
inline const QString written = QStringLiteral("written");
inline QString at(const QString& file, int line, const QString& text) {
    return file + QLatin1Char(':') + QString::number(line) + QStringLiteral(": ") + text;
}
inline QString unitKey(const QString& unit, const QString& key, const QString& text) {
    return QStringLiteral("unit ") + unit + QStringLiteral(", ") + key + QStringLiteral(": ") +
           text;
}
inline QString fieldCount(int got, int want) {
    return QString::number(got) + QStringLiteral(" fields where the header has ") +
           QString::number(want);
}
inline QString emptyUnit() {
    return QStringLiteral("the unit is empty");
}
inline QString duplicateUnit(const QString& unit, int firstLine) {
    return QStringLiteral("unit ") + unit + QStringLiteral(" already on line ") +
           QString::number(firstLine);
}
inline QString duplicateKey(const QString& key) {
    return QStringLiteral("column ") + key + QStringLiteral(" given twice");
}
inline QString connect(const QString& unit, const QString& port) {
    return QStringLiteral("Connect the sign for unit ") + unit + QStringLiteral(" to ") + port +
           QStringLiteral(" and press Enter");
}
inline QString badNumber(const QString& option, const QString& value) {
    return QStringLiteral("--") + option + QStringLiteral(" takes a whole number, not '") + value +
           QLatin1Char('\'');
}
inline QString skipped(int units) {
    return QString::number(units) + QStringLiteral(" units already ok in the log, skipped");
}
inline QString logLocked(const QString& log, qint64 pid) {
    return log + QStringLiteral(": in use by another batch (process ") + QString::number(pid) +
           QLatin1Char(')');
}
inline QString logUnusable(const QString& log, const QString& reason) {
    return log + QStringLiteral(": the log cannot be written: ") + reason;
}
inline QString logFailed(const QString& log, const QString& reason) {
    return log + QStringLiteral(": the log cannot be written (") + reason +
           QStringLiteral("); no new unit is started");
}
inline QString moreErrors(int count) {
    return QStringLiteral("and ") + QString::number(count) + QStringLiteral(" more errors");
}
inline const QString lockFailed = QStringLiteral("its lock file cannot be made");
inline const QString logClosed = QStringLiteral("the log is not open");
inline QString stationNotStarted(const QString& program, const QString& reason) {
    return program + QStringLiteral(": the station cannot be started: ") + reason;
}
inline QString samePort(const QString& first, const QString& second) {
    return QStringLiteral("--port ") + second + QStringLiteral(" is the same device as ") + first;
}
inline QString againChanged(const QString& unit, bool templateChanged) {
    return QStringLiteral("unit ") + unit +
           QStringLiteral(" written again: its image differs from the one logged ok (") +
           (templateChanged ? QStringLiteral("the template changed")
                            : QStringLiteral("its row changed")) +
           QLatin1Char(')');
}
inline QString againNotOk(const QString& unit, const QString& result, const QString& message) {
    return QStringLiteral("unit ") + unit + QStringLiteral(" written again: logged ") + result +
           (message.isEmpty() ? QString() : QStringLiteral(" (") + message + QLatin1Char(')'));
}
inline const QString phaseAsking = QStringLiteral("connect the sign");
inline const QString phaseWaiting = QStringLiteral("waiting");
inline const QString phaseWriting = QStringLiteral("writing");
inline const QString phaseReadingBack = QStringLiteral("reading back");
inline const QString phaseUnplug = QStringLiteral("unplug");
inline const QString phaseEnded = QStringLiteral("ended");
inline const QString resultOk = QStringLiteral("ok");
inline QString resultFailed(const QString& why) {
    return QStringLiteral("failed: ") + why;
}
inline QString resultLeft(const QString& why) {
    return QStringLiteral("left: ") + why;
}
inline QString summary(int done, int failed, int left) {
    return QStringLiteral("done ") + QString::number(done) + QStringLiteral(", failed ") +
           QString::number(failed) + QStringLiteral(", left ") + QString::number(left);
}
} // namespace batch

// The production screen: an operator's view of a line of signs.
namespace production {
inline const QString menuItem = QStringLiteral("Production...");
inline const QString stageIdle = QStringLiteral("READY");
inline const QString stageWaiting = QStringLiteral("WAITING FOR SIGN");
inline QString stageWriting(int percent) {
    return QStringLiteral("WRITING ") + QString::number(percent) + QStringLiteral(" %");
}
inline const QString stageReadingBack = QStringLiteral("READING BACK");
inline const QString stagePass = QStringLiteral("PASS");
inline const QString stageFail = QStringLiteral("FAIL");
inline const QString stageUnplug = QStringLiteral("UNPLUG THE SIGN");
inline const QString stageStopped = QStringLiteral("STOPPED");
inline QString spoken(const QString& jig, const QString& port, const QString& unit,
                      const QString& state, const QString& reason) {
    QString s = jig + QStringLiteral(" on ") + port + QStringLiteral(": ") + state;
    if (!unit.isEmpty())
        s += QStringLiteral(", unit ") + unit;
    if (!reason.isEmpty())
        s += QStringLiteral(". ") + reason;
    return s;
}
inline const QString reasonUnknown = QStringLiteral("The write failed.");
inline const QString reasonNoAnswer =
    QStringLiteral("The sign did not answer. Check its cable and power.");
inline const QString reasonLineFailed =
    QStringLiteral("The line to the sign broke off. Check the cable and plug it in again.");
inline const QString reasonFlex =
    QStringLiteral("This sign has the wrong firmware (FLEX). Put it aside.");
inline const QString reasonStopped = QStringLiteral("Stopped before the write was finished.");
inline const QString reasonPortFailed =
    QStringLiteral("The port failed: is the adapter still plugged in?");
inline const QString reasonNoBackup =
    QStringLiteral("The sign's old settings could not be saved; nothing was written.");
inline const QString reasonReadBack =
    QStringLiteral("The sign did not keep what was written. Put it aside.");
inline QString unitLabel(const QString& unit) {
    return unit.isEmpty() ? QString() : QStringLiteral("Unit ") + unit;
}
inline const QString jigNameLabel = QStringLiteral("Jig name");
inline QString defaultJig(int number) {
    return QStringLiteral("Jig ") + QString::number(number);
}

// The screen's header and buttons.
inline const QString caption = QStringLiteral("LED SIGN - Production");
inline QString templateLine(const QString& name, const QString& fingerprint) {
    return QStringLiteral("Template: ") + name + QStringLiteral("   fingerprint ") + fingerprint;
}
inline QString unitsLine(const QString& name) {
    return QStringLiteral("Units: ") + name;
}
inline QString counts(int done, int failed, int left) {
    return QStringLiteral("Done ") + QString::number(done) + QStringLiteral("   Failed ") +
           QString::number(failed) + QStringLiteral("   Left ") + QString::number(left);
}
inline QString rates(const QString& perHour, const QString& yield, const QString& elapsed) {
    return QStringLiteral("Units per hour ") + perHour + QStringLiteral("   First-pass yield ") +
           yield + QStringLiteral("   Elapsed ") + elapsed;
}
inline const QString start = QStringLiteral("Start");
inline const QString stop = QStringLiteral("Stop");
inline const QString setUp = QStringLiteral("Set Up...");
inline const QString fullScreen = QStringLiteral("Full Screen (F11)");
inline const QString leaveWhileWriting =
    QStringLiteral("Signs are being written. Stop the run and leave once they are finished?");
inline const QString stopping = QStringLiteral("Stopping: the signs being written finish first.");

inline QString longestWait(qint64 ms, qint64 atMs, qint64 queuedMs, int late, qint64 ownMs,
                           int lateOwn) {
    return QStringLiteral("longest event-loop wait ") + QString::number(ms) +
           QStringLiteral(" ms at ") + QString::number(atMs / 1000.0, 'f', 1) +
           QStringLiteral(" s (") + QString::number(queuedMs) +
           QStringLiteral(" ms of it waiting for a CPU); ") + QString::number(late) +
           QStringLiteral(" waits over 50 ms; without the CPU waits at most ") +
           QString::number(ownMs) + QStringLiteral(" ms, ") + QString::number(lateOwn) +
           QStringLiteral(" over 50 ms");
}

// The set-up dialog.
inline const QString setupCaption = QStringLiteral("Production Set-Up");
inline const QString templateField = QStringLiteral("Template (.tbl)");
inline const QString unitsField = QStringLiteral("Units (.csv)");
inline const QString portsField = QStringLiteral("Ports (one station each)");
inline const QString logField = QStringLiteral("Log (.jsonl)");
inline const QString browse = QStringLiteral("Browse...");
inline const QString openScreen = QStringLiteral("Open Screen");
inline const QString templateFilter = QStringLiteral("Table files (*.tbl)");
inline const QString unitsFilter = QStringLiteral("Units (*.csv)");
inline const QString logFilter = QStringLiteral("Logs (*.jsonl)");
inline const QString noTemplate = QStringLiteral("Choose the template (.tbl).");
inline const QString noUnits = QStringLiteral("Choose the units (.csv).");
inline const QString noPorts = QStringLiteral("Tick at least one port.");
inline const QString noLog = QStringLiteral("Choose the log file.");
inline QString fileProblem(const QString& file, const QString& text) {
    return file + QStringLiteral(": ") + text;
}

// After a run.
inline const QString summaryCaption = QStringLiteral("Production Summary");
inline QString summaryText(int done, int failed, int left, const QString& perHour,
                           const QString& yield, const QString& elapsed) {
    return counts(done, failed, left) + QLatin1Char('\n') + rates(perHour, yield, elapsed);
}
inline const QStringList summaryColumns{QStringLiteral("Unit"), QStringLiteral("Port"),
                                        QStringLiteral("Result"), QStringLiteral("Seconds"),
                                        QStringLiteral("Reason")};
} // namespace production

// A sign behind a network serial server (rfc2217:// and socket:// ports).
namespace network {
// Second line under an open failure of a network port.
inline QString cannotConnect(const QString& address, const QString& reason) {
    return QStringLiteral("Could not connect to ") + address + QStringLiteral(": ") + reason;
}
inline QString noSerialSettings(const QString& address) {
    return QStringLiteral("the server at ") + address +
           QStringLiteral(" does not take serial settings; use socket:// if it is set to 19200 "
                          "8N1");
}
inline const QString badName =
    QStringLiteral("A network port is named rfc2217://HOST:PORT or socket://HOST:PORT.");
// Under "Transmit Error!" when the connection went in the middle of an operation.
inline QString lost(const QString& address, const QString& reason) {
    return QStringLiteral("The connection to ") + address + QStringLiteral(" was lost: ") + reason;
}
// How the port lists and the Connection dialog describe a network port.
inline const QString rfc2217Description = QStringLiteral("network serial server (RFC 2217)");
inline const QString rawDescription =
    QStringLiteral("network serial server (raw TCP, set to 19200 8N1)");
// "Add network port..." in the Connection dialog.
inline const QString addButton = QStringLiteral("Add network port...");
inline const QString addCaption = QStringLiteral("Add Network Port");
inline const QString hostLabel = QStringLiteral("Host");
inline const QString portLabel = QStringLiteral("Port");
inline const QString kindLabel = QStringLiteral("Kind");
inline const QString kindRfc2217 =
    QStringLiteral("RFC 2217 (the tool sets the server's serial line)");
inline const QString kindRaw = QStringLiteral("Raw TCP (the server is set to 19200 8N1 by hand)");
inline const QString noHost = QStringLiteral("Enter the server's host name or address.");
} // namespace network

// The line check of a network port, in place of the local device's checks.
namespace netdoctor {
inline const QString resolveName = QStringLiteral("Name");
inline QString resolved(const QString& host, const QString& addresses, qint64 ms) {
    return host + QStringLiteral(" is ") + addresses + QStringLiteral(" (") + QString::number(ms) +
           QStringLiteral(" ms)");
}
inline QString unresolved(const QString& host, const QString& reason) {
    return host + QStringLiteral(" does not resolve: ") + reason;
}
inline const QString fixResolve =
    QStringLiteral("check the server's name, or give its address (for example 192.0.2.10)");
inline const QString connectName = QStringLiteral("Connection");
inline QString connected(const QString& address, qint64 ms) {
    return QStringLiteral("the connection to ") + address + QStringLiteral(" opens (") +
           QString::number(ms) + QStringLiteral(" ms)");
}
inline QString notConnected(const QString& address, const QString& reason) {
    return QStringLiteral("the connection to ") + address + QStringLiteral(" fails: ") + reason;
}
inline const QString fixConnect = QStringLiteral(
    "check that the server is on and reachable and that ser2net (or the device server) listens "
    "on that port");
inline const QString settingsName = QStringLiteral("Serial settings");
inline const QString settingsTaken =
    QStringLiteral("the server set its line to 19200 baud 8N1, DTR and RTS on");
inline const QString fixSettings = QStringLiteral(
    "give the server a telnet(rfc2217) accepter, or use socket:// with the server set to 19200 "
    "8N1");
inline const QString roundTripName = QStringLiteral("Round trip");
inline QString roundTrip(qint64 ms) {
    return QStringLiteral("a link frame was answered in ") + QString::number(ms) +
           QStringLiteral(" ms");
}
inline QString noRoundTrip(qint64 ms) {
    return QStringLiteral("a link frame got no answer in ") + QString::number(ms) +
           QStringLiteral(" ms");
}
} // namespace netdoctor

} // namespace msg
