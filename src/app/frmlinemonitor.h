#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class FileChooser;
class MessageSink;
class PrinterLink;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// "Monitor linea": what crosses the line to the printer, as it happens, for whoever supports a
// real printer. Not modal; while it is shown the printer link records, and only then (or while
// a trace file is written). The list follows the traffic in batches, so that drawing it never
// holds up a wait.
class frmLineMonitor : public QDialog
{
    Q_OBJECT
public:
    frmLineMonitor(PrinterLink &link, MessageSink &messages, FileChooser &chooser,
                   QWidget *parent = nullptr);
    ~frmLineMonitor() override;

    void setChooser(FileChooser &chooser) { m_chooser = &chooser; }

    QLabel *lblLegend = nullptr;
    QPlainTextEdit *txtTraffic = nullptr;
    QLabel *lblDropped = nullptr;
    QPushButton *cmdCopy = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdClear = nullptr;
    QPushButton *cmdClose = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildWindow();
    void showAll();
    void showRecorded();
    void showDropped();
    void save();

    PrinterLink &m_link;
    MessageSink &m_messages;
    FileChooser *m_chooser;
    static constexpr qint64 kUpdateDelayMs = 30;
    static constexpr qint64 kUpdateSpacingMs = 100;
    QTimer m_update;
    QElapsedTimer m_lastUpdate;
    qint64 m_shown = 0;  // entries in the list, counted as LineTrace::total() counts
    bool m_attached = false;
};
