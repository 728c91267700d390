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
        QString choice;  // the second button offered, if any
    };
    QList<Message> shown;
    // Runs while a message is "on screen", before it is acknowledged.
    std::function<void(const Message &)> onShow;
    // Answers a message that offers a second button: true chooses it. OK when unset.
    std::function<bool(const Message &)> choose;

    void show(const QString &text, MessageStyle style) override
    {
        shown.append({text, style, {}});
        if (onShow)
            onShow(shown.last());
    }
    bool showWithChoice(const QString &text, MessageStyle style, const QString &other) override
    {
        shown.append({text, style, other});
        if (onShow)
            onShow(shown.last());
        return choose && choose(shown.last());
    }
    QStringList texts() const
    {
        QStringList out;
        for (const Message &m : shown)
            out << m.text;
        return out;
    }
};
