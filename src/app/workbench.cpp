#include "app/workbench.h"

#include "common/displaytext.h"
#include "common/filechooser.h"
#include "common/messages.h"
#include "common/safefile.h"

#include <QDateTime>
#include <QDir>

Workbench::Workbench(SerialControl &comm, MessageSink &messages, FileChooser &chooser)
    : m_messages(messages), m_chooser(&chooser), m_link(comm, messages),
      m_query(m_link, messages, m_printer), m_context{m_link, messages, m_query},
      m_tags(m_context, m_tagInfo, m_blocks), m_labels(m_context, m_tagInfo, m_blocks),
      m_files(m_blocks, m_tagInfo, messages, chooser),
      m_production(m_context, m_tags, m_labels, m_tagInfo, m_blocks, chooser)
{
}

void Workbench::saveBlocks()
{
    if (const PrinterLink::Operation operation = m_link.beginOperation())
        m_files.save();
}

void Workbench::loadBlocks()
{
    if (const PrinterLink::Operation operation = m_link.beginOperation())
        m_files.load();
}

void Workbench::lineApplied(bool otherDevice, bool foundPrinter)
{
    // Another device is another printer: what the last query found no longer describes it.
    if (otherDevice)
        m_printer.clear();
    // Asked as "Interroga stampante" does, so that the operator can work at once.
    if (foundPrinter)
        m_query.run();
}

void Workbench::saveTrace()
{
    const PrinterLink::Operation operation = m_link.beginOperation();
    if (!operation)
        return;
    const QString path = m_chooser->saveFile(
        QStringLiteral("Salva il traffico della linea"),
        QStringLiteral("linea-%1.txt")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmm"))),
        {QStringLiteral("Testo (*.txt)"), QStringLiteral("Tutti i file (*)")});
    if (path.isEmpty())
        return;
    QString why;
    if (!safefile::writeFile(path, m_link.trace().text().toUtf8(), &why))
        m_messages.show(QStringLiteral("ATTENZIONE! Il file non è stato salvato: %1: %2.")
                            .arg(quotedPath(QDir::toNativeSeparators(path)), why),
                        kStyleError);
}

void Workbench::setFileChooser(FileChooser &chooser)
{
    m_chooser = &chooser;
    m_files.setChooser(chooser);
    m_production.setChooser(chooser);
}
