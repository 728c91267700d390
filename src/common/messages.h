#pragma once

// src/common/: what every subsystem needs and none owns (messages, the operation context, the
// file seams; widget helpers in common/ui/). It sits below app, production, label, tag, settings
// and link, and includes none of them.

#include <QString>

// Message styles: the icon an operator sees.
enum MessageStyle {
    kStyleError = 16,
    kStyleWarning = 48,
    kStyleInformation = 64,
    kStyleErrorInformation = 80,  // a per-item failure after which the work goes on
};

// Every message to the operator goes through here, so that the program shows a message box and
// tests record the message instead of blocking on a modal box.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    // Returns once the operator has acknowledged the message.
    virtual void show(const QString &text, MessageStyle style) = 0;
    // The message with a second button captioned `other` beside OK; true when the operator chose
    // `other`. A sink that cannot offer the choice shows the message alone.
    virtual bool showWithChoice(const QString &text, MessageStyle style, const QString &other)
    {
        Q_UNUSED(other);
        show(text, style);
        return false;
    }
};
