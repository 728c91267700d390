#pragma once

// src/app/: the top: start-up, the main window and About. It may include every other folder and
// is included by none.

#include "app/frmlinemonitor.h"
#include "app/frmsplash.h"
#include "common/globvar.h"
#include "label/frmproduction.h"
#include "link/printerlink.h"
#include "link/printerquery.h"
#include "link/serialdevices.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <chrono>
#include <functional>
#include <memory>

class BlockFiles;
class ProductionRun;

class BlockPage;
class FileChooser;
class LabelJobs;
class MessageSink;
struct OperationContext;
class TagInfoPage;
class TagOperations;
class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class SerialControl;
class SettingsStore;
class frmProperties;

// The main window: printer query, the two tab pages, the menu and the status bar. Its controls
// carry the names operators and maintainers know them by, both as members and as objectName.
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

    // Where "Salva..." and "Carica..." ask for a file (tests answer instead of a dialog).
    void setFileChooser(FileChooser &chooser);
    // The serial devices the settings dialog offers; by default the system's.
    void setSerialDevices(const SerialDevices &devices) { m_devices = &devices; }

    // What ending the program does; by default the application's event loop exits.
    void setEndProgram(std::function<void()> endProgram) { m_endProgram = std::move(endProgram); }

    GlobVar globals;
    PrinterLink &link() { return m_link; }
    PrinterQuery &query() { return *m_query; }
    SerialControl &comm() { return m_comm; }

    QAction *mnuSerialPort = nullptr;
    QAction *mnuMonitor = nullptr;
    QAction *mnuInfo = nullptr;

    QGroupBox *Frame6 = nullptr;
    QLabel *Label8 = nullptr;
    QLineEdit *txtModello = nullptr;
    QLabel *Label9 = nullptr;
    QLineEdit *txtRelease = nullptr;
    QPushButton *cmdInterroga = nullptr;
    QPushButton *cmdEsci = nullptr;

    QTabBar *TabStrip = nullptr;
    std::array<QFrame *, 3> Frame1{};  // the tab pages, indexed 1 and 2
    TagInfoPage *tagPage = nullptr;    // Frame1[1]
    BlockPage *blockPage = nullptr;    // Frame1[2]

    std::array<QLabel *, 6> Panels{};  // status bar panels, indexed 1 to 5

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWindow();
    QWidget *buildPrinterFrame();
    void buildStatusBar();

    void onExitClicked();
    void onSerialPortTriggered();
    void onInfoTriggered();
    void onMonitorTriggered();
    void onProductionClicked();
    void onTabChanged(int index);
    void endProgram();
    QString startupFailureText(const QString &cause) const;
    bool startupFailure(const QString &cause);

    SerialControl &m_comm;
    SettingsStore &m_store;
    MessageSink &m_messages;
    PrinterLink m_link;
    SystemSerialDevices m_systemDevices;
    const SerialDevices *m_devices = &m_systemDevices;
    std::unique_ptr<PrinterQuery> m_query;
    std::unique_ptr<OperationContext> m_context;
    std::unique_ptr<TagOperations> m_tag;
    std::unique_ptr<LabelJobs> m_labels;
    std::unique_ptr<FileChooser> m_fileDialogs;
    std::unique_ptr<BlockFiles> m_blockFiles;
    FileChooser *m_chooser = nullptr;
    std::unique_ptr<ProductionRun> m_productionRun;
    QPointer<frmProduction> m_production;
    QPointer<frmLineMonitor> m_monitor;
    std::function<void()> m_endProgram;
    QPointer<frmSplash> m_about;
    std::chrono::milliseconds m_aboutCloseAfter;
    bool m_ending = false;
};
