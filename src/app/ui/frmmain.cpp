#include "app/ui/frmmain.h"

#include "app/statusbartexts.h"
#include "app/ui/appicon.h"
#include "app/ui/filedialogchooser.h"
#include "common/displaytext.h"
#include "common/messages.h"
#include "common/operationcontext.h"
#include "common/ui/designsize.h"
#include "common/ui/named.h"
#include "label/labeljobs.h"
#include "link/serialcontrol.h"
#include "production/productionrun.h"
#include "production/ui/frmproduction.h"
#include "settings/serialsettings.h"
#include "settings/settingsstore.h"
#include "settings/ui/frmproperties.h"
#include "tag/blockfiles.h"
#include "tag/tagoperations.h"
#include "tag/ui/blockpage.h"
#include "tag/ui/taginfopage.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStackedLayout>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

namespace {

// A scroll area that asks for room for all its page, as the page itself would: the window opens
// at its design size wherever the screen has room for it, and only a smaller screen scrolls.
class PageScroller : public QScrollArea
{
public:
    QSize sizeHint() const override
    {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
    }
};

// Both pages in the same place. It asks for the larger page's size, so that the window keeps
// its size when the tab changes, but needs no more than the page shown: on a small screen only a
// page larger than the room there scrolls.
class TabPane : public QFrame
{
public:
    explicit TabPane(QStackedLayout *pages) : m_pages(pages)
    {
        (new QGridLayout(this))->addLayout(m_pages, 0, 0);
        connect(m_pages, &QStackedLayout::currentChanged, this, &QWidget::updateGeometry);
    }
    QSize minimumSizeHint() const override
    {
        const QWidget *page = m_pages->currentWidget();
        const QSize all = QFrame::minimumSizeHint();
        return page ? all - m_pages->minimumSize() + page->minimumSizeHint() : all;
    }

private:
    QStackedLayout *m_pages;
};

}  // namespace

frmMain::frmMain(SerialControl &comm, SettingsStore &store, MessageSink &messages, QWidget *parent)
    : QMainWindow(parent), m_comm(comm), m_store(store), m_messages(messages),
      m_fileDialogs(std::make_unique<FileDialogChooser>(this)),
      m_bench(comm, messages, *m_fileDialogs), m_link(m_bench.link()),
      m_endProgram([] { QCoreApplication::exit(0); }), m_aboutCloseAfter(frmSplash::kCloseAfter)
{
    named(this, "frmMain");
    buildWindow();
    bindPrinter();
    bindTagPage();
    bindBlockPage();
    bindLabels();
    connect(m_exitButton, &QPushButton::clicked, this, &frmMain::onExitClicked);
    connect(m_serialPortAction, &QAction::triggered, this, &frmMain::onSerialPortTriggered);
    connect(m_aboutAction, &QAction::triggered, this, &frmMain::onInfoTriggered);
    connect(m_monitorAction, &QAction::triggered, this, &frmMain::onMonitorTriggered);
    connect(&m_link, &PrinterLink::operationRefused, this, [this] {
        statusBar()->showMessage(
            QStringLiteral("Attendere: è in corso un'altra operazione con la stampante"), 3000);
    });
}

// The pages, the production dialog and the line monitor show the workbench's models, a member
// that goes before the window's children would.
frmMain::~frmMain()
{
    delete m_production;
    delete m_monitor;
    delete takeCentralWidget();
}

void frmMain::setFileChooser(FileChooser &chooser)
{
    m_bench.setFileChooser(chooser);
}

void frmMain::onProductionClicked()
{
    if (!m_production)
        m_production = new frmProduction(m_bench.production(), m_bench.blocks(), this);
    m_production->show();
    m_production->raise();
    m_production->activateWindow();
}

void frmMain::buildWindow()
{
    setWindowTitle(QStringLiteral("Vireo 4400 TAG - RF"));
    setWindowIcon(applicationIcon());

    m_serialPortAction =
        named(menuBar()->addAction(QStringLiteral("&Porta Seriale...")), "mnuSerialPort");
    m_monitorAction =
        named(menuBar()->addAction(QStringLiteral("&Monitor linea...")), "mnuMonitor");
    m_aboutAction = named(menuBar()->addAction(QStringLiteral("&?")), "mnuInfo");

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(9, 9, 9, 4);

    auto *top = new QHBoxLayout;
    top->addWidget(buildPrinterFrame());
    top->addStretch(1);
    m_exitButton = named(new QPushButton(QStringLiteral("&Chiudi")), "cmdEsci");
    m_exitButton->setToolTip(QStringLiteral("Chude l'applicazione"));
    setDesignMinimumSize(m_exitButton, {103, 52});
    top->addWidget(m_exitButton, 0, Qt::AlignTop);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addLayout(buildTabs(), 1);

    setCentralWidget(central);
    buildStatusBar();
}

