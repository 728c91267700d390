#pragma once

#include <QObject>
#include <QString>

// The printer's identity as the query found it, or as the operator typed it: the model and the
// firmware release texts.
class PrinterIdentity : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    QString model() const { return m_model; }
    QString release() const { return m_release; }
    void setModel(const QString &model);
    void setRelease(const QString &release);
    // Both texts gone: they described a printer no longer on the line.
    void clear();

    // Either text is there: the printer has answered, or the operator says which it is. The tag
    // commands and the block data label need one of them.
    bool queried() const { return !m_model.isEmpty() || !m_release.isEmpty(); }

signals:
    void changed();

private:
    QString m_model;
    QString m_release;
};
