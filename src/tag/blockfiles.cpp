#include "tag/blockfiles.h"

#include "common/displaytext.h"
#include "common/filechooser.h"
#include "common/messages.h"
#include "common/safefile.h"
#include "tag/blockdump.h"
#include "tag/blockmodel.h"
#include "tag/taginfomodel.h"

#include <QDateTime>
#include <QDir>

QStringList BlockFiles::filters()
{
    return {QStringLiteral("Dump binario (*.bin)"), QStringLiteral("Blocchi in JSON (*.json)"),
            QStringLiteral("Tutti i file (*)")};
}

BlockFiles::BlockFiles(BlockModel &blocks, TagInfoModel &info, MessageSink &messages,
                       FileChooser &chooser)
    : m_blocks(blocks), m_info(info), m_messages(messages), m_chooser(&chooser)
{
}

void BlockFiles::refuse(const QString &what, const QString &path, const QString &why)
{
    m_messages.show(QStringLiteral("ATTENZIONE! %1 %2: %3.")
                        .arg(what, quotedPath(QDir::toNativeSeparators(path)), why),
                    kStyleError);
}

void BlockFiles::save()
{
    const QList<int> unfinished = m_blocks.rowsWithProblems();
    if (!unfinished.isEmpty()) {
        m_messages.show(QStringLiteral("ATTENZIONE! I blocchi non sono stati salvati: %1.")
                            .arg(m_blocks.describeProblems(unfinished).join(QLatin1String("; "))),
                        kStyleError);
        return;
    }
    const QString path = m_chooser->saveFile(QStringLiteral("Salva i blocchi"),
                                             QStringLiteral("blocchi.bin"), filters());
    if (path.isEmpty())
        return;
    const QString what = QStringLiteral("Il file non è stato salvato:");

    blockdump::Blocks blocks;
    for (int i = 0; i < BlockModel::kRows; ++i) {
        if (!m_blocks.bytes(i).isEmpty())
            blocks[size_t(i)] = m_blocks.bytes(i);
    }
    QByteArray content;
    switch (blockdump::kindOf(path)) {
    case blockdump::Kind::Bin: content = blockdump::toBin(blocks); break;
    case blockdump::Kind::Json:
        content = blockdump::toJson(blocks, QDateTime::currentDateTime(), m_info.uid());
        break;
    case blockdump::Kind::Unknown:
        refuse(what, path, QStringLiteral("il nome deve finire in .bin (dump binario) o .json"));
        return;
    }
    // On disk whole before it replaces anything: a failure leaves an old file as it was.
    QString why;
    if (!safefile::writeFile(path, content, &why))
        refuse(what, path, why);
}

void BlockFiles::load()
{
    const QString path = m_chooser->openFile(QStringLiteral("Carica i blocchi"), filters());
    if (path.isEmpty())
        return;
    const QString what = QStringLiteral("Il file non è stato caricato e i blocchi non sono "
                                        "cambiati:");

    const blockdump::Kind kind = blockdump::kindOf(path);
    if (kind == blockdump::Kind::Unknown) {
        refuse(what, path, QStringLiteral("il nome deve finire in .bin (dump binario) o .json"));
        return;
    }
    // A dump is 112 bytes and a JSON copy a few KiB: anything far larger is not one of ours.
    constexpr qint64 kLargest = 1 << 20;
    QByteArray content;
    QString why;
    switch (safefile::readFile(path, kLargest, &content, &why)) {
    case safefile::Read::Missing: refuse(what, path, QStringLiteral("non esiste")); return;
    case safefile::Read::Failed: refuse(what, path, why); return;
    case safefile::Read::Ok: break;
    }
    blockdump::Blocks blocks;
    const bool parsed = kind == blockdump::Kind::Bin ? blockdump::fromBin(content, &blocks, &why)
                                                     : blockdump::fromJson(content, &blocks, &why);
    if (!parsed) {
        refuse(what, path, why);
        return;
    }
    for (int i = 0; i < BlockModel::kRows; ++i) {
        const auto &block = blocks[size_t(i)];
        m_blocks.setBytes(i, block.value_or(QByteArray()));
        m_blocks.setSelected(i, block.has_value());
    }
    m_blocks.setFailedRows({});
}
