#pragma once

#include "label/productionrun.h"

#include <QDialog>

class BlockPage;
class FileChooser;
class MessageSink;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;

// "Produzione in serie": the options of a production run, "Avvia", and the run's progress. The
// template is what "SCRIVI" would write when the run starts: the ticked rows of the grid and
// their bytes. Not modal: the main window stays in view, its printer operations refused while the
// run holds the printer.
class frmProduction : public QDialog
{
    Q_OBJECT
public:
    frmProduction(ProductionRun &run, BlockPage &blocks, MessageSink &messages,
                  FileChooser &chooser, QWidget *parent = nullptr);

    void setChooser(FileChooser &chooser) { m_chooser = &chooser; }
    // The run the options describe now (template from the grid, no log file yet).
    ProductionPlan plan() const;

    QGroupBox *fraTemplate = nullptr;
    QLabel *lblTemplate = nullptr;
    QGroupBox *fraSeries = nullptr;
    QSpinBox *spnCount = nullptr;
    QCheckBox *chkUntilStopped = nullptr;
    QGroupBox *fraSerial = nullptr;  // checkable: a serial number or none
    QSpinBox *spnSerialRow = nullptr;
    QComboBox *cboSerialWidth = nullptr;
    QComboBox *cboSerialForm = nullptr;
    QLineEdit *txtSerialStart = nullptr;
    QGroupBox *fraOptions = nullptr;
    QCheckBox *chkVerify = nullptr;
    QComboBox *cboLabel = nullptr;
    QComboBox *cboOnFailure = nullptr;
    QGroupBox *fraProgress = nullptr;
    QLabel *lblTag = nullptr;
    QLabel *lblCounts = nullptr;
    QLabel *lblStep = nullptr;
    QLabel *lblTime = nullptr;
    QProgressBar *prgRun = nullptr;
    QListWidget *lstTags = nullptr;
    QLabel *lblLog = nullptr;
    QPushButton *cmdStart = nullptr;
    QPushButton *cmdStop = nullptr;
    QPushButton *cmdClose = nullptr;

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildWindow();
    void onStart();
    void showTemplate();
    void showProgress(const ProductionProgress &progress);
    void showRunning(bool running);

    ProductionRun &m_run;
    BlockPage &m_blocks;
    MessageSink &m_messages;
    FileChooser *m_chooser;
};
