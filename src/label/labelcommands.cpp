#include "label/labelcommands.h"

#include "link/printercommands.h"

#include <cmath>

namespace labelcommands {

QString textCommand(int n1, int n2, int n3, int n4, int n5, const QString &text)
{
    return QStringLiteral("%1%2,%3,%4,%5,%6;")
               .arg(QLatin1String(printer::kLabelText))
               .arg(n1, 2, 10, QLatin1Char('0'))
               .arg(n2)
               .arg(n3)
               .arg(n4)
               .arg(n5) +
           text;
}

TextFault textFault(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return TextFault::ControlCharacter;
        if (c.unicode() > 0xFF)
            return TextFault::NotSingleByte;
    }
    return TextFault::None;
}

int roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction > 0.5)
        return int(floor) + 1;
    if (fraction < 0.5)
        return int(floor);
    return std::fmod(floor, 2.0) == 0.0 ? int(floor) : int(floor) + 1;
}

int firstFieldLine()
{
    return roundHalfEven(kCommandLine - 37.5);
}

QStringList voidLabel(const QString &uid)
{
    QStringList commands{
        QLatin1String(printer::kLabelReset), QLatin1String(printer::kLabelBegin),
        textCommand(20, kCommandLine, kCaptionColumn, 7, 12, QStringLiteral("ANNULLATO"))};
    if (!uid.isEmpty())
        commands << textCommand(20, firstFieldLine(), kCaptionColumn, 7, 11, QStringLiteral("UID:"))
                 << textCommand(20, firstFieldLine(), kValueColumn, 7, 11, uid);
    commands << QLatin1String(printer::kLabelPrint) << QLatin1String(printer::kLabelEnd);
    return commands;
}

QStringList blockLabel(const QString &row1, const QString &row2)
{
    return {
        QLatin1String(printer::kLabelReset),
        QLatin1String(printer::kLabelBegin),
        QStringLiteral("?52&00,474,764,18,11;BELMUTH"),
        QStringLiteral("?52&00,538,763,17,11;Vireo 4400 TAG - RF"),
        QLatin1String(printer::kLabelFormat1),
        QLatin1String(printer::kLabelFormat2),
        QLatin1String(printer::kLabelFormat3),
        QLatin1String(printer::kLabelFormat4),
        QStringLiteral("?52&31,480,37,14,116;") + row1 + row2,
        QLatin1String(printer::kLabelPrint),
        QLatin1String(printer::kLabelEnd),
    };
}

}  // namespace labelcommands
