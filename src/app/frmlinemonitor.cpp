#include "app/frmlinemonitor.h"

#include "common/displaytext.h"
#include "common/filechooser.h"
#include "common/messages.h"
#include "common/named.h"
#include "common/safefile.h"
#include "link/printerlink.h"

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QVBoxLayout>

frmLineMonitor::frmLineMonitor(PrinterLink &link, MessageSink &messages, FileChooser &chooser,
                               QWidget *parent)
    : QDialog(parent), m_link(link), m_messages(messages), m_chooser(&chooser)
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
    connect(&m_link.trace(), &LineTrace::recorded, this, [this] {
        if (!m_attached || m_update.isActive())
            return;
        const qint64 since = m_lastUpdate.isValid() ? m_lastUpdate.elapsed() : kUpdateSpacingMs;
        m_update.start(int(qMax(kUpdateDelayMs, kUpdateSpacingMs - since)));
    });
    connect(&m_link.trace(), &LineTrace::cleared, this, &frmLineMonitor::showAll);
    connect(cmdCopy, &QPushButton::clicked, this,
            [this] { QGuiApplication::clipboard()->setText(m_link.trace().text()); });
    connect(cmdSave, &QPushButton::clicked, this, &frmLineMonitor::save);
    connect(cmdClear, &QPushButton::clicked, &m_link.trace(), &LineTrace::clear);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
}

frmLineMonitor::~frmLineMonitor()
{
    if (m_attached)
        m_link.trace().detach();
}

void frmLineMonitor::buildWindow()
{
    lblLegend = named(
        new QLabel(QStringLiteral("Millisecondi dall'apertura della linea, ora, direzione (> alla "
                                  "stampante, < dalla stampante, # nota), i byte come testo e in "
                                  "esadecimale. Una riga vuota chiude ogni operazione.")),
        "lblLegend");
    lblLegend->setWordWrap(true);
    txtTraffic = named(new QPlainTextEdit, "txtTraffic");
    txtTraffic->setReadOnly(true);
    // Reached with Tab and read with the arrow keys, as a screen reader user needs.
    txtTraffic->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txtTraffic->setFocusPolicy(Qt::StrongFocus);
    txtTraffic->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtTraffic->setMaximumBlockCount(LineTrace::kKept);
    txtTraffic->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtTraffic->setAccessibleName(QStringLiteral("Traffico sulla linea"));
    lblDropped = named(new QLabel, "lblDropped");
    lblDropped->setVisible(false);

    cmdCopy = named(new QPushButton(QStringLiteral("&Copia")), "cmdCopy");
    cmdSave = named(new QPushButton(QStringLiteral("&Salva...")), "cmdSave");
    cmdClear = named(new QPushButton(QStringLiteral("S&vuota")), "cmdClear");
    cmdClose = named(new QPushButton(QStringLiteral("Chiudi")), "cmdClose");
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {cmdCopy, cmdSave, cmdClear})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblLegend);
    layout->addWidget(txtTraffic, 1);
    layout->addWidget(lblDropped);
    layout->addLayout(buttons);
    txtTraffic->setFocus();
    resize(980, 440);
}

void frmLineMonitor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A window minimised and restored was observing all along.
    if (event->spontaneous() || m_attached)
        return;
    m_attached = true;
    m_link.trace().attach();
    showAll();
}

void frmLineMonitor::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous() || !m_attached)
        return;
    m_attached = false;
    m_update.stop();
    m_link.trace().detach();
}

void frmLineMonitor::showAll()
{
    const LineTrace &trace = m_link.trace();
    txtTraffic->setPlainText(trace.lines());
    txtTraffic->verticalScrollBar()->setValue(txtTraffic->verticalScrollBar()->maximum());
    m_shown = trace.total();
    showDropped();
}

void frmLineMonitor::showRecorded()
{
    m_lastUpdate.start();
    const LineTrace &trace = m_link.trace();
    const qint64 fresh = trace.total() - m_shown;
    if (fresh <= 0)
        return;
    if (fresh > qint64(trace.entries().size())) {
        showAll();  // more came than the list keeps
        return;
    }
    // Follows the end only while the operator has not scrolled away from it.
    txtTraffic->appendPlainText(trace.lines(trace.entries().size() - size_t(fresh)));
    m_shown = trace.total();
    showDropped();
}

void frmLineMonitor::showDropped()
{
    const QString note = m_link.trace().droppedNote();
    lblDropped->setText(note);
    lblDropped->setVisible(!note.isEmpty());
}

void frmLineMonitor::save()
{
    // A file dialog opened during an operation's wait would hold that wait until it closed.
    const PrinterLink::Operation operation = m_link.beginOperation();
    if (!operation)
        return;
    const QString path = m_chooser->saveFile(
        QStringLiteral("Salva il traffico della linea"),
        QStringLiteral("linea-%1.txt")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd-HHmm"))),
        {QStringLiteral("Testo (*.txt)"), QStringLiteral("Tutti i file (*)")});
    if (path.isEmpty())
        return;
    QString why;
    if (!safefile::writeFile(path, m_link.trace().text().toUtf8(), &why))
        m_messages.show(QStringLiteral("ATTENZIONE! Il file non è stato salvato: %1: %2.")
                            .arg(quotedPath(QDir::toNativeSeparators(path)), why),
                        kStyleError);
}
