#pragma once

#include <QString>

class QWidget;

// Message box styles: the icon an operator sees.
enum MessageStyle
{
    kStyleError = 16,
    kStyleWarning = 48,
    kStyleInformation = 64,
    kStyleErrorInformation = 80,  // a per-item failure after which the work goes on
};

// Every message to the operator goes through here, so that tests can record them instead of
// blocking on a modal box.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    // Returns once the operator has acknowledged the message.
    virtual void show(const QString &text, int style) = 0;
};

// A modal message box titled "V4400 TAG RF" with a single OK button.
class MessageBoxSink : public MessageSink
{
public:
    explicit MessageBoxSink(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void show(const QString &text, int style) override;

private:
    QWidget *m_parent;
};
