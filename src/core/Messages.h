#pragma once

#include <QString>

// Every text the tool shows to the user, in one place, spelled exactly as the sign's
// technicians know them (blanks before "!" included).
namespace msg {

inline const QString appTitle = QStringLiteral("LED SIGN");
inline const QString windowCaption =
    QStringLiteral("Marovelkin LED Sign Programmer Version 2.52");
inline const QString captionZrd = QStringLiteral("ZRD");
inline const QString captionTrux = QStringLiteral("Trux");
inline const QString captionVersion = QStringLiteral("Version");

// Table files
inline const QString openError = QStringLiteral("Open Error!");
inline const QString saveError = QStringLiteral("Save Error!");
inline QString filePagerFormat(const QString& name) {
    return QStringLiteral("The [") + name +
           QStringLiteral("] is not correct format for Marovelkin LED sign, copy capcode and "
                          "frequency Only !");
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

// Read, write, verify, firmware
inline const QString notPocsag = QStringLiteral("The firmware is not POCSAG ! ");
inline const QString overwriteQuestion =
    QStringLiteral("The program data is wrong ! Are you sure to overwrite ?");
inline QString verifyErrorHtag(int sequence) {
    return QStringLiteral("Verify Error! ") + QStringLiteral("Htag = ") + QString::number(sequence);
}
inline const QString verifySuccess = QStringLiteral("Verify Success!");
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

} // namespace msg
