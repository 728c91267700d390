#include "settings/frmproperties.h"

#include "common/designsize.h"
#include "common/displaytext.h"
#include "common/messages.h"
#include "common/named.h"
#include "link/printerlink.h"
#include "link/serialcontrol.h"
#include "link/serialdevices.h"
#include "settings/printersearch.h"
#include "settings/propertyselection.h"
#include "settings/propertytransaction.h"
#include "settings/serialsettings.h"
#include "settings/settingsstore.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <iterator>

namespace {

QComboBox *dropDownList(const char *name, const char *accessibleName)
{
    auto *list = named(new QComboBox, name);
    list->setEditable(false);
    list->setAccessibleName(QString::fromUtf8(accessibleName));
    return list;
}

// The device list's entries read "path  —  what it is"; choosing one puts the path alone in the
// field.
class DeviceDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString about = index.data(Qt::ToolTipRole).toString();
        if (!about.isEmpty())
            option->text += QStringLiteral("  —  ") + about;
    }
};

}  // namespace

frmProperties::frmProperties(PrinterLink &link, SettingsStore &store, MessageSink &messages,
                             const SerialDevices &devices, QWidget *parent)
    : QDialog(parent), m_link(link), m_comm(link.control()), m_devices(devices), m_store(store),
      m_messages(messages)
{
    named(this, "frmProperties");
    buildWindow();
    connect(m_flowGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            m_flow = id;
    });
    connect(cmdOK, &QPushButton::clicked, this, &frmProperties::onOkClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cboPort, &QComboBox::currentIndexChanged, this, &frmProperties::showPortDevice);
    connect(cmdSearch, &QPushButton::clicked, this, &frmProperties::onSearchClicked);
    LoadPropertySettings();
}