QWidget *frmMain::buildPrinterFrame()
{
    auto *frame = named(new QGroupBox(QStringLiteral("Controllo stampante")), "Frame6");
    auto *grid = new QGridLayout(frame);
    grid->setHorizontalSpacing(12);

    auto *modelCaption = named(new QLabel(QStringLiteral("Modello:")), "Label8");
    m_modelField = named(new QLineEdit, "txtModello");
    auto *releaseCaption = named(new QLabel(QStringLiteral("Release:")), "Label9");
    m_releaseField = named(new QLineEdit, "txtRelease");
    for (auto [label, field, name] : {std::tuple{modelCaption, m_modelField, "Modello"},
                                      std::tuple{releaseCaption, m_releaseField, "Release"}}) {
        label->setBuddy(field);
        field->setAccessibleName(QLatin1String(name));
        field->setMinimumWidth(115);
    }
    m_queryButton = named(new QPushButton(QStringLiteral("Interroga stampante")), "cmdInterroga");
    setDesignMinimumSize(m_queryButton, {124, 61});

    grid->addWidget(modelCaption, 0, 0);
    grid->addWidget(m_modelField, 0, 1);
    grid->addWidget(releaseCaption, 1, 0);
    grid->addWidget(m_releaseField, 1, 1);
    grid->addWidget(m_queryButton, 0, 2, 2, 1);
    return frame;
}

// The tab strip over a pane that holds both pages in the same place and takes the size of the
// larger: the window keeps its size and every caption its room when the tab changes.
QLayout *frmMain::buildTabs()
{
    m_tabStrip = named(new QTabBar, "TabStrip");
    m_tabStrip->addTab(QStringLiteral("Informazioni TAG"));
    m_tabStrip->addTab(QStringLiteral("Lettura e Scrittura blocchi del TAG"));
    m_tabStrip->setDrawBase(false);
    m_tabStrip->setExpanding(false);
    auto *tabs = new QVBoxLayout;
    tabs->setSpacing(0);
    tabs->addWidget(m_tabStrip);

    m_pages = new QStackedLayout;
    auto *pane = named(new TabPane(m_pages), "TabPane");
    pane->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    m_tagPage = new TagInfoPage(m_bench.tagInfo());
    m_blockPage = new BlockPage(m_bench.blocks());
    m_pages->addWidget(m_tagPage);
    m_pages->addWidget(m_blockPage);
    connect(m_tabStrip, &QTabBar::currentChanged, m_pages, &QStackedLayout::setCurrentIndex);
    // On a small screen (1024x768 at 125 %) the pane scrolls rather than push the window's right
    // edge off the screen; a control that takes the focus (Tab, an access key) scrolls into view.
    auto *scroller = named(new PageScroller, "TabScroller");
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setFocusPolicy(Qt::NoFocus);  // Tab goes on to the page
    scroller->setWidgetResizable(true);
    scroller->setWidget(pane);
    // The information page, the smaller, never scrolls.
    scroller->setMinimumSize(pane->minimumSizeHint());
    connect(qApp, &QApplication::focusChanged, scroller, [scroller](QWidget *, QWidget *now) {
        // All of the control, not only a field's text cursor as ensureWidgetVisible() would.
        if (now && scroller->widget()->isAncestorOf(now)) {
            const QPoint centre = now->mapTo(scroller->widget(), now->rect().center());
            scroller->ensureVisible(centre.x(), centre.y(), now->width() / 2 + 8,
                                    now->height() / 2 + 8);
        }
    });
    tabs->addWidget(scroller, 1);
    return tabs;
}

void frmMain::showEvent(QShowEvent *event)
{
    // Its design size where the screen has room for it, else the room there is.
    if (!m_sized && !event->spontaneous()) {
        m_sized = true;
        resize(sizeHint().boundedTo(screen()->availableGeometry().size()));
    }
    QMainWindow::showEvent(event);
}

