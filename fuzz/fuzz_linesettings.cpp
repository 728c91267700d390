// The line settings text and the status bar built from it: any text, no failure; what is
// accepted reads back in a form that parses to the same settings, what is refused is named in the
// reason as messages quote texts from outside.
#include "app/statusbartexts.h"
#include "common/displaytext.h"
#include "link/linesettings.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    LineSettings line;
    const SerialError e = LineSettings::parse(text, &line);
    if (e.ok()) {
        LineSettings again;
        if (LineSettings::parse(line.format(), &again).failed() || !(again == line) ||
            again.format() != line.format())
            std::abort();
    } else if (e.number != SerialError::InvalidSettings || e.field < -1 || e.field > 3 ||
               !e.description.contains(quoted(text))) {
        std::abort();
    }
    const QStringList panels = statusBarTexts(int(size), text);
    if (panels.size() != 5)
        std::abort();
    return 0;
}
