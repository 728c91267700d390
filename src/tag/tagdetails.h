#pragma once

#include <QByteArray>
#include <QString>

// The tag's bytes as operators and other tools speak of them: hexadecimal, the chip maker, the
// memory layout. Shown as tooltips beside the decimal fields.
namespace tagdetails {

// "0x1F"
QString hexByte(quint8 value);
// "E0 04 01 00 00 00 00 00"
QString hexBytes(const QByteArray &bytes);
// The IC manufacturer registered under `code` (ISO/IEC 7816-6), "sconosciuto" when not known.
QString manufacturer(quint8 code);
// The maker of a tag from its UID as shown (E0 first, then the manufacturer code).
QString uidManufacturer(const QByteArray &uid);
// "28 blocchi × 4 byte = 112 byte" from the two memory-size bytes.
QString memorySize(quint8 blocksMinusOne, quint8 blockSizeByte);

}  // namespace tagdetails