void frmProperties::buildWindow()
{
    setWindowTitle(QStringLiteral("Proprietà porta di comunicazione"));

    fraSettings = named(new QGroupBox, "fraSettings");
    auto *grid = new QGridLayout(fraSettings);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);

    Frame2 = named(new QGroupBox(QStringLiteral("Porta")), "Frame2");
    cboPort = dropDownList("cboPort", "Porta");
    (new QHBoxLayout(Frame2))->addWidget(cboPort);

    Frame1 = named(new QGroupBox(QStringLiteral("BAUD")), "Frame1");
    cboSpeed = dropDownList("cboSpeed", "BAUD");
    (new QHBoxLayout(Frame1))->addWidget(cboSpeed);

    fraConnection =
        named(new QGroupBox(QStringLiteral("Impostazioni connessione")), "fraConnection");
    auto *connection = new QGridLayout(fraConnection);
    Label3 = named(new QLabel(QStringLiteral("Bit di dati:")), "Label3");
    cboDataBits = dropDownList("cboDataBits", "Bit di dati");
    Label4 = named(new QLabel(QStringLiteral("Parità:")), "Label4");
    cboParity = dropDownList("cboParity", "Parità");
    Label5 = named(new QLabel(QStringLiteral("Bit di stop:")), "Label5");
    cboStopBits = dropDownList("cboStopBits", "Bit di stop");
    int row = 0;
    for (auto [label, list] : {std::pair{Label3, cboDataBits}, std::pair{Label4, cboParity},
                               std::pair{Label5, cboStopBits}}) {
        label->setBuddy(list);
        list->setMinimumWidth(96);
        connection->addWidget(label, row, 0);
        connection->addWidget(list, row, 1);
        ++row;
    }

    Frame5 = named(new QGroupBox(QStringLiteral("&Controllo di flusso")), "Frame5");
    auto *flow = new QVBoxLayout(Frame5);
    m_flowGroup = new QButtonGroup(this);
    const char *const captions[] = {"Nessuno", "Xon/Xoff", "RTS", "Xon/RTS"};
    for (int i = 0; i < 4; ++i) {
        optFlow[i] = named(new QRadioButton(QLatin1String(captions[i])),
                           QStringLiteral("optFlow_%1").arg(i));
        m_flowGroup->addButton(optFlow[i], i);
        flow->addWidget(optFlow[i]);
    }

    // Below the lists, as wide as the dialog: device names under /dev/serial/by-id are long.
    lblDevice = named(new QLabel(QStringLiteral("Dispositivo:")), "lblDevice");
    cboDevice = named(new QComboBox, "cboDevice");
    cboDevice->setEditable(true);
    cboDevice->setInsertPolicy(QComboBox::NoInsert);
    cboDevice->setAccessibleName(QStringLiteral("Dispositivo"));
    cboDevice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboDevice->setMinimumContentsLength(54);
    cboDevice->setItemDelegate(new DeviceDelegate(cboDevice));
    lblDevice->setBuddy(cboDevice);
    auto *deviceRow = new QHBoxLayout;
    deviceRow->setSpacing(8);
    deviceRow->addWidget(lblDevice);
    deviceRow->addWidget(cboDevice, 1);

    cmdSearch = named(new QPushButton(QStringLiteral("Cerca stampante")), "cmdSearch");
    cmdSearch->setToolTip(QStringLiteral("Prova ogni dispositivo seriale con la richiesta del "
                                         "modello, a ogni velocità se serve"));
    // Room for the caption it takes while the search runs.
    cmdSearch->setText(QStringLiteral("Interrompi ricerca"));
    setDesignMinimumSize(cmdSearch, {0, 0});
    cmdSearch->setText(QStringLiteral("Cerca stampante"));
    txtSearch = named(new QPlainTextEdit, "txtSearch");
    txtSearch->setReadOnly(true);
    txtSearch->setTabChangesFocus(true);
    txtSearch->setAccessibleName(QStringLiteral("Esito della ricerca"));
    txtSearch->setFixedHeight(txtSearch->fontMetrics().lineSpacing() * 6 +
                              2 * txtSearch->frameWidth() +
                              int(txtSearch->document()->documentMargin()) * 2);
    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(cmdSearch, 0, Qt::AlignTop);
    searchRow->addWidget(txtSearch, 1);

    cmdOK = named(new QPushButton(QStringLiteral("OK")), "cmdOK");
    cmdCancel = named(new QPushButton(QStringLiteral("Annulla")), "cmdCancel");
    for (QPushButton *button : {cmdOK, cmdCancel})
        setDesignMinimumSize(button, {72, 0});

    grid->addWidget(Frame2, 0, 0);
    grid->addWidget(Frame1, 0, 1);
    grid->addWidget(cmdOK, 0, 2, Qt::AlignBottom | Qt::AlignRight);
    grid->addWidget(fraConnection, 1, 0);
    grid->addWidget(Frame5, 1, 1);
    grid->addWidget(cmdCancel, 1, 2, Qt::AlignTop | Qt::AlignRight);
    grid->addLayout(deviceRow, 2, 0, 1, 3);
    grid->addLayout(searchRow, 3, 0, 1, 3);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fraSettings);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Tab runs through the line parameters as they read, then to the buttons.
    QWidget *order[] = {cboPort,    cboSpeed,   cboDataBits, cboParity,  cboStopBits,
                        optFlow[0], optFlow[1], optFlow[2],  optFlow[3], cboDevice,
                        cmdSearch,  txtSearch,  cmdOK,       cmdCancel};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    cmdOK->setDefault(true);  // once in the dialog, which takes note of it
}

