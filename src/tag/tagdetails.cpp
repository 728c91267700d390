#include "tag/tagdetails.h"

#include <QStringList>

namespace tagdetails {

namespace {

// IC manufacturer codes registered under ISO/IEC 7816-6.
const char *const kManufacturers[] = {
    nullptr,
    "Motorola",                            // 0x01
    "STMicroelectronics",                  // 0x02
    "Hitachi",                             // 0x03
    "NXP Semiconductors",                  // 0x04
    "Infineon Technologies",               // 0x05
    "Cylink",                              // 0x06
    "Texas Instruments",                   // 0x07
    "Fujitsu",                             // 0x08
    "Matsushita Electronics",              // 0x09
    "NEC",                                 // 0x0A
    "Oki Electric Industry",               // 0x0B
    "Toshiba",                             // 0x0C
    "Mitsubishi Electric",                 // 0x0D
    "Samsung Electronics",                 // 0x0E
    "Hynix",                               // 0x0F
    "LG Semiconductors",                   // 0x10
    "Emosyn-EM Microelectronics",          // 0x11
    "INSIDE Technology",                   // 0x12
    "ORGA Kartensysteme",                  // 0x13
    "Sharp",                               // 0x14
    "Atmel",                               // 0x15
    "EM Microelectronic-Marin",            // 0x16
    "KSW Microtec",                        // 0x17
    "ZMD",                                 // 0x18
    "Xicor",                               // 0x19
    "Sony",                                // 0x1A
    "Malaysia Microelectronic Solutions",  // 0x1B
    "Emosyn",                              // 0x1C
    "Shanghai Fudan Microelectronics",     // 0x1D
    "Magellan Technology",                 // 0x1E
    "Melexis",                             // 0x1F
    "Renesas Technology",                  // 0x20
    "TAGSYS",                              // 0x21
    "Transcore",                           // 0x22
    "Shanghai Belling",                    // 0x23
    "Masktech",                            // 0x24
    "Innovision Research and Technology",  // 0x25
    "Hitachi ULSI Systems",                // 0x26
    "Cypak",                               // 0x27
    "Ricoh",                               // 0x28
    "ASK",                                 // 0x29
    "Unicore Microsystems",                // 0x2A
    "Dallas Semiconductor / Maxim",        // 0x2B
    "Impinj",                              // 0x2C
};

}  // namespace

QString hexByte(quint8 value)
{
    return QLatin1String("0x") +
           QString::number(value, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

QString hexBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString manufacturer(quint8 code)
{
    if (code < std::size(kManufacturers) && kManufacturers[code])
        return QLatin1String(kManufacturers[code]);
    return QStringLiteral("sconosciuto");
}

QString uidManufacturer(const QByteArray &uid)
{
    if (uid.size() < 2 || quint8(uid.at(0)) != 0xE0)
        return QStringLiteral("sconosciuto");
    return manufacturer(quint8(uid.at(1)));
}

QString memorySize(quint8 blocksMinusOne, quint8 blockSizeByte)
{
    const int blocks = blocksMinusOne + 1;
    const int size = (blockSizeByte & 0x1F) + 1;
    return QStringLiteral("%1 blocchi × %2 byte = %3 byte")
        .arg(blocks)
        .arg(size)
        .arg(blocks * size);
}

}  // namespace tagdetails
