#pragma once

#include "tag/tagfields.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>

namespace tagcodec {
struct TagInfo;
}

// What the page "Informazioni TAG" shows: the seven tag fields (in the order of
// tagfields::kFields) with their decoded tooltips, the last tag command run, and the UID of the
// tag that last answered, as bytes. The operator may edit the fields; the tag information label
// prints them as they were left.
class TagInfoModel : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    QString field(int field) const { return m_fields[size_t(field)]; }
    QString toolTip(int field) const { return m_toolTips[size_t(field)]; }
    // The text the operator (or assistive technology) left in a field; its tooltip stays.
    void setField(int field, const QString &text);

    // "nessuna lettura" until a tag has answered.
    QString lastCommand() const { return m_lastCommand; }
    void setLastCommand(const QString &command);

    // The UID of the tag that last answered Inventory or System information, most significant
    // byte first; empty until one has. Edits of the UID field leave it as the tag gave it.
    QByteArray uid() const { return m_uid; }

    // A tag answered: every field and tooltip, the last command and the UID from its reply.
    void show(const tagcodec::TagInfo &info);

signals:
    // The field's text or tooltip changed.
    void fieldChanged(int field);
    void lastCommandChanged();

private:
    void set(int field, const QString &text, const QString &toolTip);

    std::array<QString, tagfields::kCount> m_fields;
    std::array<QString, tagfields::kCount> m_toolTips;
    QString m_lastCommand = QStringLiteral("nessuna lettura");
    QByteArray m_uid;
};
