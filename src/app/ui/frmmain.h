#pragma once

// src/app/: the top: the workbench and the command line; in app/ui/ start-up, the main window and
// About. It may include every other folder and is included by none.

#include "app/ui/frmlinemonitor.h"
#include "app/ui/frmsplash.h"
#include "app/workbench.h"
#include "link/port/systemserialdevices.h"
#include "production/ui/frmproduction.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <chrono>
#include <functional>
#include <memory>

class BlockPage;
class FileChooser;
class MessageSink;
class TagInfoPage;
class QAction;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QStackedLayout;
class QTabBar;
class SerialControl;
class SettingsStore;
class frmProperties;

// The main window: printer query, the two tab pages, the menu and the status bar, a view of the
// workbench. Its controls carry, as objectName, the names operators and maintainers know them by.
class frmMain : public QMainWindow
{
    Q_OBJECT
public:
    frmMain(SerialControl &comm, SettingsStore &store, MessageSink &messages,
            QWidget *parent = nullptr);
    ~frmMain() override;

    // Start-up: applies the stored serial settings and opens the port. A port that cannot be
    // opened is reported with the choice of the settings dialog, whose OK opens one and lets the
    // start go on. On failure the operator has been told what failed and where the settings file
    // is, and the window must not be shown.
    bool load();

    // Shows in the status bar the port and line settings the serial control now holds.
    void UpgradeStatusBar();

    // The serial settings dialog, owned by this window and wired to it; "Porta Seriale..." shows
    // one modally.
    std::unique_ptr<frmProperties> createPropertiesDialog();

    // The production dialog, created the first time "Produzione..." is clicked.
    frmProduction *production() const { return m_production; }

    // The line monitor, once "Monitor linea..." has opened it.
    frmLineMonitor *monitor() const { return m_monitor; }

    // The About window open now, if any.
    frmSplash *about() const { return m_about; }
    // How long the About window stays up after its last activation.
    void setAboutCloseAfter(std::chrono::milliseconds delay) { m_aboutCloseAfter = delay; }

    // Where "Salva...", "Carica..." and the production log ask for a file (tests answer instead
    // of a dialog).
    void setFileChooser(FileChooser &chooser);
    // The serial devices the settings dialog offers; by default the system's.
    void setSerialDevices(const SerialDevices &devices) { m_devices = &devices; }

    // What ending the program does; by default the application's event loop exits.
    void setEndProgram(std::function<void()> endProgram) { m_endProgram = std::move(endProgram); }

    // The models the window shows and the operations on them.
    Workbench &workbench() { return m_bench; }
    PrinterLink &link() { return m_link; }
    SerialControl &comm() { return m_comm; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildWindow();
    QWidget *buildPrinterFrame();
    QLayout *buildTabs();
    void buildStatusBar();
    void bindPrinter();
    void bindTagPage();
    void bindBlockPage();
    void bindLabels();
    void showNote(const QString &note);

    void onExitClicked();
    void onSerialPortTriggered();
    void onInfoTriggered();
    void onMonitorTriggered();
    void onProductionClicked();
    void endProgram();
    QString startupFailureText(const QString &cause) const;
    bool startupFailure(const QString &cause);

    SerialControl &m_comm;
    SettingsStore &m_store;
    MessageSink &m_messages;
    std::unique_ptr<FileChooser> m_fileDialogs;
    Workbench m_bench;
    PrinterLink &m_link;
    SystemSerialDevices m_systemDevices;
    const SerialDevices *m_devices = &m_systemDevices;

    QAction *m_serialPortAction = nullptr;
    QAction *m_monitorAction = nullptr;
    QAction *m_aboutAction = nullptr;
    QLineEdit *m_modelField = nullptr;
    QLineEdit *m_releaseField = nullptr;
    QPushButton *m_queryButton = nullptr;
    QPushButton *m_exitButton = nullptr;
    QTabBar *m_tabStrip = nullptr;
    QStackedLayout *m_pages = nullptr;
    TagInfoPage *m_tagPage = nullptr;
    BlockPage *m_blockPage = nullptr;
    std::array<QLabel *, 5> m_panels{};  // the status bar's panels 1 to 5

    QPointer<frmProduction> m_production;
    QPointer<frmLineMonitor> m_monitor;
    std::function<void()> m_endProgram;
    QPointer<frmSplash> m_about;
    std::chrono::milliseconds m_aboutCloseAfter;
    bool m_sized = false;  // given its first size
    bool m_ending = false;
};
