#include "link/printeridentity.h"

void PrinterIdentity::setModel(const QString &model)
{
    if (model == m_model)
        return;
    m_model = model;
    emit changed();
}

void PrinterIdentity::clear()
{
    if (!queried())
        return;
    m_model.clear();
    m_release.clear();
    emit changed();
}

void PrinterIdentity::setRelease(const QString &release)
{
    if (release == m_release)
        return;
    m_release = release;
    emit changed();
}
