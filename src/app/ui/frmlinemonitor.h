#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class LineTrace;
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
    explicit frmLineMonitor(LineTrace &trace, QWidget *parent = nullptr);
    ~frmLineMonitor() override;

signals:
    // "Salva...": the window saves what the trace keeps.
    void saveRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildWindow();
    void showAll();
    void showRecorded();
    void showDropped();

    LineTrace &m_trace;
    QPlainTextEdit *m_traffic = nullptr;
    QLabel *m_droppedNote = nullptr;
    QPushButton *m_copyButton = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_clearButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    static constexpr qint64 kUpdateDelayMs = 30;
    static constexpr qint64 kUpdateSpacingMs = 100;
    QTimer m_update;
    QElapsedTimer m_lastUpdate;
    qint64 m_shown = 0;  // entries in the list, counted as LineTrace::total() counts
    bool m_attached = false;
};
