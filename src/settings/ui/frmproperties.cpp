#include "settings/ui/frmproperties.h"

#include "common/displaytext.h"
#include "common/messages.h"
#include "common/ui/designsize.h"
#include "common/ui/named.h"
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
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <iterator>

namespace {

QComboBox *settingsList(const char *name, const char *accessibleName)
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
    connect(m_okButton, &QPushButton::clicked, this, &frmProperties::onOkClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_portList, &QComboBox::currentIndexChanged, this, &frmProperties::showPortDevice);
    // What the field holds for the port shown, typed or chosen, as its text changes.
    connect(m_deviceList, &QComboBox::editTextChanged, this, [this](const QString &text) {
        const int port = m_portList->currentIndex() + 1;
        if (port < 1)
            return;
        if (text.trimmed() == m_comm.deviceName(port))
            m_typed.remove(port);
        else
            m_typed.insert(port, text);
    });
    connect(m_searchButton, &QPushButton::clicked, this, &frmProperties::onSearchClicked);
    LoadPropertySettings();
}

void frmProperties::buildWindow()
{
    setWindowTitle(QStringLiteral("Proprietà porta di comunicazione"));

    auto *settingsBox = named(new QGroupBox, "fraSettings");
    auto *grid = new QGridLayout(settingsBox);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    QWidget *portBox = listBox(QStringLiteral("Porta"), "Frame2", "cboPort", &m_portList);
    QWidget *speedBox = listBox(QStringLiteral("BAUD"), "Frame1", "cboSpeed", &m_speedList);
    QWidget *connectionBox = buildConnection();
    QWidget *flowBox = buildFlow();
    QLayout *deviceRow = buildDeviceRow();
    QLayout *searchRow = buildSearchRow();
    m_okButton = named(new QPushButton(QStringLiteral("OK")), "cmdOK");
    m_cancelButton = named(new QPushButton(QStringLiteral("Annulla")), "cmdCancel");
    for (QPushButton *button : {m_okButton, m_cancelButton})
        setDesignMinimumSize(button, {72, 0});

    grid->addWidget(portBox, 0, 0);
    grid->addWidget(speedBox, 0, 1);
    grid->addWidget(m_okButton, 0, 2, Qt::AlignBottom | Qt::AlignRight);
    grid->addWidget(connectionBox, 1, 0);
    grid->addWidget(flowBox, 1, 1);
    grid->addWidget(m_cancelButton, 1, 2, Qt::AlignTop | Qt::AlignRight);
    grid->addLayout(deviceRow, 2, 0, 1, 3);
    grid->addLayout(searchRow, 3, 0, 1, 3);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(settingsBox);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Tab runs through the line parameters as they read, then to the buttons.
    QWidget *order[] = {m_portList,       m_speedList,      m_dataBitsList,   m_parityList,
                        m_stopBitsList,   m_flowOptions[0], m_flowOptions[1], m_flowOptions[2],
                        m_flowOptions[3], m_deviceList,     m_searchButton,   m_searchResult,
                        m_okButton,       m_cancelButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    m_okButton->setDefault(true);  // once in the dialog, which takes note of it
}

// A list in a box of its own, the box's title its accessible name.
QWidget *frmProperties::listBox(const QString &title, const char *boxName, const char *listName,
                                QComboBox **list)
{
    auto *box = named(new QGroupBox(title), boxName);
    *list = settingsList(listName, title.toUtf8().constData());
    (new QHBoxLayout(box))->addWidget(*list);
    return box;
}

QWidget *frmProperties::buildConnection()
{
    auto *box = named(new QGroupBox(QStringLiteral("Impostazioni connessione")), "fraConnection");
    auto *connection = new QGridLayout(box);
    auto *dataBitsCaption = named(new QLabel(QStringLiteral("Bit di dati:")), "Label3");
    m_dataBitsList = settingsList("cboDataBits", "Bit di dati");
    auto *parityCaption = named(new QLabel(QStringLiteral("Parità:")), "Label4");
    m_parityList = settingsList("cboParity", "Parità");
    auto *stopBitsCaption = named(new QLabel(QStringLiteral("Bit di stop:")), "Label5");
    m_stopBitsList = settingsList("cboStopBits", "Bit di stop");
    int row = 0;
    for (auto [label, list] :
         {std::pair{dataBitsCaption, m_dataBitsList}, std::pair{parityCaption, m_parityList},
          std::pair{stopBitsCaption, m_stopBitsList}}) {
        label->setBuddy(list);
        list->setMinimumWidth(96);
        connection->addWidget(label, row, 0);
        connection->addWidget(list, row, 1);
        ++row;
    }
    return box;
}

QWidget *frmProperties::buildFlow()
{
    m_flowBox = named(new QGroupBox(QStringLiteral("&Controllo di flusso")), "Frame5");
    auto *flow = new QVBoxLayout(m_flowBox);
    m_flowGroup = new QButtonGroup(this);
    const char *const captions[] = {"Nessuno", "Xon/Xoff", "RTS", "Xon/RTS"};
    for (int i = 0; i < 4; ++i) {
        m_flowOptions[size_t(i)] = named(new QRadioButton(QLatin1String(captions[i])),
                                         QStringLiteral("optFlow_%1").arg(i));
        m_flowGroup->addButton(m_flowOptions[size_t(i)], i);
        flow->addWidget(m_flowOptions[size_t(i)]);
    }
    return m_flowBox;
}

// Below the lists, as wide as the dialog: device names under /dev/serial/by-id are long.
QLayout *frmProperties::buildDeviceRow()
{
    auto *caption = named(new QLabel(QStringLiteral("&Dispositivo:")), "lblDevice");
    m_deviceList = named(new QComboBox, "cboDevice");
    m_deviceList->setEditable(true);
    m_deviceList->setInsertPolicy(QComboBox::NoInsert);
    m_deviceList->setAccessibleName(QStringLiteral("Dispositivo"));
    m_deviceList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_deviceList->setMinimumContentsLength(54);
    m_deviceList->setItemDelegate(new DeviceDelegate(m_deviceList));
    caption->setBuddy(m_deviceList);
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    row->addWidget(caption);
    row->addWidget(m_deviceList, 1);
    return row;
}

QLayout *frmProperties::buildSearchRow()
{
    m_searchButton = named(new QPushButton(QStringLiteral("Cerca &stampante")), "cmdSearch");
    m_searchButton->setToolTip(QStringLiteral("Prova ogni dispositivo seriale con la richiesta "
                                              "del modello, a ogni velocità se serve"));
    // Room for the caption it takes while the search runs.
    m_searchButton->setText(QStringLiteral("Interrompi ricerca"));
    setDesignMinimumSize(m_searchButton, {0, 0});
    m_searchButton->setText(QStringLiteral("Cerca &stampante"));
    m_searchResult = named(new QPlainTextEdit, "txtSearch");
    m_searchResult->setReadOnly(true);
    m_searchResult->setTabChangesFocus(true);
    m_searchResult->setAccessibleName(QStringLiteral("Esito della ricerca"));
    // The whole result for five devices: the printer found, a caption, four others.
    showResultLines(kResultLines);
    auto *row = new QHBoxLayout;
    row->addWidget(m_searchButton, 0, Qt::AlignTop);
    row->addWidget(m_searchResult, 1);
    return row;
}

void frmProperties::showResultLines(int lines)
{
    // Half a line more, which the plain text view keeps below its last line before it scrolls.
    m_searchResult->setFixedHeight(
        m_searchResult->fontMetrics().lineSpacing() * (2 * lines + 1) / 2 +
        2 * m_searchResult->frameWidth() + int(m_searchResult->document()->documentMargin()) * 2);
}

void frmProperties::LoadPropertySettings()
{
    const struct
    {
        QComboBox *list;
        QStringList entries;
    } lists[] = {{m_portList, properties::portEntries()},
                 {m_speedList, properties::speedEntries()},
                 {m_dataBitsList, properties::dataBitsEntries()},
                 {m_parityList, properties::parityEntries()},
                 {m_stopBitsList, properties::stopBitsEntries()}};
    for (const auto &l : lists) {
        l.list->clear();
        l.list->addItems(l.entries);
    }
    // Operators know their adapter by its device, not by a port number.
    for (int i = 0; i < m_portList->count(); ++i)
        m_portList->setItemData(i, m_comm.deviceName(i + 1), Qt::ToolTipRole);
    m_deviceList->clear();
    for (const SerialDevice &device : m_devices.available()) {
        m_deviceList->addItem(device.path);
        m_deviceList->setItemData(m_deviceList->count() - 1, device.description, Qt::ToolTipRole);
    }
    // The list shows each device with what it is, wider than the field when it must be.
    m_deviceList->view()->setMinimumWidth(m_deviceList->view()->sizeHintForColumn(0) + 24);
    m_typed.clear();
    m_found.reset();

    const properties::Selection s =
        properties::selection(m_comm.settings(), m_comm.commPort(), m_comm.handshaking());
    m_speedList->setCurrentIndex(s.speed);
    m_parityList->setCurrentIndex(s.parity);
    m_dataBitsList->setCurrentIndex(s.dataBits);
    m_stopBitsList->setCurrentIndex(s.stopBits);
    m_portList->setCurrentIndex(s.port);
    showPortDevice();
    if (s.flow >= 0) {
        m_flowOptions[s.flow]->setChecked(true);  // sets the chosen mode, as a click would
    } else {
        // A mode no option stands for: none is chosen until the operator picks one.
        m_flowGroup->setExclusive(false);
        for (QRadioButton *option : m_flowOptions)
            option->setChecked(false);
        m_flowGroup->setExclusive(true);
        m_flow = -1;
    }
    // Tab enters the options at the one chosen (the first while none is); the arrows move on.
    for (int i = 0; i < int(m_flowOptions.size()); ++i)
        m_flowOptions[i]->setFocusPolicy(i == qMax(s.flow, 0) ? Qt::StrongFocus : Qt::ClickFocus);
}

void frmProperties::showPortDevice()
{
    m_portList->setToolTip(m_portList->currentData(Qt::ToolTipRole).toString());
    // The device field follows the port chosen: what that number stands for now, or what the
    // operator typed for it since the dialog opened.
    const int port = m_portList->currentIndex() + 1;
    showDevice(port < 1 ? QString() : m_typed.value(port, m_comm.deviceName(port)));
}

void frmProperties::showDevice(const QString &device)
{
    m_deviceList->setCurrentIndex(-1);
    m_deviceList->setEditText(device);
    m_deviceList->lineEdit()->setCursorPosition(0);  // a long name shows its beginning
}

void frmProperties::onOkClicked()
{
    properties::Choice choice;
    choice.port = m_portList->currentIndex() + 1;  // 0 with no port chosen
    choice.settings = properties::settingsText(
        m_speedList->currentText(), properties::parityLetter(m_parityList->currentText()),
        m_dataBitsList->currentText(), m_stopBitsList->currentText());
    choice.flow = m_flow;
    choice.device = m_deviceList->currentText();
    // A device other than the one the number stands for now is stored with the settings.
    const QString device = choice.device->trimmed();
    const bool newDevice = choice.port >= 1 && device != m_comm.deviceName(choice.port);
    const QString before = m_comm.currentDevice();
    const SerialError failure =
        properties::applyChoice(m_comm, choice, [this](const SerialError &f) {
            m_messages.show(f.description, kStyleWarning);
        });
    if (failure.failed())
        return;  // the dialog stays open with the operator's choices

    store(m_comm.handshaking(), newDevice ? PortEntry{choice.port, device} : PortEntry{});
    const bool otherDevice = !PrinterSearch::sameDevice(before, m_comm.currentDevice());
    const bool foundPrinter =
        m_found && PrinterSearch::sameDevice(m_found->first, m_comm.currentDevice()) &&
        m_comm.settings().startsWith(QString::number(m_found->second) + QLatin1Char(','));
    accept();
    emit settingsApplied(otherDevice, foundPrinter);
}

void frmProperties::store(int flowMode, const PortEntry &device)
{
    SerialSettings chosen;
    chosen.commPort = properties::commPortValue(m_portList->currentText());
    chosen.baudRate = m_speedList->currentText().trimmed();
    chosen.parity = properties::parityLetter(m_parityList->currentText());
    chosen.dataBit = m_dataBitsList->currentText().trimmed();
    chosen.stopBit = m_stopBitsList->currentText().trimmed();
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
    m_operation.reset();  // whoever acts on the new settings may talk to the printer
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
            m_searchResult->setPlainText(
                QStringLiteral("Attendere: è in corso un'altra operazione con la stampante."));
            return;
        }
    }
    search();
    if (m_doneAfterSearch)
        done(*std::exchange(m_doneAfterSearch, std::nullopt));
}