void frmProperties::LoadPropertySettings()
{
    const struct
    {
        QComboBox *list;
        QStringList entries;
    } lists[] = {{cboPort, properties::portEntries()},
                 {cboSpeed, properties::speedEntries()},
                 {cboDataBits, properties::dataBitsEntries()},
                 {cboParity, properties::parityEntries()},
                 {cboStopBits, properties::stopBitsEntries()}};
    for (const auto &l : lists) {
        l.list->clear();
        l.list->addItems(l.entries);
    }
    // Operators know their adapter by its device, not by a port number.
    for (int i = 0; i < cboPort->count(); ++i)
        cboPort->setItemData(i, m_comm.deviceName(i + 1), Qt::ToolTipRole);
    cboDevice->clear();
    for (const SerialDevice &device : m_devices.available()) {
        cboDevice->addItem(device.path);
        cboDevice->setItemData(cboDevice->count() - 1, device.description, Qt::ToolTipRole);
    }
    // The list shows each device with what it is, wider than the field when it must be.
    cboDevice->view()->setMinimumWidth(cboDevice->view()->sizeHintForColumn(0) + 24);

    const properties::Selection s =
        properties::selection(m_comm.settings(), m_comm.commPort(), m_comm.handshaking());
    cboSpeed->setCurrentIndex(s.speed);
    cboParity->setCurrentIndex(s.parity);
    cboDataBits->setCurrentIndex(s.dataBits);
    cboStopBits->setCurrentIndex(s.stopBits);
    cboPort->setCurrentIndex(s.port);
    showPortDevice();
    if (s.flow >= 0) {
        optFlow[s.flow]->setChecked(true);  // sets the chosen mode, as a click would
    } else {
        // A mode no option stands for: none is chosen until the operator picks one.
        m_flowGroup->setExclusive(false);
        for (QRadioButton *option : optFlow)
            option->setChecked(false);
        m_flowGroup->setExclusive(true);
        m_flow = -1;
    }
    // Tab enters the options at the one chosen (the first while none is); the arrows move on.
    for (int i = 0; i < int(optFlow.size()); ++i)
        optFlow[i]->setFocusPolicy(i == qMax(s.flow, 0) ? Qt::StrongFocus : Qt::ClickFocus);
}

void frmProperties::showPortDevice()
{
    cboPort->setToolTip(cboPort->currentData(Qt::ToolTipRole).toString());
    // The device field follows the port chosen: what that number stands for now.
    showDevice(cboPort->currentIndex() < 0 ? QString()
                                           : m_comm.deviceName(cboPort->currentIndex() + 1));
}

void frmProperties::showDevice(const QString &device)
{
    cboDevice->setCurrentIndex(-1);
    cboDevice->setEditText(device);
    cboDevice->lineEdit()->setCursorPosition(0);  // a long name shows its beginning
}

void frmProperties::onOkClicked()
{
    properties::Choice choice;
    choice.port = cboPort->currentIndex() + 1;  // 0 with no port chosen
    choice.settings = properties::settingsText(
        cboSpeed->currentText(), properties::parityLetter(cboParity->currentText()),
        cboDataBits->currentText(), cboStopBits->currentText());
    choice.flow = m_flow;
    choice.device = cboDevice->currentText();
    // A device other than the one the number stands for now is stored with the settings.
    const QString device = choice.device->trimmed();
    const bool newDevice = choice.port >= 1 && device != m_comm.deviceName(choice.port);
    const SerialError failure =
        properties::applyChoice(m_comm, choice, [this](const SerialError &f) {
            m_messages.show(f.description, kStyleWarning);
        });
    if (failure.failed())
        return;  // the dialog stays open with the operator's choices

    store(m_comm.handshaking(), newDevice ? PortEntry{choice.port, device} : PortEntry{});
    emit settingsApplied();
    accept();
}

