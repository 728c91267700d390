#include "app/frmmain.h"

#include "app/appicon.h"
#include "app/filedialogchooser.h"
#include "app/statusbartexts.h"
#include "common/designsize.h"
#include "common/displaytext.h"
#include "common/messages.h"
#include "common/named.h"
#include "common/operationcontext.h"
#include "label/frmproduction.h"
#include "label/labeljobs.h"
#include "label/productionrun.h"
#include "link/serialcontrol.h"
#include "settings/frmproperties.h"
#include "settings/serialsettings.h"
#include "settings/settingsstore.h"
#include "tag/blockfiles.h"
#include "tag/blockpage.h"
#include "tag/taginfopage.h"
#include "tag/tagoperations.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

frmMain::frmMain(SerialControl &comm, SettingsStore &store, MessageSink &messages, QWidget *parent)
    : QMainWindow(parent), m_comm(comm), m_store(store), m_messages(messages),
      m_link(comm, messages), m_endProgram([] { QCoreApplication::exit(0); }),
      m_aboutCloseAfter(frmSplash::kCloseAfter)
{
    named(this, "frmMain");
    buildWindow();
    m_query =
        std::make_unique<PrinterQuery>(m_link, m_messages, txtModello, txtRelease, cmdInterroga);
    m_context.reset(
        new OperationContext{m_link, m_messages, globals, *m_query, [this](const QString &note) {
                                 if (note.isEmpty())
                                     statusBar()->clearMessage();
                                 else
                                     statusBar()->showMessage(note);
                             }});
    m_tag = std::make_unique<TagOperations>(*m_context, *tagPage, *blockPage);
    m_labels = std::make_unique<LabelJobs>(*m_context, *tagPage, *blockPage);
    m_fileDialogs = std::make_unique<FileDialogChooser>(this);
    m_chooser = m_fileDialogs.get();
    m_blockFiles = std::make_unique<BlockFiles>(*blockPage, *tagPage, m_messages, *m_chooser);
    m_productionRun = std::make_unique<ProductionRun>(*m_context, *m_tag, *m_labels, *tagPage);

    connect(cmdInterroga, &QPushButton::clicked, this, [this] { m_query->run(); });
    connect(tagPage->cmdInventory, &QPushButton::clicked, this, [this] { m_tag->inventory(); });
    connect(tagPage->cmdSysInfo, &QPushButton::clicked, this,
            [this] { m_tag->systemInformation(); });
    connect(blockPage->cmdReadBlocks, &QPushButton::clicked, this, [this] { m_tag->readBlocks(); });
    connect(blockPage->cmdWriteBlocks, &QPushButton::clicked, this,
            [this] { m_tag->writeBlocks(); });
    connect(blockPage->cmdStop, &QPushButton::clicked, this, [this] { m_tag->requestStop(); });
    // A file dialog is a loop of its own: opened during an operation's wait it would hold that
    // wait until it closed. The files wait for the printer instead, refused as any operation is.
    const auto whenPrinterFree = [this](void (BlockFiles::*action)()) {
        return [this, action] {
            if (const PrinterLink::Operation operation = m_link.beginOperation())
                (m_blockFiles.get()->*action)();
        };
    };
    connect(blockPage->cmdSaveBlocks, &QPushButton::clicked, this,
            whenPrinterFree(&BlockFiles::save));
    connect(blockPage->cmdLoadBlocks, &QPushButton::clicked, this,
            whenPrinterFree(&BlockFiles::load));
    connect(blockPage->cmdProduction, &QPushButton::clicked, this, &frmMain::onProductionClicked);
    connect(blockPage, &BlockPage::modeRefused, this,
            [this](const QList<int> &rows) { m_tag->reportModeRefused(rows); });
    connect(tagPage->cmdStampa1, &QPushButton::clicked, this, [this] { m_labels->printTagInfo(); });
    connect(blockPage->cmdStampa2, &QPushButton::clicked, this,
            [this] { m_labels->printBlocks(); });
    connect(cmdEsci, &QPushButton::clicked, this, &frmMain::onExitClicked);
    connect(mnuSerialPort, &QAction::triggered, this, &frmMain::onSerialPortTriggered);
    connect(mnuInfo, &QAction::triggered, this, &frmMain::onInfoTriggered);
    connect(mnuMonitor, &QAction::triggered, this, &frmMain::onMonitorTriggered);
    connect(TabStrip, &QTabBar::currentChanged, this, &frmMain::onTabChanged);
    connect(&m_link, &PrinterLink::operationRefused, this, [this] {
        statusBar()->showMessage(
            QStringLiteral("Attendere: è in corso un'altra operazione con la stampante"), 3000);
    });
}

// The production dialog refers to the run and the file chooser, the line monitor to the link:
// members that go before the window's children would.
frmMain::~frmMain()
{
    delete m_production;
    delete m_monitor;
}

void frmMain::setFileChooser(FileChooser &chooser)
{
    m_chooser = &chooser;
    m_blockFiles->setChooser(chooser);
    if (m_production)
        m_production->setChooser(chooser);
    if (m_monitor)
        m_monitor->setChooser(chooser);
}

void frmMain::onProductionClicked()
{
    if (!m_production)
        m_production =
            new frmProduction(*m_productionRun, *blockPage, m_messages, *m_chooser, this);
    m_production->show();
    m_production->raise();
    m_production->activateWindow();
}

