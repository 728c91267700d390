#pragma once

#include "common/messages.h"

#include <QList>
#include <QString>

#include <functional>

// Records every message instead of showing it; answers at once.
class RecordingMessages : public MessageSink
{
public:
    struct Message
    {
        QString text;
        int style;
    };
    QList<Message> shown;
    // Runs while a message is "on screen", before it is acknowledged.
    std::function<void(const Message &)> onShow;

    void show(const QString &text, MessageStyle style) override
    {
        shown.append({text, style});
        if (onShow)
            onShow(shown.last());
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Message &m : shown)
            out << m.text;
        return out;
    }
};
