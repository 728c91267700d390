#include "tag/blockfiles.h"

#include "common/displaytext.h"
#include "common/filechooser.h"
#include "common/messages.h"
#include "common/safefile.h"
#include "tag/blockdata.h"
#include "tag/blockdump.h"
#include "tag/blockmodel.h"
#include "tag/tagdetails.h"
#include "tag/taginfomodel.h"

#include <QDateTime>
#include <QDir>

QStringList BlockFiles::filters()
{
    return {QStringLiteral("Dump binario (*.bin)"), QStringLiteral("Blocchi in JSON (*.json)"),
            QStringLiteral("Tutti i file (*)")};
}

QStringList BlockFiles::loadFilters()
{
    return QStringList{QStringLiteral("Blocchi (*.bin *.json)")} + filters();
}

namespace {

// Why a .bin cannot hold the grid: these rows (0-based) hold nothing known, and the dump would
// turn them into blanks that a later "SCRIVI" writes over the tag's data.
QString unknownRefusal(const QList<int> &rows)
{
    return (rows.size() == 1
                ? QStringLiteral("il blocco %1 non contiene niente di letto o "
                                 "digitato e un file .bin lo scriverebbe come spazi: "
                                 "salvare in .json, che lo registra come vuoto (null)")
                : QStringLiteral("i blocchi %1 non contengono niente di letto o "
                                 "digitato e un file .bin li scriverebbe come spazi: "
                                 "salvare in .json, che li registra come vuoti (null)"))
        .arg(blockdata::rowRanges(rows));
}

}  // namespace

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
    // The tag's UID names the copy; a grid with unknown rows is offered as the kind that takes it.
    const QList<int> unknown = m_blocks.unknownRows();
    const QByteArray uid = m_info.uid();
    const QString name =
        QStringLiteral("blocchi%1.%2")
            .arg(uid.isEmpty() ? QString() : QLatin1Char('-') + blockdata::toHex(uid),
                 unknown.isEmpty() ? QLatin1String("bin") : QLatin1String("json"));
    const QString path = m_chooser->saveFile(QStringLiteral("Salva i blocchi"), name, filters());
    if (path.isEmpty())
        return;
    const QString what = QStringLiteral("Il file non è stato salvato:");

    blockdump::Blocks blocks;
    for (int i = 0; i < BlockModel::kRows; ++i) {
        if (m_blocks.known(i))
            blocks[size_t(i)] = m_blocks.bytes(i);
    }
    QByteArray content;
    switch (blockdump::kindOf(path)) {
    case blockdump::Kind::Bin:
        if (!unknown.isEmpty()) {
            refuse(what, path, unknownRefusal(unknown));
            return;
        }
        content = blockdump::toBin(blocks);
        break;
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
    const QString path = m_chooser->openFile(QStringLiteral("Carica i blocchi"), loadFilters());
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
    QByteArray uid;
    const bool parsed = kind == blockdump::Kind::Bin
                            ? blockdump::fromBin(content, &blocks, &why)
                            : blockdump::fromJson(content, &blocks, &why, &uid);
    if (!parsed) {
        refuse(what, path, why);
        return;
    }
    // Such a row could never be written: better refused now than at "SCRIVI" on the next tag.
    QList<int> lineBreaks;
    for (int i = 0; i < BlockModel::kRows; ++i) {
        if (blocks[size_t(i)] && !blockdata::travelsInCommand(*blocks[size_t(i)]))
            lineBreaks << i;
    }
    if (!lineBreaks.isEmpty()) {
        refuse(what, path, blockdata::lineBreakRefusal(lineBreaks));
        return;
    }
    // Another tag's copy is likely the wrong file: filled only when the operator says so.
    if (!uid.isEmpty() && !m_info.uid().isEmpty() && uid != m_info.uid() &&
        !m_messages.showWithChoice(
            QStringLiteral("ATTENZIONE! Il file %1 è la copia del tag con UID %2, ma la pagina "
                           "mostra il tag con UID %3. I campi restano come sono; «Carica "
                           "comunque» li riempie dal file.")
                .arg(quotedPath(QDir::toNativeSeparators(path)), tagdetails::hexBytes(uid),
                     tagdetails::hexBytes(m_info.uid())),
            kStyleWarning, QStringLiteral("Carica comunque")))
        return;
    for (int i = 0; i < BlockModel::kRows; ++i) {
        const auto &block = blocks[size_t(i)];
        if (block)
            m_blocks.setBytes(i, *block);
        else
            m_blocks.forget(i);
        m_blocks.setSelected(i, block.has_value());
    }
    m_blocks.setFailedRows({});
}
