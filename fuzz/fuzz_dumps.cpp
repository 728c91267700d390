// Copies of the block grid read from files: any content is refused with a reason or gives 28
// blocks of four bytes (and a UID of eight, if any) that save back to the same; hex entry never
// yields half a byte.
#include "tag/blockdata.h"
#include "tag/blockdump.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    const QDateTime saved(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    for (bool json : {false, true}) {
        blockdump::Blocks blocks;
        QByteArray uid;
        QString why;
        const bool ok = json ? blockdump::fromJson(content, &blocks, &why, &uid)
                             : blockdump::fromBin(content, &blocks, &why);
        if (!ok && why.isEmpty())
            std::abort();  // a refusal always says why
        if (!ok)
            continue;
        for (const auto &block : blocks) {
            if (block && block->size() != 4)
                std::abort();
        }
        if (!uid.isEmpty() && uid.size() != blockdump::kUidSize)
            std::abort();
        blockdump::Blocks again;
        QByteArray uidAgain;
        const QByteArray copy =
            json ? blockdump::toJson(blocks, saved, uid) : blockdump::toBin(blocks);
        if (!(json ? blockdump::fromJson(copy, &again, &why, &uidAgain)
                   : blockdump::fromBin(copy, &again, &why)) ||
            again != blocks || uidAgain != uid)
            std::abort();
    }

    const QString text = QString::fromUtf8(content);
    QByteArray bytes;
    if (blockdata::fromHex(text, &bytes) == blockdata::HexError::None &&
        blockdata::toHex(bytes).compare(text, Qt::CaseInsensitive) != 0)
        std::abort();
    const QByteArray trimmed = blockdata::trimmed(content.left(4));
    if (blockdata::padded(trimmed).size() != 4 || trimmed.startsWith(' ') || trimmed.endsWith(' '))
        std::abort();
    return 0;
}
