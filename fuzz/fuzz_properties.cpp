// The settings dialog's preselection arithmetic: any settings text, port and mode select entries
// that exist, or nothing.
#include "settings/propertyselection.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 8)
        return 0;
    int port = 0;
    int mode = 0;
    std::memcpy(&port, data, 4);
    std::memcpy(&mode, data + 4, 4);
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data + 8), qsizetype(size - 8));
    const properties::Selection s = properties::selection(text, port, mode);
    const auto inRange = [](int index, qsizetype count) { return index >= -1 && index < count; };
    if (!inRange(s.port, properties::portEntries().size()) ||
        !inRange(s.speed, properties::speedEntries().size()) ||
        !inRange(s.dataBits, properties::dataBitsEntries().size()) ||
        !inRange(s.parity, properties::parityEntries().size()) ||
        !inRange(s.stopBits, properties::stopBitsEntries().size()) ||
        !inRange(s.flow, properties::kFlowModes))
        std::abort();

    const QString letter = properties::parityLetter(text);
    if (letter.size() > 1)
        std::abort();
    const QString stored = properties::commPortValue(text);
    if (stored.size() > 1)
        std::abort();
    const QString applied = properties::settingsText(text, letter, text, text);
    if (applied.count(QLatin1Char(',')) < 3)
        std::abort();
    return 0;
}
