#pragma once
// The picture control's numbers: file format codes (what Save writes, what
// GetFileInfo reports) and the imaging error codes every picture operation
// returns. The texts of the error codes live with GetImageErrorText.
#include <QString>

namespace platform {

// ---- file format codes (the codes the picture properties name)
namespace fmt {
constexpr int Pcx = 1;
constexpr int Tif = 3;
constexpr int Tga = 4;
constexpr int Cmp = 5;
constexpr int Bmp = 6;
constexpr int Jpeg = 10;
constexpr int Gif = 2;
constexpr int Wmf = 15;
constexpr int Eps = 16;
constexpr int Mac = 51;
constexpr int Img = 52;
constexpr int Msp = 53;
constexpr int Wpg = 54;
constexpr int Ras = 55;
constexpr int Pct = 56;
constexpr int Pcd = 57;
constexpr int Dcx = 58; // multi-page PCX (PCX keeps 1)
constexpr int Fli = 61;
constexpr int FaxGroup3 = 66;
constexpr int Fax = 68; // group 4 by its name; written as the raw group 3 the reader takes
constexpr int Ica = 73;
constexpr int Pbm = 103; // binary portable bitmap; PNG keeps 75
constexpr int Png = 75;
constexpr int Psd = 76;
constexpr int Fpx = 80;
constexpr int Ico = 91;
constexpr int Cur = 92;
constexpr int Awd = 99;
constexpr int Cut = 108;
constexpr int Xpm = 109;
constexpr int Iff = 112;
constexpr int Xwd = 113;
constexpr int Clp = 114;
constexpr int Jbg = 115;
constexpr int Emf = 116;
constexpr int Ani = 119;
constexpr int Cals = 50;
constexpr int Cal = 129;
constexpr int Flc = 134;
constexpr int Sgi = 142;
// Told apart by the header or the compression of a file read.
constexpr int TifLzw = 17;
constexpr int TifCcitt = 25;
constexpr int BmpRle = 84;
constexpr int ExifJpeg = 98;
constexpr int PbmAscii = 102;
constexpr int PgmAscii = 104;
constexpr int Pgm = 105;
constexpr int PpmAscii = 106;
constexpr int Ppm = 107;
} // namespace fmt

// ---- imaging error codes (0 = success)
namespace err {
constexpr int Failure = 20000;
constexpr int NoMemory = 20001;
constexpr int InvalidBitmap = 20002;
constexpr int FileWrite = 20005;
constexpr int FileRead = 20007;
constexpr int InvalidFileName = 20008;
constexpr int InvalidFormat = 20009;
constexpr int FileNotFound = 20010;
constexpr int InvalidSize = 20011;
constexpr int SubTypeNotSupported = 20012;
constexpr int InvalidParameter = 20013;
constexpr int FileOpen = 20014;
constexpr int FormatNotAvailable = 20016;
constexpr int InvalidQFactor = 20021;
constexpr int InvalidBitsPerPixel = 20027;
constexpr int TwainNoManager = 20079;
constexpr int TwainFailure = 20080;
constexpr int TwainNoMemory = 20081;
constexpr int TwainNoSource = 20082;
constexpr int TwainBusy = 20083;
constexpr int TwainBadValue = 20087;
constexpr int TwainCancelled = 20090;
constexpr int LzwNotSupported = 20146;
constexpr int DialogCancelled = 20150;
} // namespace err

} // namespace platform
