#pragma once

#include "common/messages.h"

class QWidget;

// A modal message box titled "V4400 TAG RF" with a single OK button (and a second one where a
// choice is offered).
class MessageBoxSink : public MessageSink
{
public:
    explicit MessageBoxSink(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void show(const QString &text, MessageStyle style) override;
    bool showWithChoice(const QString &text, MessageStyle style, const QString &other) override;

private:
    QWidget *m_parent;
};
