#include "app/workbench.h"

Workbench::Workbench(SerialControl &comm, MessageSink &messages)
    : m_link(comm, messages),
      m_query(m_link, messages, m_printer), m_context{m_link, messages, m_query},
      m_tags(m_context, m_tagInfo, m_blocks), m_labels(m_context, m_tagInfo, m_blocks)
{
}
