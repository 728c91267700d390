#pragma once

#include "label/productionrun.h"

#include <QDialog>

class BlockModel;
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
    frmProduction(ProductionRun &run, const BlockModel &grid, QWidget *parent = nullptr);

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
    // The run the options describe now; the template is the grid's when it starts.
    ProductionPlan options() const;
    void showTemplate();
    void showProgress(const ProductionProgress &progress);
    void showRunning(bool running);

    ProductionRun &m_run;
    const BlockModel &m_grid;
};