// The printer fields show the printer's identity and are the operator's word for it.
void frmMain::bindPrinter()
{
    PrinterIdentity &printer = m_bench.printer();
    connect(m_modelField, &QLineEdit::textChanged, &printer, &PrinterIdentity::setModel);
    connect(m_releaseField, &QLineEdit::textChanged, &printer, &PrinterIdentity::setRelease);
    connect(&printer, &PrinterIdentity::changed, this, [this, &printer] {
        // Only a text that differs: the operator's cursor stays where it is while typing.
        if (m_modelField->text() != printer.model())
            m_modelField->setText(printer.model());
        if (m_releaseField->text() != printer.release())
            m_releaseField->setText(printer.release());
    });
    connect(m_queryButton, &QPushButton::clicked, &m_bench.query(), &PrinterQuery::run);
    connect(&m_bench.query(), &PrinterQuery::queryNeeded, this,
            [this] { m_queryButton->setFocus(Qt::OtherFocusReason); });
}

void frmMain::bindTagPage()
{
    TagOperations &tags = m_bench.tags();
    connect(m_tagPage, &TagInfoPage::inventoryRequested, &tags, &TagOperations::inventory);
    connect(m_tagPage, &TagInfoPage::systemInformationRequested, &tags,
            &TagOperations::systemInformation);
    connect(&tags, &TagOperations::busyChanged, this, [](bool busy) {
        if (busy)
            QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QGuiApplication::restoreOverrideCursor();
    });
    connect(&tags, &TagOperations::note, this, &frmMain::showNote);
}

void frmMain::bindBlockPage()
{
    TagOperations &tags = m_bench.tags();
    connect(m_blockPage, &BlockPage::readRequested, &tags, &TagOperations::readBlocks);
    connect(m_blockPage, &BlockPage::writeRequested, &tags, &TagOperations::writeBlocks);
    connect(m_blockPage, &BlockPage::stopRequested, &tags, &TagOperations::requestStop);
    connect(&tags, &TagOperations::stoppableChanged, m_blockPage, &BlockPage::setStopAllowed);
    connect(m_blockPage, &BlockPage::modeRefused, &tags, &TagOperations::reportModeRefused);
    connect(m_blockPage, &BlockPage::saveRequested, this, [this] { m_bench.saveBlocks(); });
    connect(m_blockPage, &BlockPage::loadRequested, this, [this] { m_bench.loadBlocks(); });
    connect(m_blockPage, &BlockPage::productionRequested, this, &frmMain::onProductionClicked);
}

void frmMain::bindLabels()
{
    LabelJobs &labels = m_bench.labels();
    connect(m_tagPage, &TagInfoPage::printRequested, &labels, &LabelJobs::printTagInfo);
    connect(m_blockPage, &BlockPage::printRequested, &labels, &LabelJobs::printBlocks);
    connect(&labels, &LabelJobs::printingChanged, this, [this](LabelJobs::Label label, bool on) {
        if (label == LabelJobs::Label::TagInfo)
            m_tagPage->showPrinting(on);
        else
            m_blockPage->showPrinting(on);
    });
}

void frmMain::showNote(const QString &note)
{
    if (note.isEmpty())
        statusBar()->clearMessage();
    else
        statusBar()->showMessage(note);
}

