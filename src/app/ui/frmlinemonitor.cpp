#include "app/ui/frmlinemonitor.h"

#include "common/ui/named.h"
#include "link/linetrace.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>

frmLineMonitor::frmLineMonitor(LineTrace &trace, QWidget *parent) : QDialog(parent), m_trace(trace)
{
    named(this, "frmLineMonitor");
    setWindowTitle(QStringLiteral("Monitor linea"));
    buildWindow();
    m_update.setSingleShot(true);
    connect(&m_update, &QTimer::timeout, this, &frmLineMonitor::showRecorded);
    // Drawing takes a millisecond or two, which must not fall where a wait ends: not at once
    // after a command, when its answer may be arriving, nor a whole pause after it, when the
    // pause ends. A short delay puts it inside the pause or after the answer; and at most ten
    // times a second.
    connect(&m_trace, &LineTrace::recorded, this, [this] {
        if (!m_attached || m_update.isActive())
            return;
        const qint64 since = m_lastUpdate.isValid() ? m_lastUpdate.elapsed() : kUpdateSpacingMs;
        m_update.start(int(qMax(kUpdateDelayMs, kUpdateSpacingMs - since)));
    });
    connect(&m_trace, &LineTrace::cleared, this, &frmLineMonitor::showAll);
    connect(m_copyButton, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(m_trace.text()); });
    connect(m_saveButton, &QPushButton::clicked, this, &frmLineMonitor::saveRequested);
    connect(m_clearButton, &QPushButton::clicked, &m_trace, &LineTrace::clear);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::close);
}

frmLineMonitor::~frmLineMonitor()
{
    if (m_attached)
        m_trace.detach();
}

void frmLineMonitor::buildWindow()
{
    auto *legend = named(
        new QLabel(QStringLiteral("Millisecondi dall'apertura della linea, ora, direzione (> alla "
                                  "stampante, < dalla stampante, # nota), i byte come testo e in "
                                  "esadecimale. Una riga vuota chiude ogni operazione.")),
        "lblLegend");
    legend->setWordWrap(true);
    m_traffic = named(new QPlainTextEdit, "txtTraffic");
    m_traffic->setReadOnly(true);
    // Reached with Tab and read with the arrow keys, as a screen reader user needs.
    m_traffic->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_traffic->setFocusPolicy(Qt::StrongFocus);
    m_traffic->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_traffic->setMaximumBlockCount(LineTrace::kKept);
    m_traffic->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_traffic->setAccessibleName(QStringLiteral("Traffico sulla linea"));
    m_droppedNote = named(new QLabel, "lblDropped");
    m_droppedNote->setVisible(false);

    m_copyButton = named(new QPushButton(QStringLiteral("&Copia")), "cmdCopy");
    m_saveButton = named(new QPushButton(QStringLiteral("&Salva...")), "cmdSave");
    m_clearButton = named(new QPushButton(QStringLiteral("S&vuota")), "cmdClear");
    m_closeButton = named(new QPushButton(QStringLiteral("Chiudi")), "cmdClose");
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {m_copyButton, m_saveButton, m_clearButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(m_closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(legend);
    layout->addWidget(m_traffic, 1);
    layout->addWidget(m_droppedNote);
    layout->addLayout(buttons);
    m_traffic->setFocus();
    // Room for a line of 80 bytes, as far as the screen has it (1024x768 at 125 %).
    resize(QSize(980, 440).boundedTo(screen()->availableGeometry().size()));
}

void frmLineMonitor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A window minimised and restored was observing all along.
    if (event->spontaneous() || m_attached)
        return;
    m_attached = true;
    m_trace.attach();
    showAll();
}

void frmLineMonitor::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous() || !m_attached)
        return;
    m_attached = false;
    m_update.stop();
    m_trace.detach();
}

void frmLineMonitor::showAll()
{
    const LineTrace &trace = m_trace;
    m_traffic->setPlainText(trace.lines());
    m_traffic->verticalScrollBar()->setValue(m_traffic->verticalScrollBar()->maximum());
    m_shown = trace.total();
    showDropped();
}

void frmLineMonitor::showRecorded()
{
    m_lastUpdate.start();
    const LineTrace &trace = m_trace;
    const qint64 fresh = trace.total() - m_shown;
    if (fresh <= 0)
        return;
    if (fresh > qint64(trace.entries().size())) {
        showAll();  // more came than the list keeps
        return;
    }
    // Follows the end only while the operator has not scrolled away from it.
    m_traffic->appendPlainText(trace.lines(trace.entries().size() - size_t(fresh)));
    m_shown = trace.total();
    showDropped();
}

void frmLineMonitor::showDropped()
{
    const QString note = m_trace.droppedNote();
    m_droppedNote->setText(note);
    m_droppedNote->setVisible(!note.isEmpty());
}
