#pragma once

// Page objects: the controls of the real windows, found by the objectName operators, screen
// readers and scripts know them by, under the names tests have always used for them.

#include "app/ui/frmlinemonitor.h"
#include "app/ui/frmmain.h"
#include "app/ui/frmsplash.h"
#include "production/ui/frmproduction.h"
#include "settings/ui/frmproperties.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>

#include <algorithm>
#include <array>
#include <memory>

namespace pages {

// The child of `parent` named `name`; the test cannot go on without it.
template <typename T>
T *child(const QObject *parent, const QString &name)
{
    T *found = parent->findChild<T *>(name);
    if (!found)
        qFatal("no %s named \"%s\"", T::staticMetaObject.className(), qPrintable(name));
    return found;
}

// The children that share `name`, in the order of their "index" property.
template <typename T, size_t N>
std::array<T *, N> indexed(const QObject *parent, const QString &name)
{
    QList<T *> found = parent->findChildren<T *>(name);
    if (found.size() != qsizetype(N))
        qFatal("%d controls named \"%s\", not %d", int(found.size()), qPrintable(name), int(N));
    std::sort(found.begin(), found.end(), [](const T *a, const T *b) {
        return a->property("index").toInt() < b->property("index").toInt();
    });
    std::array<T *, N> out{};
    std::copy(found.begin(), found.end(), out.begin());
    return out;
}

}  // namespace pages

// "Informazioni TAG".
struct TagPage
{
    explicit TagPage(QWidget *page) : widget(page) {}

    QWidget *widget;
    QLabel *lblComando = pages::child<QLabel>(widget, "lblComando");
    QLineEdit *txtDataSets = pages::child<QLineEdit>(widget, "txtDataSets");
    QLineEdit *txtDSFId = pages::child<QLineEdit>(widget, "txtDSFId");
    QLineEdit *txtMemSize = pages::child<QLineEdit>(widget, "txtMemSize");
    QLineEdit *txtTrType = pages::child<QLineEdit>(widget, "txtTrType");
    QLineEdit *txtAFI = pages::child<QLineEdit>(widget, "txtAFI");
    QLineEdit *txtIcRef = pages::child<QLineEdit>(widget, "txtIcRef");
    QLineEdit *txtUId = pages::child<QLineEdit>(widget, "txtUId");
    QPushButton *cmdInventory = pages::child<QPushButton>(widget, "cmdInventory");
    QPushButton *cmdSysInfo = pages::child<QPushButton>(widget, "cmdSysInfo");
    QGroupBox *Frame5 = pages::child<QGroupBox>(widget, "Frame5");
    QPushButton *cmdStampa1 = pages::child<QPushButton>(widget, "cmdStampa1");

    // The seven fields in the order of the page.
    QList<QLineEdit *> fields() const
    {
        return {txtDataSets, txtDSFId, txtMemSize, txtTrType, txtAFI, txtIcRef, txtUId};
    }
    bool isVisible() const { return widget->isVisible(); }
};

// "Lettura e Scrittura blocchi del TAG", with the grid it shows.
struct BlocksPage
{
    BlocksPage(QWidget *page, BlockModel &grid) : widget(page), model(grid) {}

    QWidget *widget;
    BlockModel &model;
    std::array<QCheckBox *, BlockModel::kRows> chkBlocks =
        pages::indexed<QCheckBox, BlockModel::kRows>(widget, "chkBlocks");
    std::array<QLineEdit *, BlockModel::kRows> txtBlocks =
        pages::indexed<QLineEdit, BlockModel::kRows>(widget, "txtBlocks");
    QPushButton *cmdWriteBlocks = pages::child<QPushButton>(widget, "cmdWriteBlocks");
    QPushButton *cmdReadBlocks = pages::child<QPushButton>(widget, "cmdReadBlocks");
    QPushButton *cmdStampa2 = pages::child<QPushButton>(widget, "cmdStampa2");
    QPushButton *cmdSelAll = pages::child<QPushButton>(widget, "cmdSelAll");
    QPushButton *cmdUnselAll = pages::child<QPushButton>(widget, "cmdUnselAll");
    QPushButton *cmdClearFlds = pages::child<QPushButton>(widget, "cmdClearFlds");
    QCheckBox *chkVerify = pages::child<QCheckBox>(widget, "chkVerify");
    QCheckBox *chkHex = pages::child<QCheckBox>(widget, "chkHex");
    QPushButton *cmdStop = pages::child<QPushButton>(widget, "cmdStop");
    QPushButton *cmdLoadBlocks = pages::child<QPushButton>(widget, "cmdLoadBlocks");
    QPushButton *cmdSaveBlocks = pages::child<QPushButton>(widget, "cmdSaveBlocks");
    QPushButton *cmdProduction = pages::child<QPushButton>(widget, "cmdProduction");

