#pragma once

// Byte layout of the sign's 4096-byte parameter image. Every offset the tool touches is
// named here; no other file spells an image offset as a number.
// c = capcode 0..5 (#1..#6), f = function bit 0..3 (A..D).
namespace layout {

inline constexpr int kImageSize = 4096;
inline constexpr int kBankSize = 4100; // image bytes 0..4093, checksum, two check words
inline constexpr int kSummedBytes = 4094;
inline constexpr int kCapcodeCount = 6;
inline constexpr int kFunctionBits = 4;
inline constexpr int kRecordChars = 30; // header, trailer and time-out strings
inline constexpr int kFunCmdCodeLen = 4;
inline constexpr int kOutputCount = 9;
inline constexpr int kPasswordLen = 10;

inline constexpr int kUartBaudCode = 3;
inline constexpr int kOutOfRangeTimeout = 6;
inline constexpr int kLanguageCode = 7;
inline constexpr int kTestModeFlag = 8;
inline constexpr int kBandIndex = 11;
inline constexpr int kPllR = 12;     // 24-bit big-endian
inline constexpr int kPllSpare = 15; // travels with the frequency block
inline constexpr int kPllN = 16;     // 32-bit big-endian
inline constexpr int kRoeFlag = 23;
inline constexpr int kOrcFlag = 24;
inline constexpr int kSerialLedFlag = 25;
inline constexpr int kEndCode = 26;
inline constexpr int kUartParity = 27;
inline constexpr int kUartStopBits = 28;
inline constexpr int kUartDataBits = 29;
inline constexpr int kFunctionTypes = 56;
inline constexpr int kBaudIndexByte = 97; // bits 4..3
inline constexpr int kBaudIndexShift = 3;
inline constexpr int kBaudIndexWidth = 2;
inline constexpr int kCapcodes = 104;
inline constexpr int kRxControl1 = 122; // bit 4 polarity
inline constexpr int kPolarityShift = 4;
inline constexpr int kRxControl2 = 123; // bits 7..5 baud code, bits 4..0 capcode #2..#6 off
inline constexpr int kBaudCodeShift = 5;
inline constexpr int kBaudCodeWidth = 3;
inline constexpr int kRxControl3 = 124; // bit 0 capcode #1 off
inline constexpr int kRxControl4 = 128;
inline constexpr int kAirPassword = 129;
inline constexpr int kOutputPeriods = 385;
inline constexpr int kSequentialLock = 404;
inline constexpr int kPeriodPrescaler = 406;
inline constexpr int kHeaderLen = 407;
inline constexpr int kHeaderChars = 431;
inline constexpr int kTrailerLen = 1151;
inline constexpr int kTrailerChars = 1175;
inline constexpr int kTimeoutLen = 1895;
inline constexpr int kTimeoutChars = 1919;
inline constexpr int kFcPassword1Len = 2639;
inline constexpr int kFcPassword1 = 2640;
inline constexpr int kFcPassword2Len = 2650;
inline constexpr int kFcPassword2 = 2651;
inline constexpr int kIntFunCmd = 2661;
inline constexpr int kFunCmdCodes = 2685;
inline constexpr int kMsgDelayOn = 2781;
inline constexpr int kSerialCtl = 2783; // five 0/1 flags
inline constexpr int kSerialCtlCount = 5;
inline constexpr int kMsgTimeoutDelay = 2788; // 16-bit little-endian
inline constexpr int kPowerUpOutputs = 2792;
inline constexpr int kPowerUpOutputs2 = 2793; // bit 4 = output 9
inline constexpr int kOutput9Bit = 4;
inline constexpr int kSerialOutputOn = 2794;
inline constexpr int kPowerUpFlag = 2795;
inline constexpr int kReadPassword = 2796;
inline constexpr int kFcAsPasswordFlag = 2807;

// The image's secrets: what a trace or a support bundle never shows.
struct Range {
    int from, count;
};
// The function-code passwords' length bytes tell their lengths: they are secrets with them.
inline constexpr Range kSecrets[] = {
    {kAirPassword, kPasswordLen},
    {kFcPassword1Len, 1 + kPasswordLen},
    {kFcPassword2Len, 1 + kPasswordLen},
    {kReadPassword, kPasswordLen},
};
static_assert(kFcPassword1 == kFcPassword1Len + 1 && kFcPassword2 == kFcPassword2Len + 1);
inline constexpr int kRtsFlag = 2808;
inline constexpr int kModelTag = 2809;
inline constexpr int kModelTagLen = 13; // "SIGN_PV02.43" and NUL
inline constexpr int kChecksum = 4094;  // big-endian

// Blocks that only the default content fills: the receiver's settings from byte 0 on (the
// named fields above lie in them), its tables behind the air password, and a run of ones
// behind the output periods.
inline constexpr int kReceiverBlock = 0;
inline constexpr int kReceiverBlockRow = 16; // the default is written in rows of 16 bytes
inline constexpr int kReceiverTable = 139;   // right after the air password
inline constexpr int kReceiverGroups = 165;  // ten groups 0A 01..09 00, then 0A, ...
inline constexpr int kReceiverGroupsEnd = 384;
inline constexpr int kPeriodOnes = 395;

// Bank offsets of the two check words (only in the 4100-byte bank buffer).
inline constexpr int kCheckWord1 = 4096;
inline constexpr int kCheckWord2 = 4098;

constexpr int functionType(int c, int f) {
    return kFunctionTypes + 4 * c + f;
}
constexpr int capcode(int c) {
    return kCapcodes + 3 * c;
}
constexpr int intFunCmd(int c, int f) {
    return kIntFunCmd + 4 * c + f;
}
constexpr int funCmdCode(int c, int f, int l) {
    return kFunCmdCodes + 16 * c + 4 * f + l;
}
constexpr int outputPeriod(int i) {
    return kOutputPeriods + i;
}
constexpr int serialCtl(int i) {
    return kSerialCtl + i;
}

// The three per-capcode strings share one shape: a length per function bit, then 30
// characters per function bit.
enum class Record { Header, Trailer, Timeout };
constexpr int recordLen(Record r, int c, int f) {
    const int base = r == Record::Header    ? kHeaderLen
                     : r == Record::Trailer ? kTrailerLen
                                            : kTimeoutLen;
    return base + 4 * c + f;
}
constexpr int recordChar(Record r, int c, int f, int k) {
    const int base = r == Record::Header    ? kHeaderChars
                     : r == Record::Trailer ? kTrailerChars
                                            : kTimeoutChars;
    return base + 120 * c + 30 * f + k;
}

// Message type codes of functionTypes.
inline constexpr int kTypeDisable = 5;

inline constexpr char kModelTagText[] = "SIGN_PV02.43";
inline constexpr char kFullImageTag[] = "SIGN_P";
inline constexpr char kPagerImageTag[] = "POCSAG";

} // namespace layout
