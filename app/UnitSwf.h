#pragma once
// The fixed header of a Flash movie (.swf): version, declared length, frame size, frame
// rate and frame count, as the texts the player shows in its Properties report.
#include <QByteArrayView>
#include <QString>

// The bits firstBit … firstBit + bitCount - 1 of `buffer` as one unsigned big-endian number;
// bit k is bit (7 - k mod 8) of byte k div 8. bitCount is 0…32. Raises EReadError when the
// bits reach past the end of the buffer (or bitCount is out of range).
quint32 ReadBits(QByteArrayView buffer, qint64 firstBit, int bitCount);

// Reads the header of an "FWS" or "CWS" movie. On success all six texts are assigned: the
// version byte, the declared file length, Xmax and Ymax in whole pixels, the frame rate
// ("12.0", "29.97") and the frame count. A file with any other signature leaves all six
// untouched. Raises EFOpenError when the file cannot be opened, EZDecompressionError when a
// "CWS" body is damaged anywhere, and EReadError when the data ends inside the header;
// Version and FileLength are assigned before the body is looked at.
void ReadSwfHeader(const QString& fileName, QString& Version, QString& FileLength, QString& Width,
                   QString& Height, QString& FrameRate, QString& FrameCount);

// The frame-rate text of the 8.8 rate integer + fraction / 256: "<integer>.0" for a zero
// fraction, else the shortest decimal that reads back to the same 8.8 value.
QString SwfFrameRateText(quint8 integer, quint8 fraction);