    QByteArray rowBytes(int row) const { return model.bytes(row); }
    void setRowBytes(int row, const QByteArray &bytes) { model.setBytes(row, bytes); }
    QList<int> selectedRows() const { return model.selectedRows(); }
    int workingRow() const { return model.workingRow(); }
    const QList<int> &failedRows() const { return model.failedRows(); }
    bool isVisible() const { return widget->isVisible(); }
};

// The serial settings dialog; the page owns the one createPropertiesDialog() hands over.
struct PropertiesPage
{
    explicit PropertiesPage(std::unique_ptr<frmProperties> dialog)
        : owned(std::move(dialog)), dialog(owned.get())
    {
    }
    explicit PropertiesPage(frmProperties *shown) : dialog(shown) {}

    std::unique_ptr<frmProperties> owned;
    frmProperties *dialog;
    QGroupBox *fraSettings = pages::child<QGroupBox>(dialog, "fraSettings");
    QGroupBox *Frame2 = pages::child<QGroupBox>(dialog, "Frame2");
    QComboBox *cboPort = pages::child<QComboBox>(dialog, "cboPort");
    QGroupBox *Frame1 = pages::child<QGroupBox>(dialog, "Frame1");
    QComboBox *cboSpeed = pages::child<QComboBox>(dialog, "cboSpeed");
    QGroupBox *fraConnection = pages::child<QGroupBox>(dialog, "fraConnection");
    QLabel *Label3 = pages::child<QLabel>(dialog, "Label3");
    QComboBox *cboDataBits = pages::child<QComboBox>(dialog, "cboDataBits");
    QLabel *Label4 = pages::child<QLabel>(dialog, "Label4");
    QComboBox *cboParity = pages::child<QComboBox>(dialog, "cboParity");
    QLabel *Label5 = pages::child<QLabel>(dialog, "Label5");
    QComboBox *cboStopBits = pages::child<QComboBox>(dialog, "cboStopBits");
    QGroupBox *Frame5 = pages::child<QGroupBox>(dialog, "Frame5");
    std::array<QRadioButton *, 4> optFlow = {pages::child<QRadioButton>(dialog, "optFlow_0"),
                                             pages::child<QRadioButton>(dialog, "optFlow_1"),
                                             pages::child<QRadioButton>(dialog, "optFlow_2"),
                                             pages::child<QRadioButton>(dialog, "optFlow_3")};
    QLabel *lblDevice = pages::child<QLabel>(dialog, "lblDevice");
    QComboBox *cboDevice = pages::child<QComboBox>(dialog, "cboDevice");
    QPushButton *cmdSearch = pages::child<QPushButton>(dialog, "cmdSearch");
    QPlainTextEdit *txtSearch = pages::child<QPlainTextEdit>(dialog, "txtSearch");
    QPushButton *cmdOK = pages::child<QPushButton>(dialog, "cmdOK");
    QPushButton *cmdCancel = pages::child<QPushButton>(dialog, "cmdCancel");

    frmProperties *widget() const { return dialog; }
    void show() { dialog->show(); }
    void reject() { dialog->reject(); }
    bool close() { return dialog->close(); }
    bool isVisible() const { return dialog->isVisible(); }
    int result() const { return dialog->result(); }
    int chosenFlow() const { return dialog->chosenFlow(); }
    bool searching() const { return dialog->searching(); }
    template <typename T>
    T findChild(const QString &name) const
    {
        return dialog->findChild<T>(name);
    }
    template <typename T>
    QList<T> findChildren() const
    {
        return dialog->findChildren<T>();
    }
    QString windowTitle() const { return dialog->windowTitle(); }
    QWidget *parentWidget() const { return dialog->parentWidget(); }
};

// "Produzione in serie".
struct ProductionPage
{
    explicit ProductionPage(frmProduction *d) : dialog(d) {}

