// The settings file's lines: any bytes read without failure and written back unchanged; setting
// a value changes what reads back for that key alone and never makes a readable file unreadable.
// Input: one byte choosing the group and key, the value up to the first 0xFF byte, then the file.
#include "settings/settingsfile.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

QByteArray trimmedBlanks(QByteArray text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v'; };
    while (!text.isEmpty() && blank(text.front()))
        text.remove(0, 1);
    while (!text.isEmpty() && blank(text.back()))
        text.chop(1);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const qsizetype split = input.indexOf('\xFF');
    const QByteArray value = split < 0 ? QByteArray() : input.left(split);
    const QByteArray bytes = split < 0 ? input : input.mid(split + 1);

    static const std::pair<const char16_t *, const char16_t *> keys[] = {
        {u"Properties", u"CommPort"}, {u"Ports", u"Com1"}, {u"ports", u"COM2"}, {u"Other", u"x"}};
    const auto &[group, key] = keys[data[0] % 4];
    const auto &[otherGroup, otherKey] = keys[(data[0] / 4) % 4];

    SettingsFile file(bytes);
    if (file.bytes() != bytes)
        std::abort();
    const int unreadable = file.firstUnreadableLine();
    const std::optional<QByteArray> other = file.value(otherGroup, otherKey);

    const bool breaks = value.contains('\n') || value.contains('\r') || value.contains('\0');
    if (file.setValue(group, key, value) == breaks)
        std::abort();
    if (breaks) {
        if (file.bytes() != bytes)
            std::abort();
        return 0;
    }
    const SettingsFile again(file.bytes());
    if (again.value(group, key) != std::optional<QByteArray>(trimmedBlanks(value)))
        std::abort();
    const bool sameKey =
        QStringView(group).compare(QStringView(otherGroup), Qt::CaseInsensitive) == 0 &&
        QStringView(key).compare(QStringView(otherKey), Qt::CaseInsensitive) == 0;
    if (!sameKey && again.value(otherGroup, otherKey) != other)
        std::abort();
    if (unreadable == 0 && again.firstUnreadableLine() != 0)
        std::abort();
    return 0;
}
