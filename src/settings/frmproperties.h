#pragma once

#include <QDialog>

#include <array>

class MessageSink;
class PrinterLink;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
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

    QGroupBox *fraSettings = nullptr;
    QGroupBox *Frame2 = nullptr;
    QComboBox *cboPort = nullptr;
    QGroupBox *Frame1 = nullptr;
    QComboBox *cboSpeed = nullptr;
    QGroupBox *fraConnection = nullptr;
    QLabel *Label3 = nullptr;
    QComboBox *cboDataBits = nullptr;
    QLabel *Label4 = nullptr;
    QComboBox *cboParity = nullptr;
    QLabel *Label5 = nullptr;
    QComboBox *cboStopBits = nullptr;
    QGroupBox *Frame5 = nullptr;
    std::array<QRadioButton *, 4> optFlow{};
    QLabel *lblDevice = nullptr;
    QComboBox *cboDevice = nullptr;  // the device of the port chosen; the operator may type one
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

signals:
    // New settings are in use (the main window's UpgradeStatusBar).
    void settingsApplied();

private:
    void buildWindow();
    void showPortDevice();
    void onOkClicked();
    void store(int flowMode, const PortEntry &device);

    PrinterLink &m_link;
    SerialControl &m_comm;
    const SerialDevices &m_devices;
    SettingsStore &m_store;
    MessageSink &m_messages;
    QButtonGroup *m_flowGroup = nullptr;
    int m_flow = 0;
};
