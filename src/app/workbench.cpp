#include "app/workbench.h"

Workbench::Workbench(SerialControl &comm, MessageSink &messages, FileChooser &chooser)
    : m_link(comm, messages),
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

void Workbench::setFileChooser(FileChooser &chooser)
{
    m_files.setChooser(chooser);
    m_production.setChooser(chooser);
}
