// Label composition: the text goes out exactly as given, after the numbers, and a text the label
// accepts cannot change the shape of the command.
#include "label/labelcommands.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 10)
        return 0;
    int n[5];
    for (int i = 0; i < 5; ++i)
        n[i] = data[2 * i] | (data[2 * i + 1] << 8);
    n[0] %= 100;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 10), qsizetype(size - 10));
    const QString command = labelcommands::textCommand(n[0], n[1], n[2], n[3], n[4], text);
    const QString head = command.left(command.size() - text.size());
    if (!command.startsWith(QLatin1String("?52&")) || !command.endsWith(text) ||
        !head.endsWith(QLatin1Char(';')) || head.count(QLatin1Char(',')) != 4 ||
        head.at(5).isDigit() == false)
        std::abort();

    bool control = false;
    bool wide = false;
    for (QChar c : text) {
        control = control || c.unicode() < 0x20 || c.unicode() == 0x7F;
        wide = wide || c.unicode() > 0xFF;
    }
    const labelcommands::TextFault fault = labelcommands::textFault(text);
    if ((fault == labelcommands::TextFault::None) != (!control && !wide) ||
        (fault == labelcommands::TextFault::None &&
         (command.contains(QLatin1Char('\r')) || command.contains(QLatin1Char('\n')))))
        std::abort();

    const qsizetype half = text.size() / 2;
    const QStringList label = labelcommands::blockLabel(text.left(half), text.mid(half));
    if (label.size() != 11 || label[8] != QLatin1String("?52&31,480,37,14,116;") + text)
        std::abort();

    const double line = double(n[1]) + (data[0] & 1 ? 0.5 : 0.0);
    const int rounded = labelcommands::roundHalfEven(line);
    if (std::abs(rounded - line) > 0.5 || ((data[0] & 1) && rounded % 2 != 0))
        std::abort();
    return 0;
}
