// Reply decoding: whatever the printer sends, decoding never fails and keeps its shapes.
#include "link/printercommands.h"
#include "link/replytext.h"
#include "tag/blockdata.h"
#include "tag/tagcodec.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString reply =
        QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));

    const QString query = queryFieldText(reply);
    if (!query.isEmpty() && query.at(0) != QLatin1Char(' '))
        std::abort();
    if (query.contains(QChar(0)) || query.size() > qMax<qsizetype>(1, reply.size()))
        std::abort();
    // What the printer search takes for a model shows as printable text, never as the query.
    if (modelReplyFault(reply).isEmpty()) {
        if (query.trimmed().isEmpty() ||
            query.mid(1).startsWith(QLatin1String(printer::kQueryModel)))
            std::abort();
        for (QChar c : query) {
            if (c.unicode() < 0x20 || c.unicode() > 0x7E)
                std::abort();
        }
    }

    // The decoders are only given replies of their exact length.
    const auto exactly = [&](int length) { return reply.leftJustified(length, QChar(0x55), true); };
    const tagcodec::TagInfo inventory = tagcodec::decodeInventory(exactly(14));
    const tagcodec::TagInfo info = tagcodec::decodeSystemInformation(exactly(16));
    if (inventory.uid.count(QLatin1String("  ")) < 8 || info.uid.count(QLatin1String("  ")) < 8)
        std::abort();
    if (!info.memSizeTip.contains(QLatin1String(" byte")) ||
        !inventory.uidTip.contains(QLatin1Char('\n')))
        std::abort();

    const QString block = exactly(10);
    const QString field =
        blockdata::displayText(blockdata::trimmed(tagcodec::blockReplyData(block).toLatin1()));
    // (A blank before a code-0 byte stays: the text ends at the zero, after the trimming.)
    if (field.size() > 4 || field.contains(QChar(0)) || field.startsWith(QLatin1Char(' ')))
        std::abort();
    if (tagcodec::blockReadOk(block) != (block.at(3).unicode() == 0))
        std::abort();
    return 0;
}