void frmMain::buildWindow()
{
    setWindowTitle(QStringLiteral("Vireo 4400 TAG - RF"));
    setWindowIcon(applicationIcon());

    mnuSerialPort =
        named(menuBar()->addAction(QStringLiteral("&Porta Seriale...")), "mnuSerialPort");
    mnuMonitor = named(menuBar()->addAction(QStringLiteral("&Monitor linea...")), "mnuMonitor");
    mnuInfo = named(menuBar()->addAction(QStringLiteral("&?")), "mnuInfo");

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(9, 9, 9, 4);

    auto *top = new QHBoxLayout;
    top->addWidget(buildPrinterFrame());
    top->addStretch(1);
    cmdEsci = named(new QPushButton(QStringLiteral("&Chiudi")), "cmdEsci");
    cmdEsci->setToolTip(QStringLiteral("Chude l'applicazione"));
    setDesignMinimumSize(cmdEsci, {103, 52});
    top->addWidget(cmdEsci, 0, Qt::AlignTop);
    layout->addLayout(top);

    TabStrip = named(new QTabBar, "TabStrip");
    TabStrip->addTab(QStringLiteral("Informazioni TAG"));
    TabStrip->addTab(QStringLiteral("Lettura e Scrittura blocchi del TAG"));
    TabStrip->setDrawBase(false);
    TabStrip->setExpanding(false);
    layout->addSpacing(8);
    auto *tabs = new QVBoxLayout;
    tabs->setSpacing(0);
    tabs->addWidget(TabStrip);

    // The pane under the tab strip holds both pages in the same place; one is visible at a time.
    auto *pane = named(new QFrame, "TabPane");
    pane->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto *paneLayout = new QGridLayout(pane);
    Frame1[1] = tagPage = new TagInfoPage(pane);
    Frame1[2] = blockPage = new BlockPage(pane);
    for (int i = 1; i <= 2; ++i) {
        // The pane takes the size of the larger page, hidden or not: the window keeps its size
        // and every caption its room when the tab changes.
        QSizePolicy policy = Frame1[i]->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        Frame1[i]->setSizePolicy(policy);
        paneLayout->addWidget(Frame1[i], 0, 0);
    }
    tabs->addWidget(pane, 1);
    layout->addLayout(tabs, 1);

    setCentralWidget(central);
    buildStatusBar();
}

QWidget *frmMain::buildPrinterFrame()
{
    Frame6 = named(new QGroupBox(QStringLiteral("Controllo stampante")), "Frame6");
    auto *grid = new QGridLayout(Frame6);
    grid->setHorizontalSpacing(12);

    Label8 = named(new QLabel(QStringLiteral("Modello:")), "Label8");
    txtModello = named(new QLineEdit, "txtModello");
    Label9 = named(new QLabel(QStringLiteral("Release:")), "Label9");
    txtRelease = named(new QLineEdit, "txtRelease");
    for (auto [label, field, name] :
         {std::tuple{Label8, txtModello, "Modello"}, std::tuple{Label9, txtRelease, "Release"}}) {
        label->setBuddy(field);
        field->setAccessibleName(QLatin1String(name));
        field->setMinimumWidth(115);
    }
    cmdInterroga = named(new QPushButton(QStringLiteral("Interroga stampante")), "cmdInterroga");
    setDesignMinimumSize(cmdInterroga, {124, 61});

    grid->addWidget(Label8, 0, 0);
    grid->addWidget(txtModello, 0, 1);
    grid->addWidget(Label9, 1, 0);
    grid->addWidget(txtRelease, 1, 1);
    grid->addWidget(cmdInterroga, 0, 2, 2, 1);
    return Frame6;
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
    for (int i = 1; i <= 5; ++i) {
        Panels[i] = named(new QLabel(design[i - 1]), QStringLiteral("Panel%1").arg(i));
        Panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        Panels[i]->setMinimumWidth(i == 1 ? 140 : 100);
        bar->addPermanentWidget(Panels[i]);
    }
}

void frmMain::UpgradeStatusBar()
{
    const QStringList texts = statusBarTexts(m_comm.commPort(), m_comm.settings());
    for (int i = 1; i <= 5; ++i)
        Panels[i]->setText(texts[i - 1]);
    Panels[1]->setToolTip(m_comm.currentDevice());
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
    globals.CurrentTab = 1;
    Frame1[1]->setVisible(true);
    for (int i = globals.CurrentTab + 1; i <= 2; ++i)
        Frame1[i]->setVisible(false);
    globals.PrintingFlag = 0;
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

void frmMain::onTabChanged(int index)
{
    const qint16 selected = qint16(index + 1);
    if (selected == globals.CurrentTab)
        return;
    for (int i = 1; i <= 2; ++i)
        Frame1[i]->setVisible(i == selected);
    globals.CurrentTab = selected;
}

std::unique_ptr<frmProperties> frmMain::createPropertiesDialog()
{
    auto dialog = std::make_unique<frmProperties>(m_link, m_store, m_messages, *m_devices, this);
    connect(dialog.get(), &frmProperties::settingsApplied, this, &frmMain::UpgradeStatusBar);
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

void frmMain::onInfoTriggered()
{
    // One window at a time; while it is open it is shown again as it is, not loaded afresh.
    if (!m_about)
        m_about = new frmSplash(this, m_aboutCloseAfter);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void frmMain::onMonitorTriggered()
{
    if (!m_monitor)
        m_monitor = new frmLineMonitor(m_link, m_messages, *m_chooser, this);
    m_monitor->show();
    m_monitor->raise();
    m_monitor->activateWindow();
}

void frmMain::onExitClicked()
{
    if (globals.PrintingFlag != 0)
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