    frmProduction *dialog;
    QLabel *lblTemplate = pages::child<QLabel>(dialog, "lblTemplate");
    QLabel *lblNoLabel = pages::child<QLabel>(dialog, "lblNoLabel");
    QSpinBox *spnCount = pages::child<QSpinBox>(dialog, "spnCount");
    QCheckBox *chkUntilStopped = pages::child<QCheckBox>(dialog, "chkUntilStopped");
    QGroupBox *fraSerial = pages::child<QGroupBox>(dialog, "fraSerial");
    QSpinBox *spnSerialRow = pages::child<QSpinBox>(dialog, "spnSerialRow");
    QComboBox *cboSerialWidth = pages::child<QComboBox>(dialog, "cboSerialWidth");
    QComboBox *cboSerialForm = pages::child<QComboBox>(dialog, "cboSerialForm");
    QLineEdit *txtSerialStart = pages::child<QLineEdit>(dialog, "txtSerialStart");
    QCheckBox *chkVerify = pages::child<QCheckBox>(dialog, "chkVerify");
    QComboBox *cboLabel = pages::child<QComboBox>(dialog, "cboLabel");
    QComboBox *cboOnFailure = pages::child<QComboBox>(dialog, "cboOnFailure");
    QLabel *lblTag = pages::child<QLabel>(dialog, "lblTag");
    QLabel *lblCounts = pages::child<QLabel>(dialog, "lblCounts");
    QLabel *lblStep = pages::child<QLabel>(dialog, "lblStep");
    QLabel *lblTime = pages::child<QLabel>(dialog, "lblTime");
    QProgressBar *prgRun = pages::child<QProgressBar>(dialog, "prgRun");
    QListWidget *lstTags = pages::child<QListWidget>(dialog, "lstTags");
    QLabel *lblLog = pages::child<QLabel>(dialog, "lblLog");
    QPushButton *cmdStart = pages::child<QPushButton>(dialog, "cmdStart");
    QPushButton *cmdSaveJob = pages::child<QPushButton>(dialog, "cmdSaveJob");
    QPushButton *cmdOpenJob = pages::child<QPushButton>(dialog, "cmdOpenJob");
    QPushButton *cmdStop = pages::child<QPushButton>(dialog, "cmdStop");
    QPushButton *cmdClose = pages::child<QPushButton>(dialog, "cmdClose");

    bool isVisible() const { return dialog->isVisible(); }
    bool close() { return dialog->close(); }
};

// "Monitor linea".
struct MonitorPage
{
    explicit MonitorPage(frmLineMonitor *w) : window(w) {}

    frmLineMonitor *window;
    QLabel *lblLegend = pages::child<QLabel>(window, "lblLegend");
    QPlainTextEdit *txtTraffic = pages::child<QPlainTextEdit>(window, "txtTraffic");
    QLabel *lblDropped = pages::child<QLabel>(window, "lblDropped");
    QPushButton *cmdCopy = pages::child<QPushButton>(window, "cmdCopy");
    QPushButton *cmdSave = pages::child<QPushButton>(window, "cmdSave");
    QPushButton *cmdClear = pages::child<QPushButton>(window, "cmdClear");
    QPushButton *cmdClose = pages::child<QPushButton>(window, "cmdClose");

    bool close() { return window->close(); }
};

// The About window.
struct AboutPage
{
    explicit AboutPage(frmSplash *w) : window(w) {}

    frmSplash *window;
    QGroupBox *Frame1 = pages::child<QGroupBox>(window, "Frame1");
    QLabel *imgLogo = pages::child<QLabel>(window, "imgLogo");
    QLabel *lblCompanyProduct = pages::child<QLabel>(window, "lblCompanyProduct");
    QLabel *lblProductName = pages::child<QLabel>(window, "lblProductName");
    QLabel *Label1 = pages::child<QLabel>(window, "Label1");
    QLabel *lblVersion = pages::child<QLabel>(window, "lblVersion");
    QLabel *Label2 = pages::child<QLabel>(window, "Label2");
    QLabel *lblPlatform = pages::child<QLabel>(window, "lblPlatform");
};

// The main window, made here or made elsewhere. A QObject only to be the context of a test's
// connections; its own children are none of the window's.
class MainWindowPage : public QObject
{
    std::unique_ptr<frmMain> m_owned;  // first: the controls below are found in it
    frmMain &m_window;
    std::unique_ptr<ProductionPage> m_production;
    std::unique_ptr<MonitorPage> m_monitor;

public:
    MainWindowPage(SerialControl &comm, SettingsStore &store, MessageSink &messages)
        : m_owned(std::make_unique<frmMain>(comm, store, messages)), m_window(*m_owned)
    {
    }
    explicit MainWindowPage(frmMain &window) : m_window(window) {}