void frmProperties::search()
{
    const QString lineTail =
        properties::settingsText(QString(), properties::parityLetter(m_parityList->currentText()),
                                 m_dataBitsList->currentText(), m_stopBitsList->currentText());

    PrinterSearch search(m_link, m_devices);
    connect(&search, &PrinterSearch::probing, this,
            [this](int speed, int round, int rounds, int devices) {
                m_searchResult->setPlainText(
                    QStringLiteral("Ricerca in corso a %1 baud (velocità %2 di %3): %4...")
                        .arg(speed)
                        .arg(round)
                        .arg(rounds)
                        .arg(devices == 1 ? QStringLiteral("1 dispositivo")
                                          : QStringLiteral("%1 dispositivi").arg(devices)));
            });
    m_search = &search;
    m_found.reset();
    showResultLines(kResultLines);
    setSearching(true);
    const PrinterSearch::Result result = search.run(
        m_deviceList->currentText().trimmed(),
        m_speedList->currentIndex() >= 0 ? m_speedList->currentText().toInt() : 0, lineTail);
    m_search = nullptr;
    if (result.ended)
        return;  // the program is ending
    setSearching(false);
    m_searchResult->setPlainText(result.text());
    // Long device names (/dev/serial/by-id/...) wrap: the box grows to keep them in view.
    showResultLines(kResultLines +
                    qMin(m_searchResult->verticalScrollBar()->maximum(), kResultLines));
    const PrinterSearch::Answer *chosen = result.chosen();
    if (!chosen)
        return;

    // The answer chosen (Result::chosen): its port number where one stands for it, else the
    // device for the port chosen; and the speed it answered at. Nothing is applied or stored
    // before OK.
    const PrinterSearch::Answer &found = *chosen;
    m_found.emplace(found.device, found.speed);
    if (found.port >= 1 && found.port <= m_portList->count()) {
        m_typed.remove(found.port);
        m_portList->setCurrentIndex(found.port - 1);
        showPortDevice();
    } else {
        showDevice(found.device);
    }
    m_speedList->setCurrentIndex(m_speedList->findText(QString::number(found.speed)));
}

void frmProperties::setSearching(bool on)
{
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_portList, m_speedList, m_dataBitsList, m_parityList,
                                          m_stopBitsList, m_flowBox, m_deviceList, m_okButton})
        w->setEnabled(!on);
    m_searchButton->setText(on ? QStringLiteral("Interrompi ricerca")
                               : QStringLiteral("Cerca &stampante"));
}