void frmProperties::store(int flowMode, const PortEntry &device)
{
    SerialSettings chosen;
    chosen.commPort = properties::commPortValue(cboPort->currentText());
    chosen.baudRate = cboSpeed->currentText().trimmed();
    chosen.parity = properties::parityLetter(cboParity->currentText());
    chosen.dataBit = cboDataBits->currentText().trimmed();
    chosen.stopBit = cboStopBits->currentText().trimmed();
    chosen.handshaking = QString::number(flowMode);
    const bool written = chosen.write(m_store, device);
    const QSettings::Status failed = written ? QSettings::NoError : m_store.writeStatus();
    // The port already runs with the new settings; the operator must know they will not last.
    if (failed == QSettings::FormatError)
        m_messages.show(
            QStringLiteral("ATTENZIONE! Le nuove impostazioni sono in uso ma non sono state "
                           "salvate: il file delle impostazioni\n%1\ncontiene righe che il "
                           "programma non sa leggere e non viene riscritto, per non perderle. Va "
                           "corretto o cancellato; al prossimo avvio varranno le impostazioni "
                           "che contiene.")
                .arg(shownPath(m_store.fileName())),
            kStyleWarning);
    else if (failed != QSettings::NoError)
        m_messages.show(
            QStringLiteral("ATTENZIONE! Le nuove impostazioni sono in uso ma non è stato "
                           "possibile salvarle nel file\n%1\n(%2): al prossimo avvio varranno "
                           "quelle di prima.")
                .arg(shownPath(m_store.fileName()), m_store.writeError()),
            kStyleWarning);
}

void frmProperties::holdOperation(PrinterLink::Operation operation)
{
    m_operation.emplace(std::move(operation));
}

void frmProperties::done(int result)
{
    if (m_search) {
        m_doneAfterSearch = result;
        m_search->cancel();
        return;
    }
    QDialog::done(result);
}

void frmProperties::onSearchClicked()
{
    if (m_search) {
        m_search->cancel();
        return;
    }
    // Nothing else may talk to the printer while the devices are probed.
    std::optional<PrinterLink::Operation> own;
    if (!m_operation) {
        own.emplace(m_link.beginOperation());
        if (!*own) {
            txtSearch->setPlainText(
                QStringLiteral("Attendere: è in corso un'altra operazione con la stampante."));
            return;
        }
    }
    search();
    if (m_doneAfterSearch)
        QDialog::done(*std::exchange(m_doneAfterSearch, std::nullopt));
}

void frmProperties::search()
{
    const QString lineTail =
        properties::settingsText(QString(), properties::parityLetter(cboParity->currentText()),
                                 cboDataBits->currentText(), cboStopBits->currentText());

    PrinterSearch search(m_link, m_devices);
    connect(&search, &PrinterSearch::probing, this,
            [this](const QString &device, int speed, int index, int count) {
                txtSearch->setPlainText(
                    QStringLiteral("Ricerca in corso: %1 a %2 baud (dispositivo %3 di %4)...")
                        .arg(device)
                        .arg(speed)
                        .arg(index)
                        .arg(count));
            });
    m_search = &search;
    setSearching(true);
    const PrinterSearch::Result result =
        search.run(cboDevice->currentText().trimmed(),
                   cboSpeed->currentIndex() >= 0 ? cboSpeed->currentText().toInt() : 0, lineTail);
    m_search = nullptr;
    if (result.ended)
        return;  // the program is ending
    setSearching(false);
    txtSearch->setPlainText(result.text());
    const PrinterSearch::Answer *chosen = result.chosen();
    if (!chosen)
        return;

    // The device in use when it answered, else the first that did: its port number where one
    // stands for it, else the device for the port chosen; and the speed it answered at. Nothing
    // is applied or stored before OK.
    const PrinterSearch::Answer &found = *chosen;
    if (found.port >= 1 && found.port <= cboPort->count()) {
        cboPort->setCurrentIndex(found.port - 1);
        showPortDevice();
    } else {
        showDevice(found.device);
    }
    cboSpeed->setCurrentIndex(cboSpeed->findText(QString::number(found.speed)));
}

void frmProperties::setSearching(bool on)
{
    for (QWidget *w : std::initializer_list<QWidget *>{cboPort, cboSpeed, cboDataBits, cboParity,
                                                       cboStopBits, Frame5, cboDevice, cmdOK})
        w->setEnabled(!on);
    cmdSearch->setText(on ? QStringLiteral("Interrompi ricerca")
                          : QStringLiteral("Cerca stampante"));
}