void frmMain::buildStatusBar()
{
    // As laid out in the window design; start-up replaces these texts before the window shows.
    const QStringList design = {QStringLiteral("Porta Seriale: COM1"),
                                QStringLiteral("Baudrate: 9600"), QStringLiteral("Parità: NESSUNA"),
                                QStringLiteral("Bit DATI: 8"), QStringLiteral("Bit STOP: 1")};
    auto *bar = statusBar();
    named(bar, "StatusBar");
    bar->setSizeGripEnabled(false);
    bar->setContentsMargins(0, 0, 4, 2);  // keeps the last panel's frame off the window's edge
    for (int i = 0; i < 5; ++i) {
        QLabel *panel = m_panels[size_t(i)] =
            named(new QLabel(design[i]), QStringLiteral("Panel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setMinimumWidth(i == 0 ? 140 : 100);
        bar->addPermanentWidget(panel);
    }
}

void frmMain::UpgradeStatusBar()
{
    const QStringList texts = statusBarTexts(m_comm.commPort(), m_comm.settings());
    for (int i = 0; i < 5; ++i)
        m_panels[size_t(i)]->setText(texts[i]);
    m_panels[0]->setToolTip(m_comm.currentDevice());
}

bool frmMain::load()
{
    if (m_store.status() == QSettings::AccessError)
        return startupFailure(QStringLiteral("Il file delle impostazioni non si può leggere: %1.")
                                  .arg(m_store.readError()));
    if (m_store.status() == QSettings::FormatError) {
        const QString line = m_store.firstUnreadableLine();
        return startupFailure(
            QStringLiteral("Il file delle impostazioni contiene righe che il "
                           "programma non sa leggere%1: vanno corrette o "
                           "cancellate. Il file non viene riscritto, per non "
                           "perderle.")
                .arg(line.isEmpty() ? QString() : QStringLiteral(" (") + line + QLatin1Char(')')));
    }

    // 1 - 4. Port number, flow control, line settings.
    QString cause;
    if (!SerialSettings::read(m_store).applyTo(m_comm, &cause))
        return startupFailure(cause);

    // 5 - 9.
    UpgradeStatusBar();
    m_link.ReceiveBuffer.clear();
    m_tabStrip->setCurrentIndex(0);
    m_comm.setInputMode(0);

    // 10. Open the port. One that cannot be opened need not lock the operator out: the settings
    // dialog can choose another before the window shows.
    if (SerialError e = m_comm.setPortOpen(true); e.failed()) {
        const QString text =
            startupFailureText(QStringLiteral("La porta COM%1 non si può aprire.\n%2")
                                   .arg(m_comm.commPort())
                                   .arg(e.text()));
        if (!m_messages.showWithChoice(text, kStyleError, QStringLiteral("Porta Seriale...")))
            return false;
        const auto dialog = createPropertiesDialog();
        dialog->setParent(nullptr, dialog->windowFlags());  // no window of ours is shown yet
        return dialog->exec() == QDialog::Accepted;         // OK has opened the port
    }
    return true;
}

QString frmMain::startupFailureText(const QString &cause) const
{
    return QStringLiteral("ATTENZIONE! Il programma non può partire.\n\n%1\n\n"
                          "File delle impostazioni: %2")
        .arg(cause, shownPath(m_store.fileName()));
}

bool frmMain::startupFailure(const QString &cause)
{
    m_messages.show(startupFailureText(cause), kStyleError);
    return false;
}

std::unique_ptr<frmProperties> frmMain::createPropertiesDialog()
{
    auto dialog = std::make_unique<frmProperties>(m_link, m_store, m_messages, *m_devices, this);
    connect(dialog.get(), &frmProperties::settingsApplied, this,
            [this](bool otherDevice, bool foundPrinter) {
                UpgradeStatusBar();
                m_bench.lineApplied(otherDevice, foundPrinter);
            });
    return dialog;
}

void frmMain::onSerialPortTriggered()
{
    // The dialog closes and reopens the port: nothing else may talk to the printer meanwhile.
    PrinterLink::Operation operation = m_link.beginOperation();
    if (!operation)
        return;
    const auto dialog = createPropertiesDialog();
    dialog->holdOperation(std::move(operation));
    dialog->exec();
}

void frmMain::onMonitorTriggered()
{
    if (!m_monitor) {
        m_monitor = new frmLineMonitor(m_link.trace(), this);
        connect(m_monitor, &frmLineMonitor::saveRequested, this, [this] { m_bench.saveTrace(); });
    }
    m_monitor->show();
    m_monitor->raise();
    m_monitor->activateWindow();
}

void frmMain::onInfoTriggered()
{
    // One window at a time; while it is open it is shown again as it is, not loaded afresh.
    if (!m_about)
        m_about = new frmSplash(this, m_aboutCloseAfter);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void frmMain::onExitClicked()
{
    if (m_link.PrintingFlag())
        return;
    close();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    event->accept();
    endProgram();
}

void frmMain::endProgram()
{
    if (m_ending)
        return;
    m_ending = true;
    // Every wait in progress returns at once and nothing more is sent.
    m_link.abandon();
    m_endProgram();
}