    frmMain *widget() const { return &m_window; }

    QAction *mnuSerialPort = pages::child<QAction>(&m_window, "mnuSerialPort");
    QAction *mnuMonitor = pages::child<QAction>(&m_window, "mnuMonitor");
    QAction *mnuInfo = pages::child<QAction>(&m_window, "mnuInfo");
    QGroupBox *Frame6 = pages::child<QGroupBox>(&m_window, "Frame6");
    QLineEdit *txtModello = pages::child<QLineEdit>(&m_window, "txtModello");
    QLineEdit *txtRelease = pages::child<QLineEdit>(&m_window, "txtRelease");
    QPushButton *cmdInterroga = pages::child<QPushButton>(&m_window, "cmdInterroga");
    QPushButton *cmdEsci = pages::child<QPushButton>(&m_window, "cmdEsci");
    QTabBar *TabStrip = pages::child<QTabBar>(&m_window, "TabStrip");
    // The status bar's panels, indexed 1 to 5.
    std::array<QLabel *, 6> Panels = {nullptr,
                                      pages::child<QLabel>(&m_window, "Panel1"),
                                      pages::child<QLabel>(&m_window, "Panel2"),
                                      pages::child<QLabel>(&m_window, "Panel3"),
                                      pages::child<QLabel>(&m_window, "Panel4"),
                                      pages::child<QLabel>(&m_window, "Panel5")};
    std::unique_ptr<TagPage> tagPage = std::make_unique<TagPage>(page(1));
    std::unique_ptr<BlocksPage> blockPage =
        std::make_unique<BlocksPage>(page(2), m_window.workbench().blocks());

    bool load() { return m_window.load(); }
    void show() { m_window.show(); }
    void hide() { m_window.hide(); }
    bool close() { return m_window.close(); }
    bool isVisible() const { return m_window.isVisible(); }
    void activateWindow() { m_window.activateWindow(); }
    QString windowTitle() const { return m_window.windowTitle(); }
    QIcon windowIcon() const { return m_window.windowIcon(); }
    QStatusBar *statusBar() const { return m_window.statusBar(); }
    // The window's children, not the page's own.
    template <typename T>
    T findChild(const QString &name = {}) const
    {
        return m_window.findChild<T>(name);
    }
    template <typename T>
    QList<T> findChildren(const QString &name = {}) const
    {
        return m_window.findChildren<T>(name);
    }

    PrinterLink &link() { return m_window.link(); }
    Workbench &workbench() { return m_window.workbench(); }
    void setFileChooser(FileChooser &chooser) { m_window.setFileChooser(chooser); }
    void setSerialDevices(const SerialDevices &devices) { m_window.setSerialDevices(devices); }
    void setEndProgram(std::function<void()> end) { m_window.setEndProgram(std::move(end)); }
    void setAboutCloseAfter(std::chrono::milliseconds delay) { m_window.setAboutCloseAfter(delay); }
    frmSplash *about() const { return m_window.about(); }

    std::unique_ptr<PropertiesPage> createPropertiesDialog()
    {
        return std::make_unique<PropertiesPage>(m_window.createPropertiesDialog());
    }
    // The production dialog, once "Produzione..." has opened it.
    ProductionPage *production()
    {
        if (!m_window.production())
            return nullptr;
        if (!m_production || m_production->dialog != m_window.production())
            m_production = std::make_unique<ProductionPage>(m_window.production());
        return m_production.get();
    }

    // The line monitor, once "Monitor linea..." has opened it.
    MonitorPage *monitor()
    {
        if (!m_window.monitor())
            return nullptr;
        if (!m_monitor || m_monitor->window != m_window.monitor())
            m_monitor = std::make_unique<MonitorPage>(m_window.monitor());
        return m_monitor.get();
    }

private:
    QWidget *page(int index) const
    {
        for (QWidget *w : m_window.findChildren<QWidget *>(QStringLiteral("Frame1"))) {
            if (w->property("index").toInt() == index)
                return w;
        }
        qFatal("no tab page %d", index);
    }
};
