#pragma once

#include "link/printerlink.h"

#include <QDialog>
#include <QHash>

#include <array>
#include <optional>
#include <utility>

class MessageSink;
class PrinterSearch;
class QButtonGroup;
class QPlainTextEdit;
class QComboBox;
class QGroupBox;
class QLayout;
class QPushButton;
class QRadioButton;
class SerialControl;
class SerialDevices;
class SettingsStore;
struct PortEntry;

// The serial settings dialog. It shows what the serial control holds now (not what is stored),
// applies the operator's choices to the control on OK, stores all six values (and the device of
// the port, when the operator changed it) and has the main window refresh its status bar. When the
// control refuses a choice it says why and stays open.
class frmProperties : public QDialog
{
    Q_OBJECT
public:
    // The dialog works on the serial control of `link`; `devices` are those it offers.
    frmProperties(PrinterLink &link, SettingsStore &store, MessageSink &messages,
                  const SerialDevices &devices, QWidget *parent = nullptr);

    // Fills the lists and selects the serial control's current values; a value no list holds
    // leaves that list without a selection.
    void LoadPropertySettings();

    // The flow-control mode OK applies: the index of the option chosen, -1 while none is.
    int chosenFlow() const { return m_flow; }

    // The opener holds the printer for the dialog while it is open; without one, the search for
    // the printer takes it for itself.
    void holdOperation(PrinterLink::Operation operation);
    // "Cerca stampante" is running.
    bool searching() const { return m_search != nullptr; }

    // Closing while the search runs stops it first.
    void done(int result) override;

signals:
    // New settings are in use (the main window's UpgradeStatusBar), on `otherDevice` than before;
    // `foundPrinter`: the printer the search found, at the speed it answered at. Emitted once the
    // dialog has closed and let the printer go.
    void settingsApplied(bool otherDevice, bool foundPrinter);

private:
    void buildWindow();
    QWidget *listBox(const QString &title, const char *boxName, const char *listName,
                     QComboBox **list);
    QWidget *buildConnection();
    QWidget *buildFlow();
    QLayout *buildDeviceRow();
    QLayout *buildSearchRow();
    void showPortDevice();
    void showDevice(const QString &device);
    void onOkClicked();
    void store(int flowMode, const PortEntry &device);
    void onSearchClicked();
    void search();
    void setSearching(bool on);
    // The result box shows `lines` lines.
    void showResultLines(int lines);
    static constexpr int kResultLines = 7;

    PrinterLink &m_link;
    SerialControl &m_comm;
    const SerialDevices &m_devices;
    SettingsStore &m_store;
    MessageSink &m_messages;
    QComboBox *m_portList = nullptr;
    QComboBox *m_speedList = nullptr;
    QComboBox *m_dataBitsList = nullptr;
    QComboBox *m_parityList = nullptr;
    QComboBox *m_stopBitsList = nullptr;
    QGroupBox *m_flowBox = nullptr;
    std::array<QRadioButton *, 4> m_flowOptions{};
    QComboBox *m_deviceList = nullptr;  // the device of the port chosen; the operator may type one
    QPushButton *m_searchButton = nullptr;
    QPlainTextEdit *m_searchResult = nullptr;  // the search's progress, then what it found
    QPushButton *m_okButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QButtonGroup *m_flowGroup = nullptr;
    int m_flow = 0;
    std::optional<PrinterLink::Operation> m_operation;
    PrinterSearch *m_search = nullptr;  // while "Cerca stampante" runs
    std::optional<int> m_doneAfterSearch;
    // The device and speed the search selected.
    std::optional<std::pair<QString, int>> m_found;
    // Devices typed for port numbers other than the one shown, until OK or Annulla.
    QHash<int, QString> m_typed;
};
